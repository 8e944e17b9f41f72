// Message maps: each kind of entry reaches its handler with the right
// arguments, derived maps chain to their bases, and owner-draw messages are
// reflected to the control that sent them.
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>
#include "ClasslibTestSupport.h"

namespace {

UINT g_registeredMessage = RegisterWindowMessageA("WindowTestRegisteredMessage");

const UINT kNotifyCode = 0x8201;
const UINT kMenuCommand = 100;
const UINT kButtonId = 200;

// A window with one entry of every kind; each handler records its name and arguments.
class MapWnd : public CWnd {
public:
    std::vector<std::string> calls;
    // Creates the window and forgets the messages of its creation.
    BOOL Make()
    {
        const BOOL made = CreateEx(0, AfxRegisterWndClass(0), "map", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr);
        calls.clear();
        return made;
    }
    bool Called(const std::string& call) const { return std::find(calls.begin(), calls.end(), call) != calls.end(); }

protected:
    void Record(const char* format, ...)
    {
        char text[256];
        va_list args;
        va_start(args, format);
        vsnprintf(text, sizeof text, format, args);
        va_end(args);
        calls.push_back(text);
    }
    afx_msg BOOL OnEraseBkgnd(CDC* pDC) { Record("erase %p", pDC->m_hDC); return 7; }
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
    {
        Record("ctlcolor %p %p %u", pDC->m_hDC, pWnd ? pWnd->m_hWnd : nullptr, nCtlColor);
        return static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    }
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point) { Record("lbuttondown %u %ld %ld", nFlags, point.x, point.y); }
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint point)
    {
        Record("wheel %u %d %ld %ld", nFlags, zDelta, point.x, point.y);
        return TRUE;
    }
    afx_msg void OnTimer(UINT_PTR nIDEvent) { Record("timer %u", static_cast<UINT>(nIDEvent)); KillTimer(nIDEvent); }
    afx_msg void OnSize(UINT nType, int cx, int cy) { Record("size %u %d %d", nType, cx, cy); }
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT) { Record("keydown %u %u", nChar, nRepCnt); }
    afx_msg LRESULT OnAppMessage(WPARAM wParam, LPARAM lParam) { return static_cast<LRESULT>(wParam + lParam); }
    afx_msg LRESULT OnRegistered(WPARAM wParam, LPARAM) { return static_cast<LRESULT>(wParam * 2); }
    afx_msg void OnMenuCommand() { Record("command"); }
    afx_msg void OnButton() { Record("clicked"); }
    afx_msg void OnLabelEnter(NMHDR* pNMHDR, LRESULT* pResult) { Record("notify %p", pNMHDR); *pResult = 42; }
    afx_msg void OnRangeNotify(UINT id, NMHDR* pNMHDR, LRESULT* pResult)
    {
        Record("range %u %p", id, pNMHDR);
        *pResult = 43;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(MapWnd, CWnd)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEWHEEL()
    ON_WM_TIMER()
    ON_WM_SIZE()
    ON_WM_KEYDOWN()
    ON_MESSAGE(WM_APP + 1, OnAppMessage)
    ON_REGISTERED_MESSAGE(g_registeredMessage, OnRegistered)
    ON_COMMAND(kMenuCommand, OnMenuCommand)
    ON_BN_CLICKED(kButtonId, OnButton)
    ON_NOTIFY(kNotifyCode, 300, OnLabelEnter)
    ON_NOTIFY_RANGE(kNotifyCode, 301, 310, OnRangeNotify)
END_MESSAGE_MAP()

// A derived window: one message replaced, one added, the rest inherited.
class DerivedMapWnd : public MapWnd {
protected:
    afx_msg void OnLButtonDown(UINT, CPoint) { calls.push_back("derived lbuttondown"); }
    afx_msg void OnClose() { calls.push_back("close"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedMapWnd, MapWnd)
    ON_WM_LBUTTONDOWN()
    ON_WM_CLOSE()
END_MESSAGE_MAP()

// The dispatchers check signatures at compile time.
struct SignatureProbe : public CWnd {
    BOOL Right(CDC*) { return TRUE; }
    void Wrong(CDC*) {}
};
static_assert(afxmsg::Is<&SignatureProbe::Right, BOOL(CDC*)>, "matching signature");
static_assert(!afxmsg::Is<&SignatureProbe::Wrong, BOOL(CDC*)>, "other return type");

std::string Ptr(const void* p)
{
    char text[32];
    snprintf(text, sizeof text, "%p", p);
    return text;
}

TEST(MessageMap, EveryEntryKindReachesItsHandlerWithItsArguments)
{
    MapWnd wnd;
    ASSERT_TRUE(wnd.Make());
    HWND child = CreateWindowExA(0, "STATIC", "c", WS_CHILD, 0, 0, 10, 10, wnd.m_hWnd, reinterpret_cast<HMENU>(5),
                                 nullptr, nullptr);
    HDC dc = GetDC(wnd.m_hWnd);
    EXPECT_EQ(wnd.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc)), 7);
    EXPECT_EQ(wnd.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child)),
              reinterpret_cast<LRESULT>(GetStockObject(GRAY_BRUSH)));
    wnd.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child));
    wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-5, 7));  // coordinates are signed
    wnd.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, -240), MAKELPARAM(300, 400));
    wnd.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(120, 80));
    wnd.SendMessage(WM_KEYDOWN, VK_DOWN, 3);
    EXPECT_EQ(wnd.SendMessage(WM_APP + 1, 20, 22), 42);
    EXPECT_EQ(wnd.SendMessage(g_registeredMessage, 21), 42);
    const std::vector<std::string> expected = {
        "erase " + Ptr(dc),
        "ctlcolor " + Ptr(dc) + " " + Ptr(child) + " " + std::to_string(CTLCOLOR_STATIC),
        "ctlcolor " + Ptr(dc) + " " + Ptr(child) + " " + std::to_string(CTLCOLOR_BTN),
        "lbuttondown " + std::to_string(MK_LBUTTON | MK_SHIFT) + " -5 7",
        "wheel " + std::to_string(MK_CONTROL) + " -240 300 400",
        "size 0 120 80",
        "keydown " + std::to_string(VK_DOWN) + " 3",
    };
    EXPECT_EQ(wnd.calls, expected);
    ReleaseDC(wnd.m_hWnd, dc);

    // The timer comes through the queue.
    wnd.SetTimer(17, 1);
    EXPECT_TRUE(classlibtest::PumpUntil([&] { return wnd.Called("timer 17"); }));
    wnd.DestroyWindow();
}

