#include "CHostFileScanner.h"
#include "DiaglogTestSupport.h"
#include "Host.h"
#include "LogFile.h"
#include "TestSupport.h"
#include <gtest/gtest.h>

using testsupport::TempDir;
using testsupport::WriteFileBytes;

namespace {

std::string HostXml(const char* line)
{
    Host host(line);
    return diaglogtest::Render(host);
}

}  // namespace

// Blanks, tabs, carriage returns and line feeds all separate the tokens.
TEST(Hosts, HostElementEscapesBothTokens)
{
    EXPECT_EQ("<Host name=\"k&amp;r&lt;tools&gt;\" ip=\"1.2.3.4&quot;\"/>\n", HostXml("  1.2.3.4\"\t k&r<tools>\r"));
}

TEST(Hosts, ScannerKeepsRedirectingLinesOfEveryHostsFile)
{
    TempDir temp;
    const std::string windows = temp.File("win");
    const std::string system = temp.File("sys");
    ASSERT_TRUE(CreateDirectoryA(windows.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(system.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((system + "\\drivers").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((system + "\\drivers\\etc").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(windows + "\\hosts",
                               "# comment\r\n"
                               "127.0.0.1 localhost\r\n"
                               "   \t127.0.0.1   indented\r\n"
                               "0.0.0.0 ads.example.com\r\n"
                               " # indented comment\r\n"
                               "\r\n"
                               "::1 localhost\r\n"
                               "10.0.0.1 first second third\r\n"
                               "1.2.3.4 k&r<tools>\r\n"
                               "9.9.9.9"));
    ASSERT_TRUE(WriteFileBytes(windows + "\\hosts.new", "5.6.7.8 new.example\n127.1.1.1 other\n"));
    ASSERT_TRUE(WriteFileBytes(system + "\\drivers\\etc\\hosts", "4.4.4.4 etc.example\n"));
    // A folder of the name is no hosts file.
    ASSERT_TRUE(CreateDirectoryA((system + "\\drivers\\etc\\hosts.new").c_str(), nullptr));

    CHostFileScanner scanner;
    scanner.ScanFolders(windows.c_str(), system.c_str());
    ASSERT_EQ(3, scanner.GetCandidates().GetSize());
    EXPECT_EQ(windows + "\\hosts", std::string(scanner.GetCandidates()[0]));
    EXPECT_EQ(windows + "\\hosts.new", std::string(scanner.GetCandidates()[1]));
    EXPECT_EQ(system + "\\drivers\\etc\\hosts", std::string(scanner.GetCandidates()[2]));

    const char* kept[] = {
        "0.0.0.0 ads.example.com", " # indented comment", "::1 localhost", "10.0.0.1 first second third",
        "1.2.3.4 k&r<tools>",      "9.9.9.9",             "5.6.7.8 new.example", "4.4.4.4 etc.example",
    };
    ASSERT_EQ(8, scanner.GetLineCount());
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(kept[i], std::string(scanner.GetLine(i)));

    std::string xml;
    for (int i = 0; i < scanner.GetLineCount(); i++)
        xml += HostXml(scanner.GetLine(i));
    EXPECT_EQ("<Host name=\"ads.example.com\" ip=\"0.0.0.0\"/>\n"
              "<Host name=\"indented\" ip=\"#\"/>\n"
              "<Host name=\"localhost\" ip=\"::1\"/>\n"
              "<Host name=\"first\" ip=\"10.0.0.1\"/>\n"
              "<Host name=\"k&amp;r&lt;tools&gt;\" ip=\"1.2.3.4\"/>\n"
              "<Host name=\"\" ip=\"9.9.9.9\"/>\n"
              "<Host name=\"new.example\" ip=\"5.6.7.8\"/>\n"
              "<Host name=\"etc.example\" ip=\"4.4.4.4\"/>\n",
              xml);

    // A second scan starts afresh; missing files are passed over.
    scanner.ScanFolders(temp.File("none").c_str(), temp.File("none").c_str());
    EXPECT_EQ(0, scanner.GetCandidates().GetSize());
    EXPECT_EQ(0, scanner.GetLineCount());
}
