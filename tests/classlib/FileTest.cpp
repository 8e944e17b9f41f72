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

TEST(FileTest, BinaryFileWritesReadsAndSeeks)
{
    TempDir dir;
    std::string path = dir.File("data.bin");
    {
        CFile f;
        ASSERT_TRUE(f.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite));
        f.Write("line\nmore", 9);
        EXPECT_EQ(f.GetLength(), 9u);
        EXPECT_EQ(f.GetPosition(), 9u);
        EXPECT_EQ(f.Seek(-4, CFile::end), 5u);
        char buf[16] = {};
        EXPECT_EQ(f.Read(buf, sizeof buf), 4u);
        EXPECT_STREQ(buf, "more");
        EXPECT_EQ(f.Read(buf, sizeof buf), 0u);   // end of file
        f.SeekToBegin();
        f.Write("LI", 2);
        f.SetLength(6);
        EXPECT_EQ(f.GetFileName(), "data.bin");
        EXPECT_EQ(f.GetFilePath().CompareNoCase(path.c_str()), 0);
    }
    EXPECT_EQ(FileBytes(path), "LIne\nm");   // no newline translation
}

TEST(FileTest, CreateTruncatesUnlessTold)
{
    TempDir dir;
    std::string path = dir.File("keep.txt");
    ASSERT_TRUE(WriteFileBytes(path, "old contents"));
    {
        CFile f(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite);
        EXPECT_EQ(f.GetLength(), 12u);
        f.Write("OLD", 3);
    }
    EXPECT_EQ(FileBytes(path), "OLD contents");
    {
        CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        EXPECT_EQ(f.GetLength(), 0u);
    }
    EXPECT_EQ(FileBytes(path), "");
    {
        // Opening without modeCreate leaves the contents.
        ASSERT_TRUE(WriteFileBytes(path, "abc"));
        CFile f(path.c_str(), CFile::modeWrite);
        f.Write("X", 1);
    }
    EXPECT_EQ(FileBytes(path), "Xbc");
}

TEST(FileTest, FailuresAreReported)
{
    TempDir dir;
    std::string missing = dir.File("missing.txt");
    CFile f;
    CFileException error;
    EXPECT_FALSE(f.Open(missing.c_str(), CFile::modeRead, &error));
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(error.m_lOsError, ERROR_FILE_NOT_FOUND);
    char text[512];
    EXPECT_TRUE(error.GetErrorMessage(text, sizeof text));
    EXPECT_NE(std::string(text).find("missing.txt"), std::string::npos);

    EXPECT_EQ(FileExceptionCause([&] { CFile g(missing.c_str(), CFile::modeRead); }), CFileException::fileNotFound);
    EXPECT_EQ(FileExceptionCause([&] { CFile g(dir.File("no\\such\\dir.txt").c_str(), CFile::modeCreate | CFile::modeWrite); }),
              CFileException::badPath);
    EXPECT_EQ(FileExceptionCause([&] { CFile::Remove(missing.c_str()); }), CFileException::fileNotFound);
    EXPECT_NE(FileExceptionCause([&] { f.Read(text, 1); }), -1);   // not open

    // A read-only open refuses writes.
    std::string path = dir.File("ro.txt");
    ASSERT_TRUE(WriteFileBytes(path, "x"));
    CFile ro(path.c_str(), CFile::modeRead | CFile::shareDenyNone);
    EXPECT_NE(FileExceptionCause([&] { ro.Write("y", 1); }), -1);
}

TEST(FileTest, ShareFlagsAreHonoured)
{
    TempDir dir;
    std::string path = dir.File("shared.txt");
    ASSERT_TRUE(WriteFileBytes(path, "x"));
    CFile first(path.c_str(), CFile::modeRead | CFile::shareDenyWrite);
    CFile second;
    CFileException error;
    EXPECT_FALSE(second.Open(path.c_str(), CFile::modeWrite | CFile::shareDenyNone, &error));
    EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
    EXPECT_TRUE(second.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone));
}

