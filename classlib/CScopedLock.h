#pragma once
#include "CCriticalSection.h"

// Holds a critical section from construction to the end of the scope.
class CScopedLock {
public:
    explicit CScopedLock(CCriticalSection& section) : m_section(section) { m_section.Lock(); }
    ~CScopedLock() { m_section.Unlock(); }
    CScopedLock(const CScopedLock&) = delete;
    CScopedLock& operator=(const CScopedLock&) = delete;

private:
    CCriticalSection& m_section;
};
