// Dialogs: modal loops that end from nested loops, keyboard handling through
// IsDialogMessage, data exchange, modeless and child dialogs.
#include <gtest/gtest.h>
#include "ClasslibTestSupport.h"

namespace {

const UINT kEdit = 1001;
const UINT kButton = 1002;
const UINT_PTR kStartTimer = 1;

classlibtest::DialogTemplate SimpleTemplate(DWORD extraStyle = 0)
{
    // No caption: Wine waits for a window manager when it hides a captioned window.
    classlibtest::DialogTemplate t(WS_POPUP | WS_BORDER | extraStyle, 10, 10, 160, 80);
    t.Add("EDIT", "text", kEdit, WS_BORDER | WS_TABSTOP, 5, 5, 100, 12)
        .Add("BUTTON", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 5, 40, 50, 14)
        .Add("BUTTON", "Cancel", IDCANCEL, WS_TABSTOP, 60, 40, 50, 14)
        .Add("BUTTON", "Other", kButton, WS_TABSTOP, 115, 40, 40, 14);
    return t;
}

// A dialog whose behaviour each test sets through a hook run from a timer
// once the modal loop is running.
class TestDialog : public CDialog {
public:
    std::function<void(TestDialog&)> onStart;
    int initCalls = 0;
    int okCalls = 0;
    bool ignoreOK = false;
    CWnd edit;

protected:
    BOOL OnInitDialog() override
    {
        ++initCalls;
        CDialog::OnInitDialog();
        SetTimer(kStartTimer, 1);
        return TRUE;
    }
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, kEdit, edit); }
    void OnOK() override
    {
        ++okCalls;
        if (!ignoreOK)
            CDialog::OnOK();
    }
    afx_msg void OnTimer(UINT_PTR id)
    {
        KillTimer(id);
        if (id == kStartTimer && onStart)
            onStart(*this);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestDialog, CDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

INT_PTR RunModal(TestDialog& dialog, classlibtest::DialogTemplate& t)
{
    dialog.InitModalIndirect(t.Get());
    return dialog.DoModal();
}

TEST(Dialog, ModalDialogBindsItsControlsAndReturnsTheEndValue)
{
    auto t = SimpleTemplate();
    TestDialog dialog;
    HWND seen = nullptr;
    dialog.onStart = [&](TestDialog& d) {
        seen = d.m_hWnd;
        EXPECT_EQ(d.edit.GetParent(), &d);
        d.EndDialog(1234);
    };
    EXPECT_EQ(RunModal(dialog, t), 1234);
    EXPECT_EQ(dialog.initCalls, 1);
    EXPECT_NE(seen, nullptr);
    EXPECT_FALSE(IsWindow(seen));
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.edit.m_hWnd, nullptr);
}

