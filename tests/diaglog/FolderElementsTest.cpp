#include "CMD5.h"
#include "Directory.h"
#include "DiaglogTestSupport.h"
#include "LogFile.h"
#include "LogSettingsDirectory.h"
#include "TestSupport.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include <memory>
#include <objbase.h>
#include <shlobj.h>

using diaglogtest::FileLine;
using diaglogtest::FileLines;
using diaglogtest::SampleBytes;
using diaglogtest::SampleDigestOf;
using testsupport::TempDir;

namespace {

const char kNoDigest[] = "could not open file for md5 calculation";

bool MakeShortcut(const std::string& linkPath, const std::string& target)
{
    bool initialized = SUCCEEDED(CoInitialize(nullptr));
    bool saved = false;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->SetPath(target.c_str())) &&
            SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
            saved = SUCCEEDED(file->Save(wide, TRUE));
            file->Release();
        }
        link->Release();
    }
    if (initialized)
        CoUninitialize();
    return saved;
}

std::string DigestOf(const std::string& path)
{
    CString hex;
    CMD5::GetFileDigest(path.c_str(), hex);
    return std::string(hex);
}

std::string Describe(const std::string& folder, BOOL recurse)
{
    std::unique_ptr<Directory> directory(AddDirectory(folder.c_str(), recurse));
    return diaglogtest::Render(*directory);
}

std::set<FileLine> AsSet(const std::vector<FileLine>& lines)
{
    return std::set<FileLine>(lines.begin(), lines.end());
}

FileLine Line(const std::string& path, const std::string& md5)
{
    return FileLine(path, path, md5);
}

