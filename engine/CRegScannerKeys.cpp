#include "CRegScanner.h"
#include "CRegKeyHandle.h"
#include "ScanWalk.h"

// The key scanners: empty keys of the users' hives, and file extensions
// whose class opens with a program that is gone.

namespace {

// Paths (lower case) below which keys are never examined: class
// registrations, the users' class hives and the Explorer session keys.
const char* const kExcludedPaths[] = {
    "software\\classes",
    "_classes",
    "software\\microsoft\\windows\\currentversion\\explorer\\sessioninfo",
};

BOOL IsExcludedPath(const CString& path)
{
    CString lower = path;
    lower.MakeLower();
    for (const char* excluded : kExcludedPaths) {
        if (lower.Find(excluded) >= 0)
            return TRUE;
    }
    return FALSE;
}

}  // namespace

void CRegScanner::ScanEmptyKeys()
{
    // Examines the key name under parent (the parent itself for an empty
    // name); TRUE when it was reported as empty: it holds no values, and no
    // subkeys or only subkeys that were reported as empty themselves. Hive
    // roots and containers are walked but never reported (the filter drops
    // them), so no key above them is reported either.
    struct Walk {
        CRegScanner& engine;
        BOOL Key(HKEY parent, const CString& name, const CString& parentPath)
        {
            if (IsExcludedPath(parentPath + "\\" + name))
                return FALSE;
            CRegKeyHandle key;
            if (key.Open(parent, name.IsEmpty() ? nullptr : (LPCSTR)name, KEY_ALL_ACCESS) != ERROR_SUCCESS)
                return FALSE;
            DWORD subKeys = 0;
            DWORD values = 0;
            if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr,
                                 nullptr, nullptr)
                    != ERROR_SUCCESS
                || (values > 0 && subKeys == 0))
                return FALSE;

            const CString path = name.IsEmpty() ? parentPath : parentPath + "\\" + name;
            DWORD emptyChildren = 0;
            CString child;
            for (DWORD index = 0; key.EnumKey(index, child) == ERROR_SUCCESS; index++) {
                if (engine.IsCancelled())
                    return FALSE;
                engine.SendScanPath(parentPath);
                // The default user's profile is not walked, whatever the case of its name.
                if (child.CompareNoCase(".DEFAULT") == 0)
                    continue;
                if (Key(key, child, path))
                    emptyChildren++;
            }
            // Nothing more is reported once the scan is cancelled.
            if (emptyChildren != subKeys || values > 0 || engine.IsCancelled())
                return FALSE;
            if (subKeys == 0)
                engine.SendScanPath(parentPath);
            // A key the filter keeps (whitelisted or ignored) is not empty for its parent.
            return engine.AddProblem(new CRegistryProblem(path, "(Default)", "", REGPROBLEM_EMPTYKEY));
        }
    } walk{*this};
    walk.Key(HKEY_USERS, "", "HKEY_USERS");
}

void CRegScanner::ScanFileAssociations()
{
    CRegKeyHandle classes;
    if (classes.Open(HKEY_CLASSES_ROOT, nullptr, scanwalk::kReadWrite) != ERROR_SUCCESS)
        return;
    CString extension;
    for (DWORD index = 0; !IsCancelled() && classes.EnumKey(index, extension) == ERROR_SUCCESS; index++) {
        if (extension.IsEmpty() || extension[0] != '.')
            continue;
        // The class the extension names; an empty one names none.
        CRegKeyHandle extensionKey;
        char className[1023];
        if (extensionKey.Open(classes, extension, KEY_READ) != ERROR_SUCCESS
            || !ReadRegText(extensionKey, nullptr, className, sizeof className) || className[0] == '\0')
            continue;
        const CString commandPath = CString(className) + "\\shell\\open\\command";
        SendScanPath(commandPath + "\\");
        CRegKeyHandle commandKey;
        char command[1024];
        CString tested;
        if (commandKey.Open(HKEY_CLASSES_ROOT, commandPath, KEY_READ) == ERROR_SUCCESS
            && ReadRegText(commandKey, nullptr, command, sizeof command) && IsMissingFile(command, FALSE, tested))
            AddProblem(new CRegistryProblem("HKEY_CLASSES_ROOT\\" + extension, "(Default)", className,
                                            REGPROBLEM_FILEASSOC));
    }
}
