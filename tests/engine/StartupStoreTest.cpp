#include <gtest/gtest.h>
#include "EngineTestSupport.h"
#include "CComScope.h"
#include "CStartupStore.h"
#include <map>
#include <shlobj.h>

using testsupport::FileBytes;
using testsupport::TempDir;
using testsupport::TestKey;

namespace {

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A store over places of the test's own: Run keys, Shell Folders and the
// MSConfig key under test keys, the two startup folders and "pss" in a
// temporary folder ("pss" itself is left for the store to create).
struct StoreBed {
    TestKey user{HKEY_CURRENT_USER}, machine{HKEY_LOCAL_MACHINE};
    TempDir startup, common, temp;
    CStartupStore::Places places;

    StoreBed()
    {
        for (const char* key : {"cv\\Run", "cv\\RunOnce"}) {
            user.CreateKey(key);
            machine.CreateKey(key);
        }
        user.SetString("sf", "Startup", startup.Path());
        machine.SetString("sf", "Common Startup", common.Path());
        machine.CreateKey("msconfig\\startupreg");
        machine.CreateKey("msconfig\\startupfolder");
        places.userRunBase = user.Sub("cv").c_str();
        places.machineRunBase = machine.Sub("cv").c_str();
        places.userShellFolders = user.Sub("sf").c_str();
        places.machineShellFolders = machine.Sub("sf").c_str();
        places.msconfigKey = machine.Sub("msconfig").c_str();
        places.pssFolder = temp.File("pss").c_str();
    }

    // `reg export` of a key below one of the test keys.
    std::string Export(const TestKey& key, const std::string& rel) const
    {
        const std::string file = temp.File("export.reg");
        const std::string root = key.Root() == HKEY_CURRENT_USER ? "HKCU\\" : "HKLM\\";
        EXPECT_EQ(testsupport::RunProcess("reg export \"" + root + key.Sub(rel) + "\" \"" + file + "\" /y"), 0);
        std::string bytes = FileBytes(file);
        DeleteFileA(file.c_str());
        return bytes;
    }
    // Everything the store may touch: the Run keys, the records, the given files.
    std::string State(const std::vector<std::string>& files = {}) const
    {
        std::string state = Export(user, "cv") + Export(machine, "cv") + Export(machine, "msconfig");
        for (const std::string& file : files)
            state += "|" + (Exists(file) ? FileBytes(file) : "gone");
        return state;
    }
    // The listed item of a program and location (a copy).
    StartupItem Item(const CStartupStore& store, const std::string& program, const std::string& location) const
    {
        for (const StartupItem& item : store.List()) {
            if (item.program.str() == program && item.location.str() == location)
                return item;
        }
        ADD_FAILURE() << program << " is not listed in " << location;
        return StartupItem{};
    }
    // The rows of disabled items, one per record.
    static int Disabled(const CStartupStore& store)
    {
        int count = 0;
        for (const StartupItem& item : store.List())
            count += item.enabled == 0;
        return count;
    }
};

// The values of a key under HKEY_LOCAL_MACHINE: name -> type and bytes.
using Values = std::map<std::string, std::pair<DWORD, std::string>>;
Values ValuesOf(const std::string& path)
{
    Values values;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    char name[1024], data[4096];
    DWORD nameLength = sizeof name, dataLength = sizeof data, type = 0;
    for (DWORD i = 0; RegEnumValueA(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data),
                                    &dataLength) == ERROR_SUCCESS;
         i++, nameLength = sizeof name, dataLength = sizeof data)
        values[std::string(name, nameLength)] = {type, std::string(data, dataLength)};
    RegCloseKey(key);
    return values;
}
std::pair<DWORD, std::string> Text(const std::string& text)
{
    return {REG_SZ, text + '\0'};
}

// Stands in for the system's shell link while it lives: every shortcut reads
// as one whose stored target holds a variable, and GetPath answers with that
// target as written only when asked for the raw path.
class FakeShellLink : public IShellLinkA, public IPersistFile, public IClassFactory {
public:
    static constexpr const char* kRaw = "%ToolsDir%\\raw.exe";
    static constexpr const char* kOther = "C:\\Expanded\\other.exe";
    std::string loaded;

