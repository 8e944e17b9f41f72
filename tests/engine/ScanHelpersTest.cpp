#include <gtest/gtest.h>
#include "EngineTestSupport.h"
#include <shlobj.h>
#include <cstring>

using enginetest::TestScanner;
using testsupport::TempDir;

namespace {

struct TextCase {
    const char* input;
    const char* expected;
};

std::string Clean(const char* input, int outSize = CRegScanner::PATH_BUFFER)
{
    std::vector<char> out(outSize + 1, '#');
    CRegScanner::CleanCommand(input, out.data(), outSize);
    EXPECT_EQ(out[outSize], '#') << "wrote past the buffer";
    return out.data();
}

std::string Extract(const std::string& input, DWORD* result = nullptr)
{
    std::vector<char> text(input.begin(), input.end());
    text.push_back('\0');
    char path[CRegScanner::PATH_BUFFER];
    const DWORD length = CRegScanner::ExtractFilePath(text.data(), path);
    if (result != nullptr)
        *result = length;
    return path;
}

std::string WindowsFolder()
{
    char folder[MAX_PATH];
    GetEnvironmentVariableA("SystemRoot", folder, MAX_PATH);
    return folder;
}

// A subkey of the application-path key, removed at the end.
class AppPathKey {
public:
    explicit AppPathKey(const std::string& name) : m_path(kAppPaths + std::string("\\") + name)
    {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr)
            != ERROR_SUCCESS)
            throw std::runtime_error("cannot create " + m_path);
        RegCloseKey(key);
    }
    ~AppPathKey() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, m_path.c_str()); }

private:
    static constexpr const char* kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
    std::string m_path;
};

// Saves a shell link to target at path.
// One row of InstallerShortcutStates: what the installer calls answer and
// what ResolveShortcut gives then.
struct InstallerCase {
    UINT result;
    const char* component;
    INSTALLSTATE state;
    std::string path;
    BOOL good;
    const char* target;  // NULL: the installer's path
} g_msi;

UINT WINAPI FakeShortcutTarget(LPCSTR, LPSTR product, LPSTR, LPSTR component)
{
    lstrcpyA(product, "{P}");
    lstrcpyA(component, g_msi.component);
    return g_msi.result;
}

INSTALLSTATE WINAPI FakeComponentPath(LPCSTR, LPCSTR, LPSTR path, LPDWORD length)
{
    lstrcpynA(path, g_msi.path.c_str(), *length);
    return g_msi.state;
}

}  // namespace

