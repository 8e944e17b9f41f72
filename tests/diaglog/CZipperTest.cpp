#include "CZipper.h"
#include "TestSupport.h"
#include "DiaglogTestSupport.h"
#include <gtest/gtest.h>

using testsupport::CurrentFolder;
using testsupport::FileExists;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

namespace {

// Bytes that compress somewhat, with every byte value present.
std::string SampleBytes(size_t size)
{
    std::string s(size, '\0');
    unsigned seed = 12345;
    for (size_t i = 0; i < size; i++) {
        seed = seed * 1103515245 + 12345;
        s[i] = (i % 7 == 0) ? static_cast<char>(seed >> 16) : "log text "[i % 9];
    }
    return s;
}

// Packs path and reads the archive back; the archive must hold one entry.
diaglogtest::Entry PackAndRead(const std::string& path, const std::string& zipPath)
{
    EXPECT_TRUE(CZipper::ZipFile(path.c_str()));
    diaglogtest::Archive archive;
    std::string error;
    EXPECT_TRUE(diaglogtest::Read(zipPath, archive, error)) << error;
    EXPECT_EQ(1u, archive.entries.size());
    return archive.entries.empty() ? diaglogtest::Entry() : archive.entries[0];
}

}  // namespace

TEST(ZipFile, PacksFilesOfEverySizeBesideThemUnderTheirOwnName)
{
    TempDir dir;
    for (size_t size : {size_t(0), size_t(1), size_t(2047), size_t(2048), size_t(5000), size_t(3 << 20)}) {
        SCOPED_TRACE(size);
        std::string bytes = SampleBytes(size);
        ASSERT_TRUE(WriteFileBytes(dir.File("SystemInfo.log"), bytes));
        diaglogtest::Entry e = PackAndRead(dir.File("SystemInfo.log"), dir.File("SystemInfo.zip"));
        EXPECT_EQ("SystemInfo.log", e.name);
        EXPECT_EQ(8u, e.method);
        EXPECT_EQ(0u, e.dosDate);
        EXPECT_EQ(0u, e.dosTime);
        EXPECT_TRUE(e.data == bytes);
        EXPECT_TRUE(FileExists(dir.File("SystemInfo.log")));   // removing the source is the caller's business
    }
}

TEST(ZipFile, ReplacesAnExistingArchive)
{
    TempDir dir;
    zipFile old = zipOpen(dir.File("a.zip").c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(nullptr, old);
    for (const char* name : {"old1.txt", "old2.txt"}) {
        ASSERT_EQ(ZIP_OK, zipOpenNewFileInZip(old, name, nullptr, nullptr, 0, nullptr, 0, nullptr, ZIP_DEFLATED, -1));
        ASSERT_EQ(ZIP_OK, zipWriteInFileInZip(old, "old", 3));
    }
    ASSERT_EQ(ZIP_OK, zipClose(old, nullptr));
    ASSERT_TRUE(WriteFileBytes(dir.File("a.log"), "new"));

    diaglogtest::Entry e = PackAndRead(dir.File("a.log"), dir.File("a.zip"));
    EXPECT_EQ("a.log", e.name);
    EXPECT_EQ("new", e.data);
}

TEST(ZipFile, PacksAFileHeldOpenElsewhereFromACopy)
{
    TempDir dir;
    std::string bytes = SampleBytes(10000);
    ASSERT_TRUE(WriteFileBytes(dir.File("held.log"), bytes));
    HANDLE holder = CreateFileA(dir.File("held.log").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);

    diaglogtest::Entry e = PackAndRead(dir.File("held.log"), dir.File("held.zip"));
    CloseHandle(holder);
    EXPECT_EQ("held.lo2", e.name);
    EXPECT_TRUE(e.data == bytes);
    EXPECT_FALSE(FileExists(dir.File("held.lo2")));
    EXPECT_TRUE(FileExists(dir.File("held.log")));
}

TEST(ZipFile, RelativePathsPackBesideTheFile)
{
    TempDir dir;
    CreateDirectoryA(dir.File("sub").c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(dir.File("plain.log"), "plain"));
    ASSERT_TRUE(WriteFileBytes(dir.File("sub\\nested.log"), "nested"));
    CurrentFolder cd(dir.Path());

    diaglogtest::Entry plain = PackAndRead("plain.log", dir.File("plain.zip"));
    EXPECT_EQ("plain.log", plain.name);
    EXPECT_EQ("plain", plain.data);
    diaglogtest::Entry dotted = PackAndRead(".\\plain.log", dir.File("plain.zip"));
    EXPECT_EQ("plain.log", dotted.name);
    diaglogtest::Entry nested = PackAndRead("sub\\nested.log", dir.File("sub\\nested.zip"));
    EXPECT_EQ("nested.log", nested.name);
    EXPECT_EQ("nested", nested.data);
}

TEST(ZipFile, RefusesBadSourcesWithoutTouchingAnyArchive)
{
    TempDir dir;
    CreateDirectoryA(dir.File("folder.log").c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(dir.File("keep.zip"), "not a log"));
    ASSERT_TRUE(WriteFileBytes(dir.File("missing.zip"), "old archive"));
    ASSERT_TRUE(WriteFileBytes(dir.File("name.lo2"), "x"));
    CurrentFolder cd(dir.File("folder.log"));

    EXPECT_FALSE(CZipper::ZipFile(nullptr));
    EXPECT_FALSE(CZipper::ZipFile(""));
    EXPECT_FALSE(CZipper::ZipFile("..\\keep.zip"));
    EXPECT_FALSE(CZipper::ZipFile(dir.File("missing.log").c_str()));
    EXPECT_FALSE(CZipper::ZipFile(dir.File("folder.log").c_str()));
    EXPECT_FALSE(CZipper::ZipFile(std::string(300, 'a').c_str()));
    // A file named like its own archive would be destroyed by packing it.
    EXPECT_FALSE(CZipper::ZipFile(dir.File("keep.zip").c_str()));

    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(dir.File("keep.zip"), bytes));
    EXPECT_EQ("not a log", bytes);
    ASSERT_TRUE(ReadFileBytes(dir.File("missing.zip"), bytes));
    EXPECT_EQ("old archive", bytes);
    EXPECT_FALSE(FileExists(dir.File("folder.zip")));
}

