#include "CRegistryProblem.h"
#include "CSystemInformation.h"
#include "DiaglogTestSupport.h"
#include "IgnoredItem.h"
#include "LogFile.h"
#include "LogSettingsDirectory.h"
#include "LogSettingsKey.h"
#include "LogText.h"
#include "MetaInfo.h"
#include "ScanDetectedItem.h"
#include "SysInfo.h"
#include "TestSupport.h"
#include <gtest/gtest.h>
#include <regex>
#include <thread>

using testsupport::FileBytes;
using testsupport::FileExists;
using testsupport::TempDir;

namespace {

const char kSysInfoLine[] =
    "<SysInfo Operating-System=\"Win XP\" Service-Pack=\"Service Pack 2\" Product-Version=\"1.6\" "
    "Working-Dir=\"C:\\Program Files\\Keldrix\\\" Vendor-ID=\"7\" Product-ID=\"42\" Auto-Program-Update=\"on\" />\n";

std::string MaskTime(const std::string& xml)
{
    static const std::regex stamp("time=\"\\d\\d-\\d\\d-\\d{4}-\\d\\d-\\d\\d-\\d\\d\"");
    return std::regex_replace(xml, stamp, "time=\"T\"");
}

std::string Render(LogFile& log)
{
    return std::string(*log.GetXml());
}

// A document with every section off and a system line.
class LogDocument : public ::testing::Test {
protected:
    LogDocument() : sysInfo("Win XP", "Service Pack 2", "1.6", "C:\\Program Files\\Keldrix\\", 7, 42, 1)
    {
        settings.m_pSysInfo = &sysInfo;
    }
    SysInfo sysInfo;
    LogSettings settings;
};

CRegistryProblem Problem(const char* key, const char* name, const char* value, int category, BOOL checked)
{
    CRegistryProblem p(key, name, value, category);
    p.m_checked = static_cast<BYTE>(checked);
    return p;
}

}  // namespace

TEST_F(LogDocument, SystemInformationLogIsSavedZippedAndExactIntoAFolderItMakes)
{
    TempDir dir;
    LogFile log(settings);
    log.SetLogFolder((dir.Path() + "\\Logs").c_str());
    EXPECT_EQ(dir.Path() + "\\Logs\\", std::string(log.GetLogFolder()));
    log.CreateSystemInformationLog();
    // (check_archives.sh reads the archives back with unzip.)
    EXPECT_FALSE(FileExists(dir.File("Logs\\SystemInfo.log")));
    EXPECT_TRUE(FileExists(dir.File("Logs\\SystemInfo.zip")));
    std::string xml = Render(log);
    EXPECT_EQ(std::string("<Keldrix>\n<Meta info=\"Keldrix SystemInformation Log\" time=\"T\"/>\n") + kSysInfoLine
                  + "</Keldrix>\n",
              MaskTime(xml));
    EXPECT_NE(xml, MaskTime(xml));  // the time is there, in its own form
    log.SetLogFolder(dir.File("no\\such\\folder").c_str());
    EXPECT_FALSE(log.Save(TRUE));
}

TEST_F(LogDocument, RendersEverySectionInOrder)
{
    LogFile log(settings);
    log.CreateTechSupportLog();
    log.SetSettingsText("<GeneralSettings>\n</GeneralSettings>\n");
    CRegistryProblem found = Problem("HKEY_USERS\\S\\Key", "Name", "C:\\gone.exe", 7, TRUE);
    ScanDetectedItem* item = new ScanDetectedItem(&found);
    item->cleaned = 1;
    log.AddScanDetectedItem(item);
    log.AddIgnoredItem(new IgnoredItem("HKEY_LOCAL_MACHINE\\SOFTWARE\\Example\\Run\\Tool|c:\\tool.exe", 6));
    EXPECT_EQ(std::string("<Keldrix>\n<Meta info=\"Keldrix Tech-Support Log\" time=\"T\"/>\n") + kSysInfoLine
                  + "<GeneralSettings>\n</GeneralSettings>\n<IgnoredItems>\n"
                    "<IgnoredItem key=\"HKEY_LOCAL_MACHINE\" value=\"SOFTWARE\\Example\\Run\\Tool\" "
                    "valuename=\"c:\\tool.exe\" type=\"Startup Items\"/>\n</IgnoredItems>\n<ScanDetectedItems>\n"
                    "<FoundItem key=\"HKEY_USERS\\S\\Key\" value=\"C:\\gone.exe\" valuename=\"Name\" type=\"File Path\" "
                    "checkedforcleaning=\"yes\" cleaned=\"yes\"/>\n</ScanDetectedItems>\n</Keldrix>\n",
              MaskTime(Render(log)));
    log.SetSettingsText("<ScanSettings>\n</ScanSettings>\n");  // replaces, not appends
    std::string again = Render(log);
    EXPECT_EQ(std::string::npos, again.find("GeneralSettings"));
    EXPECT_NE(std::string::npos, again.find("<ScanSettings>\n</ScanSettings>\n<IgnoredItems>"));
}