    FakeShellLink()
    {
        EXPECT_EQ(CoRegisterClassObject(CLSID_ShellLink, static_cast<IClassFactory*>(this), CLSCTX_INPROC_SERVER,
                                        REGCLS_MULTIPLEUSE, &m_cookie),
                  S_OK);
    }
    ~FakeShellLink() { CoRevokeClassObject(m_cookie); }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IShellLinkA)
            *out = static_cast<IShellLinkA*>(this);
        else if (iid == IID_IPersistFile)
            *out = static_cast<IPersistFile*>(this);
        else if (iid == IID_IClassFactory)
            *out = static_cast<IClassFactory*>(this);
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown*, REFIID iid, void** out) override { return QueryInterface(iid, out); }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

    STDMETHODIMP Load(LPCOLESTR path, DWORD) override
    {
        char narrow[MAX_PATH] = "";
        WideCharToMultiByte(CP_ACP, 0, path, -1, narrow, sizeof narrow, nullptr, nullptr);
        loaded = narrow;
        return S_OK;
    }
    STDMETHODIMP GetPath(LPSTR path, int size, WIN32_FIND_DATAA*, DWORD flags) override
    {
        lstrcpynA(path, flags == SLGP_RAWPATH ? kRaw : kOther, size);
        return S_OK;
    }
    STDMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Save(LPCOLESTR, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP SaveCompleted(LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP GetCurFile(LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDList(PIDLIST_ABSOLUTE*) override { return E_NOTIMPL; }
    STDMETHODIMP SetIDList(PCIDLIST_ABSOLUTE) override { return E_NOTIMPL; }
    STDMETHODIMP GetDescription(LPSTR, int) override { return E_NOTIMPL; }
    STDMETHODIMP SetDescription(LPCSTR) override { return E_NOTIMPL; }
    STDMETHODIMP GetWorkingDirectory(LPSTR, int) override { return E_NOTIMPL; }
    STDMETHODIMP SetWorkingDirectory(LPCSTR) override { return E_NOTIMPL; }
    STDMETHODIMP GetArguments(LPSTR, int) override { return E_NOTIMPL; }
    STDMETHODIMP SetArguments(LPCSTR) override { return E_NOTIMPL; }
    STDMETHODIMP GetHotkey(WORD*) override { return E_NOTIMPL; }
    STDMETHODIMP SetHotkey(WORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetShowCmd(int*) override { return E_NOTIMPL; }
    STDMETHODIMP SetShowCmd(int) override { return E_NOTIMPL; }
    STDMETHODIMP GetIconLocation(LPSTR, int, int*) override { return E_NOTIMPL; }
    STDMETHODIMP SetIconLocation(LPCSTR, int) override { return E_NOTIMPL; }
    STDMETHODIMP SetRelativePath(LPCSTR, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Resolve(HWND, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetPath(LPCSTR) override { return E_NOTIMPL; }

private:
    DWORD m_cookie = 0;
};

// While it lives, the registry hands this program the value named `name`
// with its first byte changed, as if something else had written it: every
// registry read of the store goes through this program's import of
// RegQueryValueExA, which is pointed elsewhere for the time.
class AlteredRegistryReads {
public:
    explicit AlteredRegistryReads(const std::string& name)
    {
        s_name = name;
        s_real = reinterpret_cast<Query>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegQueryValueExA")));
        BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); module->Name;
             module++) {
            for (auto* slot = reinterpret_cast<void**>(base + module->FirstThunk); *slot; slot++) {
                if (*slot == reinterpret_cast<void*>(s_real))
                    m_slots.push_back(slot);
            }
        }
        EXPECT_FALSE(m_slots.empty()) << "RegQueryValueExA is not imported";
        Point(reinterpret_cast<void*>(&Altered));
    }
    ~AlteredRegistryReads() { Point(reinterpret_cast<void*>(s_real)); }

private:
    using Query = LONG(WINAPI*)(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
    static LONG WINAPI Altered(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size)
    {
        const LONG rc = s_real(key, name, reserved, type, data, size);
        if (rc == ERROR_SUCCESS && data && size && *size > 0 && name && s_name == name)
            data[0] ^= 1;
        return rc;
    }
    void Point(void* target)
    {
        for (void** slot : m_slots) {
            DWORD protection = 0;
            VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
            *slot = target;
            VirtualProtect(slot, sizeof *slot, protection, &protection);
        }
    }
    static Query s_real;
    static std::string s_name;
    std::vector<void**> m_slots;
};
AlteredRegistryReads::Query AlteredRegistryReads::s_real = nullptr;
std::string AlteredRegistryReads::s_name;

}  // namespace

TEST(StartupStore, DisableThenEnableRestoresEachOfTheSixPlacesByteForByte)
{
    StoreBed bed;
    const std::string longCommand = "\"C:\\Program Files\\Tool\\tool.exe\" " + std::string(2000, 'x');
    bed.user.SetString("cv\\Run", "UserRun", longCommand);
    bed.user.SetString("cv\\Run", "After", "after.exe");
    bed.machine.SetString("cv\\Run", "MachineRun", "tool.exe /min");
    bed.user.SetString("cv\\RunOnce", "UserOnce", "once.exe");
    bed.machine.Set("cv\\RunOnce", "MachineOnce", REG_EXPAND_SZ, "%SystemRoot%\\x.exe", 19);
    bed.user.SetString("cv\\Run", "", "default values are no items");
    bed.user.SetString("cv\\Run", "EmptyCommand", "");
    const std::vector<std::string> links = {bed.startup.File("Notes.lnk"), bed.common.File("Shared.lnk")};
    ASSERT_TRUE(testsupport::WriteFileBytes(links[0], std::string("L\0\0\0notes\xff", 10)));
    ASSERT_TRUE(testsupport::WriteFileBytes(links[1], "shared link"));
    const std::string before = bed.State(links);

    CStartupStore store(bed.places);
    EXPECT_EQ(store.List().size(), 7u);
    EXPECT_EQ(bed.Item(store, "UserRun", "HKEY_CURRENT_USER/Run").command.str(), longCommand);
    EXPECT_EQ(bed.Item(store, "After", "HKEY_CURRENT_USER/Run").enabled, 1) << "a long value ends no listing";
    for (const auto& place : std::vector<std::pair<const char*, const char*>>{
             {"UserRun", "HKEY_CURRENT_USER/Run"}, {"MachineRun", "HKLM/Run"}, {"UserOnce", "HKEY_CURRENT_USER/RunOnce"},
             {"MachineOnce", "HKLM/RunOnce"}, {"Notes", "Startup"}, {"Shared", "Common Startup"}}) {
        SCOPED_TRACE(place.second);
        StartupItem item = bed.Item(store, place.first, place.second);
        CString failure;
        ASSERT_TRUE(store.Disable(item, failure)) << failure;
        EXPECT_NE(bed.State(links), before);
        StartupItem disabled = bed.Item(store, place.first, place.second);
        EXPECT_EQ(item.enabled + disabled.enabled, 0);
        ASSERT_TRUE(store.Enable(disabled, failure)) << failure;
        EXPECT_EQ(disabled.enabled, 1);
        EXPECT_EQ(bed.State(links), before);
    }
    EXPECT_TRUE(Exists(bed.places.pssFolder.str())) << "the store makes its copy folder";
}

TEST(StartupStore, AFailedCopyOrAGoneShortcutLeavesEverythingAndRecordsNothing)
{
    StoreBed bed;
    const std::string link = bed.startup.File("Kept.lnk");
    ASSERT_TRUE(testsupport::WriteFileBytes(link, "kept"));
    // "pss" cannot be made: a file holds its parent's name.
    ASSERT_TRUE(testsupport::WriteFileBytes(bed.temp.File("blocked"), "file"));
    const std::string registry = bed.State();
    CStartupStore::Places places = bed.places;
    places.pssFolder = bed.temp.File("blocked\\pss").c_str();
    StartupItem item = bed.Item(CStartupStore(places), "Kept", "Startup");
    CString failure;
    EXPECT_FALSE(CStartupStore(places).Disable(item, failure));
    EXPECT_NE(failure.Find("could not be copied"), -1) << failure;
    EXPECT_EQ(bed.State() + FileBytes(link), registry + "kept");
    EXPECT_EQ(item.enabled, 1);

    ASSERT_TRUE(DeleteFileA(link.c_str()));
    EXPECT_FALSE(CStartupStore(bed.places).Disable(item, failure));
    EXPECT_NE(failure.Find("no longer"), -1) << failure;
    EXPECT_EQ(bed.State(), registry) << "nothing recorded";
}

TEST(StartupStore, ASecondItemOfADisabledNameIsRefusedNotOverwritten)
{
    StoreBed bed;
    bed.user.SetString("cv\\Run", "Dup", "user.exe");
    bed.machine.SetString("cv\\Run", "Dup", "machine.exe");
    CStartupStore store(bed.places);
    StartupItem first = bed.Item(store, "Dup", "HKEY_CURRENT_USER/Run"), second = bed.Item(store, "Dup", "HKLM/Run");
    const std::string before = bed.State();
    CString failure;
    ASSERT_TRUE(store.Disable(first, failure)) << failure;
    EXPECT_FALSE(store.Disable(second, failure));
    EXPECT_NE(failure.Find("already kept"), -1) << failure;
    ASSERT_TRUE(store.Enable(first, failure)) << failure;
    EXPECT_EQ(bed.State(), before);
}

TEST(StartupStore, EnableKeepsTheRecordUntilTheItemIsBackAndSkipsABrokenRecord)
{
    StoreBed bed;
    bed.user.SetString("cv\\Run", "Locked", "locked.exe");
    ASSERT_TRUE(testsupport::WriteFileBytes(bed.startup.File("Notes.lnk"), "notes"));
    // A record without "backup" that enumerates first, of another item.
    bed.machine.SetString("msconfig\\startupfolder\\A^broken", "item", "Other");
    bed.machine.SetString("msconfig\\startupfolder\\A^broken", "location", "Startup");
    CStartupStore store(bed.places);
    StartupItem value = bed.Item(store, "Locked", "HKEY_CURRENT_USER/Run"), link = bed.Item(store, "Notes", "Startup");
    CString failure;
    ASSERT_TRUE(store.Disable(value, failure) && store.Disable(link, failure)) << failure;
    {
        enginetest::NarrowedKey narrowed(HKEY_CURRENT_USER, bed.user.Sub("cv\\Run"), KEY_READ);
        EXPECT_FALSE(store.Enable(value, failure));
    }
    ASSERT_TRUE(RemoveDirectoryA(bed.startup.Path().c_str()));
    EXPECT_FALSE(store.Enable(link, failure));
    EXPECT_EQ(StoreBed::Disabled(store), 3) << failure;
    EXPECT_TRUE(Exists(bed.places.pssFolder.str() + "\\Notes.lnkStartup"));

    ASSERT_TRUE(CreateDirectoryA(bed.startup.Path().c_str(), nullptr));
    EXPECT_TRUE(store.Enable(value, failure) && store.Enable(link, failure)) << failure;
    EXPECT_EQ(FileBytes(bed.startup.File("Notes.lnk")), "notes");
    EXPECT_TRUE(bed.user.ValueExists("cv\\Run", "Locked"));
    EXPECT_EQ(StoreBed::Disabled(store), 1) << "only the broken record stays";
}

TEST(StartupStore, RemoveDeletesExactlyTheRowsEntry)
{
    StoreBed bed;
    bed.user.SetString("cv\\Run", "Same", "same.exe");
    bed.user.SetString("cv\\Run", "Stays", "stays.exe");
    ASSERT_TRUE(testsupport::WriteFileBytes(bed.startup.File("Same.lnk"), "same"));
    ASSERT_TRUE(testsupport::WriteFileBytes(bed.common.File("Same.lnk"), "common same"));
    CStartupStore store(bed.places);
    StartupItem value = bed.Item(store, "Same", "HKEY_CURRENT_USER/Run"), link = bed.Item(store, "Same", "Startup");
    StartupItem common = bed.Item(store, "Same", "Common Startup"), stays = bed.Item(store, "Stays", "HKEY_CURRENT_USER/Run");
    CString failure;
    ASSERT_TRUE(store.Disable(value, failure) && store.Disable(link, failure)) << failure;

    // One row at a time; a second remove of a row finds nothing and says so.
    const struct {
        const StartupItem& row;
        int recordsLeft;
    } steps[] = {{link, 1}, {value, 0}, {common, 0}, {stays, 0}};
    for (const auto& step : steps) {
        ASSERT_TRUE(store.Remove(step.row, failure)) << step.row.location << failure;
        EXPECT_FALSE(store.Remove(step.row, failure)) << step.row.location;
        EXPECT_NE(failure.Find("could not be removed"), -1);
        EXPECT_EQ(StoreBed::Disabled(store), step.recordsLeft);
    }
    EXPECT_TRUE(Exists(bed.places.pssFolder.str() + "\\Same.lnkStartup")) << "the copy stays";
    EXPECT_FALSE(Exists(bed.common.File("Same.lnk")));
    EXPECT_TRUE(store.List().empty());
}

TEST(StartupStore, StartupFoldersMissingFromShellFoldersComeFromTheShell)
{
    StoreBed bed;
    CStartupStore::Places places = bed.places;
    places.userShellFolders = bed.user.Sub("none").c_str();
    places.machineShellFolders = bed.machine.Sub("none").c_str();
    CStartupStore store(places);
    for (int csidl : {CSIDL_STARTUP, CSIDL_COMMON_STARTUP}) {
        char expected[MAX_PATH] = "";
        ASSERT_EQ(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, expected), S_OK);
        EXPECT_STRCASEEQ(store.GetStartupFolder(csidl == CSIDL_COMMON_STARTUP), expected);
    }
    // The system's own places name the same folder.
    const std::string name = testsupport::UniqueName("StartupStoreTest");
    const std::string link = CStartupStore().GetStartupFolder(FALSE).str() + "\\" + name + ".lnk";
    ASSERT_TRUE(testsupport::WriteFileBytes(link, "lnk"));
    EXPECT_EQ(bed.Item(store, name, "Startup").enabled, 1);
    DeleteFileA(link.c_str());
}

// Both kinds of record read value by value: the configuration tool's names,
// each a text; a Run value of another type keeps its type beside them in a
// value of our own, and comes back with it. Records of the earlier layout,
// the command in its own type, read back too.
TEST(StartupStore, RecordsHoldTheToolsTextValuesAndTheOriginalBeside)
{
    StoreBed bed;
    bed.machine.Set("cv\\RunOnce", "Expand", REG_EXPAND_SZ, "%SystemRoot%\\x.exe", 19);
    bed.user.SetString("cv\\Run", "Plain", "plain.exe /s");
    const std::string link = bed.startup.File("Notes.lnk");
    ASSERT_TRUE(testsupport::WriteFileBytes(link, "not a real shortcut"));
    CStartupStore store(bed.places);
    StartupItem expand = bed.Item(store, "Expand", "HKLM/RunOnce"), plain = bed.Item(store, "Plain", "HKEY_CURRENT_USER/Run");
    StartupItem notes = bed.Item(store, "Notes", "Startup");
    CString failure;
    ASSERT_TRUE(store.Disable(expand, failure) && store.Disable(plain, failure) && store.Disable(notes, failure))
        << failure;

    std::string folderRecord = link;
    std::replace(folderRecord.begin(), folderRecord.end(), '\\', '^');
    const std::string copy = bed.places.pssFolder.str() + "\\Notes.lnkStartup";
    const struct {
        std::string key;
        Values values;
    } records[] = {
        {"msconfig\\startupreg\\Expand",
         {{"item", Text("Expand")}, {"command", Text("%SystemRoot%\\x.exe")}, {"hkey", Text("HKLM")},
          {"key", Text("RunOnce")}, {"KeldrixOriginal", {REG_EXPAND_SZ, std::string("%SystemRoot%\\x.exe", 19)}}}},
        {"msconfig\\startupreg\\Plain",
         {{"item", Text("Plain")}, {"command", Text("plain.exe /s")}, {"hkey", Text("HKEY_CURRENT_USER")},
          {"key", Text("Run")}}},
        {"msconfig\\startupfolder\\" + folderRecord,
         {{"item", Text("Notes")}, {"command", Text("")}, {"location", Text("Startup")}, {"path", Text(link)},
          {"backup", Text(copy)}}},
    };
    for (const auto& record : records) {
        SCOPED_TRACE(record.key);
        const Values stored = ValuesOf(bed.machine.Sub(record.key));
        EXPECT_EQ(stored.size(), record.values.size());
        for (const auto& value : record.values) {
            ASSERT_EQ(stored.count(value.first), 1u) << value.first;
            EXPECT_EQ(stored.at(value.first).first, value.second.first) << value.first;
            EXPECT_EQ(stored.at(value.first).second, value.second.second) << value.first;
        }
    }
    EXPECT_EQ(bed.Item(store, "Expand", "HKLM/RunOnce").command.str(), "%SystemRoot%\\x.exe");
    ASSERT_TRUE(store.Enable(expand, failure)) << failure;
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(bed.machine.Get("cv\\RunOnce", "Expand", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(data, std::string("%SystemRoot%\\x.exe", 19));

    // A record as the earlier code wrote it: the command in the value's own type.
    bed.machine.SetString("msconfig\\startupreg\\Older", "item", "Older");
    bed.machine.Set("msconfig\\startupreg\\Older", "command", REG_EXPAND_SZ, "%WinDir%\\old.exe", 17);
    bed.machine.SetString("msconfig\\startupreg\\Older", "hkey", "HKEY_CURRENT_USER");
    bed.machine.SetString("msconfig\\startupreg\\Older", "key", "Run");
    StartupItem older = bed.Item(store, "Older", "HKEY_CURRENT_USER/Run");
    EXPECT_EQ(older.command.str(), "%WinDir%\\old.exe");
    ASSERT_TRUE(store.Enable(older, failure)) << failure;
    ASSERT_TRUE(bed.user.Get("cv\\Run", "Older", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(data, std::string("%WinDir%\\old.exe", 17));
}

// The target as the shortcut holds it, variables unexpanded: the list and the
// record of a disabled shortcut show it.
TEST(StartupStore, ShortcutTargetsAreTakenAsWritten)
{
    StoreBed bed;
    const std::string link = bed.startup.File("Tools.lnk");
    ASSERT_TRUE(testsupport::WriteFileBytes(link, "a shortcut"));
    CComScope com;
    FakeShellLink fake;
    CStartupStore store(bed.places);
    StartupItem item = bed.Item(store, "Tools", "Startup");
    EXPECT_EQ(item.command.str(), FakeShellLink::kRaw);
    EXPECT_EQ(fake.loaded, link);
    CString failure;
    ASSERT_TRUE(store.Disable(item, failure)) << failure;
    EXPECT_EQ(bed.Item(store, "Tools", "Startup").command.str(), FakeShellLink::kRaw);
    EXPECT_EQ(CStartupStore::ResolveShortcut(bed.startup.File("Other").c_str()).str(), FakeShellLink::kRaw);
    EXPECT_EQ(fake.loaded, bed.startup.File("Other.lnk")) << "\".lnk\" is added to a path without it";
}

// An enable that would overwrite another program's Run value, or the file
// that now stands at a disabled shortcut's place, is refused: the record,
// the copy and the other entry all stay.
TEST(StartupStore, EnableOverwritesNothingAndLosesNothing)
{
    StoreBed bed;
    bed.user.SetString("cv\\Run", "Taken", "first.exe");
    const std::string link = bed.startup.File("Notes.lnk");
    ASSERT_TRUE(testsupport::WriteFileBytes(link, "notes"));
    CStartupStore store(bed.places);
    StartupItem value = bed.Item(store, "Taken", "HKEY_CURRENT_USER/Run"), shortcut = bed.Item(store, "Notes", "Startup");
    CString failure;
    ASSERT_TRUE(store.Disable(value, failure) && store.Disable(shortcut, failure)) << failure;
    bed.user.SetString("cv\\Run", "Taken", "second.exe");
    ASSERT_TRUE(testsupport::WriteFileBytes(link, "another file"));
    const std::string copy = bed.places.pssFolder.str() + "\\Notes.lnkStartup";
    const std::string before = bed.State({link, copy});

    EXPECT_FALSE(store.Enable(value, failure));
    EXPECT_NE(failure.Find("already holds another item named \"Taken\""), -1) << failure;
    EXPECT_FALSE(store.Enable(shortcut, failure));
    EXPECT_NE(failure.Find("could not be put back"), -1) << failure;
    {
        // A Run key that takes writes but cannot be read may hold the name: no blind write.
        enginetest::NarrowedKey narrowed(HKEY_CURRENT_USER, bed.user.Sub("cv\\Run"), KEY_SET_VALUE);
        EXPECT_FALSE(store.Enable(value, failure));
    }
    EXPECT_EQ(value.enabled + shortcut.enabled, 0);
    EXPECT_EQ(bed.State({link, copy}), before);
    EXPECT_EQ(StoreBed::Disabled(store), 2);

    // The same entries again are this item's: the enable takes them.
    bed.user.SetString("cv\\Run", "Taken", "first.exe");
    ASSERT_TRUE(testsupport::WriteFileBytes(link, "notes"));
    EXPECT_TRUE(store.Enable(value, failure) && store.Enable(shortcut, failure)) << failure;
    EXPECT_EQ(StoreBed::Disabled(store), 0);
    EXPECT_FALSE(Exists(copy));
}

// A disable that cannot take the item from its place leaves no record, and
// no copy: the item is enabled only, as before.
TEST(StartupStore, ADisableThatCannotRemoveTheItemLeavesNoRecord)
{
    StoreBed bed;
    bed.user.SetString("cv\\Run", "Held", "held.exe");
    const std::string link = bed.startup.File("Open.lnk");
    ASSERT_TRUE(testsupport::WriteFileBytes(link, "open"));
    CStartupStore store(bed.places);
    StartupItem value = bed.Item(store, "Held", "HKEY_CURRENT_USER/Run"), shortcut = bed.Item(store, "Open", "Startup");
    const std::string copy = bed.places.pssFolder.str() + "\\Open.lnkStartup";
    const std::string before = bed.State({link, copy});
    CString failure;
    {
        enginetest::NarrowedKey narrowed(HKEY_CURRENT_USER, bed.user.Sub("cv\\Run"), KEY_READ);
        EXPECT_FALSE(store.Disable(value, failure));
        EXPECT_NE(failure.Find("could not be removed"), -1) << failure;
    }
    {
        // Another program has the shortcut open and does not share its deletion.
        HANDLE open = CreateFileA(link.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(open, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(store.Disable(shortcut, failure));
        EXPECT_NE(failure.Find("could not be removed"), -1) << failure;
        CloseHandle(open);
    }
    EXPECT_EQ(value.enabled + shortcut.enabled, 2);
    EXPECT_EQ(bed.State({link, copy}), before);
    EXPECT_EQ(StoreBed::Disabled(store), 0);
}

// What is written is read back before anything is taken from its place: a
// record, or a Run value put back, that reads different counts as not written
// and is not left behind.
TEST(StartupStore, AWriteThatReadsBackDifferentIsNotTakenAsWritten)
{
    StoreBed bed;
    bed.user.SetString("cv\\Run", "Tool", "tool.exe");
    const std::string link = bed.startup.File("Notes.lnk");
    ASSERT_TRUE(testsupport::WriteFileBytes(link, "notes"));
    CStartupStore store(bed.places);
    StartupItem value = bed.Item(store, "Tool", "HKEY_CURRENT_USER/Run"), shortcut = bed.Item(store, "Notes", "Startup");
    const std::string copy = bed.places.pssFolder.str() + "\\Notes.lnkStartup";
    const std::string before = bed.State({link, copy});
    CString failure;
    for (StartupItem* item : {&value, &shortcut}) {
        SCOPED_TRACE(item->location);
        AlteredRegistryReads altered("item");
        EXPECT_FALSE(store.Disable(*item, failure));
        EXPECT_NE(failure.Find("recorded"), -1) << failure;
    }
    EXPECT_EQ(value.enabled + shortcut.enabled, 2);
    EXPECT_EQ(bed.State({link, copy}), before);

    ASSERT_TRUE(store.Disable(value, failure)) << failure;
    const std::string disabled = bed.State();
    {
        AlteredRegistryReads altered("Tool");
        EXPECT_FALSE(store.Enable(value, failure));
        EXPECT_NE(failure.Find("could not be written back"), -1) << failure;
    }
    EXPECT_EQ(value.enabled, 0);
    EXPECT_EQ(bed.State(), disabled);
}

// Each column orders by its own field, texts byte for byte; another column
// would give the other order in every case.
TEST(StartupStore, EachColumnComparesItsOwnField)
{
    struct Case {
        int column;
        StartupItem first, second;
        int order;
    };
    const Case cases[] = {
        {0, {"b", "a", "a", 0}, {"a", "b", "b", 1}, 1},
        {1, {"a", "b", "a", 0}, {"b", "a", "b", 1}, 1},
        {2, {"a", "a", "b", 0}, {"b", "b", "a", 1}, 1},
        {2, {"b", "b", "Startup", 1}, {"a", "a", "common", 0}, -1},
        {3, {"a", "a", "a", 1}, {"b", "b", "b", 0}, 1},
        {2, {"a", "b", "HKLM/Run", 1}, {"b", "a", "HKLM/Run", 0}, 0},
        {4, {"a", "a", "a", 0}, {"b", "b", "b", 1}, 0},
        {-1, {"a", "a", "a", 0}, {"b", "b", "b", 1}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "column " << c.column << ": " << c.first.location << " / " << c.second.location);
        EXPECT_EQ(CStartupStore::Compare(c.first, c.second, c.column), c.order);
        EXPECT_EQ(CStartupStore::Compare(c.second, c.first, c.column), -c.order);
    }
}
