#pragma once
#include <unknwn.h>

// Owns one reference to a COM interface and releases it; move-only.
template <class T>
class CComPtr {
public:
    CComPtr() = default;
    ~CComPtr() { Release(); }
    CComPtr(CComPtr&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    CComPtr& operator=(CComPtr&& other) noexcept
    {
        if (this != &other) {
            Release();
            m_p = other.m_p;
            other.m_p = nullptr;
        }
        return *this;
    }
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // The place a creating call writes a new reference to (the old one is released first).
    T** operator&()
    {
        Release();
        return &m_p;
    }
    // The same place, typed for calls that take void**.
    void** Out() { return reinterpret_cast<void**>(operator&()); }
    void Release()
    {
        if (m_p != nullptr)
            m_p->Release();
        m_p = nullptr;
    }

private:
    T* m_p = nullptr;
};
