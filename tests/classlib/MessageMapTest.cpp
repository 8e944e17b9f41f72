// Message maps: each kind of entry reaches its handler with the right
// arguments, derived maps chain to their bases, and owner-draw messages are
// reflected to the control that sent them.
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "ClasslibTestSupport.h"

namespace {

UINT g_registeredMessage = RegisterWindowMessageA("WindowTestRegisteredMessage");

const UINT kNotifyCode = 0x8201;
const UINT kMenuCommand = 100;
const UINT kButtonId = 200;

// A window with one entry of every kind; each handler records what it got.
class MapWnd : public CWnd {
public:
    std::vector<std::string> calls;
    CPoint lastPoint;
    UINT lastFlags = 0, lastId = 0, lastCtlColor = 0;
    short lastDelta = 0;
    HDC lastDC = nullptr;
    HWND lastWnd = nullptr;
    NMHDR* lastNotify = nullptr;

    BOOL Make() { return CreateEx(0, AfxRegisterWndClass(0), "map", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr); }
    bool Called(const char* name) const { return std::find(calls.begin(), calls.end(), name) != calls.end(); }

protected:
    afx_msg void OnPaint()
    {
        calls.push_back("paint");
        CPaintDC dc(this);
    }
    afx_msg BOOL OnEraseBkgnd(CDC* pDC)
    {
        calls.push_back("erase");
        lastDC = pDC->m_hDC;
        return 7;
    }
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
    {
        calls.push_back("ctlcolor");
        lastDC = pDC->m_hDC;
        lastWnd = pWnd ? pWnd->m_hWnd : nullptr;
        lastCtlColor = nCtlColor;
        return static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    }
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point)
    {
        calls.push_back("lbuttondown");
        lastFlags = nFlags;
        lastPoint = point;
    }
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint point)
    {
        calls.push_back("wheel");
        lastFlags = nFlags;
        lastDelta = zDelta;
        lastPoint = point;
        return TRUE;
    }
    afx_msg void OnTimer(UINT_PTR nIDEvent)
    {
        calls.push_back("timer");
        lastId = static_cast<UINT>(nIDEvent);
        KillTimer(nIDEvent);
    }
    afx_msg void OnSize(UINT nType, int cx, int cy)
    {
        calls.push_back("size");
        lastFlags = nType;
        lastPoint = CPoint(cx, cy);
    }
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT)
    {
        calls.push_back("keydown");
        lastId = nChar;
        lastFlags = nRepCnt;
    }
    afx_msg LRESULT OnAppMessage(WPARAM wParam, LPARAM lParam)
    {
        calls.push_back("message");
        return static_cast<LRESULT>(wParam + lParam);
    }
    afx_msg LRESULT OnRegistered(WPARAM wParam, LPARAM)
    {
        calls.push_back("registered");
        return static_cast<LRESULT>(wParam * 2);
    }
    afx_msg void OnMenuCommand() { calls.push_back("command"); }
    afx_msg void OnButton() { calls.push_back("clicked"); }
    afx_msg void OnLabelEnter(NMHDR* pNMHDR, LRESULT* pResult)
    {
        calls.push_back("notify");
        lastNotify = pNMHDR;
        *pResult = 42;
    }
    afx_msg void OnRangeNotify(UINT id, NMHDR* pNMHDR, LRESULT* pResult)
    {
        calls.push_back("range");
        lastId = id;
        lastNotify = pNMHDR;
        *pResult = 43;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(MapWnd, CWnd)
    ON_WM_PAINT()
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

NMHDR Header(HWND from, UINT_PTR id, UINT code)
{
    NMHDR hdr;
    hdr.hwndFrom = from;
    hdr.idFrom = id;
    hdr.code = code;
    return hdr;
}

TEST(MessageMap, EveryEntryKindReachesItsHandlerWithItsArguments)
{
    MapWnd wnd;
    ASSERT_TRUE(wnd.Make());
    HWND child = CreateWindowExA(0, "STATIC", "c", WS_CHILD, 0, 0, 10, 10, wnd.m_hWnd,
                                 reinterpret_cast<HMENU>(5), nullptr, nullptr);
    HDC dc = GetDC(wnd.m_hWnd);

    EXPECT_EQ(wnd.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc)), 7);
    EXPECT_EQ(wnd.lastDC, dc);

    LRESULT brush = wnd.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child));
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(GRAY_BRUSH)));
    EXPECT_EQ(wnd.lastCtlColor, static_cast<UINT>(CTLCOLOR_STATIC));
    EXPECT_EQ(wnd.lastWnd, child);
    wnd.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child));
    EXPECT_EQ(wnd.lastCtlColor, static_cast<UINT>(CTLCOLOR_BTN));

    // Coordinates are signed.
    wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-5, 7));
    EXPECT_EQ(wnd.lastFlags, static_cast<UINT>(MK_LBUTTON | MK_SHIFT));
    EXPECT_EQ(wnd.lastPoint, CPoint(-5, 7));

    wnd.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, -240), MAKELPARAM(300, 400));
    EXPECT_EQ(wnd.lastDelta, -240);
    EXPECT_EQ(wnd.lastFlags, static_cast<UINT>(MK_CONTROL));
    EXPECT_EQ(wnd.lastPoint, CPoint(300, 400));

    wnd.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(120, 80));
    EXPECT_EQ(wnd.lastPoint, CPoint(120, 80));

    wnd.SendMessage(WM_KEYDOWN, VK_DOWN, 3);
    EXPECT_EQ(wnd.lastId, static_cast<UINT>(VK_DOWN));
    EXPECT_EQ(wnd.lastFlags, 3u);

    EXPECT_EQ(wnd.SendMessage(WM_APP + 1, 20, 22), 42);
    EXPECT_EQ(wnd.SendMessage(g_registeredMessage, 21), 42);

    ReleaseDC(wnd.m_hWnd, dc);
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
    EXPECT_EQ(std::count(wnd.calls.begin(), wnd.calls.end(), "command"), 2);

    // A click of the button; other notifications of it are not clicks.
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(kButtonId, BN_SETFOCUS), reinterpret_cast<LPARAM>(button));
    EXPECT_FALSE(wnd.Called("clicked"));
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(kButtonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    EXPECT_TRUE(wnd.Called("clicked"));
    // A real click: the button sends BN_CLICKED to its parent.
    wnd.calls.clear();
    SendMessageA(button, BM_CLICK, 0, 0);
    EXPECT_TRUE(wnd.Called("clicked"));

    NMHDR hdr = Header(button, 300, kNotifyCode);
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 300, reinterpret_cast<LPARAM>(&hdr)), 42);
    EXPECT_EQ(wnd.lastNotify, &hdr);
    hdr = Header(button, 305, kNotifyCode);
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 305, reinterpret_cast<LPARAM>(&hdr)), 43);
    EXPECT_EQ(wnd.lastId, 305u);
    // Outside the range, or another code: not handled.
    wnd.calls.clear();
    hdr = Header(button, 311, kNotifyCode);
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 311, reinterpret_cast<LPARAM>(&hdr)), 0);
    hdr = Header(button, 300, kNotifyCode + 1);
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 300, reinterpret_cast<LPARAM>(&hdr)), 0);
    EXPECT_TRUE(wnd.calls.empty());

    wnd.DestroyWindow();
}

