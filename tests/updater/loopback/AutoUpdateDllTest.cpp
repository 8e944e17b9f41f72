// AutoUpdate.dll against the loopback update server that loopback.sh starts
// (its address in KELDRIX_TEST_UPDATE_HOST). Run only by that script.
#include "AutoUpdateApi.h"
#include "CAppConfig.h"
#include "PumpMessages.h"
#include "TestSupport.h"
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

const char kServedWhitelist[] =
    "{VERSION}\r\n3.5\r\n\r\n{KEY}\r\nSoftware\\KeldrixUpdateTest\r\n{VALUE}\r\n{VALUENAME}\r\n";
const char kOldWhitelist[] = "{VERSION}\r\n2.0\r\n\r\n{KEY}\r\nold entry\r\n";
const char* const kNames[] = {kAuSetupName, kAuInitializeName, kAuQueryServerAsyncName,
                              kAuQueryServerName, kAuDownloadUpdateAsyncName, kAuRunAutoUpdateName};
enum { kSetup, kInitialize, kQueryAsync, kQuery, kDownload, kRun };
typedef std::pair<WPARAM, LPARAM> Status;

std::string ProgramPath()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<Status> g_statuses;

LRESULT CALLBACK StatusWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kAuStatusMessage)
        g_statuses.push_back({wParam, lParam});
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class AutoUpdateDll : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* host = getenv("KELDRIX_TEST_UPDATE_HOST");
        ASSERT_NE(host, nullptr) << "run by loopback.sh";
        m_host = host;
        std::string program = ProgramPath();
        m_library = LoadLibraryA((program.substr(0, program.rfind('\\')) + "\\AutoUpdate.dll").c_str());
        ASSERT_NE(m_library, nullptr);
        for (int i = 0; i <= kRun; ++i) {
            m_functions[i] = reinterpret_cast<AuFunction>(reinterpret_cast<void*>(GetProcAddress(m_library, kNames[i])));
            ASSERT_NE(m_functions[i], nullptr) << kNames[i];
        }
        WNDCLASSA wc = {};
        wc.lpfnWndProc = StatusWindowProc;
        wc.lpszClassName = "AutoUpdateDllTestWindow";
        RegisterClassA(&wc);
        m_window = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 9, 9, HWND_MESSAGE, nullptr, nullptr, nullptr);
        // The test owns the whitelist while it runs.
        m_whitelist = (LPCSTR)CAppConfig::GetWhitelistPath();
        m_hadWhitelist = testsupport::ReadFileBytes(m_whitelist, m_savedWhitelist);
        CreateDirectoryA(m_whitelist.substr(0, m_whitelist.rfind('\\')).c_str(), nullptr);
        ASSERT_TRUE(testsupport::WriteFileBytes(m_whitelist, kOldWhitelist));
    }
    void TearDown() override
    {
        if (m_hadWhitelist)
            testsupport::WriteFileBytes(m_whitelist, m_savedWhitelist);
        else
            DeleteFileA(m_whitelist.c_str());
        DestroyWindow(m_window);
        if (m_library)
            FreeLibrary(m_library);
    }

    // Starts a phase on a record: set-up, initialisation, the window and the flag.
    void Begin(AuQueryRecord& record, const char* path, double installed)
    {
        m_address = "http://" + m_host + path;
        AuConfigRecord config = {sizeof config, "KELDRIX", "SOFTWARE\\Keldrix", m_address.c_str(), "Keldrix", 0,
                                 installed};
        m_functions[kSetup](&config);
        m_functions[kInitialize](&record);
        record.window = m_window;
        record.reportFlag = 1;
    }
    // Calls the function and runs the messages until one status has come (or a generous bound).
    Status Run(int function, AuQueryRecord& record)
    {
        g_statuses.clear();
        EXPECT_TRUE(m_functions[function](&record));
        PumpMessagesUntil([] { return !g_statuses.empty(); });
        EXPECT_EQ(g_statuses.size(), 1u);
        return g_statuses.empty() ? Status() : g_statuses[0];
    }
    WPARAM Ask(AuQueryRecord& record, const char* path, double installed, int function = kQueryAsync)
    {
        Begin(record, path, installed);
        return Run(function, record).first;
    }
    Status Download(const char* path)
    {
        EXPECT_EQ(Ask(m_record, path, 2.0), static_cast<WPARAM>(kAuUpdateAvailable));
        return Run(kDownload, m_record);
    }

    testsupport::SharedStateLock m_lock;
    std::string m_host, m_address, m_whitelist, m_savedWhitelist;
    bool m_hadWhitelist = false;
    HMODULE m_library = nullptr;
    AuFunction m_functions[kRun + 1] = {};
    HWND m_window = nullptr;
    AuQueryRecord m_record = {};
};

// Each query posts one final status: 2 for a newer version, 3 otherwise, 1
// without a valid answer, also from a server that takes the request and never answers.
TEST_F(AutoUpdateDll, QueryPostsOneFinalStatus)
{
    const struct {
        const char* path;
        double installed;
        int function;
        WPARAM status;
    } cases[] = {
        {"/noupdate.xml", 2.0, kQueryAsync, kAuNoUpdate},     {"/update.xml", 2.0, kQueryAsync, kAuUpdateAvailable},
        {"/update.xml", 3.5, kQuery, kAuNoUpdate},            {"/update.xml", 2.0, kQuery, kAuUpdateAvailable},
        {"/garbage.xml", 2.0, kQueryAsync, kAuCheckFinished}, {"/missing.xml", 2.0, kQuery, kAuCheckFinished},
        {"/silent.xml", 2.0, kQueryAsync, kAuCheckFinished},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(Ask(m_record, c.path, c.installed, c.function), c.status);
    }
}

