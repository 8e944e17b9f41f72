// Binding windows to CWnd objects: creation, subclassing, destruction from
// either side, temporary wrappers and several threads at once.
#include <gtest/gtest.h>
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>
#include "ClasslibTestSupport.h"

namespace {

// Records every message that reaches its WindowProc.
class RecordingWnd : public CWnd {
public:
    std::vector<UINT> messages;
    int preSubclassCalls = 0;
    int postNcDestroyCalls = 0;
    bool* deleted = nullptr;

    ~RecordingWnd() override
    {
        if (deleted)
            *deleted = true;
    }

    bool Saw(UINT message) const
    {
        for (UINT m : messages)
            if (m == message)
                return true;
        return false;
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        messages.push_back(message);
        if (message == WM_SETTEXT && lParam && strcmp(reinterpret_cast<const char*>(lParam), "refuse") == 0)
            return FALSE;  // not passed on: the window keeps its text
        return CWnd::WindowProc(message, wParam, lParam);
    }
    void PreSubclassWindow() override { ++preSubclassCalls; }
    void PostNcDestroy() override { ++postNcDestroyCalls; }
};

// Deletes itself when its window is gone.
class SelfDeletingWnd : public RecordingWnd {
protected:
    void PostNcDestroy() override { delete this; }
};

BOOL CreatePopup(CWnd& wnd, const char* text = "test")
{
    return wnd.CreateEx(0, "STATIC", text, WS_POPUP, 10, 10, 50, 20, nullptr, nullptr);
}

TEST(WndBinding, CreatedWindowIsBoundFromItsFirstMessage)
{
    RecordingWnd wnd;
    ASSERT_TRUE(CreatePopup(wnd));
    ASSERT_NE(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(wnd.m_hWnd), &wnd);
    EXPECT_EQ(CWnd::FromHandle(wnd.m_hWnd), &wnd);
    EXPECT_EQ(wnd.preSubclassCalls, 1);
    // The creation messages all came through the object, WM_NCCREATE before WM_CREATE.
    ASSERT_TRUE(wnd.Saw(WM_NCCREATE));
    ASSERT_TRUE(wnd.Saw(WM_CREATE));
    auto pos = [&](UINT m) { return std::find(wnd.messages.begin(), wnd.messages.end(), m) - wnd.messages.begin(); };
    EXPECT_LT(pos(WM_NCCREATE), pos(WM_CREATE));

    // Default() hands the message to the class's own procedure.
    wnd.SetWindowText("changed");
    CString text;
    wnd.GetWindowText(text);
    EXPECT_STREQ(text, "changed");
    wnd.SetWindowText("refuse");
    wnd.GetWindowText(text);
    EXPECT_STREQ(text, "changed");
}

TEST(WndBinding, WindowDestroyedFirstUnbindsTheObject)
{
    RecordingWnd wnd;
    ASSERT_TRUE(CreatePopup(wnd));
    HWND hWnd = wnd.m_hWnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_TRUE(wnd.Saw(WM_DESTROY));
    EXPECT_TRUE(wnd.Saw(WM_NCDESTROY));
    EXPECT_EQ(wnd.postNcDestroyCalls, 1);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
    // The object can bind a new window afterwards.
    EXPECT_TRUE(CreatePopup(wnd));
    EXPECT_TRUE(wnd.DestroyWindow());
}

TEST(WndBinding, ObjectDestroyedFirstDestroysItsWindow)
{
    HWND hWnd;
    {
        RecordingWnd wnd;
        ASSERT_TRUE(CreatePopup(wnd));
        hWnd = wnd.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);

    bool deleted = false;
    SelfDeletingWnd* self = new SelfDeletingWnd;
    self->deleted = &deleted;
    ASSERT_TRUE(CreatePopup(*self));
    DestroyWindow(self->m_hWnd);
    EXPECT_TRUE(deleted);
}

TEST(WndBinding, SubclassingAWindowMadeElsewhere)
{
    HWND hWnd = CreateWindowExA(0, "STATIC", "plain", WS_POPUP, 0, 0, 40, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hWnd, nullptr);
    LONG_PTR original = GetWindowLongPtrA(hWnd, GWLP_WNDPROC);
    {
        RecordingWnd wnd;
        ASSERT_TRUE(wnd.SubclassWindow(hWnd));
        EXPECT_EQ(wnd.preSubclassCalls, 1);
        EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), &wnd);

