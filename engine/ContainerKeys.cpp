#include "ContainerKeys.h"
#include "RegExport.h"
#include <cstring>

namespace {

// The containers, as paths below the root of a machine or user hive, lower case.
const char* const kContainers[] = {
    "software\\microsoft\\windows\\currentversion\\run",
    "software\\microsoft\\windows\\currentversion\\runonce",
    "software\\microsoft\\windows\\currentversion\\runonceex",
    "software\\microsoft\\windows\\currentversion\\runservices",
    "software\\microsoft\\windows\\currentversion\\runservicesonce",
    "software\\microsoft\\windows\\currentversion\\policies\\explorer\\run",
    "software\\microsoft\\windows\\currentversion\\explorer\\shell folders",
    "software\\microsoft\\windows\\currentversion\\explorer\\user shell folders",
    "software\\microsoft\\windows\\currentversion\\explorer\\menuorder\\start menu\\programs",
    "software\\microsoft\\windows\\currentversion\\explorer\\menuorder\\start menu2\\programs",
    "software\\microsoft\\windows\\currentversion\\app paths",
    "software\\microsoft\\windows\\currentversion\\uninstall",
    "software\\microsoft\\windows\\currentversion\\shareddlls",
    "software\\microsoft\\windows\\currentversion\\fonts",
    "software\\microsoft\\windows nt\\currentversion\\fonts",
    "software\\microsoft\\shared tools\\msconfig\\startupreg",
    "software\\microsoft\\shared tools\\msconfig\\startupfolder",
    "software\\classes\\clsid",
    "software\\classes\\appid",
    "software\\classes\\typelib",
    "software\\classes\\interface",
    "environment",
    "system\\currentcontrolset\\control\\session manager\\environment",
};

const char kClassesPrefix[] = "software\\classes";

// The key's path below the root of its hive, lower case, names joined by
// single backslashes, without Wow6432Node; FALSE for a root that holds no hive.
BOOL HivePath(const CString& keyText, CString& path)
{
    CString lower = keyText;
    lower.MakeLower();
    CStringArray names;
    for (int start = 0; start <= lower.GetLength();) {
        int end = lower.Find('\\', start);
        if (end < 0)
            end = lower.GetLength();
        const CString name = lower.Mid(start, end - start);
        if (!name.IsEmpty() && name != "wow6432node")
            names.Add(name);
        start = end + 1;
    }
    if (names.IsEmpty())
        return FALSE;
    const CString root = names[0];
    INT_PTR first = 1;
    path.Empty();
    if (root == "hkey_classes_root") {
        path = kClassesPrefix;
    } else if (root == "hkey_users") {
        // The hive's own name comes next; a users' class hive holds classes.
        first = 2;
        if (names.GetSize() > 1 && names[1].GetLength() > 8 && names[1].Right(8) == "_classes")
            path = kClassesPrefix;
    } else if (root != "hkey_local_machine" && root != "hkey_current_user") {
        return FALSE;
    }
    for (INT_PTR i = first; i < names.GetSize(); i++)
        path += (path.IsEmpty() ? "" : "\\") + names[i];
    return TRUE;
}

}  // namespace

BOOL IsProtectedKey(const CString& keyText)
{
    CString path;
    if (!HivePath(keyText, path))
        return FALSE;
    // A hive root lies above every container.
    if (path.IsEmpty())
        return TRUE;
    const int length = path.GetLength();
    for (const char* container : kContainers) {
        // The container itself, or a key above it.
        if (strncmp(container, path, length) == 0 && (container[length] == '\0' || container[length] == '\\'))
            return TRUE;
    }
    return FALSE;
}

BOOL IsProtectedKey(HKEY root, const CString& path)
{
    return IsProtectedKey(CString(GetRegRootName(root)) + "\\" + path);
}