// SHA-256 and MD5: the file waits beside the whitelist and replaces it when
// installed. A wrong digest and a file cut short: status 5, the old whitelist
// untouched, nothing left beside it.
TEST_F(AutoUpdateDll, DownloadReplacesTheWhitelistOnlyWhenChecked)
{
    const struct {
        const char* path;
        WPARAM status;
    } cases[] = {{"/update.xml", kAuDownloadComplete}, {"/update-md5.xml", kAuDownloadComplete},
                 {"/baddigest.xml", kAuDownloadFailed}, {"/truncated.xml", kAuDownloadFailed}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ASSERT_TRUE(testsupport::WriteFileBytes(m_whitelist, kOldWhitelist));
        Status done = Download(c.path);
        EXPECT_EQ(done.first, c.status);
        EXPECT_EQ(testsupport::FileBytes(m_whitelist), kOldWhitelist);
        const bool complete = c.status == kAuDownloadComplete;
        EXPECT_EQ(Exists(m_whitelist + ".download"), complete);
        EXPECT_EQ(m_functions[kRun](reinterpret_cast<void*>(done.second)), complete);
        EXPECT_FALSE(m_functions[kRun](reinterpret_cast<void*>(done.second)));  // installed once at most
        EXPECT_FALSE(Exists(m_whitelist + ".download"));
        CAppConfig config;
        config.LoadWhitelist();
        EXPECT_EQ(config.m_whitelistVersion, complete ? 3.5 : 2.0);
        if (complete) {
            EXPECT_EQ(testsupport::FileBytes(m_whitelist), kServedWhitelist);
            ASSERT_EQ(config.m_whitelistKeys.GetSize(), 1);
            EXPECT_STREQ(config.m_whitelistKeys[0], "Software\\KeldrixUpdateTest");
        }
    }
}

// A query cancelled (both fields 0) reports nothing, even when its answer comes
// later; its thread holds the library loaded until it ends.
TEST_F(AutoUpdateDll, CancelledQueryReportsNothing)
{
    AuQueryRecord held = {};
    Begin(held, "/hold.xml", 2.0);
    ASSERT_TRUE(m_functions[kQueryAsync](&held));
    held.reportFlag = 0;
    held.window = nullptr;
    FreeLibrary(m_library);
    m_library = nullptr;
    ASSERT_NE(GetModuleHandleA("AutoUpdate.dll"), nullptr);

    // This answer lets the held one go; Run collects every status until the library is gone.
    EXPECT_EQ(Ask(m_record, "/release.xml", 2.0), static_cast<WPARAM>(kAuNoUpdate));
    for (int i = 0; i < 3000 && GetModuleHandleA("AutoUpdate.dll"); ++i)
        Sleep(20);
    EXPECT_EQ(GetModuleHandleA("AutoUpdate.dll"), nullptr);
    PumpMessagesUntil([] { return true; });
    EXPECT_EQ(g_statuses.size(), 1u);
}

// A program update takes the running program's place; the old build is kept beside it.
TEST_F(AutoUpdateDll, ProgramUpdateTakesTheProgramsPlace)
{
    if (!getenv("KELDRIX_TEST_PROGRAM_COPY"))
        GTEST_SKIP() << "only on the copy loopback.sh runs";
    std::string program = ProgramPath();
    std::string before = testsupport::FileBytes(program);
    Status done = Download("/program.xml");
    ASSERT_EQ(done.first, static_cast<WPARAM>(kAuDownloadComplete));
    EXPECT_EQ(testsupport::FileBytes(program), before);
    EXPECT_TRUE(m_functions[kRun](reinterpret_cast<void*>(done.second)));
    EXPECT_EQ(testsupport::FileBytes(program), before + "KELDRIX-NEW-BUILD");
    EXPECT_EQ(testsupport::FileBytes(program + ".old"), before);
    EXPECT_FALSE(Exists(program + ".new"));
}

// The next start: the library's first set-up removes the old build.
TEST_F(AutoUpdateDll, NextStartRemovesTheOldBuild)
{
    EXPECT_TRUE(Exists(ProgramPath() + ".old"));
    Begin(m_record, "/noupdate.xml", 2.0);
    EXPECT_FALSE(Exists(ProgramPath() + ".old"));
}

// A staged build that cannot be moved into the program's place (held open
// without delete sharing): the running build is put back under its own name.
TEST_F(AutoUpdateDll, NextStartPutsTheProgramBackWhenTheNewBuildCannotMoveIn)
{
    const std::string program = ProgramPath(), staged = program + ".new";
    const std::string before = testsupport::FileBytes(program);
    ASSERT_FALSE(before.empty());
    ASSERT_TRUE(testsupport::WriteFileBytes(staged, before + "STAGED"));
    const HANDLE held = CreateFileA(staged.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Begin(m_record, "/noupdate.xml", 2.0);
    CloseHandle(held);
    // (Compared as a whole: a failure shows which file, not megabytes of it.)
    EXPECT_TRUE(testsupport::FileBytes(program) == before) << "the program is gone or another build";
    EXPECT_FALSE(Exists(program + ".old"));
    EXPECT_TRUE(testsupport::FileBytes(staged) == before + "STAGED") << "the staged build was lost";
    EXPECT_TRUE(DeleteFileA(staged.c_str()));
}

}  // namespace
