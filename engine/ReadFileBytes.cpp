#include "ReadFileBytes.h"

BOOL ReadFileBytes(LPCSTR pszPath, DWORD maxBytes, std::string& bytes)
{
    bytes.clear();
    HANDLE file = CreateFileA(pszPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    LARGE_INTEGER size{};
    DWORD read = 0;
    BOOL ok = GetFileSizeEx(file, &size) && size.QuadPart <= static_cast<LONGLONG>(maxBytes);
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        ok = bytes.empty() || (ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr)
                               && read == bytes.size());
    }
    CloseHandle(file);
    return ok;
}
