#include "CRegScanner.h"
#include "CRegKeyHandle.h"

namespace {

// The scanner opens keys for reading and writing unless a pass says otherwise.
const REGSAM kReadWrite = KEY_READ | KEY_WRITE;
// Reference values (AppID, CLSID) and file texts are read into buffers of these sizes.
const DWORD kReferenceBuffer = 1023;
const DWORD kFileBuffer = 1024;

// The class subkeys whose default value names a file, in the order tested.
const char* const kClassFileKeys[] = {
    "InprocServer32", "InprocServer", "LocalServer32", "LocalServer",
    "InprocHandler32", "InprocHandler", "PersistentHandler", "DefaultIcon",
};
const unsigned kClassFileKeyCount = sizeof kClassFileKeys / sizeof kClassFileKeys[0];

// Steps index to the next subkey and gives its name; FALSE after the last. A
// name that does not fit (longer than any the registry allows) is passed over.
BOOL NextSubKey(HKEY key, DWORD& index, CString& name)
{
    for (;;) {
        char buffer[300];
        DWORD length = sizeof buffer;
        const LONG rc = RegEnumKeyExA(key, index++, buffer, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_SUCCESS) {
            name = CString(buffer, static_cast<int>(length));
            return TRUE;
        }
        if (rc != ERROR_MORE_DATA)
            return FALSE;
    }
}

// Which of the eight file keys a class has, one bit each in their order. A
// subkey name too long for the buffer cannot be one of them. The list is read
// to its end rather than counted first: a count of a class key may leave out
// the merged per-user part of HKEY_CLASSES_ROOT.
unsigned PresentFileKeys(HKEY classKey)
{
    unsigned present = 0;
    for (DWORD index = 0;; index++) {
        char buffer[32];
        DWORD length = sizeof buffer;
        const LONG rc = RegEnumKeyExA(classKey, index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA)
            continue;
        if (rc != ERROR_SUCCESS)
            return present;
        for (unsigned i = 0; i < kClassFileKeyCount; i++) {
            if (lstrcmpiA(buffer, kClassFileKeys[i]) == 0)
                present |= 1u << i;
        }
    }
}

}  // namespace

// The default value of parent\subkey names a file: a problem when it is a
// drive path that is not there.
void CRegScanner::CheckComFile(HKEY parent, LPCSTR pszSubKey, REGSAM access, const CString& problemKey,
                               BOOL bCutIconIndex)
{
    CRegKeyHandle key;
    char value[kFileBuffer];
    CString tested;
    if (key.Open(parent, pszSubKey, access) == ERROR_SUCCESS && ReadRegText(key, nullptr, value, sizeof value)
        && IsMissingFile(value, bCutIconIndex, tested))
        AddProblem(new CRegistryProblem(problemKey, "(Default)", tested, REGPROBLEM_COM));
}

// A value of HKEY_CLASSES_ROOT\keyPath names a key below pszTargetRoot
// ("AppID" or "CLSID"), braces added when it has none: a problem when that
// key is missing. An empty value names nothing and is not judged.
void CRegScanner::CheckComReference(const CString& keyPath, LPCSTR pszValueName, LPCSTR pszTargetRoot,
                                    LPCSTR pszProblemValueName)
{
    CRegKeyHandle key;
    char value[kReferenceBuffer];
    if (key.Open(HKEY_CLASSES_ROOT, keyPath, kReadWrite) == ERROR_SUCCESS
        && ReadRegText(key, pszValueName, value, sizeof value) && value[0] != '\0')
        CheckReference(keyPath, value, pszTargetRoot, pszProblemValueName);
}

// The reference test of a value already read from HKEY_CLASSES_ROOT\keyPath.
void CRegScanner::CheckReference(const CString& keyPath, const CString& value, LPCSTR pszTargetRoot,
                                 LPCSTR pszProblemValueName)
{
    const CString reference = CString(pszTargetRoot) + "\\" + (value[0] == '{' ? value : "{" + value + "}");
    SendScanPath(reference);
    CRegKeyHandle target;
    if (target.Open(HKEY_CLASSES_ROOT, reference, KEY_READ) != ERROR_SUCCESS)
        AddProblem(new CRegistryProblem("HKEY_CLASSES_ROOT\\" + keyPath, pszProblemValueName, value, REGPROBLEM_COM));
}

// Walks HKEY_CLASSES_ROOT in five passes for broken COM registrations: class
// files, class AppIDs, named AppIDs, CLSID references and type libraries.
void CRegScanner::ScanComActiveX()
{
    CStringArray appIdClasses, appIds;
    ScanClassFiles(appIdClasses, appIds);
    ScanClassAppIds(appIdClasses, appIds);
    ScanNamedAppIds();
    ScanClsidReferences();
    ScanTypeLibraries();
}

