#include "ScanWalk.h"
#include "CRegKeyHandle.h"
#include "CRegScanner.h"
#include <shlwapi.h>
#include <vector>

namespace scanwalk {

BOOL NextValue(HKEY key, DWORD& index, Value& value, BOOL bWithData)
{
    for (;;) {
        DWORD nameLength = Value::NAME_SIZE;
        // One byte is kept back for the end of the text.
        DWORD dataLength = Value::DATA_SIZE - 1;
        value.type = REG_NONE;
        const LONG rc = RegEnumValueA(key, index++, value.name, &nameLength, nullptr, &value.type,
                                      bWithData ? reinterpret_cast<BYTE*>(value.data) : nullptr,
                                      bWithData ? &dataLength : nullptr);
        if (rc == ERROR_MORE_DATA)
            continue;  // too long to be a path: the next value
        if (rc != ERROR_SUCCESS)
            return FALSE;
        value.name[nameLength < Value::NAME_SIZE ? nameLength : Value::NAME_SIZE - 1] = '\0';
        if (!bWithData)
            dataLength = 0;
        value.data[dataLength < Value::DATA_SIZE ? dataLength : Value::DATA_SIZE - 1] = '\0';
        return TRUE;
    }
}

CString JoinPath(const CString& folder, const CString& name)
{
    if (!folder.IsEmpty() && folder[folder.GetLength() - 1] == '\\')
        return folder + name;
    return folder + "\\" + name;
}

BOOL ReadFolder(HKEY root, LPCSTR pszKeyPath, LPCSTR pszValueName, CString& folder)
{
    folder.Empty();
    CRegKeyHandle key;
    CString text;
    if (key.Open(root, pszKeyPath, KEY_READ) != ERROR_SUCCESS || !key.QueryText(pszValueName, text, MAX_PATH))
        return FALSE;
    char expanded[MAX_PATH];
    const DWORD length = ExpandEnvironmentStringsA(text, expanded, sizeof expanded);
    if (length == 0 || length > sizeof expanded)
        return FALSE;
    folder = expanded;
    return !folder.IsEmpty();
}

BOOL IsPathMissing(const CRegScanner& engine, const CString& path)
{
    if (path.GetLength() < 3 || path[1] != ':' || path[2] != '\\' || path.GetLength() >= MAX_PATH)
        return FALSE;
    return !engine.IsSkippedProgram(path) && !PathFileExistsA(path);
}

}  // namespace scanwalk
