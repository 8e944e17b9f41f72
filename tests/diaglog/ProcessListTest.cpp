#include "CMD5.h"
#include "CProcessSnapshot.h"
#include "DiaglogTestSupport.h"
#include "LogFile.h"
#include "MyProcess.h"
#include "TestSupport.h"
#include <gtest/gtest.h>

namespace {

std::string OwnPath()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

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

// (Escaping of the listed paths is checked on the element below.)
TEST(ProcessList, GatherListsThisProgramWithItsDigest)
{
    CString digest;
    CMD5::GetFileDigest(OwnPath().c_str(), digest);
    ASSERT_EQ(32, digest.GetLength());
    LogSettings settings;
    settings.m_processes = TRUE;
    LogFile log(settings);
    log.GatherProcesses();
    std::string xml(*log.GetXml());
    ASSERT_NE(std::string::npos, xml.find("<Processes>\n")) << xml;
    // Other runs of this program may be listed too.
    EXPECT_LE(1, testsupport::CountOf(xml, "<Process name=\"" + OwnPath() + "\" md5=\"" + std::string(digest) + "\"/>\n"))
        << xml;
    EXPECT_EQ(std::string::npos, xml.find("name=\"-\""));
    // The psapi way names the full path.
    std::vector<ProcessEntry> entries = ListProcesses(false);
    const ProcessEntry* own = FindById(entries, GetCurrentProcessId());
    ASSERT_NE(nullptr, own);
    EXPECT_EQ(OwnPath(), std::string(own->path));
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
