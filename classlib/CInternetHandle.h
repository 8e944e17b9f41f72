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
    // Sets the connect, send and receive time-outs on this handle. Some
    // WinInet versions (Wine's) do not pass a session's time-outs down, so
    // every handle of a transfer gets them.
    void SetTimeouts(DWORD timeoutMs) const
    {
        for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                             INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_DATA_SEND_TIMEOUT,
                             INTERNET_OPTION_DATA_RECEIVE_TIMEOUT})
            InternetSetOptionA(m_h, option, &timeoutMs, sizeof timeoutMs);
    }
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
