// The scanners of installed software: uninstall entries, fonts, shared DLLs,
// application paths and help files. Each test plants broken and healthy
// entries under names of its own in the fixed keys the scanner walks and
// checks only those.
#include <gtest/gtest.h>
#include "EngineTestSupport.h"

using enginetest::AfterCancelAtFirstProblem;
using enginetest::Found;
using enginetest::Planted;
using enginetest::PlantedFile;
using enginetest::TestScanner;
using enginetest::ShellFolder;
using enginetest::Text;
using enginetest::RecordingWindow;

namespace {

const std::string kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kFonts = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const std::string kSharedDlls = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const std::string kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const std::string kHelp = "SOFTWARE\\Microsoft\\Windows\\HELP";
const std::string kHtmlHelp = "SOFTWARE\\Microsoft\\Windows\\HTML Help";

std::string Machine(const std::string& path)
{
    return "HKEY_LOCAL_MACHINE\\" + path;
}

}  // namespace

TEST(UninstallScanner, ReportsEntriesWhoseUninstallerIsGone)
{
    const std::string tag = testsupport::UniqueName("KdxUninst");
    const std::string gone = "C:\\" + tag + "\\Gone\\";
    testsupport::TempDir temp;
    PlantedFile uninstaller(temp.File("uninst.exe"));
    Planted planted;
    const std::string goneCommand = "\"" + gone + "uninst.exe\" /S";
    planted.KeyValue(HKEY_LOCAL_MACHINE, kUninstall + "\\" + tag + "_Gone", "UninstallString", goneCommand);
    planted.KeyValue(HKEY_LOCAL_MACHINE, kUninstall + "\\" + tag + "_Unquoted", "UninstallString",
                     gone + "setup.exe -remove");
    planted.KeyValue(HKEY_LOCAL_MACHINE, kUninstall + "\\" + tag + "_Msi", "UninstallString",
                     "MsiExec.exe /X" + testsupport::NewGuid());
    planted.KeyValue(HKEY_LOCAL_MACHINE, kUninstall + "\\" + tag + "_Rundll", "UninstallString",
                     "rundll32.exe " + gone + "setup.dll,Remove");
    planted.KeyValue(HKEY_LOCAL_MACHINE, kUninstall + "\\" + tag + "_Present", "UninstallString",
                     "\"" + uninstaller.Path() + "\" /S /quiet");
    planted.KeyValue(HKEY_LOCAL_MACHINE, kUninstall + "\\" + tag + "_Expanded", "UninstallString",
                     "%SystemRoot%\\system32\\notepad.exe /x", REG_EXPAND_SZ);
    planted.KeyValue(HKEY_LOCAL_MACHINE, kUninstall + "\\" + tag + "_Empty", "UninstallString", "");
    planted.KeyValue(HKEY_LOCAL_MACHINE, kUninstall + "\\" + tag + "_NoCommand", "DisplayName", gone + "x.exe");

    RecordingWindow window;
    CRegistryProblemArray problems;
    TestScanner engine(problems, window);
    engine.ScanUninstallEntries();

    const std::set<std::string> expected = {
        Text(Machine(kUninstall), tag + "_Gone", goneCommand),
        Text(Machine(kUninstall), tag + "_Unquoted", gone + "setup.exe -remove"),
    };
    EXPECT_EQ(Found(problems, tag, REGPROBLEM_UNINSTALL), expected);

    const auto after = AfterCancelAtFirstProblem([](enginetest::TestScanner& e) { e.ScanUninstallEntries(); });
    EXPECT_EQ(after.first, 0);
    EXPECT_EQ(after.second, 0) << "the walk went on after the cancel";
}

TEST(FontScanner, ReportsFontFilesFoundNowhere)
{
    const std::string tag = testsupport::UniqueName("KdxFont");
    testsupport::TempDir temp;
    // In the folder the shell names for fonts (the scanner looks there first),
    // but not a font file the system would try to load: only the name counts here.
    PlantedFile inFontsFolder(ShellFolder(HKEY_CURRENT_USER, "Fonts") + "\\" + tag + ".kdx");
    PlantedFile elsewhere(temp.File(tag + "_elsewhere.kdx"));
    Planted planted;
    planted.Value(HKEY_LOCAL_MACHINE, kFonts, tag + " Present (TrueType)", tag + ".kdx");
    planted.Value(HKEY_LOCAL_MACHINE, kFonts, tag + " Gone (TrueType)", tag + "_gone.ttf");
    planted.Value(HKEY_LOCAL_MACHINE, kFonts, tag + " Full (TrueType)", elsewhere.Path());
    planted.Value(HKEY_LOCAL_MACHINE, kFonts, tag + " FullGone (TrueType)", "C:\\" + tag + "\\gone.ttf");
    planted.Value(HKEY_LOCAL_MACHINE, kFonts, tag + " Empty", "");

    RecordingWindow window;
    CRegistryProblemArray problems;
    TestScanner engine(problems, window);
    engine.ScanFontEntries();

    const std::set<std::string> expected = {
        Text(Machine(kFonts), tag + " Gone (TrueType)", tag + "_gone.ttf"),
        Text(Machine(kFonts), tag + " FullGone (TrueType)", "C:\\" + tag + "\\gone.ttf"),
    };
    EXPECT_EQ(Found(problems, tag, REGPROBLEM_FONT), expected);

    const auto after = AfterCancelAtFirstProblem([](enginetest::TestScanner& e) { e.ScanFontEntries(); });
    EXPECT_EQ(after.first, 0);
}

