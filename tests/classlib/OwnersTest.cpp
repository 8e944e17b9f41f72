#include <gtest/gtest.h>
#include "CComPtr.h"
#include "CHandle.h"
#include "CRegKeyHandle.h"
#include "TestSupport.h"
#include <string>

using testsupport::TestKey;

TEST(RegKeyHandleTest, AFailedOpenOrCreateKeepsTheKeyHeld)
{
    TestKey key;
    key.SetString("held", "v", "kept");
    CRegKeyHandle handle;
    ASSERT_EQ(handle.Open(key.Root(), key.Sub("held").c_str(), KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(handle.Open(key.Root(), key.Sub("missing").c_str(), KEY_READ), ERROR_FILE_NOT_FOUND);
    EXPECT_NE(handle.Create(nullptr, "x", KEY_READ), ERROR_SUCCESS);
    CString text;
    EXPECT_TRUE(handle.QueryText("v", text));
    EXPECT_STREQ(text, "kept");

    // Moving hands the key over; Create makes a missing key.
    CRegKeyHandle moved(std::move(handle));
    EXPECT_FALSE(handle.IsOpen());
    EXPECT_TRUE(moved.QueryText("v", text));
    EXPECT_EQ(moved.Create(key.Root(), key.Sub("made").c_str(), KEY_READ), ERROR_SUCCESS);
    EXPECT_TRUE(key.Exists("made"));
}

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

TEST(HandleTest, ClosesWhatItOwnsOnceAndHandsItOverOnMove)
{
    HANDLE raw = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(raw, nullptr);
    DWORD flags = 0;
    {
        CHandle owner(raw);
        CHandle moved(std::move(owner));
        EXPECT_FALSE(owner.IsValid());
        EXPECT_EQ(moved.Get(), raw);
        EXPECT_TRUE(GetHandleInformation(raw, &flags));
        CHandle invalid(INVALID_HANDLE_VALUE);
        EXPECT_FALSE(invalid.IsValid());
    }
    EXPECT_FALSE(GetHandleInformation(raw, &flags));
}

namespace {

// Counts its references; never freed by them.
class CountedUnknown : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_refs; }
    ULONG m_refs = 0;
};

}  // namespace

TEST(ComPtrTest, ReleasesItsReferenceOnScopeExitAndBeforeTakingANewOne)
{
    CountedUnknown first, second;
    {
        CComPtr<IUnknown> pointer;
        first.AddRef();
        *&pointer = &first;
        EXPECT_EQ(pointer.Get(), &first);
        second.AddRef();
        *pointer.Out() = &second;   // the old reference goes first
        EXPECT_EQ(first.m_refs, 0u);
        CComPtr<IUnknown> moved(std::move(pointer));
        EXPECT_FALSE(pointer);
        EXPECT_EQ(second.m_refs, 1u);
    }
    EXPECT_EQ(second.m_refs, 0u);
}
