#pragma once
#include <objbase.h>

// Keeps COM initialised on the calling thread for the scope (when it could be).
class CComScope {
public:
    CComScope() : m_initialized(SUCCEEDED(CoInitialize(nullptr))) {}
    ~CComScope()
    {
        if (m_initialized)
            CoUninitialize();
    }
    CComScope(const CComScope&) = delete;
    CComScope& operator=(const CComScope&) = delete;

private:
    bool m_initialized;
};
