#include <gtest/gtest.h>
#include "EngineTestSupport.h"
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