// The fonts rule itself, for every way the two fonts folders may be known.
TEST(FontScanner, RuleWithOneOrNeitherFolderKnown)
{
    struct Rules : CRegScanner {
        using CRegScanner::IsFontMissing;
    };
    testsupport::TempDir user, shell;
    PlantedFile inUser(user.File("u.kdx")), inShell(shell.File("s.kdx"));
    const CString u(user.Path().c_str()), s(shell.Path().c_str());
    const struct {
        const char* file;
        const CString* userFolder;
        const CString* shellFolder;
        bool missing;
    } cases[] = {
        {"u.kdx", &u, &s, false}, {"s.kdx", &u, &s, false}, {"gone.kdx", &u, &s, true},
        {"u.kdx", &u, nullptr, false}, {"s.kdx", &u, nullptr, true}, {"gone.kdx", &u, nullptr, true},
        {"s.kdx", nullptr, &s, false}, {"u.kdx", nullptr, &s, true}, {"gone.kdx", nullptr, &s, true},
        {"gone.kdx", nullptr, nullptr, false}, {"", &u, &s, false},
        {inUser.Path().c_str(), nullptr, &s, false}, {"C:\\kdx_gone\\gone.kdx", &u, &s, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Rules::IsFontMissing(c.file, c.userFolder, c.shellFolder) != FALSE, c.missing)
            << c.file << " user " << (c.userFolder != nullptr) << " shell " << (c.shellFolder != nullptr);
}

TEST(SharedDllScanner, ReportsPathsThatAreGoneWithAnEmptyValue)
{
    const std::string tag = testsupport::UniqueName("KdxShared");
    testsupport::TempDir temp;
    PlantedFile present(temp.File(tag + "_present.dll"));
    // A path taken as it stands: nothing is cut after ".exe".
    enginetest::PlantedFolder toolsFolder(temp.File(tag + " tools.exe files"));
    PlantedFile inTools(temp.File(tag + " tools.exe files\\x.dll"));
    enginetest::FixedKeysLock lock;
    Planted planted;
    // A name too long to read comes first; the walk goes on past it.
    planted.Dword(HKEY_LOCAL_MACHINE, kSharedDlls, "C:\\" + tag + "\\0" + std::string(1100, 'x') + ".dll", 1);
    planted.Dword(HKEY_LOCAL_MACHINE, kSharedDlls, "C:\\" + tag + "\\Gone\\shared.dll", 1);
    planted.Dword(HKEY_LOCAL_MACHINE, kSharedDlls, "C:\\" + tag + "\\Gone\\tools.exe files\\x.dll", 2);
    planted.Dword(HKEY_LOCAL_MACHINE, kSharedDlls, present.Path(), 3);
    planted.Dword(HKEY_LOCAL_MACHINE, kSharedDlls, inTools.Path(), 1);
    planted.Dword(HKEY_LOCAL_MACHINE, kSharedDlls, tag + "_relative.dll", 1);

    RecordingWindow window;
    CRegistryProblemArray problems;
    TestScanner engine(problems, window);
    engine.ScanSharedDlls();

    const std::set<std::string> expected = {
        Text(Machine(kSharedDlls), "C:\\" + tag + "\\Gone\\shared.dll", ""),
        Text(Machine(kSharedDlls), "C:\\" + tag + "\\Gone\\tools.exe files\\x.dll", ""),
    };
    EXPECT_EQ(Found(problems, tag, REGPROBLEM_SHAREDDLL), expected);

    const auto after = AfterCancelAtFirstProblem([](enginetest::TestScanner& e) { e.ScanSharedDlls(); });
    EXPECT_EQ(after.first, 0);
    EXPECT_EQ(after.second, 0);
}

TEST(AppPathScanner, ReportsProgramsWhosePathIsGone)
{
    const std::string tag = testsupport::UniqueName("KdxAppPath");
    testsupport::TempDir temp;
    PlantedFile program(temp.File("app.exe"));
    Planted planted;
    const std::string gonePath = "C:\\" + tag + "\\Gone\\app.exe";
    planted.KeyValue(HKEY_LOCAL_MACHINE, kAppPaths + "\\" + tag + "_gone.exe", "", gonePath);
    planted.KeyValue(HKEY_LOCAL_MACHINE, kAppPaths + "\\" + tag + "_quoted.exe", "", "\"" + gonePath + "\"");
    planted.KeyValue(HKEY_LOCAL_MACHINE, kAppPaths + "\\" + tag + "_present.exe", "", "\"" + program.Path() + "\"");
    planted.KeyValue(HKEY_LOCAL_MACHINE, kAppPaths + "\\" + tag + "_expanded.exe", "",
                     "%SystemRoot%\\system32\\notepad.exe", REG_EXPAND_SZ);
    planted.KeyValue(HKEY_LOCAL_MACHINE, kAppPaths + "\\" + tag + "_empty.exe", "", "");
    planted.KeyValue(HKEY_LOCAL_MACHINE, kAppPaths + "\\" + tag + "_nodefault.exe", "Path", "C:\\" + tag);
    // Healthy under a second reading: a program named without ".exe", and one in
    // a folder whose name holds ".exe".
    const std::string bare = program.Path().substr(0, program.Path().size() - 4);
    planted.KeyValue(HKEY_LOCAL_MACHINE, kAppPaths + "\\" + tag + "_bare.exe", "", "\"" + bare + "\" -a");
    CreateDirectoryA(temp.File("my.exe tools").c_str(), nullptr);
    PlantedFile inDottedFolder(temp.File("my.exe tools\\tool.exe"));
    planted.KeyValue(HKEY_LOCAL_MACHINE, kAppPaths + "\\" + tag + "_dotted.exe", "", inDottedFolder.Path() + " /x");

    RecordingWindow window;
    CRegistryProblemArray problems;
    TestScanner engine(problems, window);
    engine.ScanAppPaths();

    const std::set<std::string> expected = {
        Text(Machine(kAppPaths), tag + "_gone.exe", gonePath),
        Text(Machine(kAppPaths), tag + "_quoted.exe", "\"" + gonePath + "\""),
    };
    EXPECT_EQ(Found(problems, tag, REGPROBLEM_APPPATH), expected);

    const auto after = AfterCancelAtFirstProblem([](enginetest::TestScanner& e) { e.ScanAppPaths(); });
    EXPECT_EQ(after.first, 0);
    EXPECT_EQ(after.second, 0);
}

TEST(HelpFileScanner, ReportsHelpFilesMissingFromTheirFolder)
{
    const std::string tag = testsupport::UniqueName("KdxHelp");
    testsupport::TempDir temp;
    PlantedFile helpFile(temp.File(tag + "_present.hlp"));
    PlantedFile htmlHelpFile(temp.File(tag + "_present.chm"));
    enginetest::FixedKeysLock lock;
    Planted planted;
    const std::string goneFolder = "C:\\" + tag + "\\Help\\";
    planted.Value(HKEY_LOCAL_MACHINE, kHelp, tag + "_gone.hlp", goneFolder);
    planted.Value(HKEY_LOCAL_MACHINE, kHelp, tag + "_present.hlp", temp.Path());
    planted.Value(HKEY_LOCAL_MACHINE, kHelp, tag + "_folder.hlp", "Folder:C:\\" + tag + "\\Gone");
    planted.Value(HKEY_LOCAL_MACHINE, kHtmlHelp, tag + "_gone.chm", "C:\\" + tag + "\\Html");
    planted.Value(HKEY_LOCAL_MACHINE, kHtmlHelp, tag + "_present.chm", temp.Path() + "\\");

    RecordingWindow window;
    CRegistryProblemArray problems;
    TestScanner engine(problems, window);
    engine.ScanHelpFiles();

    const std::set<std::string> expected = {
        Text(Machine(kHelp), tag + "_gone.hlp", goneFolder),
        Text(Machine(kHtmlHelp), tag + "_gone.chm", "C:\\" + tag + "\\Html"),
    };
    EXPECT_EQ(Found(problems, tag, REGPROBLEM_HELPFILE), expected);

    const auto after = AfterCancelAtFirstProblem([](enginetest::TestScanner& e) { e.ScanHelpFiles(); });
    EXPECT_EQ(after.first, 0);
    EXPECT_EQ(after.second, 0);
}
