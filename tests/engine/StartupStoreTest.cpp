#include <gtest/gtest.h>
#include "BackupTestSupport.h"
#include "CStartupStore.h"
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
    // Everything the store may touch: the Run keys, the records, the folders.
    std::string State() const
    {
        std::string state = Export(user, "cv") + Export(machine, "cv") + Export(machine, "msconfig");
        for (const TempDir* dir : {&startup, &common}) {
            WIN32_FIND_DATAA found;
            HANDLE find = FindFirstFileA((dir->Path() + "\\*.lnk").c_str(), &found);
            for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &found))
                state += std::string("|") + found.cFileName + "=" + FileBytes(dir->File(found.cFileName));
            if (find != INVALID_HANDLE_VALUE)
                FindClose(find);
        }
        return state;
    }
    int Records(const char* kind) const
    {
        HKEY key;
        DWORD subkeys = 0, values = 0;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, machine.Sub(std::string("msconfig\\") + kind).c_str(), 0, KEY_READ, &key))
            return -1;
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                         nullptr);
        RegCloseKey(key);
        return static_cast<int>(subkeys + values);
    }
};

StartupItem* Find(std::vector<StartupItem>& items, const std::string& program, const std::string& location)
{
    for (StartupItem& item : items) {
        if (item.program.str() == program && item.location.str() == location)
            return &item;
    }
    return nullptr;
}

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
    ASSERT_TRUE(testsupport::WriteFileBytes(bed.startup.File("Notes.lnk"), std::string("L\0\0\0notes\xff", 10)));
    ASSERT_TRUE(testsupport::WriteFileBytes(bed.common.File("Shared.lnk"), "shared link"));
    const std::string before = bed.State();

    CStartupStore store(bed.places);
    std::vector<StartupItem> items = store.List();
    ASSERT_EQ(items.size(), 7u);
    const StartupItem* user = Find(items, "UserRun", "HKEY_CURRENT_USER/Run");
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(user->command.str(), longCommand) << "a long command is read whole";
    ASSERT_NE(Find(items, "After", "HKEY_CURRENT_USER/Run"), nullptr) << "nor does it end the listing";

    const struct {
        const char* program;
        const char* location;
    } places[] = {{"UserRun", "HKEY_CURRENT_USER/Run"}, {"MachineRun", "HKLM/Run"},
                  {"UserOnce", "HKEY_CURRENT_USER/RunOnce"}, {"MachineOnce", "HKLM/RunOnce"},
                  {"Notes", "Startup"}, {"Shared", "Common Startup"}};
    for (const auto& place : places) {
        SCOPED_TRACE(place.location);
        StartupItem item = *Find(items, place.program, place.location);
        CString failure;
        ASSERT_TRUE(store.Disable(item, failure)) << failure;
        EXPECT_EQ(item.enabled, 0);
        EXPECT_NE(bed.State(), before);
        std::vector<StartupItem> now = store.List();
        StartupItem* disabled = Find(now, place.program, place.location);
        ASSERT_NE(disabled, nullptr);
        EXPECT_EQ(disabled->enabled, 0);
        EXPECT_EQ(now.size(), items.size());
        ASSERT_TRUE(store.Enable(*disabled, failure)) << failure;
        EXPECT_EQ(disabled->enabled, 1);
        EXPECT_EQ(bed.State(), before);
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
    CStartupStore::Places places = bed.places;
    places.pssFolder = bed.temp.File("blocked\\pss").c_str();
    CStartupStore store(places);
    std::vector<StartupItem> items = store.List();
    ASSERT_EQ(items.size(), 1u);
    CString failure;
    EXPECT_FALSE(store.Disable(items[0], failure));
    EXPECT_NE(failure.Find("could not be copied"), -1) << failure;
    EXPECT_EQ(FileBytes(link), "kept");
    EXPECT_EQ(bed.Records("startupfolder"), 0);
    EXPECT_EQ(items[0].enabled, 1);

    ASSERT_TRUE(DeleteFileA(link.c_str()));
    EXPECT_FALSE(CStartupStore(bed.places).Disable(items[0], failure));
    EXPECT_NE(failure.Find("no longer"), -1) << failure;
    EXPECT_EQ(bed.Records("startupfolder"), 0);
}