// Runs inside the message box's loop (until the box is up): ends the dialog,
// then closes the box.
void CALLBACK EndFromInsideTheBox(HWND hWnd, UINT, UINT_PTR id, DWORD)
{
    HWND box = FindWindowA(nullptr, "NestedLoopBox");
    if (!box)
        return;
    KillTimer(hWnd, id);
    static_cast<CDialog*>(CWnd::FromHandlePermanent(hWnd))->EndDialog(7);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

TEST(Dialog, EndDialogFromInsideAMessageBoxTakesEffectWhenTheBoxCloses)
{
    auto t = SimpleTemplate();
    TestDialog dialog;
    bool boxReturned = false;
    bool stillThere = false;
    dialog.onStart = [&](TestDialog& d) {
        SetTimer(d.m_hWnd, 2, 1, &EndFromInsideTheBox);
        d.MessageBox("nested", "NestedLoopBox", MB_OK);
        boxReturned = true;
        stillThere = IsWindow(d.m_hWnd) != FALSE;
    };
    EXPECT_EQ(RunModal(dialog, t), 7);
    EXPECT_TRUE(boxReturned);
    EXPECT_TRUE(stillThere);
}

TEST(Dialog, EndDialogFromANestedModalDialog)
{
    auto outerTemplate = SimpleTemplate();
    auto innerTemplate = SimpleTemplate();
    TestDialog outer;
    TestDialog inner;
    INT_PTR innerResult = 0;
    bool outerDisabledMeanwhile = false;
    inner.onStart = [&](TestDialog& d) {
        outerDisabledMeanwhile = !IsWindowEnabled(outer.m_hWnd);
        outer.EndDialog(21);   // marks the outer loop only
        d.EndDialog(22);
    };
    outer.onStart = [&](TestDialog& d) {
        innerResult = RunModal(inner, innerTemplate);
        EXPECT_TRUE(IsWindow(d.m_hWnd));
        EXPECT_TRUE(IsWindowEnabled(d.m_hWnd));
    };
    // The inner dialog is owned by the outer one: give it as the parent.
    inner.InitModalIndirect(innerTemplate.Get(), &outer);
    outer.InitModalIndirect(outerTemplate.Get());
    EXPECT_EQ(outer.DoModal(), 21);
    EXPECT_EQ(innerResult, 22);
    EXPECT_TRUE(outerDisabledMeanwhile);
}

// Hides itself as Windows (and Wine under a window manager) hides an active
// window: the activation goes on at once, to the owner when it can take it,
// else to another window on the screen.
class HandingOnDialog : public TestDialog {
public:
    HWND otherWindow = nullptr;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        LRESULT result = TestDialog::WindowProc(message, wParam, lParam);
        if (message == WM_WINDOWPOSCHANGED && (reinterpret_cast<WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW) &&
            ::GetActiveWindow() == m_hWnd) {
            HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
            ::SetActiveWindow(owner && ::IsWindowEnabled(owner) ? owner : otherWindow);
        }
        return result;
    }
};

// When a modal dialog ends, the activation goes back to its owner, not to
// another window on the screen: the owner's next click is then an ordinary
// click, not one that first has to activate the window.
TEST(Dialog, TheOwnerIsActiveAgainWhenAModalDialogEnds)
{
    auto ownerTemplate = SimpleTemplate(WS_VISIBLE);
    auto otherTemplate = SimpleTemplate(WS_VISIBLE);
    auto modalTemplate = SimpleTemplate();
    CDialog other;
    ASSERT_TRUE(other.CreateIndirect(otherTemplate.Get()));
    CDialog owner;
    ASSERT_TRUE(owner.CreateIndirect(ownerTemplate.Get()));
    ::SetActiveWindow(owner.m_hWnd);
    ASSERT_EQ(::GetActiveWindow(), owner.m_hWnd);

    HandingOnDialog dialog;
    dialog.otherWindow = other.m_hWnd;
    bool wasActive = false;
    dialog.onStart = [&](TestDialog& d) {
        wasActive = ::GetActiveWindow() == d.m_hWnd;
        d.EndDialog(IDOK);
    };
    dialog.InitModalIndirect(modalTemplate.Get(), &owner);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(wasActive);
    EXPECT_TRUE(::IsWindowEnabled(owner.m_hWnd));
    EXPECT_EQ(::GetActiveWindow(), owner.m_hWnd);
    owner.DestroyWindow();
    other.DestroyWindow();
}

TEST(Dialog, KeysGoThroughIsDialogMessageToOkAndCancel)
{
    auto t = SimpleTemplate();
    TestDialog dialog;
    dialog.ignoreOK = true;
    dialog.onStart = [&](TestDialog& d) {
        // Enter presses the default button: OnOK, which this dialog ignores.
        HWND edit = GetDlgItem(d.m_hWnd, kEdit);
        SetFocus(edit);
        PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 1);
    };
    EXPECT_EQ(RunModal(dialog, t), IDCANCEL);
    EXPECT_EQ(dialog.okCalls, 1);
}

TEST(Dialog, DataExchangeReportsAMissingControl)
{
    class Missing : public CDialog {
    public:
        CWnd absent;
        void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, 4242, absent); }
    } dialog;
    auto t = SimpleTemplate();
    ASSERT_TRUE(dialog.CreateIndirect(t.Get()));
    EXPECT_FALSE(dialog.UpdateData(FALSE));
    EXPECT_EQ(dialog.absent.m_hWnd, nullptr);
    dialog.DestroyWindow();
}

}  // namespace
