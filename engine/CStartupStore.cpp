#include "CStartupStore.h"
#include "CFileFind.h"
#include "CRegKeyHandle.h"
#include "Directory.h"
#include "ReadFileBytes.h"
#include <shlobj.h>
#include <shlwapi.h>
#include <algorithm>
#include <cstring>

namespace {

const char kRunBase[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kRegistryRecords[] = "startupreg";
const char kFolderRecords[] = "startupfolder";
// The system's configuration tool reads every value of a record as text. A
// Run value that is not that text (another type, such as an expandable
// string, or no terminating zero) is kept whole beside it in a value of our
// own, which that tool ignores, so that enabling puts it back as it was.
const char kOriginalValue[] = "KeldrixOriginal";
// Shortcut copies are compared whole; a startup shortcut is far smaller.
const DWORD kMaxCompared = 64u * 1024 * 1024;

// The four registry origins: root, its text in records, key and location text.
struct RegistrySource {
    HKEY root;
    LPCSTR rootText;
    LPCSTR keyText;
    LPCSTR location;
};

const RegistrySource kSources[] = {
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Run", "HKEY_CURRENT_USER/Run"},
    {HKEY_LOCAL_MACHINE, "HKLM", "Run", "HKLM/Run"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "RunOnce", "HKEY_CURRENT_USER/RunOnce"},
    {HKEY_LOCAL_MACHINE, "HKLM", "RunOnce", "HKLM/RunOnce"},
};

const RegistrySource* FindSource(const CString& location)
{
    for (const RegistrySource& source : kSources) {
        if (location == source.location)
            return &source;
    }
    return nullptr;
}

BOOL IsFolderLocation(const CString& location)
{
    return location == "Startup" || location == "Common Startup";
}

struct RegValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const RegValue& other) const { return type == other.type && data == other.data; }
};

BOOL ReadValue(HKEY root, const CString& path, LPCSTR pszName, RegValue& value)
{
    CRegKeyHandle key;
    return key.Open(root, path, KEY_QUERY_VALUE) == ERROR_SUCCESS
           && key.QueryValue(pszName, value.type, value.data) == ERROR_SUCCESS;
}

// A value's text up to its first zero byte, whatever its type; empty when it
// cannot be read.
CString ReadText(HKEY root, const CString& path, LPCSTR pszName)
{
    CRegKeyHandle key;
    CString text;
    if (key.Open(root, path, KEY_QUERY_VALUE) == ERROR_SUCCESS)
        key.QueryText(pszName, text, CRegKeyHandle::kAnySize, FALSE);
    return text;
}

// TRUE only when root\path surely holds no value of the name: the key or
// the value is not there (a value that cannot be read may still be).
BOOL ValueMissing(HKEY root, const CString& path, LPCSTR pszName)
{
    CRegKeyHandle key;
    LONG rc = key.Open(root, path, KEY_QUERY_VALUE);
    if (rc == ERROR_SUCCESS) {
        RegValue value;
        rc = key.QueryValue(pszName, value.type, value.data);
    }
    return rc == ERROR_FILE_NOT_FOUND;
}

BOOL KeyExists(HKEY root, const CString& path)
{
    CRegKeyHandle key;
    return key.Open(root, path, KEY_QUERY_VALUE) == ERROR_SUCCESS;
}

// A value's data as text, up to its first zero byte, whatever its type.
CString DataText(const RegValue& value)
{
    const auto zero = std::find(value.data.begin(), value.data.end(), BYTE(0));
    if (zero == value.data.begin())
        return CString();
    return CString(reinterpret_cast<LPCSTR>(value.data.data()), static_cast<int>(zero - value.data.begin()));
}

RegValue TextValue(const CString& text)
{
    RegValue value;
    value.type = REG_SZ;
    value.data.assign(text.GetString(), text.GetString() + text.GetLength() + 1);
    return value;
}

