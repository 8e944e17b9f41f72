// The update check of the main window against AutoUpdateDouble.dll, which
// logs every call and posts the statuses each case scripts. Message boxes are
// real; a watcher thread reads and answers them.
#include "CAppConfig.h"
#include "CUpdateCheck.h"
#include "PumpMessages.h"
#include "RegistrySettings.h"
#include "TestSupport.h"
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <atomic>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

namespace {

const char kNoUpdates[] = "Keldrix|There are no updates available at this time.\n\nYour product is up-to-date.";
const char kProgramQuestion[] =
    "Keldrix Update|A new version of Keldrix has been released.\nDo you want to download the latest version?";
const char kWhitelistQuestion[] =
    "Keldrix Update|Keldrix has a new product whitelist available for download.\nWould you like to download it?";
const char kComplete[] = "update_tests|Download complete";  // AfxMessageBox: the program's title
const char kFailed[] = "update_tests|Download Failed";
const char kMissing[] = "update_tests|Keldrix cannot check for updates: AutoUpdate.dll is missing or damaged.";

std::string Beside(const char* name)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.rfind('\\') + 1) + name;
}

// Answers the message boxes of this thread, Yes/No boxes from the list (No
// when it runs out), others with OK, and keeps "caption|text" of each.
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::vector<int> answers = {})
        : m_thread(GetCurrentThreadId()), m_answers(std::move(answers)), m_worker([this] { Watch(); })
    {
    }
    ~BoxAnswerer()
    {
        m_stop = true;
        m_worker.join();
    }
    std::vector<std::string> Boxes()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_boxes;
    }

private:
    static BOOL CALLBACK Find(HWND hwnd, LPARAM found)
    {
        char name[16] = {};
        GetClassNameA(hwnd, name, sizeof name);
        if (strcmp(name, "#32770") == 0 && IsWindowVisible(hwnd))
            *reinterpret_cast<HWND*>(found) = hwnd;
        return TRUE;
    }
    static BOOL CALLBACK Text(HWND hwnd, LPARAM text)
    {
        char value[512] = {};
        if (GetWindowTextA(hwnd, value, sizeof value) > 0 && GetDlgCtrlID(hwnd) > IDNO)  // not a button
            *reinterpret_cast<std::string*>(text) = value;
        return TRUE;
    }
    void Watch()
    {
        for (size_t next = 0; !m_stop; Sleep(20)) {
            HWND box = nullptr;
            EnumThreadWindows(m_thread, Find, reinterpret_cast<LPARAM>(&box));
            if (!box)
                continue;
            char caption[256] = {};
            GetWindowTextA(box, caption, sizeof caption);
            std::string text;
            EnumChildWindows(box, Text, reinterpret_cast<LPARAM>(&text));
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_boxes.push_back(std::string(caption) + "|" + text);
            }
            int answer = !GetDlgItem(box, IDYES) ? IDOK : next < m_answers.size() ? m_answers[next++] : IDNO;
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
            for (int i = 0; i < 500 && IsWindow(box); ++i)
                Sleep(20);
        }
    }

    DWORD m_thread;
    std::vector<int> m_answers;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<std::string> m_boxes;
    std::thread m_worker;
};