// The four gathered sections, each switched on with something to show (the
// hosts file planted in folders of the test's own), come in their order.
TEST_F(LogDocument, GathersTheFourSectionsInTheirOrder)
{
    TempDir dir;
    testsupport::TestKey key;
    key.SetString("", "v", "1");
    ASSERT_TRUE(CreateDirectoryA(dir.File("etc").c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File("hosts"), "127.0.0.1 localhost\r\n6.6.6.6 planted.example\r\n"));
    LogSettingsKey keyEntry(HKEY_CURRENT_USER, key.SubKey().c_str(), FALSE);
    LogSettingsDirectory folderEntry(dir.File("etc").c_str(), FALSE);
    CPtrList keys, folders;
    keys.AddTail(&keyEntry);
    folders.AddTail(&folderEntry);
    settings.m_registry = settings.m_hosts = settings.m_processes = settings.m_filesystem = TRUE;
    settings.m_pKeys = &keys;
    settings.m_pDirectories = &folders;
    LogFile log(settings);
    log.SetHostsFolders(dir.Path().c_str(), dir.File("none").c_str());
    log.CreateTechSupportLog();

    const std::string xml = Render(log);
    const size_t processes = xml.find("<Processes>\n<Process"), registry = xml.find("<Registry>\n<RegKey name=\""),
                 hosts = xml.find("<Hosts>\n<Host name=\"planted.example\" ip=\"6.6.6.6\"/>\n</Hosts>\n"),
                 files = xml.find("<FileSystem>\n<Directory name=\"" + dir.File("etc"));
    EXPECT_NE(std::string::npos, files) << xml;
    EXPECT_LT(processes, registry) << xml;
    EXPECT_LT(registry, hosts) << xml;
    EXPECT_LT(hosts, files) << xml;
    EXPECT_EQ(1, testsupport::CountOf(xml, "<Host "));
}

TEST_F(LogDocument, SecondAfterFixSaveHoldsBothFixesInOrder)
{
    TempDir dir;
    LogFile log(settings);
    log.SetLogFolder(dir.Path().c_str());
    CRegistryProblem first = Problem("HKEY_CLASSES_ROOT\\First", "", "v1", 0, TRUE);
    log.AddIgnoredItem(new IgnoredItem("HKEY_CURRENT_USER\\Software\\Example\\|x", 9));
    log.AddScanDetectedItem(new ScanDetectedItem(&first));
    ASSERT_TRUE(log.Save(FALSE));
    std::set<std::string> archives = testsupport::FilesIn(dir.Path());
    ASSERT_EQ(1u, archives.size());
    EXPECT_TRUE(std::regex_match(*archives.begin(), std::regex("Keldrix(-\\d\\d){6}\\.zip")));
    DeleteFileA(dir.File(*archives.begin()).c_str());

    CRegistryProblem second = Problem("HKEY_CLASSES_ROOT\\Second", "", "v2", 10, FALSE);
    log.AddIgnoredItem(new IgnoredItem("HKEY_USERS\\Second|y", 3));
    log.AddScanDetectedItem(new ScanDetectedItem(&second));
    ASSERT_TRUE(log.Save(FALSE));
    archives = testsupport::FilesIn(dir.Path());
    ASSERT_EQ(1u, archives.size());
    std::string xml = Render(log);
    size_t ignored1 = xml.find("value=\"Software\\Example\\\" valuename=\"x\" type=\"EmptyKeys\"");
    size_t ignored2 = xml.find("key=\"HKEY_USERS\" value=\"Second\" valuename=\"y\" type=\"Shared DLLS\"");
    size_t found1 = xml.find("key=\"HKEY_CLASSES_ROOT\\First\"");
    size_t found2 = xml.find("key=\"HKEY_CLASSES_ROOT\\Second\" value=\"v2\" valuename=\"\" type=\"FileAssociation\" "
                             "checkedforcleaning=\"no\" cleaned=\"no\"");
    EXPECT_NE(std::string::npos, found2) << xml;
    EXPECT_LT(ignored1, ignored2);
    EXPECT_LT(ignored2, found1);
    EXPECT_LT(found1, found2);
}