// Writes the values under root\path (created when missing) and reads every one
// back: TRUE only when all hold what was written.
BOOL WriteVerified(HKEY root, const CString& path, const std::vector<std::pair<CString, RegValue>>& values)
{
    CRegKeyHandle created;
    if (created.Create(root, path, KEY_SET_VALUE) != ERROR_SUCCESS)
        return FALSE;
    BOOL ok = TRUE;
    for (const auto& entry : values) {
        const RegValue& value = entry.second;
        ok = ok && RegSetValueExA(created, entry.first, 0, value.type, value.data.data(),
                                  static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
    }
    created.Close();
    for (const auto& entry : values) {
        RegValue stored;
        ok = ok && ReadValue(root, path, entry.first, stored) && stored == entry.second;
    }
    return ok;
}

BOOL IsFile(const CString& path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

BOOL SameBytes(const CString& a, const CString& b)
{
    std::string first, second;
    return ReadFileBytes(a, kMaxCompared, first) && ReadFileBytes(b, kMaxCompared, second) && first == second;
}

// Copies a file and checks the copy byte for byte; a bad copy is removed.
BOOL CopyVerified(const CString& from, const CString& to, BOOL bFailIfExists)
{
    if (CopyFileA(from, to, bFailIfExists) && SameBytes(from, to))
        return TRUE;
    if (!bFailIfExists || !IsFile(to))
        DeleteFileA(to);
    return FALSE;
}

CString ShellFolder(int csidl)
{
    char path[MAX_PATH] = "";
    if (SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK)
        return CString();
    return path;
}

}  // namespace

CStartupStore::Places CStartupStore::Places::System()
{
    Places places;
    places.userRunBase = places.machineRunBase = kRunBase;
    places.userShellFolders = places.machineShellFolders = kShellFolders;
    places.msconfigKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSConfig";
    return places;
}

CStartupStore::CStartupStore() : m_places(Places::System()) {}

CStartupStore::CStartupStore(const Places& places) : m_places(places) {}

CString CStartupStore::RunKeyPath(HKEY root, LPCSTR pszKey) const
{
    return (root == HKEY_CURRENT_USER ? m_places.userRunBase : m_places.machineRunBase) + "\\" + pszKey;
}

CString CStartupStore::RecordPath(LPCSTR pszKind, const CString& name) const
{
    return m_places.msconfigKey + "\\" + pszKind + "\\" + name;
}

CString CStartupStore::GetStartupFolder(BOOL bCommon) const
{
    HKEY root = bCommon ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const CString& key = bCommon ? m_places.machineShellFolders : m_places.userShellFolders;
    CString folder = ReadText(root, key, bCommon ? "Common Startup" : "Startup");
    if (folder.IsEmpty())
        folder = ShellFolder(bCommon ? CSIDL_COMMON_STARTUP : CSIDL_STARTUP);
    folder.TrimRight('\\');
    return folder;
}

CString CStartupStore::GetPssFolder() const
{
    if (!m_places.pssFolder.IsEmpty())
        return m_places.pssFolder;
    const CString windows = ShellFolder(CSIDL_WINDOWS);
    return windows.IsEmpty() ? CString() : windows + "\\pss";
}

std::vector<StartupItem> CStartupStore::List() const
{
    std::vector<StartupItem> items;
    for (const RegistrySource& source : kSources) {
        CRegKeyHandle key;
        if (key.Open(source.root, RunKeyPath(source.root, source.keyText), KEY_QUERY_VALUE) != ERROR_SUCCESS)
            continue;
        CString name;
        RegValue value;
        for (DWORD index = 0; key.EnumValue(index, name, value.type, value.data) == ERROR_SUCCESS; index++) {
            const CString command = DataText(value);
            if (!name.IsEmpty() && !command.IsEmpty())
                items.push_back(StartupItem{name, command, source.location, 1});
        }
    }
    for (BOOL common : {FALSE, TRUE}) {
        const CString folder = GetStartupFolder(common);
        CFileFind finder;
        BOOL more = !folder.IsEmpty() && finder.FindFile(folder + "\\*.lnk");
        while (more) {
            more = finder.FindNextFile();
            if (finder.IsDirectory())
                continue;
            const CString fileName = finder.GetFileName();
            items.push_back(StartupItem{fileName.Left(fileName.ReverseFind('.')), ResolveShortcut(finder.GetFilePath()),
                                        common ? "Common Startup" : "Startup", 1});
        }
    }
    for (LPCSTR kind : {kFolderRecords, kRegistryRecords}) {
        CRegKeyHandle store;
        if (store.Open(HKEY_LOCAL_MACHINE, m_places.msconfigKey + "\\" + kind, KEY_ENUMERATE_SUB_KEYS) != ERROR_SUCCESS)
            continue;
        CString name;
        for (DWORD index = 0; store.EnumKey(index, name) == ERROR_SUCCESS; index++) {
            const CString record = RecordPath(kind, name);
            StartupItem item{ReadText(HKEY_LOCAL_MACHINE, record, "item"), ReadText(HKEY_LOCAL_MACHINE, record, "command"),
                             CString(), 0};
            if (kind == kFolderRecords)
                item.location = ReadText(HKEY_LOCAL_MACHINE, record, "location");
            else
                item.location = ReadText(HKEY_LOCAL_MACHINE, record, "hkey") + "/" + ReadText(HKEY_LOCAL_MACHINE, record, "key");
            items.push_back(item);
        }
    }
    return items;
}

CString CStartupStore::ResolveShortcut(const CString& path)
{
    CString file = path, lower = path;
    lower.MakeLower();
    if (lower.Find(".lnk") < 0)
        file += ".lnk";
    return ResolveShortcutTarget(file, SLGP_RAWPATH);
}

int CStartupStore::Compare(const StartupItem& a, const StartupItem& b, int column)
{
    int result = 0;
    switch (column) {
    case 0: result = strcmp(a.program, b.program); break;
    case 1: result = strcmp(a.command, b.command); break;
    case 2: result = strcmp(a.location, b.location); break;
    case 3: result = static_cast<int>(a.enabled) - static_cast<int>(b.enabled); break;
    default: break;
    }
    return result < 0 ? -1 : result > 0 ? 1 : 0;
}

BOOL CStartupStore::Disable(StartupItem& item, CString& failure)
{
    failure.Empty();
    if (!item.enabled) {
        failure = "\"" + item.program + "\" is already disabled.";
        return FALSE;
    }
    if (FindSource(item.location))
        return DisableValue(item, failure);
    if (IsFolderLocation(item.location))
        return DisableShortcut(item, failure);
    failure = "\"" + item.program + "\" is in no known startup place.";
    return FALSE;
}

BOOL CStartupStore::DisableValue(StartupItem& item, CString& failure)
{
    const RegistrySource& source = *FindSource(item.location);
    const CString runKey = RunKeyPath(source.root, source.keyText);
    const CString record = RecordPath(kRegistryRecords, item.program);
    RegValue original;
    if (item.program.IsEmpty() || item.program.Find('\\') >= 0) {
        failure = "\"" + item.program + "\" has a name that the store of disabled items cannot hold.";
        return FALSE;
    }
    if (!ReadValue(source.root, runKey, item.program, original)) {
        failure = "\"" + item.program + "\" is no longer in " + item.location + ".";
        return FALSE;
    }
    // One record per name: a second item of the name would overwrite the first's.
    if (KeyExists(HKEY_LOCAL_MACHINE, record)) {
        failure = "A disabled item named \"" + item.program
                  + "\" is already kept. Enable or remove it before you disable this one.";
        return FALSE;
    }
    const RegValue command = TextValue(DataText(original));
    std::vector<std::pair<CString, RegValue>> values = {{"item", TextValue(item.program)},
                                                        {"command", command},
                                                        {"hkey", TextValue(source.rootText)},
                                                        {"key", TextValue(source.keyText)}};
    if (!(original == command))
        values.push_back({kOriginalValue, original});
    if (!WriteVerified(HKEY_LOCAL_MACHINE, record, values)) {
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, record);
        failure = "\"" + item.program + "\" could not be recorded as disabled; it was left in " + item.location + ".";
        return FALSE;
    }
    if (!m_sweep.DeleteValue(source.root, runKey, item.program)) {
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, record);
        failure = "\"" + item.program + "\" could not be removed from " + item.location + ".";
        return FALSE;
    }
    item.enabled = 0;
    return TRUE;
}