TEST(StartupStore, ASecondItemOfADisabledNameIsRefusedNotOverwritten)
{
    StoreBed bed;
    bed.user.SetString("cv\\Run", "Dup", "user.exe");
    bed.machine.SetString("cv\\Run", "Dup", "machine.exe");
    CStartupStore store(bed.places);
    std::vector<StartupItem> items = store.List();
    StartupItem first = *Find(items, "Dup", "HKEY_CURRENT_USER/Run"), second = *Find(items, "Dup", "HKLM/Run");
    CString failure;
    ASSERT_TRUE(store.Disable(first, failure)) << failure;
    EXPECT_FALSE(store.Disable(second, failure));
    EXPECT_NE(failure.Find("already kept"), -1) << failure;
    EXPECT_TRUE(bed.machine.ValueExists("cv\\Run", "Dup"));
    ASSERT_TRUE(store.Enable(first, failure)) << failure;
    DWORD type;
    std::string data;
    ASSERT_TRUE(bed.user.Get("cv\\Run", "Dup", type, data));
    EXPECT_EQ(data, std::string("user.exe", 9));
    EXPECT_TRUE(store.Disable(second, failure)) << failure;
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
    std::vector<StartupItem> items = store.List();
    StartupItem value = *Find(items, "Locked", "HKEY_CURRENT_USER/Run"), link = *Find(items, "Notes", "Startup");
    CString failure;
    ASSERT_TRUE(store.Disable(value, failure)) << failure;
    ASSERT_TRUE(store.Disable(link, failure)) << failure;
    {
        backuptest::NarrowedKey narrowed(HKEY_CURRENT_USER, bed.user.Sub("cv\\Run"), KEY_READ);
        EXPECT_FALSE(store.Enable(value, failure));
    }
    EXPECT_TRUE(bed.machine.Exists("msconfig\\startupreg\\Locked")) << failure;
    ASSERT_TRUE(RemoveDirectoryA(bed.startup.Path().c_str()));
    EXPECT_FALSE(store.Enable(link, failure));
    EXPECT_EQ(bed.Records("startupfolder"), 2) << failure;
    EXPECT_TRUE(Exists(bed.places.pssFolder.str() + "\\Notes.lnkStartup"));

    ASSERT_TRUE(CreateDirectoryA(bed.startup.Path().c_str(), nullptr));
    EXPECT_TRUE(store.Enable(value, failure)) << failure;
    EXPECT_TRUE(store.Enable(link, failure)) << failure;
    EXPECT_EQ(FileBytes(bed.startup.File("Notes.lnk")), "notes");
    EXPECT_EQ(bed.Records("startupreg"), 0);
    EXPECT_EQ(bed.Records("startupfolder"), 1) << "only the broken record stays";
}

TEST(StartupStore, RemoveDeletesExactlyTheRowsEntry)
{
    StoreBed bed;
    bed.user.SetString("cv\\Run", "Same", "same.exe");
    bed.user.SetString("cv\\Run", "Stays", "stays.exe");
    ASSERT_TRUE(testsupport::WriteFileBytes(bed.startup.File("Same.lnk"), "same"));
    ASSERT_TRUE(testsupport::WriteFileBytes(bed.common.File("Same.lnk"), "common same"));
    CStartupStore store(bed.places);
    std::vector<StartupItem> items = store.List();
    StartupItem value = *Find(items, "Same", "HKEY_CURRENT_USER/Run"), link = *Find(items, "Same", "Startup");
    CString failure;
    ASSERT_TRUE(store.Disable(value, failure)) << failure;
    ASSERT_TRUE(store.Disable(link, failure)) << failure;

    ASSERT_TRUE(store.Remove(link, failure)) << failure;
    EXPECT_EQ(bed.Records("startupfolder"), 0);
    EXPECT_TRUE(bed.machine.Exists("msconfig\\startupreg\\Same"));
    EXPECT_FALSE(store.Remove(link, failure)) << "a gone record is reported";
    EXPECT_NE(failure.Find("could not be removed"), -1);
    ASSERT_TRUE(store.Remove(value, failure)) << failure;
    EXPECT_EQ(bed.Records("startupreg"), 0);

    items = store.List();
    ASSERT_TRUE(store.Remove(*Find(items, "Same", "Common Startup"), failure)) << failure;
    EXPECT_FALSE(Exists(bed.common.File("Same.lnk")));
    StartupItem stays = *Find(items, "Stays", "HKEY_CURRENT_USER/Run");
    ASSERT_TRUE(store.Remove(stays, failure)) << failure;
    EXPECT_FALSE(bed.user.ValueExists("cv\\Run", "Stays"));
    EXPECT_FALSE(store.Remove(stays, failure));
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
    // The system's own places find a shortcut planted in the user's Startup folder.
    const std::string name = testsupport::UniqueName("StartupStoreTest");
    const std::string link = CStartupStore().GetStartupFolder(FALSE).str() + "\\" + name + ".lnk";
    CreateDirectoryA(CStartupStore().GetStartupFolder(FALSE), nullptr);
    ASSERT_TRUE(testsupport::WriteFileBytes(link, "lnk"));
    std::vector<StartupItem> items = store.List();
    EXPECT_NE(Find(items, name, "Startup"), nullptr);
    DeleteFileA(link.c_str());
}
