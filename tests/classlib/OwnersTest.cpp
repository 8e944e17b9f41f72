#include <gtest/gtest.h>
#include "CRegKeyHandle.h"
#include "TestSupport.h"
#include <string>

using testsupport::TestKey;

TEST(RegKeyHandleTest, QueryTextEndsAtTheFirstZeroAndKeepsToTypeAndSize)
{
    TestKey key;
    const DWORD number = 0x00636261;   // "abc" and a zero byte
    key.Set("v", "sz", REG_SZ, "path\0rest", 10);
    key.Set("v", "expand", REG_EXPAND_SZ, "%TEMP%", 7);
    key.Set("v", "unended", REG_BINARY, "abcd", 4);
    key.Set("v", "dword", REG_DWORD, &number, sizeof number);
    CRegKeyHandle handle;
    ASSERT_EQ(handle.Open(key.Root(), key.Sub("v").c_str(), KEY_READ), ERROR_SUCCESS);
    const struct {
        const char* name;
        DWORD maxBytes;
        BOOL textOnly;
        BOOL ok;
        const char* text;
    } cases[] = {
        {"sz", CRegKeyHandle::kAnySize, TRUE, TRUE, "path"},
        {"sz", 10, TRUE, TRUE, "path"},
        {"sz", 9, TRUE, FALSE, ""},   // the data is 10 bytes, whatever its text
        {"expand", CRegKeyHandle::kAnySize, TRUE, TRUE, "%TEMP%"},
        {"unended", 4, FALSE, TRUE, "abcd"},   // no zero: the whole data
        {"dword", CRegKeyHandle::kAnySize, TRUE, FALSE, ""},
        {"dword", CRegKeyHandle::kAnySize, FALSE, TRUE, "abc"},
        {"missing", CRegKeyHandle::kAnySize, FALSE, FALSE, ""},
    };
    for (const auto& c : cases) {
        CString text = "old";
        EXPECT_EQ(handle.QueryText(c.name, text, c.maxBytes, c.textOnly), c.ok) << c.name << " " << c.maxBytes;
        EXPECT_STREQ(text, c.text) << c.name << " " << c.maxBytes;
    }
}