BOOL CStartupStore::DisableShortcut(StartupItem& item, CString& failure)
{
    const CString folder = GetStartupFolder(item.location == "Common Startup");
    const CString path = folder + "\\" + item.program + ".lnk";
    if (folder.IsEmpty() || item.program.IsEmpty() || !IsFile(path)) {
        failure = "The shortcut \"" + item.program + "\" is no longer in the " + item.location + " folder.";
        return FALSE;
    }
    CString recordName = path;
    recordName.Replace('\\', '^');
    const CString record = RecordPath(kFolderRecords, recordName);
    if (KeyExists(HKEY_LOCAL_MACHINE, record)) {
        failure = "A disabled shortcut \"" + item.program + "\" of " + item.location
                  + " is already kept. Enable or remove it before you disable this one.";
        return FALSE;
    }
    const CString pss = GetPssFolder();
    const CString copy = pss + "\\" + item.program + ".lnk" + item.location;
    CreateDirectoryA(pss, nullptr);
    if (pss.IsEmpty() || !CopyVerified(path, copy, FALSE)) {
        failure = "The shortcut \"" + item.program + "\" could not be copied to " + pss + "; it was left in its folder.";
        return FALSE;
    }
    const BOOL recorded = WriteVerified(HKEY_LOCAL_MACHINE, record,
                                        {{"item", TextValue(item.program)}, {"command", TextValue(ResolveShortcut(path))},
                                         {"location", TextValue(item.location)}, {"path", TextValue(path)},
                                         {"backup", TextValue(copy)}});
    if (!recorded || !m_sweep.ShredFile(path, 0)) {
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, record);
        DeleteFileA(copy);
        failure = "The shortcut \"" + item.program + "\" could not be " + (recorded ? "removed from" : "recorded; it was left in")
                  + " its folder.";
        return FALSE;
    }
    item.enabled = 0;
    return TRUE;
}