TEST(MessageMap, CommandsAndNotificationsMatchCodeAndIds)
{
    MapWnd wnd;
    ASSERT_TRUE(wnd.Make());
    HWND button = CreateWindowExA(0, "BUTTON", "b", WS_CHILD, 0, 0, 10, 10, wnd.m_hWnd,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kButtonId)), nullptr, nullptr);
    // A menu command and an accelerator (code 1) are both commands.
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(kMenuCommand, 0), 0);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(kMenuCommand, 1), 0);
    // Other notifications of the button are not clicks; a real click sends BN_CLICKED.
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(kButtonId, BN_SETFOCUS), reinterpret_cast<LPARAM>(button));
    SendMessageA(button, BM_CLICK, 0, 0);
    EXPECT_EQ(wnd.calls, (std::vector<std::string>{"command", "command", "clicked"}));

    wnd.calls.clear();
    NMHDR hdr = {button, 300, kNotifyCode};
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 300, reinterpret_cast<LPARAM>(&hdr)), 42);
    NMHDR ranged = {button, 305, kNotifyCode};
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 305, reinterpret_cast<LPARAM>(&ranged)), 43);
    // Outside the range, or another code: not handled.
    NMHDR outside = {button, 311, kNotifyCode}, other = {button, 300, kNotifyCode + 1};
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 311, reinterpret_cast<LPARAM>(&outside)), 0);
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 300, reinterpret_cast<LPARAM>(&other)), 0);
    EXPECT_EQ(wnd.calls, (std::vector<std::string>{"notify " + Ptr(&hdr), "range 305 " + Ptr(&ranged)}));
    wnd.DestroyWindow();
}