// A folder with files of known digests, a shortcut to a file elsewhere, and
// two levels of subfolders.
class FolderElements : public ::testing::Test {
protected:
    void SetUp() override
    {
        walk = temp.File("walk");
        target = elsewhere.File("target.bin");
        ASSERT_TRUE(CreateDirectoryA(walk.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA((walk + "\\sub").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA((walk + "\\sub\\deeper").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA((walk + "\\empty").c_str(), nullptr));
        ASSERT_TRUE(testsupport::WriteFileBytes(walk + "\\a.bin", SampleBytes(55)));
        ASSERT_TRUE(testsupport::WriteFileBytes(walk + "\\b & c.bin", SampleBytes(1023)));
        ASSERT_TRUE(testsupport::WriteFileBytes(walk + "\\sub\\c.bin", SampleBytes(64)));
        ASSERT_TRUE(testsupport::WriteFileBytes(walk + "\\sub\\deeper\\d.bin", SampleBytes(0)));
        ASSERT_TRUE(testsupport::WriteFileBytes(target, SampleBytes(65)));
        ASSERT_TRUE(MakeShortcut(walk + "\\link.lnk", target));
    }

    std::set<FileLine> TopFiles() const
    {
        return {
            Line(walk + "\\a.bin", SampleDigestOf(55)),
            Line(walk + "\\b &amp; c.bin", SampleDigestOf(1023)),
            Line(walk + "\\link.lnk", DigestOf(walk + "\\link.lnk")),
            Line(target, SampleDigestOf(65)),
        };
    }

    TempDir temp;
    TempDir elsewhere;
    std::string walk;
    std::string target;
};

}  // namespace

TEST_F(FolderElements, FlatWalkListsTheFolderOwnFilesAndShortcutTargets)
{
    diaglogtest::ScopedEnvironment variable("KELDRIX_WALK_DIR", walk);
    std::string xml = Describe("%KELDRIX_WALK_DIR%", FALSE);
    EXPECT_EQ(0u, xml.find("<Directory name=\"%KELDRIX_WALK_DIR%\" expanded-name=\"" + walk + "\">\n")) << xml;
    EXPECT_EQ(1, testsupport::CountOf(xml, "<Directory "));
    std::vector<FileLine> files = FileLines(xml);
    EXPECT_EQ(TopFiles(), AsSet(files));
    EXPECT_EQ(4u, files.size());
    // The target comes right after its shortcut.
    for (size_t i = 0; i < files.size(); i++) {
        if (std::get<0>(files[i]) == walk + "\\link.lnk") {
            ASSERT_LT(i + 1, files.size());
            EXPECT_EQ(target, std::get<0>(files[i + 1]));
        }
    }
    EXPECT_EQ(std::string("</Directory>\n"), xml.substr(xml.size() - 13));
}

TEST_F(FolderElements, RecursiveWalkNestsSubfoldersAfterTheFiles)
{
    std::string xml = Describe(walk + "\\", TRUE);
    EXPECT_EQ(4, testsupport::CountOf(xml, "<Directory "));
    std::set<FileLine> expected = TopFiles();
    expected.insert(Line(walk + "\\sub\\c.bin", SampleDigestOf(64)));
    expected.insert(Line(walk + "\\sub\\deeper\\d.bin", SampleDigestOf(0)));
    EXPECT_EQ(expected, AsSet(FileLines(xml)));

    // Every file of the top folder comes before its first subfolder.
    size_t firstChild = xml.find("<Directory ", 1);
    ASSERT_NE(std::string::npos, firstChild);
    EXPECT_EQ(std::string::npos, xml.find("<File name=\"" + walk + "\\a", firstChild));
    EXPECT_EQ(std::string::npos, xml.find("<File name=\"" + target, firstChild));

    const std::string sub = "<Directory name=\"" + walk + "\\sub\" expanded-name=\"" + walk + "\\sub\">\n" +
                            "<File name=\"" + walk + "\\sub\\c.bin\"";
    EXPECT_NE(std::string::npos, xml.find(sub)) << xml;
    const std::string deeper = "<Directory name=\"" + walk + "\\sub\\deeper\" expanded-name=\"" + walk +
                               "\\sub\\deeper\">\n<File name=\"" + walk + "\\sub\\deeper\\d.bin\" expanded-name=\"" +
                               walk + "\\sub\\deeper\\d.bin\" md5=\"" + SampleDigestOf(0) +
                               "\"/>\n</Directory>\n</Directory>\n";
    EXPECT_NE(std::string::npos, xml.find(deeper)) << xml;
    EXPECT_NE(std::string::npos, xml.find("<Directory name=\"" + walk + "\\empty\" expanded-name=\"" + walk +
                                          "\\empty\">\n</Directory>\n"));
}

TEST_F(FolderElements, MissingFolderGivesAnEmptyElement)
{
    std::string missing = walk + "\\nothere";
    EXPECT_EQ("<Directory name=\"" + missing + "\" expanded-name=\"" + missing + "\">\n</Directory>\n",
              Describe(missing, TRUE));
}

TEST(FolderElementsDepth, WalkStopsAtSixtyFourLevelsBelowTheFolder)
{
    TempDir temp;
    std::string path = temp.Path();
    for (int i = 0; i < 70; i++) {
        path += "\\d";
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << i;
    }
    EXPECT_EQ(65, testsupport::CountOf(Describe(temp.Path(), TRUE), "<Directory "));
}

TEST(FolderElementsShortcut, TargetOfNonShortcutsIsEmpty)
{
    TempDir temp;
    ASSERT_TRUE(testsupport::WriteFileBytes(temp.File("broken.lnk"), "not a shortcut"));
    EXPECT_TRUE(ResolveShortcutTarget(temp.File("broken.lnk").c_str()).IsEmpty());
    EXPECT_TRUE(ResolveShortcutTarget(temp.File("plain.txt").c_str()).IsEmpty());
}

// Linked folders (reparse points) are listed neither as folders nor by
// their contents. The Linux-side script check_folder_links.sh plants
// symbolic links, one of them to the root of the file system, and names the
// folder in KELDRIX_LINK_WALK; run alone, the test checks the walk of a
// plain tree.
TEST(FolderLinks, WalkDoesNotEnterLinkedFolders)
{
    std::unique_ptr<TempDir> temp;
    std::string walk;
    const char* given = getenv("KELDRIX_LINK_WALK");
    bool linked = given != nullptr && *given != '\0';
    if (linked) {
        walk = given;
    } else {
        temp.reset(new TempDir);
        walk = temp->Path();
        ASSERT_TRUE(CreateDirectoryA((walk + "\\sub").c_str(), nullptr));
        ASSERT_TRUE(testsupport::WriteFileBytes(walk + "\\sub\\inside.bin", SampleBytes(63)));
    }
    if (linked) {
        for (const char* link : {"\\linked", "\\root"}) {
            DWORD attributes = GetFileAttributesA((walk + link).c_str());
            ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes) << link;
            ASSERT_NE(0u, attributes & FILE_ATTRIBUTE_REPARSE_POINT) << link << " is not seen as a link";
        }
    }

    std::string xml = Describe(walk, TRUE);
    EXPECT_EQ(2, testsupport::CountOf(xml, "<Directory ")) << xml;
    EXPECT_NE(std::string::npos, xml.find("<Directory name=\"" + walk + "\\sub\""));
    std::vector<FileLine> files = FileLines(xml);
    ASSERT_EQ(1u, files.size()) << xml;
    EXPECT_EQ(Line(walk + "\\sub\\inside.bin", SampleDigestOf(63)), files[0]);
}