// The main window's part: the status goes to the check; e-mail prompts are counted.
CUpdateCheck* g_check = nullptr;
int g_emailPrompts = 0;

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kAuStatusMessage && g_check && g_check->OnStatus(wParam, lParam) == CUpdateCheck::kArmEmailPrompt)
        ++g_emailPrompts;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {SETTING_AUTOUPDATE, SETTING_CHECKPROMPT})
            m_saved.push_back({name, SHGetValueA(HKEY_LOCAL_MACHINE, kKey, name, nullptr, nullptr, nullptr) == 0,
                               GetRegistrySettingString(SETTINGS_PRODUCT, name)});
        SetEnvironmentVariableA(CUpdateCheck::kLibrarySwitch, Beside("AutoUpdateDouble.dll").c_str());
        SetEnvironmentVariableA(CUpdateCheck::kHostSwitch, "127.0.0.1:9");
        m_config.m_vendId = "V1";
        m_config.m_langId = "en";
        m_config.m_cpId = "C7";
        m_config.m_whitelistVersion = 2.5;
        WNDCLASSA wc = {};
        wc.lpfnWndProc = MainWindowProc;
        wc.lpszClassName = "UpdateCheckTestWindow";
        RegisterClassA(&wc);
        m_window = CreateWindowA(wc.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 99, 99, nullptr, nullptr, nullptr,
                                 nullptr);
        g_check = &m_check;
        g_emailPrompts = 0;
    }
    void TearDown() override
    {
        m_check.Cancel();
        g_check = nullptr;
        DestroyWindow(m_window);
        for (const SavedValue& saved : m_saved) {
            if (saved.present)
                SetRegistrySettingString(SETTINGS_PRODUCT, saved.name, saved.text);
            else
                SHDeleteValueA(HKEY_LOCAL_MACHINE, kKey, saved.name);
        }
        if (m_double)
            FreeLibrary(m_double);
    }

    // Loads the double (the check then finds it loaded) and scripts it.
    void Script(int programStatus, int whitelistStatus, int downloadStatus)
    {
        if (!m_double)
            m_double = LoadLibraryA(Beside("AutoUpdateDouble.dll").c_str());
        ASSERT_NE(m_double, nullptr);
        Lookup<void (*)(int, int, int)>("DoubleScript")(programStatus, whitelistStatus, downloadStatus);
    }
    template <class Function>
    Function Lookup(const char* name)
    {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(m_double, name)));
    }
    std::string Log() { return Lookup<const char* (*)()>("DoubleLog")(); }
    // The first word of each logged call.
    std::string Calls()
    {
        std::istringstream lines(Log());
        std::string line, calls;
        while (std::getline(lines, line))
            calls += (calls.empty() ? "" : " ") + line.substr(0, line.find(' '));
        return calls;
    }
    struct SavedValue {
        const char* name;
        bool present;
        CString text;
    };
    static constexpr const char* kKey = "SOFTWARE\\Keldrix";
    testsupport::SharedStateLock m_lock;
    std::vector<SavedValue> m_saved;
    CAppConfig m_config;
    CString m_build = "16000";
    CUpdateCheck m_check{m_config, m_build};
    HWND m_window = nullptr;
    HMODULE m_double = nullptr;
};

TEST_F(UpdateCheckTest, AutomaticCheckHandsTheRecordsOverInOrderAndArmsTheEmailPrompt)
{
    SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_AUTOUPDATE, 1);
    Script(kAuNoUpdate, kAuNoUpdate, 0);
    BoxAnswerer boxes;
    EXPECT_EQ(m_check.StartAtWindowStart(m_window), CUpdateCheck::kNoReaction);
    PumpMessagesUntil([this] { return !m_check.IsChecking(); });

    char window[32];
    snprintf(window, sizeof window, "%p", static_cast<void*>(m_window));
    EXPECT_EQ(Log(), "Setup:P size=32 KELDRIX|SOFTWARE\\Keldrix|http://127.0.0.1:9/ombrelvin/updatecore.aspx?vid=V1"
                     "&pid=2&lid=en&cpid=C7&version=16000|Keldrix|0|16000.00\n"
                     "Initialize:1\n"
                     "QueryServerAsync:1 window=" + std::string(window) + " flag=1\n"
                     "Setup:W size=32 KELDRIX|SOFTWARE\\Keldrix|http://127.0.0.1:9/zidederiv/en/database.xml|"
                     "Keldrix Whitelist|0|2.50\n"
                     "Initialize:2\n"
                     "QueryServerAsync:2 window=" + std::string(window) + " flag=1\n");
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(g_emailPrompts, 1);
}

