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

// Writes sample archives: logs of every size packed beside their source, an
// empty file, a small log with hostile texts, a log of a few megabytes, packs
// under a held source and a relative path, and a writer archive of several
// entries. check_archives.sh runs this with KELDRIX_ARCHIVE_OUT set and judges
// the archives with unzip, Python's zipfile and xmllint; the zip writer is
// checked there, by the Linux tools, and nowhere else.

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

// Writes a file and packs it; the source stays (removing it is the caller's business).
void Pack(const std::string& path, const std::string& bytes)
{
    ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes));
    ASSERT_TRUE(CZipper::ZipFile(path.c_str())) << path;
    EXPECT_TRUE(testsupport::FileExists(path));
}

}  // namespace

TEST(ArchiveSamples, WriteEmptySmallAndLargeLogs)
{
    std::unique_ptr<testsupport::TempDir> temp;
    const char* given = getenv("KELDRIX_ARCHIVE_OUT");
    std::string out = given != nullptr && *given != '\0' ? given : (temp.reset(new testsupport::TempDir), temp->Path());

    CreateDirectoryA((out + "\\sizes").c_str(), nullptr);
    for (size_t size : {0u, 1u, 2047u, 2048u, 5000u, 3u << 20})
        Pack(out + "\\sizes\\" + std::to_string(size) + ".log", diaglogtest::SampleBytes(size));
    Pack(out + "\\empty.log", "");
    DeleteFileA((out + "\\empty.log").c_str());
    SaveSample(out + "\\small", 3);
    SaveSample(out + "\\large", 20000);

    // An older archive of the same name is replaced, not added to.
    ASSERT_TRUE(testsupport::WriteFileBytes(out + "\\replaced.zip", std::string(100, 'x')));
    Pack(out + "\\replaced.log", "new");
    // A source held open elsewhere is packed from a copy named like it, which goes afterwards.
    ASSERT_TRUE(testsupport::WriteFileBytes(out + "\\held.log", "held"));
    HANDLE holder = CreateFileA((out + "\\held.log").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_TRUE(CZipper::ZipFile((out + "\\held.log").c_str()));
    CloseHandle(holder);
    EXPECT_FALSE(testsupport::FileExists(out + "\\held.lo2"));
    // A relative path packs beside the file, under the file's own name.
    CreateDirectoryA((out + "\\sub").c_str(), nullptr);
    ASSERT_TRUE(testsupport::WriteFileBytes(out + "\\sub\\nested.log", "nested"));
    {
        testsupport::CurrentFolder cd(out);
        EXPECT_TRUE(CZipper::ZipFile("sub\\nested.log"));
    }

    zipFile zip = zipOpen((out + "\\multi.zip").c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(nullptr, zip);
    zip_fileinfo info = {0x6000, 0x5B85, 0, 0x20};   // 12:00:00 on 5 December 2025
    ASSERT_EQ(ZIP_OK, zipOpenNewFileInZip(zip, "stored.txt", &info, "LX", 2, "GX", 2, "entry comment", ZIP_STORED, 0));
    ASSERT_EQ(ZIP_OK, zipWriteInFileInZip(zip, "stored text\n", 12));
    ASSERT_EQ(ZIP_OK, zipOpenNewFileInZip(zip, "deflated.txt", nullptr, nullptr, 0, nullptr, 0, nullptr, ZIP_DEFLATED, 9));
    std::string text(200000, 'k');
    ASSERT_EQ(ZIP_OK, zipWriteInFileInZip(zip, text.data(), static_cast<unsigned>(text.size())));
    ASSERT_EQ(ZIP_OK, zipClose(zip, "two entries"));
    // Misuse is refused and leaves an empty, valid archive.
    zip = zipOpen((out + "\\none.zip").c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(nullptr, zip);
    EXPECT_EQ(ZIP_PARAMERROR, zipWriteInFileInZip(zip, "a", 1));   // no entry open
    EXPECT_EQ(ZIP_PARAMERROR, zipCloseFileInZip(zip));
    EXPECT_EQ(ZIP_PARAMERROR, zipOpenNewFileInZip(zip, "", nullptr, nullptr, 0, nullptr, 0, nullptr, ZIP_DEFLATED, -1));
    EXPECT_EQ(ZIP_PARAMERROR, zipOpenNewFileInZip(zip, "a", nullptr, nullptr, 0, nullptr, 0, nullptr, 12, -1));
    EXPECT_EQ(ZIP_OK, zipClose(zip, nullptr));
}