TEST(MessageMap, PaintAndTimerArriveThroughTheQueue)
{
    MapWnd wnd;
    ASSERT_TRUE(wnd.Make());
    wnd.ShowWindow(SW_SHOWNA);
    wnd.Invalidate();
    wnd.UpdateWindow();
    EXPECT_TRUE(wnd.Called("paint"));
    wnd.SetTimer(17, 1);
    EXPECT_TRUE(classlibtest::PumpUntil([&] { return wnd.Called("timer"); }));
    EXPECT_EQ(wnd.lastId, 17u);
    wnd.DestroyWindow();
}

TEST(MessageMap, DerivedMapsOverrideAndChainToTheBase)
{
    DerivedMapWnd wnd;
    ASSERT_TRUE(wnd.Make());
    wnd.SendMessage(WM_LBUTTONDOWN, 0, 0);
    EXPECT_TRUE(wnd.Called("derived lbuttondown"));
    EXPECT_FALSE(wnd.Called("lbuttondown"));
    EXPECT_EQ(wnd.SendMessage(WM_APP + 1, 1, 2), 3);   // from the base map
    wnd.SendMessage(WM_CLOSE);
    EXPECT_TRUE(wnd.Called("close"));
    EXPECT_TRUE(IsWindow(wnd.m_hWnd));                   // the handler did not pass it on
    // A message no map names goes to the window's own procedure.
    EXPECT_EQ(wnd.SendMessage(WM_GETTEXTLENGTH), 3);
    wnd.DestroyWindow();
}

// An owner-drawn button that draws itself.
class SelfDrawingButton : public CButton {
public:
    int draws = 0;
    UINT lastCtlId = 0;
    HWND lastItem = nullptr;

    void DrawItem(LPDRAWITEMSTRUCT item) override
    {
        ++draws;
        lastCtlId = item->CtlID;
        lastItem = item->hwndItem;
        FillRect(item->hDC, &item->rcItem, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
};

// The parent of the button; its own WM_DRAWITEM entry must not be reached.
class OwnerWnd : public MapWnd {
public:
    int ownDrawItems = 0;

protected:
    afx_msg LRESULT OnDrawItem(WPARAM, LPARAM)
    {
        ++ownDrawItems;
        return TRUE;
    }
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
    EXPECT_GE(button.draws, 1);
    EXPECT_EQ(button.lastCtlId, 901u);
    EXPECT_EQ(button.lastItem, button.m_hWnd);
    EXPECT_EQ(parent.ownDrawItems, 0);

    // A control without an object of its own leaves the message to the parent's map.
    HWND plain = CreateWindowExA(0, "BUTTON", "plain", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 70, 5, 40, 20,
                                 parent.m_hWnd, reinterpret_cast<HMENU>(902), nullptr, nullptr);
    InvalidateRect(plain, nullptr, TRUE);
    UpdateWindow(plain);
    EXPECT_GE(parent.ownDrawItems, 1);
    parent.DestroyWindow();
}

}  // namespace
