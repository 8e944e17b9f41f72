#include <gtest/gtest.h>
#include "EngineTestSupport.h"
#include "RegExport.h"

using enginetest::BackupStream;
using enginetest::Crlf;
using testsupport::TestKey;

namespace {

std::string Format(DWORD type, const std::string& bytes)
{
    CString text;
    FormatRegValueData(type, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), text);
    return text.str();
}

std::string Counting(int count)
{
    std::string bytes;
    for (int i = 0; i < count; i++)
        bytes += static_cast<char>(i);
    return bytes;
}

template <size_t N>
std::string Lit(const char (&text)[N]) { return std::string(text, N - 1); }

}  // namespace

// Strings are quoted only when the quoted form restores them exactly;
// hex lines carry 22 bytes, then 21, and never continue after the last byte.
TEST(RegExportFormat, ValueDataTable)
{
    const std::string line1 = "00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,";
    const std::string line2 = "16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,";
    const struct {
        DWORD type;
        std::string bytes, text;
    } cases[] = {
        {REG_SZ, Lit("C:\\Dir\\\"q\"\0"), "\"C:\\\\Dir\\\\\\\"q\\\"\"\n"},
        {REG_SZ, Lit("\xe9\x80\xff\0"), "\"\xe9\x80\xff\"\n"},
        {REG_SZ, Lit("\0"), "\"\"\n"},
        // Without terminator, empty, with CR LF or an inner zero: by length, as hex(1).
        {REG_SZ, "abc", "hex(1):61,62,63,\n"},
        {REG_SZ, "", "hex(1):\n"},
        {REG_SZ, Lit("a\r\nb\0"), "hex(1):61,0d,0a,62,00,\n"},
        {REG_SZ, Lit("ab\0c\0"), "hex(1):61,62,00,63,00,\n"},
        {REG_EXPAND_SZ, Lit("%x%\0"), "hex(2):25,78,25,00,\n"},
        {REG_MULTI_SZ, Lit("a\0b\0\0"), "hex(7):61,00,62,00,00,\n"},
        {REG_DWORD, Lit("\x78\x56\x34\x12"), "dword:12345678\n"},
        {REG_DWORD, Lit("\x01\x02"), "hex(4):01,02,\n"},
        {REG_QWORD, Counting(8), "hex(b):00,01,02,03,04,05,06,07,\n"},
        {REG_RESOURCE_REQUIREMENTS_LIST, "\x01", "hex(a):01,\n"},
        {0x12345, "xy", "hex(12345):78,79,\n"},
        {REG_NONE, "", "hex(0):\n"},
        {REG_BINARY, "\x7f", "hex:7f,\n"},
        {REG_BINARY, Counting(44), "hex:" + line1 + "\\\n  " + line2 + "\\\n  2b,\n"},
        {REG_BINARY, Counting(22), "hex:" + line1 + "\n"},
        {REG_BINARY, Counting(43), "hex:" + line1 + "\\\n  " + line2 + "\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Format(c.type, c.bytes), c.text) << c.type << " " << c.bytes;
}

TEST(RegExportFormat, ValueNamesAreEscapedLikeStrings)
{
    EXPECT_EQ(FormatRegValueName("a\"b\\c").str(), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(FormatRegValueName("").str(), "@");
    EXPECT_TRUE(IsRegNameWritable("x \xe9 ]["));
    EXPECT_FALSE(IsRegNameWritable("x\ny"));
}

TEST(RegExportFormat, HeaderFollowsTheVersionCode)
{
    for (int code : {103, 104, 105, 0, 4, 7, 102, 201}) {
        BackupStream backup;
        ASSERT_TRUE(WriteRegBackupHeader(backup.Get(), code));
        EXPECT_EQ(backup.Text(), code >= 103 && code <= 105 ? "Windows Registry Editor Version 5.00\r\n" : "REGEDIT4\r\n")
            << code;
    }
}

TEST(RegExportTree, WritesEveryKeyOnceParentsFirstAndTheTopKeyLast)
{
    TestKey key;
    key.SetDword("", "t", 1);
    key.SetString("A", "q\"n\\m", "x");
    key.SetString("A", "v", "1");
    key.CreateKey("A\\B");
    key.CreateKey("C");
    BackupStream backup;
    ASSERT_TRUE(ExportRegKey(HKEY_CURRENT_USER, (key.SubKey() + "\\").c_str(), backup.Get()));

    const std::string top = "HKEY_CURRENT_USER\\" + key.SubKey();
    EXPECT_EQ(backup.Text(), Crlf("[" + top + "]\n"
                                  "\n[" + top + "\\A]\n"
                                  "\"q\\\"n\\\\m\"=\"x\"\n"
                                  "\"v\"=\"1\"\n"
                                  "\n[" + top + "\\A\\B]\n"
                                  "\n[" + top + "\\C]\n"
                                  "\n[" + top + "]\n"
                                  "\"t\"=dword:00000001\n"));
}

TEST(RegExportTree, MissingKeyOrUnknownRootWritesNothing)
{
    TestKey key;
    BackupStream backup;
    EXPECT_FALSE(ExportRegKey(HKEY_CURRENT_USER, key.Sub("missing").c_str(), backup.Get()));
    HKEY open = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key.SubKey().c_str(), 0, KEY_READ, &open), ERROR_SUCCESS);
    EXPECT_FALSE(ExportRegKey(open, "", backup.Get()));
    RegCloseKey(open);
    EXPECT_FALSE(ExportRegKeyTree("HKEY_NOWHERE", key.SubKey().c_str(), backup.Get()));
    EXPECT_EQ(backup.Text(), "");
    // A key without values or subkeys still gives its two blocks.
    BackupStream empty;
    ASSERT_TRUE(ExportRegKeyTree("HKEY_CURRENT_USER", key.SubKey().c_str(), empty.Get()));
    const std::string top = "HKEY_CURRENT_USER\\" + key.SubKey();
    EXPECT_EQ(empty.Text(), Crlf("[" + top + "]\n\n[" + top + "]\n"));
}

TEST(RegExportTree, UnreadableSubkeyOrUnwritableNameFailsTheExport)
{
    TestKey key;
    key.SetString("open", "v", "1");
    key.SetString("closed", "w", "2");
    {
        enginetest::NarrowedKey narrowed(HKEY_CURRENT_USER, key.Sub("closed"), KEY_SET_VALUE);
        BackupStream backup;
        EXPECT_FALSE(ExportRegKey(HKEY_CURRENT_USER, key.SubKey().c_str(), backup.Get()));
        const std::string text = backup.Text();
        EXPECT_NE(text.find("\r\n;Error\r\n"), std::string::npos) << text;
        EXPECT_EQ(text.find("\nError"), std::string::npos);
        EXPECT_EQ(text.find("\"w\""), std::string::npos);
    }
    key.SetString("open", "bad\nname", "3");
    BackupStream backup;
    EXPECT_FALSE(ExportRegKey(HKEY_CURRENT_USER, key.SubKey().c_str(), backup.Get()));
    EXPECT_NE(backup.Text().find(";Error"), std::string::npos);
}