TEST_F(LogDocument, FailedArchiveKeepsThePlainLog)
{
    TempDir dir;
    LogFile log(settings);
    log.SetLogFolder(dir.Path().c_str());
    log.AddIgnoredItem(new IgnoredItem("HKEY_USERS\\K|v", 1));
    // The archive's path is taken by a folder.
    CreateDirectoryA(dir.File("SystemInfo.zip").c_str(), nullptr);
    EXPECT_FALSE(log.Save(TRUE));
    EXPECT_EQ(MaskTime(Render(log)), MaskTime(FileBytes(dir.File("SystemInfo.log"))));
    RemoveDirectoryA(dir.File("SystemInfo.zip").c_str());
    // The archive's file is held by another process and refuses to be written.
    DeleteFileA(dir.File("SystemInfo.log").c_str());
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File("SystemInfo.zip"), "old"));
    HANDLE holder = CreateFileA(dir.File("SystemInfo.zip").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_FALSE(log.Save(TRUE));
    CloseHandle(holder);
    EXPECT_TRUE(FileExists(dir.File("SystemInfo.log")));
    EXPECT_EQ("old", FileBytes(dir.File("SystemInfo.zip")));
    // Once the archive can be written, the next save succeeds and tidies up.
    ASSERT_TRUE(log.Save(TRUE));
    EXPECT_FALSE(FileExists(dir.File("SystemInfo.log")));
}

TEST_F(LogDocument, ChangesAndRenderingFromSeveralThreadsDoNotCollide)
{
    LogFile log(settings);
    const int kItems = 3000;
    std::thread writer([&log] {
        for (int i = 0; i < kItems; i++) {
            log.AddIgnoredItem(new IgnoredItem("HKEY_USERS\\K|v", i % 11));
            if (i % 100 == 0)
                log.SetSettingsText(i % 200 == 0 ? "<A/>\n" : "<B/>\n");
        }
    });
    for (int last = 0, count = 0; count < kItems; last = count) {
        count = testsupport::CountOf(Render(log), "<IgnoredItem ");
        EXPECT_GE(count, last);
    }
    writer.join();
}

// A chain of nested elements, each with a 1 KB attribute: copying every
// subtree at every level would need gigabytes.
TEST(LogElementTest, DeepTreesRenderInOnePass)
{
    class Chain : public LogElement {
    public:
        explicit Chain(int depth) : m_child(depth > 0 ? new Chain(depth - 1) : nullptr) {}
        ~Chain() override { delete m_child; }
        void WriteXml(CString& out) const override
        {
            out += "<C a=\"" + CString('x', 1024) + "\">\n";
            if (m_child != nullptr)
                m_child->WriteXml(out);
            out += "</C>\n";
        }

    private:
        Chain* m_child;
    };
    Chain root(4000);
    EXPECT_EQ(4001 * (6 + 1024 + 3 + 5), root.GetXml()->GetLength());
}

TEST(LogText, EscapingAndConversion)
{
    CString text("a&b<c>d\"e'f\x01g\x1fh\ti\nj\rk\xe9&amp;");
    EscapeXml(text);
    EXPECT_STREQ("a&amp;b&lt;c&gt;d&quot;e&apos;f?g?h\ti\nj\rk\xe9&amp;amp;", text);
    EXPECT_STREQ("caf\xc3\xa9 \xe2\x82\xac", ConvertAnsiToUtf8("caf\xe9 \x80"));  // cp1252 e-acute, euro
    // A byte with no character in the code page still converts to valid text.
    CString odd = ConvertAnsiToUtf8("\x81");
    ASSERT_GT(odd.GetLength(), 0);
    EXPECT_GT(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, odd, odd.GetLength(), nullptr, 0), 0);
    SysInfo info("OS \"X\"", "SP<1>", "1.6", "C:\\A&B\\", -1, 0, 0);
    EXPECT_STREQ("<SysInfo Operating-System=\"OS &quot;X&quot;\" Service-Pack=\"SP&lt;1&gt;\" Product-Version=\"1.6\" "
                 "Working-Dir=\"C:\\A&amp;B\\\" Vendor-ID=\"-1\" Product-ID=\"0\" Auto-Program-Update=\"off\" />\n",
                 *info.GetXml());
}

