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
    int preSubclassCalls = 0, postNcDestroyCalls = 0;
    bool* deleted = nullptr;
    ~RecordingWnd() override
    {
        if (deleted)
            *deleted = true;
    }
    long Position(UINT message) const
    {
        return std::find(messages.begin(), messages.end(), message) - messages.begin();
    }
    bool Saw(UINT message) const { return Position(message) < static_cast<long>(messages.size()); }

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

HWND PlainWindow()
{
    return CreateWindowExA(0, "STATIC", "plain", WS_POPUP, 0, 0, 40, 20, nullptr, nullptr, nullptr, nullptr);
}

TEST(WndBinding, CreatedWindowIsBoundFromItsFirstMessageUntilEitherSideGoes)
{
    RecordingWnd wnd;
    ASSERT_TRUE(CreatePopup(wnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(wnd.m_hWnd), &wnd);
    EXPECT_EQ(CWnd::FromHandle(wnd.m_hWnd), &wnd);
    EXPECT_EQ(wnd.preSubclassCalls, 1);
    ASSERT_TRUE(wnd.Saw(WM_CREATE));
    EXPECT_LT(wnd.Position(WM_NCCREATE), wnd.Position(WM_CREATE));
    // Default() hands the message to the class's own procedure.
    CString text;
    wnd.SetWindowText("changed");
    wnd.SetWindowText("refuse");
    wnd.GetWindowText(text);
    EXPECT_STREQ(text, "changed");

    // The window destroyed first unbinds the object, which can bind a new window.
    HWND hWnd = wnd.m_hWnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_TRUE(wnd.Saw(WM_NCDESTROY));
    EXPECT_EQ(wnd.postNcDestroyCalls, 1);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
    {
        RecordingWnd scoped;
        ASSERT_TRUE(CreatePopup(scoped));
        hWnd = scoped.m_hWnd;
    }
    // The object destroyed first destroys its window.
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
    HWND hWnd = PlainWindow();
    LONG_PTR original = GetWindowLongPtrA(hWnd, GWLP_WNDPROC);
    CWnd* temp = CWnd::FromHandle(hWnd);  // a temporary wrapper never owns its window
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
    EXPECT_FALSE(temp->DestroyWindow());
    {
        RecordingWnd wnd;
        ASSERT_TRUE(wnd.SubclassWindow(hWnd));
        EXPECT_EQ(wnd.preSubclassCalls, 1);
        EXPECT_EQ(CWnd::FromHandle(hWnd), &wnd);
        // A second object cannot take the same window.
        RecordingWnd other;
        EXPECT_FALSE(other.SubclassWindow(hWnd));
        EXPECT_FALSE(other.Attach(hWnd));
        SetWindowTextA(hWnd, "through");
        EXPECT_TRUE(wnd.Saw(WM_SETTEXT));
        EXPECT_EQ(wnd.UnsubclassWindow(), hWnd);
        EXPECT_EQ(GetWindowLongPtrA(hWnd, GWLP_WNDPROC), original);
        EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
    }
    EXPECT_TRUE(IsWindow(hWnd));  // the unsubclassed window survives its former object
    CTempMap::Purge();

    // A control of a parent, by its id; the parent takes it along and the object knows.
    CWnd parent;
    ASSERT_TRUE(CreatePopup(parent));
    SetParent(hWnd, parent.m_hWnd);
    SetWindowLongPtrA(hWnd, GWL_STYLE, WS_CHILD);
    SetWindowLongPtrA(hWnd, GWLP_ID, 77);
    RecordingWnd control;
    EXPECT_FALSE(control.SubclassDlgItem(78, &parent));
    EXPECT_TRUE(control.SubclassDlgItem(77, &parent));
    EXPECT_EQ(control.GetParent(), &parent);
    parent.DestroyWindow();
    EXPECT_EQ(control.m_hWnd, nullptr);
}

TEST(WndBinding, SeveralThreadsCreateAndDestroyWindowsAtOnce)
{
    const int kThreads = 4, kWindows = 40;
    std::atomic<int> failures{0};
    std::vector<HWND> seen[kThreads];
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            std::vector<RecordingWnd*> windows;
            for (int i = 0; i < kWindows; ++i) {
                auto* wnd = new RecordingWnd;
                // A temporary wrapper of another window too, freed at the thread's end.
                failures += !CreatePopup(*wnd) || CWnd::FromHandlePermanent(wnd->m_hWnd) != wnd
                            || !wnd->Saw(WM_NCCREATE) || CWnd::FromHandle(GetDesktopWindow()) == nullptr;
                seen[t].push_back(wnd->m_hWnd);
                windows.push_back(wnd);
            }
            for (RecordingWnd* wnd : windows) {
                failures += !wnd->DestroyWindow() || wnd->m_hWnd;
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
    // Registered class names are shared per style.
    EXPECT_EQ(AfxRegisterWndClass(CS_DBLCLKS), AfxRegisterWndClass(CS_DBLCLKS));
    EXPECT_STRNE(AfxRegisterWndClass(CS_DBLCLKS), AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW));
}

}  // namespace