TEST(ScanHelpers, CleanCommandTable)
{
    const TextCase cases[] = {
        // Folder texts: the folder after the marker, its drive letter kept.
        {"Folder:C:\\Docs", "C:\\Docs"},
        {"folder:\"C:\\My Docs\"", "C:\\My Docs"},
        {"Open Folder: D:\\Data\\x", "D:\\Data\\x"},
        {"Folder:Docs", "Docs"},
        // regsvr32 commands: the file they register, however the program is written.
        {"regsvr32 /s \"c:\\a.dll\"", "c:\\a.dll"},
        {"regsvr32.exe /s c:\\x.dll", "c:\\x.dll"},
        {"regsvr32 c:\\v.dll", "c:\\v.dll"},
        {"C:\\WINDOWS\\system32\\regsvr32.exe /s /n /i:\"a b\" \"c:\\x y.dll\"", "c:\\x y.dll"},
        {"\"C:\\Windows\\System32\\regsvr32.EXE\" -u c:\\s.ocx", "c:\\s.ocx"},
        {"regsvr32 /s", ""},
        // Texts in which regsvr32 is not the program stay as they are.
        {"c:\\tools\\myregsvr32.dll", "c:\\tools\\myregsvr32.dll"},
        {"c:\\regsvr32\\x.dll", "c:\\regsvr32\\x.dll"},
        {"c:\\b.exe /x", "c:\\b.exe /x"},
        {"\"c:\\b c.exe\" /x", "\"c:\\b c.exe\" /x"},
        {"", ""},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(Clean(c.input), c.expected) << c.input;

    // The result never runs past the output buffer.
    EXPECT_EQ(Clean("c:\\b.exe /x", 5), "c:\\b");
}

TEST(ScanHelpers, ExtractFilePathTable)
{
    const std::string windows = WindowsFolder();
    ASSERT_FALSE(windows.empty());
    const TextCase cases[] = {
        {"\"\"C:\\Program Files\\App\\app.exe\" -run", "C:\\Program Files\\App\\app.exe"},
        {"C:\\Program Files\\My Lib\\lib.Dll,EntryPoint", "C:\\Program Files\\My Lib\\lib.Dll"},
        {"C:\\x\\ctl.ocx C:\\y.exe", "C:\\x\\ctl.ocx"},
        {"C:\\x\\tool.exe.dll", "C:\\x\\tool.exe"},
        {"\"C:\\a b\\c.txt\" x", "C:\\a b\\c.txt"},
        {"notepad /p x.txt", "notepad /p x.txt"},
        {"C:\\Gone\\icon.ico,2", "C:\\Gone\\icon.ico,2"},
        {"", ""},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(Extract(c.input), c.expected) << c.input;

    DWORD length = 0;
    const std::string shell32 = windows + "\\system32\\shell32.dll";
    EXPECT_EQ(Extract("%SystemRoot%\\system32\\shell32.dll,3", &length), shell32);
    EXPECT_EQ(length, shell32.size() + 1);

    // An expansion longer than the result buffer gives no path rather than a cut one.
    SetEnvironmentVariableA("KELDRIX_LONG", std::string(700, 'x').c_str());
    EXPECT_EQ(Extract("C:\\%KELDRIX_LONG%\\%KELDRIX_LONG%\\a.dll", &length), "");
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(Extract("C:\\%KELDRIX_LONG%\\a.dll"), "C:\\" + std::string(700, 'x') + "\\a.dll");
    SetEnvironmentVariableA("KELDRIX_LONG", nullptr);
}

TEST(ScanHelpers, IsSkippedProgramTable)
{
    const std::string name = testsupport::UniqueName("KdxSkip") + ".Exe";
    AppPathKey appPath(name);
    std::string lower = name, upper = name;
    CharLowerA(&lower[0]);
    CharUpperA(&upper[0]);

    CRegistryProblemArray problems;
    TestScanner engine(problems);
    const struct {
        std::string name;
        BOOL skipped;
    } cases[] = {
        {"RUNDLL32.EXE shell32.dll", TRUE},
        {"C:\\Windows\\System32\\RunDll32.exe", TRUE},
        {name, TRUE},
        {lower, TRUE},
        {upper, TRUE},
        {"C:\\Apps\\" + name, FALSE},
        {"C:\\Gone\\x.dll", FALSE},
        {"", FALSE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(engine.IsSkippedProgram(c.name.c_str()), c.skipped) << c.name;
}

// A shortcut that cannot be read counts as good, with an empty target (good and
// broken shortcuts are scan_shortcuts.sh's).
TEST(ScanHelpers, ResolveShortcutOfADamagedFile)
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    TempDir dir;
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File("damaged.lnk"), std::string(200, '\x7f')));
    char target[MAX_PATH] = "stale";
    EXPECT_TRUE(CRegScanner::ResolveShortcut(dir.File("damaged.lnk").c_str(), target));
    EXPECT_STREQ(target, "");
    CoUninitialize();
}

// Every state of an installer shortcut that ResolveShortcut tells apart; one
// the installer does not know is read as a shell link (a damaged one here).
TEST(ScanHelpers, InstallerShortcutStates)
{
    TempDir dir;
    const std::string present = dir.File("present.exe"), gone = dir.File("gone.exe"), link = dir.File("x.lnk");
    ASSERT_TRUE(testsupport::WriteFileBytes(present, "MZ") && testsupport::WriteFileBytes(link, "damaged"));
    const InstallerCase cases[] = {
        {ERROR_FUNCTION_FAILED, "{C}", INSTALLSTATE_LOCAL, present, TRUE, ""},
        {ERROR_SUCCESS, "", INSTALLSTATE_LOCAL, present, TRUE, ""},
        {ERROR_SUCCESS, "{C}", INSTALLSTATE_LOCAL, present, TRUE, nullptr},
        {ERROR_SUCCESS, "{C}", INSTALLSTATE_SOURCE, present, TRUE, nullptr},
        {ERROR_SUCCESS, "{C}", INSTALLSTATE_NOTUSED, present, TRUE, nullptr},
        {ERROR_SUCCESS, "{C}", INSTALLSTATE_LOCAL, gone, FALSE, "stale"},
        {ERROR_SUCCESS, "{C}", INSTALLSTATE_ABSENT, present, FALSE, "stale"},
        {ERROR_SUCCESS, "{C}", INSTALLSTATE_ADVERTISED, present, FALSE, "stale"},
    };
    for (const InstallerCase& c : cases) {
        g_msi = c;
        char target[MAX_PATH] = "stale";
        EXPECT_EQ(CRegScanner::ResolveShortcut(link.c_str(), target, {&FakeShortcutTarget, &FakeComponentPath}), c.good)
            << c.state;
        EXPECT_STREQ(target, c.target != nullptr ? c.target : c.path.c_str()) << c.state;
    }
}
