#include "CRegistryProblem.h"
#include "CZipper.h"
#include "IgnoredItem.h"
#include "LogFile.h"
#include "ScanDetectedItem.h"
#include "SysInfo.h"
#include "TestSupport.h"
#include "DiaglogTestSupport.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include <memory>

// Writes sample archives: an empty file, a small log with hostile texts and a
// log of a few megabytes, plus a writer archive of several entries. With
// KELDRIX_ARCHIVE_OUT set they are left in that folder for check_archives.sh
// to judge with unzip, Python's zipfile and xmllint; otherwise they are read
// back here and removed.

namespace {

// A value holding every markup character, a control byte and a cp1252 letter.
const char kHostileValue[] = "a&b<c\"d'e\x01" "f>g\xe9";

void SaveSample(const std::string& folder, int items)
{
    SysInfo sysInfo("Win XP", "Service Pack 1", "1.6", "C:\\Program Files\\K&K <Tools>\\", 1, 2, 1);
    LogSettings settings;
    settings.m_pSysInfo = &sysInfo;
    LogFile log(settings);
    log.SetLogFolder(folder.c_str());
    log.CreateTechSupportLog();
    log.SetSettingsText("<GeneralSettings>\n<autoupdate>yes</autoupdate>\n</GeneralSettings>\n");
    log.AddIgnoredItem(new IgnoredItem(CString("HKEY_USERS\\S-1\\Run\\Tool|") + kHostileValue, 6));
    for (int i = 0; i < items; i++) {
        CString key;
        key.Format("HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{%08X-0000-0000-0000-000000000000}\\InprocServer32", i);
        CRegistryProblem problem(key, "(Default)", i == 0 ? kHostileValue : "C:\\Windows\\system32\\gone.dll",
                                 i % 11);
        log.AddScanDetectedItem(new ScanDetectedItem(&problem));
    }
    ASSERT_TRUE(log.Save(TRUE));
}

void ExpectReadable(const std::string& zipPath, size_t minSize)
{
    diaglogtest::Archive archive;
    std::string error;
    ASSERT_TRUE(diaglogtest::Read(zipPath, archive, error)) << zipPath << ": " << error;
    ASSERT_FALSE(archive.entries.empty());
    EXPECT_GE(archive.entries[0].data.size(), minSize);
}

}  // namespace

TEST(ArchiveSamples, WriteEmptySmallAndLargeLogs)
{
    std::unique_ptr<testsupport::TempDir> temp;
    const char* given = getenv("KELDRIX_ARCHIVE_OUT");
    std::string out;
    if (given != nullptr && *given != '\0') {
        out = given;
    } else {
        temp.reset(new testsupport::TempDir);
        out = temp->Path();
    }

    ASSERT_TRUE(testsupport::WriteFileBytes(out + "\\empty.log", ""));
    ASSERT_TRUE(CZipper::ZipFile((out + "\\empty.log").c_str()));
    DeleteFileA((out + "\\empty.log").c_str());
    SaveSample(out + "\\small", 3);
    SaveSample(out + "\\large", 20000);

    zipFile zip = zipOpen((out + "\\multi.zip").c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(nullptr, zip);
    zip_fileinfo info = {0x6000, 0x5B85, 0, 0x20};   // 12:00:00 on 5 December 2025
    ASSERT_EQ(ZIP_OK, zipOpenNewFileInZip(zip, "stored.txt", &info, "LX", 2, "GX", 2, "entry comment", ZIP_STORED, 0));
    ASSERT_EQ(ZIP_OK, zipWriteInFileInZip(zip, "stored text\n", 12));
    ASSERT_EQ(ZIP_OK, zipOpenNewFileInZip(zip, "deflated.txt", nullptr, nullptr, 0, nullptr, 0, nullptr, ZIP_DEFLATED, 9));
    std::string text(200000, 'k');
    ASSERT_EQ(ZIP_OK, zipWriteInFileInZip(zip, text.data(), static_cast<unsigned>(text.size())));
    ASSERT_EQ(ZIP_OK, zipClose(zip, "two entries"));

    ExpectReadable(out + "\\empty.zip", 0);
    ExpectReadable(out + "\\small\\SystemInfo.zip", 1000);
    ExpectReadable(out + "\\large\\SystemInfo.zip", 3u << 20);
    diaglogtest::Archive multi;
    std::string error;
    ASSERT_TRUE(diaglogtest::Read(out + "\\multi.zip", multi, error)) << error;
    ASSERT_EQ(2u, multi.entries.size());
    EXPECT_EQ(0x5B85u, multi.entries[0].dosDate);
    EXPECT_EQ("stored text\n", multi.entries[0].data);
    EXPECT_TRUE(multi.entries[1].data == text);
    EXPECT_EQ("two entries", multi.comment);
}