BOOL CStartupStore::Enable(StartupItem& item, CString& failure)
{
    failure.Empty();
    if (item.enabled) {
        failure = "\"" + item.program + "\" is already enabled.";
        return FALSE;
    }
    return item.location.Find('/') >= 0 ? EnableValue(item, failure) : EnableShortcut(item, failure);
}

BOOL CStartupStore::EnableValue(StartupItem& item, CString& failure)
{
    const CString record = RecordPath(kRegistryRecords, item.program);
    const CString name = ReadText(HKEY_LOCAL_MACHINE, record, "item");
    const RegistrySource* source = FindSource(ReadText(HKEY_LOCAL_MACHINE, record, "hkey") + "/"
                                              + ReadText(HKEY_LOCAL_MACHINE, record, "key"));
    // The value as it was; records without our copy of it (ours from before it,
    // or the configuration tool's) hold it in "command".
    RegValue command;
    if (source == nullptr || name.IsEmpty()
        || (!ReadValue(HKEY_LOCAL_MACHINE, record, kOriginalValue, command)
            && !ReadValue(HKEY_LOCAL_MACHINE, record, "command", command))) {
        failure = "The store holds no complete record of \"" + item.program + "\".";
        return FALSE;
    }
    const CString runKey = RunKeyPath(source->root, source->keyText);
    // A value of the name that is not this item's belongs to another program
    // (or to this one, set up anew): it is not overwritten.
    RegValue present;
    if (ReadValue(source->root, runKey, name, present)) {
        if (!(present == command)) {
            failure = CString(source->location) + " already holds another item named \"" + name + "\".";
            return FALSE;
        }
    } else if (!ValueMissing(source->root, runKey, name)) {
        failure = "\"" + name + "\" could not be written back to " + source->location + "; it stays disabled.";
        return FALSE;
    } else if (!WriteVerified(source->root, runKey, {{name, command}})) {
        // The name was free: what was written of it goes again.
        CRegKeyHandle key;
        if (key.Open(source->root, runKey, KEY_SET_VALUE) == ERROR_SUCCESS)
            RegDeleteValueA(key, name);
        failure = "\"" + name + "\" could not be written back to " + source->location + "; it stays disabled.";
        return FALSE;
    }
    if (SHDeleteKeyA(HKEY_LOCAL_MACHINE, record) != ERROR_SUCCESS) {
        failure = "\"" + name + "\" is back in " + source->location + ", but its record could not be removed.";
        return FALSE;
    }
    item.enabled = 1;
    return TRUE;
}

