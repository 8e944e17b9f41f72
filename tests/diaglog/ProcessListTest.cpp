#include "CMD5.h"
#include "CProcessSnapshot.h"
#include "DiaglogTestSupport.h"
#include "LogFile.h"
#include "MyProcess.h"
#include "TestSupport.h"
#include <gtest/gtest.h>
#include <algorithm>

using testsupport::TempDir;

namespace {

const char kHelperVariable[] = "KELDRIX_PROCESS_HELPER";

// Started with KELDRIX_PROCESS_HELPER naming two events, this program is the
// process-list helper: it signals the first, waits for the second and leaves
// before any test runs.
const bool g_helperMode = [] {
    char names[256];
    DWORD length = GetEnvironmentVariableA(kHelperVariable, names, sizeof names);
    if (length == 0 || length >= sizeof names)
        return false;
    std::string both(names, length);
    size_t bar = both.find('|');
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, both.substr(0, bar).c_str());
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, both.substr(bar + 1).c_str());
    if (ready != nullptr)
        SetEvent(ready);
    if (release != nullptr)
        WaitForSingleObject(release, 120000);
    ExitProcess(0);
}();

std::string OwnPath()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

std::string DigestOf(const std::string& path)
{
    CString hex;
    CMD5::GetFileDigest(path.c_str(), hex);
    return std::string(hex);
}

std::string Escaped(std::string text)
{
    std::string out;
    for (char c : text)
        out += c == '&' ? std::string("&amp;") : std::string(1, c);
    return out;
}

// A copy of this program running as the helper from a folder of its own.
class HelperProcess {
public:
    explicit HelperProcess(const std::string& exePath) : m_process(nullptr)
    {
        std::string unique = testsupport::UniqueName("kdxhelper");
        m_ready = CreateEventA(nullptr, TRUE, FALSE, (unique + "r").c_str());
        m_release = CreateEventA(nullptr, TRUE, FALSE, (unique + "q").c_str());
        SetEnvironmentVariableA(kHelperVariable, (unique + "r|" + unique + "q").c_str());
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        std::string command = "\"" + exePath + "\"";
        if (CreateProcessA(exePath.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                           &info)) {
            CloseHandle(info.hThread);
            m_process = info.hProcess;
            m_id = info.dwProcessId;
        }
        SetEnvironmentVariableA(kHelperVariable, nullptr);
    }
    ~HelperProcess()
    {
        SetEvent(m_release);
        if (m_process != nullptr) {
            if (WaitForSingleObject(m_process, 60000) != WAIT_OBJECT_0)
                TerminateProcess(m_process, 1);
            CloseHandle(m_process);
        }
        CloseHandle(m_ready);
        CloseHandle(m_release);
    }
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    bool WaitReady() const
    {
        HANDLE both[] = {m_ready, m_process};
        return m_process != nullptr && WaitForMultipleObjects(2, both, FALSE, 60000) == WAIT_OBJECT_0;
    }
    DWORD Id() const { return m_id; }

private:
    HANDLE m_process;
    DWORD m_id = 0;
    HANDLE m_ready;
    HANDLE m_release;
};

std::vector<ProcessEntry> ListProcesses(bool toolhelp)
{
    CProcessSnapshot snapshot;
    EXPECT_TRUE(toolhelp ? snapshot.LoadToolhelp() : snapshot.LoadPsapi());
    std::unique_ptr<ProcessEntryList> list = snapshot.CreateProcessList();
    EXPECT_TRUE(list != nullptr);
    EXPECT_EQ(static_cast<DWORD>(CProcessSnapshot::statusOk), snapshot.GetStatus());
    std::vector<ProcessEntry> entries;
    ProcessEntry entry;
    while (list && snapshot.GetNextProcess(*list, entry))
        entries.push_back(entry);
    EXPECT_EQ(static_cast<DWORD>(CProcessSnapshot::statusEnd), snapshot.GetStatus());
    return entries;
}

const ProcessEntry* FindById(const std::vector<ProcessEntry>& entries, DWORD id)
{
    for (const ProcessEntry& entry : entries) {
        if (entry.processId == id)
            return &entry;
    }
    return nullptr;
}

}  // namespace

TEST(ProcessList, GatherListsThisProgramAndAHelperWithTheirDigests)
{
    ASSERT_FALSE(g_helperMode);
    TempDir temp;
    const std::string folder = temp.File("K&R Tools");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string helperPath = folder + "\\helper.exe";
    ASSERT_TRUE(CopyFileA(OwnPath().c_str(), helperPath.c_str(), FALSE));
    const std::string digest = DigestOf(OwnPath());
    ASSERT_EQ(32u, digest.size());
    {
        HelperProcess helper(helperPath);
        ASSERT_TRUE(helper.WaitReady());

        LogSettings settings;
        settings.m_processes = TRUE;
        LogFile log(settings);
        log.GatherProcesses();
        std::string xml(*log.GetXml());
        ASSERT_NE(std::string::npos, xml.find("<Processes>\n")) << xml;
        // Other runs of this program may be listed too.
        EXPECT_LE(1, testsupport::CountOf(xml, "<Process name=\"" + Escaped(OwnPath()) + "\" md5=\"" + digest +
                                                   "\"/>\n"))
            << xml;
        EXPECT_EQ(1, testsupport::CountOf(xml, "<Process name=\"" + Escaped(helperPath) + "\" md5=\"" + digest +
                                                   "\"/>\n"))
            << xml;
        EXPECT_EQ(std::string::npos, xml.find("name=\"-\""));
        EXPECT_EQ(std::string::npos, xml.find("K&R"));

        // The psapi way names the full path of both programs.
        std::vector<ProcessEntry> entries = ListProcesses(false);
        const ProcessEntry* own = FindById(entries, GetCurrentProcessId());
        ASSERT_NE(nullptr, own);
        EXPECT_EQ(OwnPath(), std::string(own->path));
        const ProcessEntry* other = FindById(entries, helper.Id());
        ASSERT_NE(nullptr, other);
        EXPECT_EQ(helperPath, std::string(other->path));
    }
}

TEST(ProcessList, ListedPathsAndElements)
{
    EXPECT_FALSE(MyProcess::IsListed("-"));
    EXPECT_FALSE(MyProcess::IsListed("\\??\\C:\\Windows\\system32\\winlogon.exe"));
    EXPECT_FALSE(MyProcess::IsListed("\\SystemRoot\\System32\\smss.exe"));
    EXPECT_TRUE(MyProcess::IsListed("C:\\systemroot\\tool.exe"));
    EXPECT_TRUE(MyProcess::IsListed("C:\\Windows\\explorer.exe"));

    MyProcess unread("C:\\K&R\\<tool>.exe", "");
    EXPECT_EQ("<Process name=\"C:\\K&amp;R\\&lt;tool&gt;.exe\" md5=\"\"/>\n", diaglogtest::Render(unread));
    MyProcess failed("C:\\x.exe", "a \"message\" & more");
    EXPECT_EQ("<Process name=\"C:\\x.exe\" md5=\"a &quot;message&quot; &amp; more\"/>\n",
              diaglogtest::Render(failed));
}
