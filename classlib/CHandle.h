#pragma once
#include <windows.h>

// Owns one kernel handle (file, process, event, snapshot...) and closes it;
// move-only. Both NULL and INVALID_HANDLE_VALUE count as no handle.
class CHandle {
public:
    CHandle() = default;
    explicit CHandle(HANDLE h) : m_h(h) {}
    ~CHandle() { Close(); }
    CHandle(CHandle&& other) noexcept : m_h(other.Detach()) {}
    CHandle& operator=(CHandle&& other) noexcept
    {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;

    BOOL IsValid() const { return m_h != nullptr && m_h != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_h; }
    operator HANDLE() const { return m_h; }

    // Closes the handle held and takes h.
    void Attach(HANDLE h)
    {
        Close();
        m_h = h;
    }
    // Gives the handle up without closing it.
    HANDLE Detach()
    {
        HANDLE h = m_h;
        m_h = nullptr;
        return h;
    }
    void Close()
    {
        if (IsValid())
            CloseHandle(m_h);
        m_h = nullptr;
    }

private:
    HANDLE m_h = nullptr;
};
