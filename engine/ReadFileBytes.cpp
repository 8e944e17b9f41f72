#include "ReadFileBytes.h"
#include "CHandle.h"

BOOL ReadFileBytes(LPCSTR pszPath, DWORD maxBytes, std::string& bytes)
{
    bytes.clear();
    CHandle file(CreateFileA(pszPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return FALSE;
    LARGE_INTEGER size{};
    DWORD read = 0;
    if (!GetFileSizeEx(file, &size) || size.QuadPart > static_cast<LONGLONG>(maxBytes))
        return FALSE;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    return bytes.empty()
           || (ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size());
}
