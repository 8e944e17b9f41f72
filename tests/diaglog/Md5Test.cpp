#include "CMD5.h"
#include "DiaglogTestSupport.h"
#include "SystemErrorText.h"
#include "TestSupport.h"
#include <gtest/gtest.h>
#include <algorithm>

using diaglogtest::SampleBytes;
using testsupport::TempDir;

namespace {

std::string DigestOf(const std::string& bytes)
{
    CMD5 md5;
    md5.Update(bytes.data(), static_cast<DWORD>(bytes.size()));
    md5.Final();
    CString hex;
    CMD5::DigestToHex(md5.GetDigest(), hex);
    return std::string(hex);
}

}  // namespace

TEST(Md5, Rfc1321TestSuite)
{
    const struct {
        const char* text;
        const char* md5;
    } suite[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    TempDir temp;
    for (const auto& test : suite) {
        EXPECT_EQ(test.md5, DigestOf(test.text)) << '"' << test.text << '"';
        ASSERT_TRUE(testsupport::WriteFileBytes(temp.File("rfc.txt"), test.text));
        CString hex;
        CMD5::GetFileDigest(temp.File("rfc.txt").c_str(), hex);
        EXPECT_EQ(test.md5, std::string(hex)) << '"' << test.text << '"';
    }
}

// Sizes around the padding boundaries (55/56, 63/64/65) and the read size.
TEST(Md5, FilesOfBoundarySizesMatchMd5sum)
{
    TempDir temp;
    for (const diaglogtest::SampleDigest& sample : diaglogtest::kSampleDigests) {
        std::string path = temp.File("sample" + std::to_string(sample.size) + ".bin");
        ASSERT_TRUE(testsupport::WriteFileBytes(path, SampleBytes(sample.size)));
        CString hex = "unchanged";
        CMD5::GetFileDigest(path.c_str(), hex);
        EXPECT_EQ(sample.md5, std::string(hex)) << sample.size << " bytes";
    }
}

TEST(Md5, UnreadableFileLeavesTheTextAlone)
{
    TempDir temp;
    CString hex = "before";
    CMD5::GetFileDigest(temp.File("missing.bin").c_str(), hex);
    EXPECT_EQ("before", std::string(hex));

    CMD5::GetFileDigest(temp.Path().c_str(), hex);   // a folder
    EXPECT_EQ("before", std::string(hex));

    std::string locked = temp.File("locked.bin");
    HANDLE file = CreateFileA(locked.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    WriteFile(file, "data", 4, &written, nullptr);
    CMD5::GetFileDigest(locked.c_str(), hex);
    EXPECT_EQ("before", std::string(hex));
    CloseHandle(file);
    CMD5::GetFileDigest(locked.c_str(), hex);
    EXPECT_EQ("8d777f385d3dfec8815d20f7496026dc", std::string(hex));
}

TEST(Md5, SystemErrorTextIsOneLine)
{
    CString text = GetSystemErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(text.IsEmpty());
    EXPECT_EQ(-1, text.FindOneOf("\r\n"));
    EXPECT_NE(' ', text[text.GetLength() - 1]);
}