// Each status of each phase, with the answers to the questions and "checkprompt" 0, 1 and 2.
TEST_F(UpdateCheckTest, ReactionsToEachStatus)
{
    const char* const kBoth = "Setup:P Initialize:1 QueryServerAsync:1 Setup:W Initialize:2 QueryServerAsync:2";
    const struct {
        const char* name;
        BOOL automatic;
        int checkPrompt, program, whitelist, download;
        std::vector<int> answers;
        std::string calls;
        std::vector<std::string> boxes;
        int emailPrompts;
    } cases[] = {
        {"asked for, nothing new", FALSE, 1, kAuNoUpdate, kAuNoUpdate, 0, {},
         "Setup:P Initialize:1 QueryServer:1 Setup:W Initialize:2 QueryServerAsync:2", {kNoUpdates}, 0},
        {"program taken", TRUE, 1, kAuUpdateAvailable, 0, kAuDownloadComplete, {IDYES},
         "Setup:P Initialize:1 QueryServerAsync:1 DownloadUpdateAsync:1 RunAutoUpdate",
         {kProgramQuestion, kComplete}, 0},
        {"both declined", TRUE, 1, kAuUpdateAvailable, kAuUpdateAvailable, 0, {IDNO, IDNO}, kBoth,
         {kProgramQuestion, kWhitelistQuestion}, 1},
        {"whitelist taken, asked for", FALSE, 1, kAuNoUpdate, kAuUpdateAvailable, kAuDownloadComplete, {IDYES},
         "Setup:P Initialize:1 QueryServer:1 Setup:W Initialize:2 QueryServerAsync:2 DownloadUpdateAsync:2 "
         "RunAutoUpdate",
         {kWhitelistQuestion, kComplete}, 0},
        {"checkprompt 0, download fails", TRUE, 0, kAuNoUpdate, kAuUpdateAvailable, kAuDownloadFailed, {},
         std::string(kBoth) + " DownloadUpdateAsync:2", {kFailed}, 1},
        {"checkprompt 2", TRUE, 2, kAuUpdateAvailable, 0, kAuDownloadComplete, {},
         "Setup:P Initialize:1 QueryServerAsync:1 DownloadUpdateAsync:1 RunAutoUpdate", {kComplete}, 0},
        {"check failed", TRUE, 1, kAuCheckFinished, 0, 0, {}, "Setup:P Initialize:1 QueryServerAsync:1", {}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_AUTOUPDATE, 1);
        SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_CHECKPROMPT, c.checkPrompt);
        Script(c.program, c.whitelist, c.download);
        g_emailPrompts = 0;
        BoxAnswerer boxes(c.answers);
        if (c.automatic)
            m_check.StartAtWindowStart(m_window);
        else
            m_check.QueryUpdateServer(m_window);
        PumpMessagesUntil([this] { return !m_check.IsChecking(); });
        EXPECT_FALSE(m_check.IsChecking());
        EXPECT_EQ(boxes.Boxes(), c.boxes);
        EXPECT_EQ(Calls(), c.calls);
        if (c.download == kAuDownloadComplete) {
            EXPECT_NE(Log().find("RunAutoUpdate 00004b58"), std::string::npos) << Log();
        }
        EXPECT_EQ(g_emailPrompts, c.emailPrompts);
    }
}

TEST_F(UpdateCheckTest, AutoUpdateOffMakesNoCallAndArmsTheEmailPrompt)
{
    SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_AUTOUPDATE, 0);
    EXPECT_EQ(m_check.StartAtWindowStart(m_window), CUpdateCheck::kArmEmailPrompt);
    EXPECT_EQ(GetModuleHandleA("AutoUpdateDouble.dll"), nullptr);
    EXPECT_FALSE(m_check.IsChecking());
}

TEST_F(UpdateCheckTest, RequestWhileCheckingIsIgnoredAndCancelSilencesTheRecord)
{
    Script(0, 0, 0);  // the query never answers
    m_check.QueryUpdateServer(m_window);
    m_check.QueryUpdateServer(m_window);
    EXPECT_TRUE(m_check.IsChecking());
    EXPECT_EQ(Calls(), "Setup:P Initialize:1 QueryServer:1");
    m_check.Cancel();
    EXPECT_EQ(Lookup<const char* (*)(int)>("DoubleFields")(1), std::string("window=00000000 flag=0"));
    // A status that arrives all the same is not acted on.
    BoxAnswerer boxes({IDYES});
    EXPECT_EQ(m_check.OnStatus(kAuCheckFinished, 0), CUpdateCheck::kNoReaction);
    EXPECT_EQ(m_check.OnStatus(kAuUpdateAvailable, 0), CUpdateCheck::kNoReaction);
    EXPECT_EQ(Calls(), "Setup:P Initialize:1 QueryServer:1");
    EXPECT_TRUE(boxes.Boxes().empty());
}

// A missing file, one that is no DLL and a DLL without the functions: Keldrix goes on without the check.
TEST_F(UpdateCheckTest, UnusableLibrarySkipsTheCheck)
{
    testsupport::TempDir dir;
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File("AutoUpdate.dll"), "MZ this is not a library"));
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_AUTOUPDATE, 1);
    for (const std::string& library :
         {dir.File("missing.dll"), dir.File("AutoUpdate.dll"), std::string(system) + "\\version.dll"}) {
        SCOPED_TRACE(library);
        SetEnvironmentVariableA(CUpdateCheck::kLibrarySwitch, library.c_str());
        CUpdateCheck check(m_config, m_build);
        EXPECT_EQ(check.StartAtWindowStart(m_window), CUpdateCheck::kArmEmailPrompt);
        BoxAnswerer boxes;
        check.QueryUpdateServer(m_window);
        EXPECT_FALSE(check.IsChecking());
        EXPECT_EQ(boxes.Boxes(), std::vector<std::string>{kMissing});
    }
}

}  // namespace
