#pragma once
#include "afx.h"
#include <vector>

// Owns one open registry key and closes it; move-only. A failed Open or
// Create keeps the key held before. The readers size their buffers from the
// registry, so names and data of any length are read whole.
class CRegKeyHandle {
public:
    CRegKeyHandle() = default;
    ~CRegKeyHandle() { Close(); }
    CRegKeyHandle(CRegKeyHandle&& other) noexcept : m_hKey(other.m_hKey) { other.m_hKey = nullptr; }
    CRegKeyHandle& operator=(CRegKeyHandle&& other) noexcept;
    CRegKeyHandle(const CRegKeyHandle&) = delete;
    CRegKeyHandle& operator=(const CRegKeyHandle&) = delete;

    // Opens parent\pszSubKey (never creates it); returns the registry's code.
    LONG Open(HKEY parent, LPCSTR pszSubKey, REGSAM access);
    // Opens parent\pszSubKey, creating it when missing; returns the registry's code.
    LONG Create(HKEY parent, LPCSTR pszSubKey, REGSAM access);
    void Close();
    operator HKEY() const { return m_hKey; }
    BOOL IsOpen() const { return m_hKey != nullptr; }

    // The name of the subkey at index; ERROR_NO_MORE_ITEMS past the last.
    LONG EnumKey(DWORD index, CString& name) const;
    // The name, type and data of the value at index; ERROR_NO_MORE_ITEMS past the last.
    LONG EnumValue(DWORD index, CString& name, DWORD& type, std::vector<BYTE>& data) const;
    // The type and data of one value (NULL or "" names the default value).
    LONG QueryValue(LPCSTR pszName, DWORD& type, std::vector<BYTE>& data) const;
    static LONG QueryValue(HKEY key, LPCSTR pszName, DWORD& type, std::vector<BYTE>& data);

    // Data sizes QueryText accepts by default: any.
    static const DWORD kAnySize = 0xFFFFFFFF;
    // Reads a value's data as text, ended at its first zero byte. FALSE, with
    // text empty, when the value is missing or unreadable, holds more than
    // nMaxBytes bytes, or (with bTextOnly) is not REG_SZ or REG_EXPAND_SZ.
    BOOL QueryText(LPCSTR pszName, CString& text, DWORD nMaxBytes = kAnySize, BOOL bTextOnly = TRUE) const
    {
        return QueryText(m_hKey, pszName, text, nMaxBytes, bTextOnly);
    }
    static BOOL QueryText(HKEY key, LPCSTR pszName, CString& text, DWORD nMaxBytes = kAnySize,
                          BOOL bTextOnly = TRUE);

private:
    HKEY m_hKey = nullptr;
};