TEST(MessageMap, DerivedMapsOverrideAndChainToTheBase)
{
    DerivedMapWnd wnd;
    ASSERT_TRUE(wnd.Make());
    wnd.SendMessage(WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(wnd.SendMessage(WM_APP + 1, 1, 2), 3);  // from the base map
    wnd.SendMessage(WM_CLOSE);
    EXPECT_EQ(wnd.calls, (std::vector<std::string>{"derived lbuttondown", "close"}));
    EXPECT_TRUE(IsWindow(wnd.m_hWnd));  // the handler did not pass it on
    // A message no map names goes to the window's own procedure.
    EXPECT_EQ(wnd.SendMessage(WM_GETTEXTLENGTH), 3);
    wnd.DestroyWindow();
}

// Runtime classes: a window that names its class, and a creatable one below it.
class DynamicWnd : public CWnd {
    DECLARE_DYNAMIC(DynamicWnd)
};
IMPLEMENT_DYNAMIC(DynamicWnd)

class CreatableWnd : public DynamicWnd {
    DECLARE_DYNCREATE(CreatableWnd)

public:
    int made = 7;
};
IMPLEMENT_DYNCREATE(CreatableWnd)

TEST(RuntimeClass, EachObjectGivesItsOwnClassAndACreatableClassMakesNewObjects)
{
    CreatableWnd creatable;
    DynamicWnd dynamic;
    CWnd plain;
    const CObject* objects[] = {&creatable, &dynamic, &plain};
    const CRuntimeClass* classes[] = {RUNTIME_CLASS(CreatableWnd), RUNTIME_CLASS(DynamicWnd), RUNTIME_CLASS(CObject)};
    const char* names[] = {"CreatableWnd", "DynamicWnd", "CObject"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(classes[i], objects[i]->GetRuntimeClass()) << i;
        EXPECT_STREQ(names[i], objects[i]->GetRuntimeClass()->m_lpszClassName) << i;
    }
    EXPECT_EQ(nullptr, RUNTIME_CLASS(DynamicWnd)->CreateObject());
    EXPECT_EQ(nullptr, RUNTIME_CLASS(CObject)->CreateObject());
    std::unique_ptr<CObject> first(RUNTIME_CLASS(CreatableWnd)->CreateObject());
    std::unique_ptr<CObject> second(CreatableWnd::CreateObject());
    auto* made = dynamic_cast<CreatableWnd*>(first.get());
    ASSERT_NE(nullptr, made);
    EXPECT_EQ(7, made->made);
    EXPECT_EQ(RUNTIME_CLASS(CreatableWnd), first->GetRuntimeClass());
    ASSERT_NE(nullptr, dynamic_cast<CreatableWnd*>(second.get()));
    EXPECT_NE(first.get(), second.get());
}

// An owner-drawn button that draws itself.
class SelfDrawingButton : public CButton {
public:
    std::string drawn;
    void DrawItem(LPDRAWITEMSTRUCT item) override
    {
        drawn = std::to_string(item->CtlID) + " " + Ptr(item->hwndItem);
        FillRect(item->hDC, &item->rcItem, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
};

// The parent of the button; its own WM_DRAWITEM entry is reached only for
// controls without an object of their own.
class OwnerWnd : public MapWnd {
public:
    int ownDrawItems = 0;

protected:
    afx_msg LRESULT OnDrawItem(WPARAM, LPARAM) { return ++ownDrawItems; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(OwnerWnd, MapWnd)
    ON_MESSAGE(WM_DRAWITEM, OnDrawItem)
END_MESSAGE_MAP()

TEST(MessageMap, OwnerDrawIsReflectedToTheChildObject)
{
    OwnerWnd parent;
    ASSERT_TRUE(parent.Make());
    SelfDrawingButton button;
    ASSERT_TRUE(button.Create("draw me", WS_VISIBLE | BS_OWNERDRAW, CRect(5, 5, 60, 30), &parent, 901));
    parent.ShowWindow(SW_SHOWNA);
    button.Invalidate();
    button.UpdateWindow();
    EXPECT_EQ(button.drawn, "901 " + Ptr(button.m_hWnd));
    EXPECT_EQ(parent.ownDrawItems, 0);
    HWND plain = CreateWindowExA(0, "BUTTON", "plain", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 70, 5, 40, 20,
                                 parent.m_hWnd, reinterpret_cast<HMENU>(902), nullptr, nullptr);
    InvalidateRect(plain, nullptr, TRUE);
    UpdateWindow(plain);
    EXPECT_GE(parent.ownDrawItems, 1);
    parent.DestroyWindow();
}

}  // namespace
