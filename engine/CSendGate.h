#pragma once
#include "afx.h"

// Thins out a stream of progress messages: one passes when the gate has been
// opened or when the interval has gone by since the last one that passed.
class CSendGate {
public:
    explicit CSendGate(DWORD intervalMs) : m_intervalMs(intervalMs) {}

    // The next message passes whatever the time.
    void Open() { m_open = true; }
    // TRUE when this message is to be sent; the time is then noted.
    BOOL Pass();

private:
    DWORD m_intervalMs;
    DWORD m_lastTick = 0;
    bool m_open = true;
};
