#include "RegistryText.h"
#include "CRegKeyHandle.h"
#include "ClassID.h"
#include "File.h"
#include "PathMatching.h"
#include <cstring>
#include <vector>

namespace {

// Reads the default value of HKEY_CLASSES_ROOT\keyPath. Returns 1 when the
// key is missing, 2 when the value cannot be read, 0 on success.
int ReadClassesRootDefault(const CString& keyPath, CString& text)
{
    CRegKeyHandle key;
    if (key.Open(HKEY_CLASSES_ROOT, keyPath, KEY_READ) != ERROR_SUCCESS)
        return 1;
    CString value;
    if (!key.QueryText(nullptr, value, CRegKeyHandle::kAnySize, FALSE))
        return 2;
    text = value;
    return 0;
}

}  // namespace

CString GetRootKeyName(HKEY root)
{
    if (root == HKEY_CLASSES_ROOT)
        return "HKEY_CLASSES_ROOT";
    if (root == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    if (root == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    if (root == HKEY_USERS)
        return "HKEY_USERS";
    if (root == HKEY_CURRENT_CONFIG)
        return "HKEY_CURRENT_CONFIG";
    if (root == HKEY_DYN_DATA)
        return "HKEY_DYN_DATA";
    return "Invalid RootKey";
}

CString RegistryBytesToText(const BYTE* data, DWORD size)
{
    if (data == nullptr || size == 0)
        return CString();
    const void* zero = memchr(data, 0, size);
    DWORD length = zero != nullptr ? static_cast<DWORD>(static_cast<const BYTE*>(zero) - data) : size;
    return CString(reinterpret_cast<LPCSTR>(data), static_cast<int>(length));
}

void AnalyzeRegistryValueData(const CString& text, LogElementList& files, LogElementList& classIds)
{
    int pos = 0;
    for (CString token = text.Tokenize(";,", pos); pos >= 0; token = text.Tokenize(";,", pos)) {
        CString expanded;
        ExpandEnvironmentPath(token, expanded);
        int length = expanded.GetLength();
        if (length > 0 && expanded[0] == '"' && expanded[length - 1] == '"')
            expanded.Trim('"');
        if (MatchClassIdInValue(expanded)) {
            CString classId;
            ExtractClassId(expanded, classId);
            classIds.AddTail(new ClassID(classId));
        } else if (MatchFilePathInValue(expanded)) {
            files.AddTail(new File(token, expanded));
        }
    }
}

void ResolveClassIdServerPath(const CString& classId, CString& serverPath)
{
    CString keyPath = "CLSID\\" + classId + "\\InProcServer32";
    switch (ReadClassesRootDefault(keyPath, serverPath)) {
    case 1:
        serverPath = "Could not resolve ClassID " + classId + ", key does not exist";
        break;
    case 2:
        serverPath = "Could not resolve ClassID " + classId + ", error querying default value";
        break;
    default:
        break;
    }
}

void ResolveClassIdTitle(const CString& classId, CString& title)
{
    CString keyPath = "CLSID\\" + classId;
    switch (ReadClassesRootDefault(keyPath, title)) {
    case 1:
        title = "Could not resolve title for ClassID " + classId + ", key does not exist";
        break;
    case 2:
        title = "Could not resolve title for classID ClassID " + classId + ", error querying default value";
        break;
    default:
        break;
    }
}