TEST(FileTest, RenameAndRemove)
{
    TempDir dir;
    std::string a = dir.File("a.txt"), b = dir.File("b.txt");
    ASSERT_TRUE(WriteFileBytes(a, "1"));
    CFile::Rename(a.c_str(), b.c_str());
    EXPECT_EQ(GetFileAttributesA(a.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(FileBytes(b), "1");
    CFile::Remove(b.c_str());
    EXPECT_EQ(GetFileAttributesA(b.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(FileTest, TextModeWritesCrLf)
{
    TempDir dir;
    std::string text = dir.File("text.txt"), binary = dir.File("binary.txt");
    {
        CStdioFile f(text.c_str(), CFile::modeCreate | CFile::modeWrite);
        f.WriteString("a\nb\n");
        CStdioFile g(binary.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
        g.WriteString("a\nb\n");
    }
    EXPECT_EQ(FileBytes(text), "a\r\nb\r\n");
    EXPECT_EQ(FileBytes(binary), "a\nb\n");
}

TEST(FileTest, ReadStringReturnsLinesWithoutLineEnds)
{
    TempDir dir;
    std::string path = dir.File("lines.txt");
    ASSERT_TRUE(WriteFileBytes(path, "x\r\n\r\nsecond line\r\ny"));
    CStdioFile f;
    ASSERT_TRUE(f.Open(path.c_str(), CFile::modeRead));
    CString line("stale");
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(line, "x");
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(line, "");   // an empty line is a line
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(line, "second line");
    ASSERT_TRUE(f.ReadString(line));   // the last line has no line end
    EXPECT_EQ(line, "y");
    EXPECT_FALSE(f.ReadString(line));
    EXPECT_TRUE(line.IsEmpty());
    EXPECT_FALSE(f.ReadString(line));
    f.Close();

    // A file ending in a line end has no extra empty line.
    ASSERT_TRUE(WriteFileBytes(path, "only\n"));
    CStdioFile g(path.c_str(), CFile::modeRead | CFile::typeBinary);
    ASSERT_TRUE(g.ReadString(line));
    EXPECT_EQ(line, "only");
    EXPECT_FALSE(g.ReadString(line));
}

TEST(FileTest, ReadStringReadsLongLinesWhole)
{
    TempDir dir;
    std::string path = dir.File("long.txt");
    std::string first(100000, 'a'), second(70000, 'b');
    first[65535] = 'M';
    {
        CStdioFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        f.WriteString(first.c_str());
        f.WriteString("\n");
        f.WriteString(second.c_str());
    }
    EXPECT_EQ(FileBytes(path).size(), first.size() + 2 + second.size());

    CStdioFile f(path.c_str(), CFile::modeRead);
    CString line;
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(line.GetLength(), 100000);
    EXPECT_EQ(line.Find('M'), 65535);
    EXPECT_EQ(line.Find('\r'), -1);
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(line.GetLength(), 70000);
    EXPECT_FALSE(f.ReadString(line));
}

TEST(FileTest, StdioFileBufferedReadSeekAndLength)
{
    TempDir dir;
    std::string path = dir.File("mixed.txt");
    ASSERT_TRUE(WriteFileBytes(path, "one\r\ntwo\r\n"));
    CStdioFile f(path.c_str(), CFile::modeRead | CFile::typeBinary);
    EXPECT_EQ(f.GetLength(), 10u);
    char buf[8] = {};
    EXPECT_EQ(f.Read(buf, 3), 3u);
    EXPECT_STREQ(buf, "one");
    EXPECT_EQ(f.GetPosition(), 3u);
    f.Seek(5, CFile::begin);
    EXPECT_NE(f.ReadString(buf, sizeof buf), nullptr);
    EXPECT_STREQ(buf, "two\r\n");   // the buffer form keeps the line end
    EXPECT_EQ(f.ReadString(buf, sizeof buf), nullptr);
    f.Close();
    EXPECT_FALSE(f.IsOpen());
    EXPECT_NE(FileExceptionCause([&] { f.WriteString("x"); }), -1);

    CStdioFile missing;
    CFileException error;
    EXPECT_FALSE(missing.Open(dir.File("none.txt").c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
}

TEST(FileTest, FindNextFileLeavesTheLastEntryForAfterTheLoop)
{
    TempDir dir;
    for (const char* name : { "one.txt", "two.txt", "three.log" })
        ASSERT_TRUE(WriteFileBytes(dir.File(name), name));
    ASSERT_TRUE(CreateDirectoryA(dir.File("sub").c_str(), nullptr));

    std::set<std::string> files, dots, dirs;
    auto take = [&](const CFileFind& find) {
        if (find.IsDots())
            dots.insert((LPCSTR)find.GetFileName());
        else if (find.IsDirectory())
            dirs.insert((LPCSTR)find.GetFileName());
        else {
            files.insert((LPCSTR)find.GetFileName());
            EXPECT_EQ(find.GetFilePath(), (dir.Path() + "\\" + (LPCSTR)find.GetFileName()).c_str());
            EXPECT_EQ(find.GetLength(), static_cast<ULONGLONG>(find.GetFileName().GetLength()));
        }
    };

    CFileFind find;
    std::string pattern = dir.Path() + "\\*.*";
    ASSERT_TRUE(find.FindFile(pattern.c_str()));
    EXPECT_TRUE(find.GetFileName().IsEmpty());   // nothing is current before the first step
    EXPECT_EQ(find.GetRoot(), (dir.Path() + "\\").c_str());
    int steps = 0;
    BOOL more = TRUE;
    while (more) {
        more = find.FindNextFile();
        ++steps;
        if (more)
            take(find);
    }
    take(find);   // the last entry is still current
    EXPECT_EQ(steps, 6);
    EXPECT_EQ(files, (std::set<std::string>{ "one.txt", "two.txt", "three.log" }));
    EXPECT_EQ(dots, (std::set<std::string>{ ".", ".." }));
    EXPECT_EQ(dirs, (std::set<std::string>{ "sub" }));
    EXPECT_FALSE(find.FindNextFile());   // stays at the end
}

TEST(FileTest, FindFileWithPatternsAndSingleMatches)
{
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.File("only.dat"), "12345"));
    ASSERT_TRUE(WriteFileBytes(dir.File("other.txt"), ""));

    CFileFind find;
    ASSERT_TRUE(find.FindFile((dir.Path() + "\\*.dat").c_str()));
    EXPECT_FALSE(find.FindNextFile());   // the one match is also the last
    EXPECT_EQ(find.GetFileName(), "only.dat");
    EXPECT_EQ(find.GetFileTitle(), "only");
    EXPECT_EQ(find.GetLength(), 5u);
    EXPECT_FALSE(find.IsDirectory());
    EXPECT_FALSE(find.IsDots());
    CTime written;
    EXPECT_TRUE(find.GetLastWriteTime(written));
    EXPECT_LE(std::llabs(written.GetTime() - CTime::GetCurrentTime().GetTime()), 3600);

    EXPECT_FALSE(find.FindFile((dir.Path() + "\\*.none").c_str()));
    EXPECT_FALSE(find.FindNextFile());
    EXPECT_FALSE(find.FindFile(dir.File("missing\\*.*").c_str()));

    // A relative pattern gets the current folder as its root.
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.Path().c_str()));
    BOOL found = find.FindFile("only.*");
    SetCurrentDirectoryA(cwd);
    ASSERT_TRUE(found);
    find.FindNextFile();
    EXPECT_EQ(find.GetFilePath().CompareNoCase(dir.File("only.dat").c_str()), 0);
}