std::vector<CString> CStartupStore::FolderRecords(const StartupItem& item, BOOL bWhole) const
{
    std::vector<CString> records;
    CRegKeyHandle store;
    if (store.Open(HKEY_LOCAL_MACHINE, m_places.msconfigKey + "\\" + kFolderRecords, KEY_ENUMERATE_SUB_KEYS)
        != ERROR_SUCCESS)
        return records;
    CString name;
    for (DWORD index = 0; store.EnumKey(index, name) == ERROR_SUCCESS; index++) {
        const CString record = RecordPath(kFolderRecords, name);
        if (ReadText(HKEY_LOCAL_MACHINE, record, "item") != item.program
            || ReadText(HKEY_LOCAL_MACHINE, record, "location") != item.location)
            continue;
        // A record without its paths cannot be restored; it does not stop the
        // others. The command may be empty: not every shortcut's target reads.
        const BOOL whole = !ReadText(HKEY_LOCAL_MACHINE, record, "path").IsEmpty()
                           && !ReadText(HKEY_LOCAL_MACHINE, record, "backup").IsEmpty();
        if (whole || !bWhole)
            records.push_back(name);
    }
    return records;
}

BOOL CStartupStore::EnableShortcut(StartupItem& item, CString& failure)
{
    const std::vector<CString> records = FolderRecords(item, TRUE);
    if (records.empty()) {
        failure = "The store holds no complete record of the shortcut \"" + item.program + "\".";
        return FALSE;
    }
    for (const CString& name : records) {
        const CString record = RecordPath(kFolderRecords, name);
        const CString path = ReadText(HKEY_LOCAL_MACHINE, record, "path");
        const CString copy = ReadText(HKEY_LOCAL_MACHINE, record, "backup");
        const BOOL back = IsFile(path) ? SameBytes(path, copy) : CopyVerified(copy, path, TRUE);
        if (!back) {
            failure = "The shortcut \"" + item.program + "\" could not be put back as " + path + "; it stays disabled.";
            return FALSE;
        }
        if (SHDeleteKeyA(HKEY_LOCAL_MACHINE, record) != ERROR_SUCCESS) {
            failure = "The shortcut \"" + item.program + "\" is back, but its record could not be removed.";
            return FALSE;
        }
        DeleteFileA(copy);
    }
    item.enabled = 1;
    return TRUE;
}

BOOL CStartupStore::Remove(const StartupItem& item, CString& failure)
{
    failure.Empty();
    BOOL removed = FALSE;
    const RegistrySource* source = FindSource(item.location);
    if (item.enabled && source != nullptr) {
        removed = m_sweep.DeleteValue(source->root, RunKeyPath(source->root, source->keyText), item.program);
    } else if (item.enabled && IsFolderLocation(item.location)) {
        const CString folder = GetStartupFolder(item.location == "Common Startup");
        removed = !folder.IsEmpty() && m_sweep.ShredFile(folder + "\\" + item.program + ".lnk", 0);
    } else if (!item.enabled && item.location.Find('/') >= 0) {
        const CString record = RecordPath(kRegistryRecords, item.program);
        removed = KeyExists(HKEY_LOCAL_MACHINE, record) && SHDeleteKeyA(HKEY_LOCAL_MACHINE, record) == ERROR_SUCCESS;
    } else if (!item.enabled) {
        const std::vector<CString> records = FolderRecords(item, FALSE);
        removed = !records.empty();
        for (const CString& name : records)
            removed = SHDeleteKeyA(HKEY_LOCAL_MACHINE, RecordPath(kFolderRecords, name)) == ERROR_SUCCESS && removed;
    }
    if (!removed)
        failure = "\"" + item.program + "\" could not be removed from " + item.location + ".";
    return removed;
}
