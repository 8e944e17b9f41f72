#include "RegistryText.h"
#include "CRegKeyHandle.h"
#include "ClassID.h"
#include "File.h"
#include "PathMatching.h"
#include <cstring>
#include <vector>

namespace {

// Reads the default value of HKEY_CLASSES_ROOT\keyPath into text; when it
// cannot, text says why after the subject given for each case.
void ReadClassesRootDefault(const CString& keyPath, CString& text, const CString& missingKeySubject,
                            const CString& unreadableSubject)
{
    CRegKeyHandle key;
    if (key.Open(HKEY_CLASSES_ROOT, keyPath, KEY_READ) != ERROR_SUCCESS) {
        text = missingKeySubject + ", key does not exist";
        return;
    }
    CString value;
    if (!key.QueryText(nullptr, value, CRegKeyHandle::kAnySize, FALSE)) {
        text = unreadableSubject + ", error querying default value";
        return;
    }
    text = value;
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
    const CString subject = "Could not resolve ClassID " + classId;
    ReadClassesRootDefault("CLSID\\" + classId + "\\InProcServer32", serverPath, subject, subject);
}

void ResolveClassIdTitle(const CString& classId, CString& title)
{
    ReadClassesRootDefault("CLSID\\" + classId, title, "Could not resolve title for ClassID " + classId,
                           "Could not resolve title for classID ClassID " + classId);
}