TEST(ZipFile, FailsWithoutArchiveWhenTheCopyCannotBeMade)
{
    TempDir dir;
    // Held open without any sharing: neither the file nor a copy can be read.
    ASSERT_TRUE(WriteFileBytes(dir.File("locked.log"), "data"));
    HANDLE holder = CreateFileA(dir.File("locked.log").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_FALSE(CZipper::ZipFile(dir.File("locked.log").c_str()));
    CloseHandle(holder);
    EXPECT_FALSE(FileExists(dir.File("locked.zip")));
    EXPECT_FALSE(FileExists(dir.File("locked.lo2")));

    // A name already ending in "2" would have its copy on top of itself.
    ASSERT_TRUE(WriteFileBytes(dir.File("x.lo2"), "data"));
    holder = CreateFileA(dir.File("x.lo2").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_FALSE(CZipper::ZipFile(dir.File("x.lo2").c_str()));
    CloseHandle(holder);
    EXPECT_TRUE(FileExists(dir.File("x.lo2")));
    EXPECT_FALSE(FileExists(dir.File("x.zip")));
}

TEST(ZipFile, FailsAndKeepsNoArchiveWhenTheArchiveCannotBeWritten)
{
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.File("a.log"), "data"));
    CreateDirectoryA(dir.File("a.zip").c_str(), nullptr);
    EXPECT_FALSE(CZipper::ZipFile(dir.File("a.log").c_str()));
    EXPECT_TRUE(FileExists(dir.File("a.log")));
    DWORD attributes = GetFileAttributesA(dir.File("a.zip").c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
}

TEST(ZipWriter, RejectsMisuse)
{
    TempDir dir;
    EXPECT_EQ(nullptr, zipOpen(dir.Path().c_str(), APPEND_STATUS_CREATE));   // a folder
    EXPECT_EQ(nullptr, zipOpen(dir.File("x.zip").c_str(), 2));              // appending is not supported
    EXPECT_EQ(nullptr, zipOpen(nullptr, APPEND_STATUS_CREATE));

    zipFile zip = zipOpen(dir.File("x.zip").c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(nullptr, zip);
    EXPECT_EQ(ZIP_PARAMERROR, zipWriteInFileInZip(zip, "a", 1));   // no entry open
    EXPECT_EQ(ZIP_PARAMERROR, zipCloseFileInZip(zip));
    EXPECT_EQ(ZIP_PARAMERROR, zipOpenNewFileInZip(zip, "", nullptr, nullptr, 0, nullptr, 0, nullptr, ZIP_DEFLATED, -1));
    EXPECT_EQ(ZIP_PARAMERROR, zipOpenNewFileInZip(zip, "a", nullptr, nullptr, 0, nullptr, 0, nullptr, 12, -1));
    EXPECT_EQ(ZIP_OK, zipClose(zip, nullptr));

    diaglogtest::Archive archive;
    std::string error;
    ASSERT_TRUE(diaglogtest::Read(dir.File("x.zip"), archive, error)) << error;
    EXPECT_TRUE(archive.entries.empty());
}