TEST(ItemRecords, IgnoredEntriesAreCutAtTheFirstBackslashAndBars)
{
    const struct {
        const char* entry;
        const char* key;
        const char* value;
        const char* valueName;
    } cases[] = {
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Example\\Run\\Tool|c:\\tool.exe", "HKEY_LOCAL_MACHINE",
         "SOFTWARE\\Example\\Run\\Tool", "c:\\tool.exe"},
        {"HKEY_CURRENT_USER\\Software\\Example\\|x", "HKEY_CURRENT_USER", "Software\\Example\\", "x"},
        {"HKEY_USERS\\K|a|b", "HKEY_USERS", "K", "a"},
        {"HKEY_USERS\\K|", "HKEY_USERS", "K", ""},
        // Repeated delimiters count as one.
        {"\\\\HKEY_USERS\\K|v", "HKEY_USERS", "K", "v"},
        {"HKEY_USERS\\K|||v", "HKEY_USERS", "K", "v"},
        {"HKEY_USERS", "HKEY_USERS", "", ""},
        {"HKEY_USERS\\K&<|\"v'\x02", "HKEY_USERS", "K&amp;&lt;", "&quot;v&apos;?"},
    };
    for (const auto& c : cases) {
        IgnoredItem item(c.entry, 6);
        EXPECT_EQ(std::string(item.key) + "|" + std::string(item.value) + "|" + std::string(item.valueName),
                  std::string(c.key) + "|" + c.value + "|" + c.valueName)
            << c.entry;
    }
    EXPECT_NE(std::string::npos, std::string(IgnoredItem("K\\V|x", -1).GetXml()).find("type=\"\""));
    EXPECT_NE(std::string::npos, std::string(IgnoredItem("K\\V|x", 1000000).GetXml()).find("type=\"\""));
}

TEST(ItemRecords, FoundItemsCopyTheProblemEscapedOnce)
{
    CRegistryProblem p = Problem("HKEY_LOCAL_MACHINE\\K", "N\"", "a&b<c", 3, TRUE);
    ScanDetectedItem item(&p);
    EXPECT_STREQ("<FoundItem key=\"HKEY_LOCAL_MACHINE\\K\" value=\"a&amp;b&lt;c\" valuename=\"N&quot;\" "
                 "type=\"Shared DLLS\" checkedforcleaning=\"yes\" cleaned=\"no\"/>\n",
                 item.GetXml());
    item.cleaned = 2;
    item.checked = 0;
    EXPECT_NE(std::string::npos, std::string(item.GetXml()).find("checkedforcleaning=\"no\" cleaned=\"yes\""));
    CRegistryProblem outside = Problem("K", "", "", 11, TRUE);
    EXPECT_NE(std::string::npos, std::string(ScanDetectedItem(&outside).GetXml()).find("type=\"\""));
}

// The version record's edges: the build's low word on 9x, the service pack
// text only where the names call for it.
TEST(SystemInformation, NamesTheSystemFromItsVersionRecord)
{
    const struct {
        DWORD platform, major, minor, build;
        const char* csd;
        const char* name;
        const char* servicePack;
    } cases[] = {
        {VER_PLATFORM_WIN32s, 3, 10, 0, "", "OS_WIN31", "Unknown or None"},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, 1111, "", "OS_WIN95B_OSR2", "Unknown or None"},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, (4u << 24) | (10u << 16) | 2222, "", "OS_WIN98", "Unknown or None"},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 90, 3000, "", "OS_MILLENIUM", "Unknown or None"},
        {VER_PLATFORM_WIN32_NT, 5, 0, 2195, "Service Pack 4", "OS_WIN2000", "Unknown or None"},
        {VER_PLATFORM_WIN32_NT, 5, 1, 2600, "Service Pack 2", "Win XP", "Service Pack 2"},
        {VER_PLATFORM_WIN32_NT, 6, 0, 6000, "", "OS_VISTA", ""},
        {VER_PLATFORM_WIN32_NT, 6, 1, 7601, "Service Pack 1", "Win XP", "Service Pack 1"},
        {VER_PLATFORM_WIN32_NT, 10, 0, 19045, "", "OS_WINNT", "Unknown or None"},
        {3, 6, 0, 0, "", "OS_WIN95A_RETAIL", "Unknown or None"},
    };
    for (const auto& c : cases) {
        OSVERSIONINFOA info = {};
        info.dwOSVersionInfoSize = sizeof info;
        info.dwPlatformId = c.platform;
        info.dwMajorVersion = c.major;
        info.dwMinorVersion = c.minor;
        info.dwBuildNumber = c.build;
        strcpy(info.szCSDVersion, c.csd);
        CString servicePack = "Unknown or None";
        EXPECT_STREQ(c.name, CSystemInformation::NameOperatingSystem(info, servicePack)) << c.name;
        EXPECT_STREQ(c.servicePack, servicePack) << c.name;
    }
}
