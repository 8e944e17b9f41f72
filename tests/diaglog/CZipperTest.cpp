#include "CZipper.h"
#include "TestSupport.h"
#include <gtest/gtest.h>

using testsupport::CurrentFolder;
using testsupport::FileExists;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

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

TEST(ZipWriter, OpensOnlyNewArchivesAtAPath)
{
    TempDir dir;
    EXPECT_EQ(nullptr, zipOpen(dir.Path().c_str(), APPEND_STATUS_CREATE));   // a folder
    EXPECT_EQ(nullptr, zipOpen(dir.File("x.zip").c_str(), 2));              // appending is not supported
    EXPECT_EQ(nullptr, zipOpen(nullptr, APPEND_STATUS_CREATE));
}
