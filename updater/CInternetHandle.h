#pragma once
#include <windows.h>
#include <wininet.h>

// Owns one WinInet handle (session, connection or request) and closes it; move-only.
class CInternetHandle {
public:
    CInternetHandle() = default;
    explicit CInternetHandle(HINTERNET h) : m_h(h) {}
    ~CInternetHandle() { Close(); }
    CInternetHandle(CInternetHandle&& other) noexcept : m_h(other.m_h) { other.m_h = nullptr; }
    CInternetHandle& operator=(CInternetHandle&& other) noexcept
    {
        if (this != &other) {
            Close();
            m_h = other.m_h;
            other.m_h = nullptr;
        }
        return *this;
    }
    CInternetHandle(const CInternetHandle&) = delete;
    CInternetHandle& operator=(const CInternetHandle&) = delete;

    BOOL IsValid() const { return m_h != nullptr; }
    operator HINTERNET() const { return m_h; }
    void Close()
    {
        if (m_h)
            InternetCloseHandle(m_h);
        m_h = nullptr;
    }

private:
    HINTERNET m_h = nullptr;
};
