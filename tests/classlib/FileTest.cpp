#include "afx.h"
#include "TestSupport.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include <set>
#include <string>

using testsupport::FileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

namespace {

// Runs f and returns the cause of the CFileException it threw, or -1.
template <class F>
int FileExceptionCause(F f)
{
    try {
        f();
    } catch (CFileException* e) {
        int cause = e->m_cause;
        e->Delete();
        return cause;
    }
    return -1;
}

}  // namespace

TEST(FileTest, FailuresAreReportedWithTheirCause)
{
    TempDir dir;
    std::string missing = dir.File("missing.txt");
    CFile f;
    CFileException error;
    EXPECT_FALSE(f.Open(missing.c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(error.m_lOsError, ERROR_FILE_NOT_FOUND);
    char text[512];
    EXPECT_TRUE(error.GetErrorMessage(text, sizeof text));
    EXPECT_NE(std::string(text).find("missing.txt"), std::string::npos);
    EXPECT_EQ(FileExceptionCause([&] { CFile g(missing.c_str(), CFile::modeRead); }), CFileException::fileNotFound);
    EXPECT_EQ(FileExceptionCause([&] { CFile g(dir.File("no\\dir.txt").c_str(), CFile::modeCreate | CFile::modeWrite); }),
              CFileException::badPath);
    EXPECT_EQ(FileExceptionCause([&] { CFile::Remove(missing.c_str()); }), CFileException::fileNotFound);
    EXPECT_NE(FileExceptionCause([&] { f.Read(text, 1); }), -1);  // not open

    std::string path = dir.File("shared.txt");
    ASSERT_TRUE(WriteFileBytes(path, "x"));
    CFile first(path.c_str(), CFile::modeRead | CFile::shareDenyWrite);
    EXPECT_NE(FileExceptionCause([&] { first.Write("y", 1); }), -1);
    EXPECT_FALSE(f.Open(path.c_str(), CFile::modeWrite | CFile::shareDenyNone, &error));
    EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
    EXPECT_TRUE(f.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone));
}

TEST(FileTest, StdioFileWritesCrLfAndReadsWholeLinesWithoutLineEnds)
{
    TempDir dir;
    std::string text = dir.File("text.txt"), binary = dir.File("binary.txt");
    std::string longLine(100000, 'a');
    longLine[65535] = 'M';
    {
        CStdioFile f(text.c_str(), CFile::modeCreate | CFile::modeWrite);
        f.WriteString("x\n\n");
        f.WriteString(longLine.c_str());
        f.WriteString("\ny");
        CStdioFile(binary.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary).WriteString("a\nb\n");
    }
    EXPECT_EQ(FileBytes(text), "x\r\n\r\n" + longLine + "\r\ny");
    EXPECT_EQ(FileBytes(binary), "a\nb\n");

    CStdioFile f(text.c_str(), CFile::modeRead);
    CString line("stale");
    for (const std::string& expected : {std::string("x"), std::string(), longLine, std::string("y")}) {
        ASSERT_TRUE(f.ReadString(line));
        EXPECT_EQ(std::string(line), expected);
    }
    EXPECT_FALSE(f.ReadString(line));
    EXPECT_TRUE(line.IsEmpty());
    CStdioFile g(binary.c_str(), CFile::modeRead | CFile::typeBinary);
    char buf[8] = {};
    EXPECT_EQ(g.Read(buf, 2), 2u);
    EXPECT_NE(g.ReadString(buf, sizeof buf), nullptr);
    EXPECT_STREQ(buf, "b\n");  // the buffer form keeps the line end
    EXPECT_FALSE(g.ReadString(line));  // a file ending in a line end has no extra empty line
    g.Close();
    EXPECT_NE(FileExceptionCause([&] { g.WriteString("x"); }), -1);
}

TEST(FileTest, FindNextFileLeavesTheLastEntryForAfterTheLoop)
{
    TempDir dir;
    for (const char* name : {"one.txt", "two.txt", "three.log"})
        ASSERT_TRUE(WriteFileBytes(dir.File(name), name));
    ASSERT_TRUE(CreateDirectoryA(dir.File("sub").c_str(), nullptr));

    std::set<std::string> names;
    auto take = [&](const CFileFind& find) {
        names.insert(std::string(find.IsDots() ? "dots " : find.IsDirectory() ? "dir " : "file ")
                     + (LPCSTR)find.GetFileName());
        if (!find.IsDirectory()) {
            EXPECT_EQ(find.GetFilePath(), dir.File((LPCSTR)find.GetFileName()).c_str());
            EXPECT_EQ(find.GetLength(), static_cast<ULONGLONG>(find.GetFileName().GetLength()));
        }
    };
    CFileFind find;
    ASSERT_TRUE(find.FindFile((dir.Path() + "\\*.*").c_str()));
    EXPECT_TRUE(find.GetFileName().IsEmpty());  // nothing is current before the first step
    int steps = 0;
    for (BOOL more = TRUE; more; ++steps)
        if ((more = find.FindNextFile()))
            take(find);
    take(find);  // the last entry is still current
    EXPECT_EQ(steps, 6);
    EXPECT_EQ(names, (std::set<std::string>{"file one.txt", "file two.txt", "file three.log", "dots .", "dots ..",
                                            "dir sub"}));
    EXPECT_FALSE(find.FindNextFile());  // stays at the end

    ASSERT_TRUE(find.FindFile((dir.Path() + "\\*.log").c_str()));
    EXPECT_FALSE(find.FindNextFile());  // the one match is also the last
    EXPECT_EQ(find.GetFileTitle(), "three");
    CTime written;
    EXPECT_TRUE(find.GetLastWriteTime(written));
    EXPECT_LE(std::llabs(written.GetTime() - CTime::GetCurrentTime().GetTime()), 3600);
    EXPECT_FALSE(find.FindFile((dir.Path() + "\\*.none").c_str()));
    EXPECT_FALSE(find.FindFile(dir.File("missing\\*.*").c_str()));
    {
        // A relative pattern gets the current folder as its root.
        testsupport::CurrentFolder current(dir.Path());
        ASSERT_TRUE(find.FindFile("three.*"));
    }
    find.FindNextFile();
    EXPECT_EQ(find.GetFilePath().CompareNoCase(dir.File("three.log").c_str()), 0);
}
