#include "CRegKeyHandle.h"
#include <cstring>

namespace {

// Buffers grow on ERROR_MORE_DATA (a value may change between the size query
// and the read); past this size the read gives up.
const DWORD kMaxBuffer = 0x10000000;
// The buffers of the first try: a key name is at most 255 characters.
const DWORD kFirstNameSize = 256;
const DWORD kFirstDataSize = 1024;

DWORD Grow(DWORD current, DWORD wanted)
{
    DWORD next = current < kMaxBuffer / 2 ? current * 2 : kMaxBuffer;
    return wanted > next && wanted <= kMaxBuffer ? wanted : next;
}

}  // namespace

CRegKeyHandle& CRegKeyHandle::operator=(CRegKeyHandle&& other) noexcept
{
    if (this != &other) {
        Close();
        m_hKey = other.m_hKey;
        other.m_hKey = nullptr;
    }
    return *this;
}

LONG CRegKeyHandle::Open(HKEY parent, LPCSTR pszSubKey, REGSAM access)
{
    HKEY hKey = nullptr;
    LONG rc = RegOpenKeyExA(parent, pszSubKey, 0, access, &hKey);
    if (rc == ERROR_SUCCESS) {
        Close();
        m_hKey = hKey;
    }
    return rc;
}

LONG CRegKeyHandle::Create(HKEY parent, LPCSTR pszSubKey, REGSAM access)
{
    HKEY hKey = nullptr;
    LONG rc = RegCreateKeyExA(parent, pszSubKey, 0, nullptr, 0, access, nullptr, &hKey, nullptr);
    if (rc == ERROR_SUCCESS) {
        Close();
        m_hKey = hKey;
    }
    return rc;
}

void CRegKeyHandle::Close()
{
    if (m_hKey) {
        RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }
}

// The enumerations try a first buffer and ask the key for its longest name
// and data only when that was too small: most keys need no extra request.
LONG CRegKeyHandle::EnumKey(DWORD index, CString& name) const
{
    char first[kFirstNameSize];
    DWORD length = sizeof first;
    LONG rc = RegEnumKeyExA(m_hKey, index, first, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_SUCCESS)
        name = CString(first, static_cast<int>(length));
    if (rc != ERROR_MORE_DATA)
        return rc;

    DWORD maxName = 0;
    rc = RegQueryInfoKeyA(m_hKey, nullptr, nullptr, nullptr, nullptr, &maxName,
                          nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    DWORD size = maxName + 1 > sizeof first ? maxName + 1 : Grow(sizeof first, 0);
    std::vector<char> buffer;
    for (;;) {
        buffer.assign(size, '\0');
        length = size;
        rc = RegEnumKeyExA(m_hKey, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA && size < kMaxBuffer) {
            size = Grow(size, 0);
            continue;
        }
        if (rc == ERROR_SUCCESS)
            name = CString(buffer.data(), static_cast<int>(length));
        return rc;
    }
}

LONG CRegKeyHandle::EnumValue(DWORD index, CString& name, DWORD& type, std::vector<BYTE>& data) const
{
    char first[kFirstNameSize];
    DWORD dataSize = kFirstDataSize;
    data.resize(dataSize);
    DWORD nameLength = sizeof first, dataLength = dataSize;
    LONG rc = RegEnumValueA(m_hKey, index, first, &nameLength, nullptr, &type, data.data(), &dataLength);
    // Data that filled the buffer to its last byte is read again the slow way,
    // which always leaves one byte spare, as every read here does.
    if (rc == ERROR_SUCCESS && dataLength < dataSize) {
        name = CString(first, static_cast<int>(nameLength));
        data.resize(dataLength);
        return rc;
    }
    if (rc != ERROR_MORE_DATA && rc != ERROR_SUCCESS)
        return rc;

    DWORD maxName = 0, maxData = 0;
    rc = RegQueryInfoKeyA(m_hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, &maxName, &maxData, nullptr, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    DWORD nameSize = maxName + 1 > sizeof first ? maxName + 1 : sizeof first;
    dataSize = maxData + 1 > dataSize ? maxData + 1 : dataSize;
    std::vector<char> nameBuffer;
    for (;;) {
        nameBuffer.assign(nameSize, '\0');
        data.assign(dataSize, 0);
        nameLength = nameSize;
        dataLength = dataSize;
        rc = RegEnumValueA(m_hKey, index, nameBuffer.data(), &nameLength, nullptr, &type,
                           data.data(), &dataLength);
        if (rc == ERROR_MORE_DATA && (nameSize < kMaxBuffer || dataSize < kMaxBuffer)) {
            nameSize = Grow(nameSize, 0);
            dataSize = Grow(dataSize, dataLength + 1);
            continue;
        }
        if (rc == ERROR_SUCCESS) {
            name = CString(nameBuffer.data(), static_cast<int>(nameLength));
            data.resize(dataLength);
        }
        return rc;
    }
}

LONG CRegKeyHandle::QueryValue(LPCSTR pszName, DWORD& type, std::vector<BYTE>& data) const
{
    return QueryValue(m_hKey, pszName, type, data);
}

LONG CRegKeyHandle::QueryValue(HKEY key, LPCSTR pszName, DWORD& type, std::vector<BYTE>& data)
{
    DWORD size = 0;
    LONG rc = RegQueryValueExA(key, pszName, nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS)
        return rc;
    size += 1;
    for (;;) {
        data.assign(size, 0);
        DWORD length = size;
        rc = RegQueryValueExA(key, pszName, nullptr, &type, data.data(), &length);
        if (rc == ERROR_MORE_DATA && size < kMaxBuffer) {
            size = Grow(size, length + 1);
            continue;
        }
        if (rc == ERROR_SUCCESS)
            data.resize(length);
        return rc;
    }
}

BOOL CRegKeyHandle::QueryText(HKEY key, LPCSTR pszName, CString& text, DWORD nMaxBytes, BOOL bTextOnly)
{
    text.Empty();
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    if (QueryValue(key, pszName, type, data) != ERROR_SUCCESS || data.size() > nMaxBytes
        || (bTextOnly && type != REG_SZ && type != REG_EXPAND_SZ))
        return FALSE;
    if (data.empty())
        return TRUE;
    const void* zero = memchr(data.data(), 0, data.size());
    const size_t length = zero != nullptr ? static_cast<const BYTE*>(zero) - data.data() : data.size();
    text = CString(reinterpret_cast<LPCSTR>(data.data()), static_cast<int>(length));
    return TRUE;
}