// 1. Files of the classes: servers, handlers and icons. Each class is opened
// once, its subkeys listed once, and only those of the eight that are there
// are opened. Its AppID is read in the same open and kept, with the class,
// for the second pass.
void CRegScanner::ScanClassFiles(CStringArray& appIdClasses, CStringArray& appIds)
{
    CRegKeyHandle classes;
    if (classes.Open(HKEY_CLASSES_ROOT, "CLSID", kReadWrite) != ERROR_SUCCESS)
        return;
    CString name;
    for (DWORD index = 0; !IsCancelled() && NextSubKey(classes, index, name);) {
        const CString classPath = "CLSID\\" + name;
        SendScanPath(classPath);
        CRegKeyHandle classKey;
        if (classKey.Open(classes, name, KEY_READ) != ERROR_SUCCESS)
            continue;
        const unsigned present = PresentFileKeys(classKey);
        for (unsigned i = 0; i < kClassFileKeyCount; i++) {
            if (present & (1u << i))
                CheckComFile(classKey, kClassFileKeys[i], kReadWrite,
                             "HKEY_CLASSES_ROOT\\" + classPath + "\\" + kClassFileKeys[i], TRUE);
        }
        char appId[kReferenceBuffer];
        if (ReadRegText(classKey, "AppID", appId, sizeof appId) && appId[0] != '\0') {
            appIdClasses.Add(name);
            appIds.Add(appId);
        }
    }
}

// 2. Classes whose AppID names no AppID key.
void CRegScanner::ScanClassAppIds(const CStringArray& appIdClasses, const CStringArray& appIds)
{
    for (INT_PTR i = 0; !IsCancelled() && i < appIdClasses.GetSize(); i++)
        CheckReference("CLSID\\" + appIdClasses[i], appIds[i], "AppID", "AppID");
}

// 3. Named AppIDs (program names, not identifiers) whose AppID names no AppID key.
void CRegScanner::ScanNamedAppIds()
{
    CRegKeyHandle appIds;
    if (appIds.Open(HKEY_CLASSES_ROOT, "AppID", kReadWrite) != ERROR_SUCCESS)
        return;
    CString name;
    for (DWORD index = 0; !IsCancelled() && NextSubKey(appIds, index, name);) {
        if (name.IsEmpty() || name[0] == '{')
            continue;
        const CString appIdPath = "AppID\\" + name;
        SendScanPath(appIdPath);
        CheckComReference(appIdPath, "AppID", "AppID", "AppID");
    }
}

// 4. Keys of the class root (ProgIDs and others) whose CLSID names no class.
void CRegScanner::ScanClsidReferences()
{
    CRegKeyHandle root;
    if (root.Open(HKEY_CLASSES_ROOT, nullptr, kReadWrite) != ERROR_SUCCESS)
        return;
    CString name;
    for (DWORD index = 0; !IsCancelled() && NextSubKey(root, index, name);) {
        const CString clsidPath = name + "\\CLSID";
        SendScanPath(clsidPath);
        CheckComReference(clsidPath, nullptr, "CLSID", "{Default}");
    }
}

// 5. Type libraries whose Win32 file is missing: TypeLib\library\version\locale\win32.
void CRegScanner::ScanTypeLibraries()
{
    CRegKeyHandle typeLibs;
    if (typeLibs.Open(HKEY_CLASSES_ROOT, "TypeLib", KEY_READ) != ERROR_SUCCESS)
        return;
    CString name;
    for (DWORD index = 0; !IsCancelled() && NextSubKey(typeLibs, index, name);) {
        const CString libraryPath = "HKEY_CLASSES_ROOT\\TypeLib\\" + name + "\\";
        SendScanPath(libraryPath);
        CRegKeyHandle library;
        if (library.Open(typeLibs, name, KEY_READ) != ERROR_SUCCESS)
            continue;
        CString version;
        for (DWORD versionIndex = 0; !IsCancelled() && NextSubKey(library, versionIndex, version);) {
            const CString versionPath = libraryPath + version + "\\";
            SendScanPath(versionPath);
            CRegKeyHandle versionKey;
            if (versionKey.Open(library, version, kReadWrite) != ERROR_SUCCESS)
                continue;
            CString locale;
            for (DWORD localeIndex = 0; !IsCancelled() && NextSubKey(versionKey, localeIndex, locale);) {
                const CString win32Path = versionPath + locale + "\\win32";
                SendScanPath(win32Path);
                CheckComFile(versionKey, locale + "\\win32", KEY_READ, win32Path, FALSE);
            }
        }
    }
}