        // A second object cannot take the same window.
        RecordingWnd other;
        EXPECT_FALSE(other.SubclassWindow(hWnd));
        EXPECT_FALSE(other.Attach(hWnd));
        EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), &wnd);

        SetWindowTextA(hWnd, "through");
        EXPECT_TRUE(wnd.Saw(WM_SETTEXT));
        char text[32] = {};
        GetWindowTextA(hWnd, text, sizeof text);
        EXPECT_STREQ(text, "through");

        EXPECT_EQ(wnd.UnsubclassWindow(), hWnd);
        EXPECT_EQ(GetWindowLongPtrA(hWnd, GWLP_WNDPROC), original);
        EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
    }
    // The unsubclassed window survives its former object.
    EXPECT_TRUE(IsWindow(hWnd));
    DestroyWindow(hWnd);
}

TEST(WndBinding, SubclassDlgItemBindsAControlOfTheParent)
{
    CWnd parent;
    ASSERT_TRUE(CreatePopup(parent));
    HWND child = CreateWindowExA(0, "BUTTON", "b", WS_CHILD, 0, 0, 20, 20, parent.m_hWnd,
                                 reinterpret_cast<HMENU>(77), nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    RecordingWnd control;
    EXPECT_FALSE(control.SubclassDlgItem(78, &parent));
    EXPECT_TRUE(control.SubclassDlgItem(77, &parent));
    EXPECT_EQ(control.m_hWnd, child);
    EXPECT_EQ(control.GetDlgCtrlID(), 77);
    EXPECT_EQ(control.GetParent(), &parent);
    parent.DestroyWindow();
    // The parent took its control with it; the control's object knows.
    EXPECT_EQ(control.m_hWnd, nullptr);
}

TEST(WndBinding, TemporaryWrappersNeverOwnTheirWindow)
{
    HWND hWnd = CreateWindowExA(0, "STATIC", "t", WS_POPUP, 0, 0, 40, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hWnd, nullptr);
    CWnd* temp = CWnd::FromHandle(hWnd);
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(temp->m_hWnd, hWnd);
    EXPECT_EQ(CWnd::FromHandle(hWnd), temp);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
    EXPECT_FALSE(temp->DestroyWindow());
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
    CTempMap::Purge();
    EXPECT_TRUE(IsWindow(hWnd));

    // Binding the window later makes FromHandle find the bound object.
    CWnd* again = CWnd::FromHandle(hWnd);
    RecordingWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(hWnd));
    EXPECT_EQ(CWnd::FromHandle(hWnd), &wnd);
    EXPECT_EQ(again->m_hWnd, hWnd);
    CTempMap::Purge();
    wnd.DestroyWindow();
}

TEST(WndBinding, SeveralThreadsCreateAndDestroyWindowsAtOnce)
{
    const int kThreads = 4;
    const int kWindows = 40;
    std::atomic<int> failures{0};
    std::vector<HWND> seen[kThreads];
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            std::vector<RecordingWnd*> windows;
            for (int i = 0; i < kWindows; ++i) {
                auto* wnd = new RecordingWnd;
                if (!CreatePopup(*wnd) || CWnd::FromHandlePermanent(wnd->m_hWnd) != wnd ||
                    !wnd->Saw(WM_NCCREATE))
                    ++failures;
                // A temporary wrapper of another window, freed at the thread's end.
                if (CWnd::FromHandle(GetDesktopWindow()) == nullptr)
                    ++failures;
                seen[t].push_back(wnd->m_hWnd);
                windows.push_back(wnd);
            }
            for (RecordingWnd* wnd : windows) {
                if (!wnd->DestroyWindow() || wnd->m_hWnd)
                    ++failures;
                delete wnd;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    for (auto& handles : seen)
        for (HWND h : handles)
            EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
}

TEST(WndBinding, RegisteredClassNamesAreSharedAndUsable)
{
    LPCSTR a = AfxRegisterWndClass(CS_DBLCLKS);
    LPCSTR b = AfxRegisterWndClass(CS_DBLCLKS);
    LPCSTR c = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_STRNE(a, c);
    RecordingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, a, "x", WS_POPUP, 0, 0, 30, 30, nullptr, nullptr));
    EXPECT_EQ(GetClassLongA(wnd.m_hWnd, GCL_STYLE) & CS_DBLCLKS, static_cast<DWORD>(CS_DBLCLKS));
    wnd.DestroyWindow();
}

}  // namespace
