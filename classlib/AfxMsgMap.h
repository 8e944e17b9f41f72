#pragma once
// Message maps: each window class has a static table of entries chained to
// its base class's table. An entry names a message (or, for WM_COMMAND and
// WM_NOTIFY, a notification code and a control-id range) and a dispatcher
// made from the handler at compile time. The dispatcher checks the handler's
// signature: a handler of the wrong type does not compile.
#include <windows.h>
#include <commctrl.h>
#include <type_traits>
#include "CPoint.h"

class CWnd;
class CDC;

#define afx_msg

// The 16-bit colour message; the table entry for every WM_CTLCOLORxxx.
#define AFX_WM_CTLCOLOR 0x0019

typedef LRESULT (*AFX_MSGDISPATCH)(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;              // message; WM_COMMAND and WM_NOTIFY use code and ids too
    UINT nCode;                 // notification code
    UINT nID;                   // first control id
    UINT nLastID;               // last control id
    const UINT* pRegistered;    // a registered message, read when the message arrives
    AFX_MSGDISPATCH pfnDispatch;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

namespace afxmsg {

template<class M> struct Member;
template<class C, class F> struct Member<F C::*> {
    typedef C Class;
    typedef F Function;
};

// True when pfn is a member function of exactly the type F.
template<auto pfn, class F>
constexpr bool Is = std::is_same<typename Member<decltype(pfn)>::Function, F>::value;

template<auto pfn>
inline typename Member<decltype(pfn)>::Class* Target(CWnd* pWnd)
{
    return static_cast<typename Member<decltype(pfn)>::Class*>(pWnd);
}

inline CPoint PointOf(LPARAM lParam)
{
    return CPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
}

CDC* DCOf(WPARAM wParam);
CWnd* WndOf(HWND hWnd);

template<auto pfn> LRESULT Void(CWnd* w, UINT, WPARAM, LPARAM)
{
    static_assert(Is<pfn, void()>, "handler must be void f()");
    (Target<pfn>(w)->*pfn)();
    return 0;
}

template<auto pfn> LRESULT Message(CWnd* w, UINT, WPARAM wp, LPARAM lp)
{
    static_assert(Is<pfn, LRESULT(WPARAM, LPARAM)>, "handler must be LRESULT f(WPARAM, LPARAM)");
    return (Target<pfn>(w)->*pfn)(wp, lp);
}

template<auto pfn> LRESULT Notify(CWnd* w, UINT, WPARAM, LPARAM lp)
{
    static_assert(Is<pfn, void(NMHDR*, LRESULT*)>, "handler must be void f(NMHDR*, LRESULT*)");
    LRESULT result = 0;
    (Target<pfn>(w)->*pfn)(reinterpret_cast<NMHDR*>(lp), &result);
    return result;
}

template<auto pfn> LRESULT NotifyRange(CWnd* w, UINT, WPARAM, LPARAM lp)
{
    static_assert(Is<pfn, void(UINT, NMHDR*, LRESULT*)>, "handler must be void f(UINT, NMHDR*, LRESULT*)");
    LRESULT result = 0;
    NMHDR* hdr = reinterpret_cast<NMHDR*>(lp);
    (Target<pfn>(w)->*pfn)(static_cast<UINT>(hdr->idFrom), hdr, &result);
    return result;
}

template<auto pfn> LRESULT EraseBkgnd(CWnd* w, UINT, WPARAM wp, LPARAM)
{
    static_assert(Is<pfn, BOOL(CDC*)>, "OnEraseBkgnd must be BOOL f(CDC*)");
    return (Target<pfn>(w)->*pfn)(DCOf(wp));
}

template<auto pfn> LRESULT CtlColor(CWnd* w, UINT msg, WPARAM wp, LPARAM lp)
{
    static_assert(Is<pfn, HBRUSH(CDC*, CWnd*, UINT)>, "OnCtlColor must be HBRUSH f(CDC*, CWnd*, UINT)");
    return reinterpret_cast<LRESULT>(
        (Target<pfn>(w)->*pfn)(DCOf(wp), WndOf(reinterpret_cast<HWND>(lp)), msg - WM_CTLCOLORMSGBOX));
}

template<auto pfn> LRESULT Mouse(CWnd* w, UINT, WPARAM wp, LPARAM lp)
{
    static_assert(Is<pfn, void(UINT, CPoint)>, "mouse handler must be void f(UINT, CPoint)");
    (Target<pfn>(w)->*pfn)(static_cast<UINT>(wp), PointOf(lp));
    return 0;
}

template<auto pfn> LRESULT MouseWheel(CWnd* w, UINT, WPARAM wp, LPARAM lp)
{
    static_assert(Is<pfn, BOOL(UINT, short, CPoint)>, "OnMouseWheel must be BOOL f(UINT, short, CPoint)");
    return (Target<pfn>(w)->*pfn)(LOWORD(wp), static_cast<short>(HIWORD(wp)), PointOf(lp));
}

template<auto pfn> LRESULT Timer(CWnd* w, UINT, WPARAM wp, LPARAM)
{
    static_assert(Is<pfn, void(UINT_PTR)>, "OnTimer must be void f(UINT_PTR)");
    (Target<pfn>(w)->*pfn)(static_cast<UINT_PTR>(wp));
    return 0;
}

template<auto pfn> LRESULT SysCommand(CWnd* w, UINT, WPARAM wp, LPARAM lp)
{
    static_assert(Is<pfn, void(UINT, LPARAM)>, "OnSysCommand must be void f(UINT, LPARAM)");
    (Target<pfn>(w)->*pfn)(static_cast<UINT>(wp), lp);
    return 0;
}

template<auto pfn> LRESULT ShowWindow(CWnd* w, UINT, WPARAM wp, LPARAM lp)
{
    static_assert(Is<pfn, void(BOOL, UINT)>, "OnShowWindow must be void f(BOOL, UINT)");
    (Target<pfn>(w)->*pfn)(static_cast<BOOL>(wp), static_cast<UINT>(lp));
    return 0;
}

template<auto pfn> LRESULT Size(CWnd* w, UINT, WPARAM wp, LPARAM lp)
{
    static_assert(Is<pfn, void(UINT, int, int)>, "OnSize must be void f(UINT, int, int)");
    (Target<pfn>(w)->*pfn)(static_cast<UINT>(wp), LOWORD(lp), HIWORD(lp));
    return 0;
}

template<auto pfn> LRESULT Key(CWnd* w, UINT, WPARAM wp, LPARAM lp)
{
    static_assert(Is<pfn, void(UINT, UINT, UINT)>, "key handler must be void f(UINT, UINT, UINT)");
    (Target<pfn>(w)->*pfn)(static_cast<UINT>(wp), LOWORD(lp), HIWORD(lp));
    return 0;
}

template<auto pfn> LRESULT Scroll(CWnd* w, UINT, WPARAM wp, LPARAM lp)
{
    static_assert(Is<pfn, void(UINT, UINT, CWnd*)>, "scroll handler must be void f(UINT, UINT, CWnd*)");
    (Target<pfn>(w)->*pfn)(LOWORD(wp), HIWORD(wp), WndOf(reinterpret_cast<HWND>(lp)));
    return 0;
}

template<auto pfn> LRESULT GetDlgCode(CWnd* w, UINT, WPARAM, LPARAM)
{
    static_assert(Is<pfn, UINT()>, "OnGetDlgCode must be UINT f()");
    return (Target<pfn>(w)->*pfn)();
}

template<auto pfn> LRESULT Focus(CWnd* w, UINT, WPARAM wp, LPARAM)
{
    static_assert(Is<pfn, void(CWnd*)>, "focus handler must be void f(CWnd*)");
    (Target<pfn>(w)->*pfn)(WndOf(reinterpret_cast<HWND>(wp)));
    return 0;
}

template<auto pfn> LRESULT SetCursor(CWnd* w, UINT, WPARAM wp, LPARAM lp)
{
    static_assert(Is<pfn, BOOL(CWnd*, UINT, UINT)>, "OnSetCursor must be BOOL f(CWnd*, UINT, UINT)");
    return (Target<pfn>(w)->*pfn)(WndOf(reinterpret_cast<HWND>(wp)), LOWORD(lp), HIWORD(lp));
}

template<auto pfn> LRESULT Create(CWnd* w, UINT, WPARAM, LPARAM lp)
{
    static_assert(Is<pfn, int(LPCREATESTRUCTA)>, "OnCreate must be int f(LPCREATESTRUCT)");
    return (Target<pfn>(w)->*pfn)(reinterpret_cast<LPCREATESTRUCTA>(lp));
}

template<auto pfn> LRESULT HelpInfo(CWnd* w, UINT, WPARAM, LPARAM lp)
{
    static_assert(Is<pfn, BOOL(HELPINFO*)>, "OnHelpInfo must be BOOL f(HELPINFO*)");
    return (Target<pfn>(w)->*pfn)(reinterpret_cast<HELPINFO*>(lp));
}

template<auto pfn> LRESULT QueryDragIcon(CWnd* w, UINT, WPARAM, LPARAM)
{
    static_assert(Is<pfn, HCURSOR()>, "OnQueryDragIcon must be HCURSOR f()");
    return reinterpret_cast<LRESULT>((Target<pfn>(w)->*pfn)());
}

}  // namespace afxmsg

// In a class declaration (it leaves the access at protected).
#define DECLARE_MESSAGE_MAP() \
protected: \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass) \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() \
    { \
        using ThisClass [[maybe_unused]] = theClass; \
        using TheBaseClass = baseClass; \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP() \
            {0, 0, 0, 0, nullptr, nullptr} \
        }; \
        static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
        return &map; \
    }

#define AFX_ENTRY(msg, code, first, last, dispatch) \
    {static_cast<UINT>(msg), static_cast<UINT>(code), static_cast<UINT>(first), static_cast<UINT>(last), nullptr, dispatch},

// Any message: LRESULT f(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn) \
    AFX_ENTRY(message, 0, 0, 0, &afxmsg::Message<&ThisClass::memberFxn>)
// A message registered at run time; nMessageVariable is a UINT global.
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn) \
    {0, 0, 0, 0, &nMessageVariable, &afxmsg::Message<&ThisClass::memberFxn>},
// A menu or accelerator command, or a control notification with code 0: void f().
#define ON_COMMAND(id, memberFxn) \
    AFX_ENTRY(WM_COMMAND, 0, id, id, &afxmsg::Void<&ThisClass::memberFxn>)
#define ON_BN_CLICKED(id, memberFxn) \
    AFX_ENTRY(WM_COMMAND, BN_CLICKED, id, id, &afxmsg::Void<&ThisClass::memberFxn>)
// WM_NOTIFY from control id with code: void f(NMHDR*, LRESULT*).
#define ON_NOTIFY(wNotifyCode, id, memberFxn) \
    AFX_ENTRY(WM_NOTIFY, wNotifyCode, id, id, &afxmsg::Notify<&ThisClass::memberFxn>)
// WM_NOTIFY from a range of ids: void f(UINT id, NMHDR*, LRESULT*).
#define ON_NOTIFY_RANGE(wNotifyCode, id, idLast, memberFxn) \
    AFX_ENTRY(WM_NOTIFY, wNotifyCode, id, idLast, &afxmsg::NotifyRange<&ThisClass::memberFxn>)

#define ON_WM_PAINT() AFX_ENTRY(WM_PAINT, 0, 0, 0, &afxmsg::Void<&ThisClass::OnPaint>)
#define ON_WM_ERASEBKGND() AFX_ENTRY(WM_ERASEBKGND, 0, 0, 0, &afxmsg::EraseBkgnd<&ThisClass::OnEraseBkgnd>)
#define ON_WM_CTLCOLOR() AFX_ENTRY(AFX_WM_CTLCOLOR, 0, 0, 0, &afxmsg::CtlColor<&ThisClass::OnCtlColor>)
#define ON_WM_LBUTTONDOWN() AFX_ENTRY(WM_LBUTTONDOWN, 0, 0, 0, &afxmsg::Mouse<&ThisClass::OnLButtonDown>)
#define ON_WM_LBUTTONUP() AFX_ENTRY(WM_LBUTTONUP, 0, 0, 0, &afxmsg::Mouse<&ThisClass::OnLButtonUp>)
#define ON_WM_LBUTTONDBLCLK() AFX_ENTRY(WM_LBUTTONDBLCLK, 0, 0, 0, &afxmsg::Mouse<&ThisClass::OnLButtonDblClk>)
#define ON_WM_RBUTTONDOWN() AFX_ENTRY(WM_RBUTTONDOWN, 0, 0, 0, &afxmsg::Mouse<&ThisClass::OnRButtonDown>)
#define ON_WM_RBUTTONUP() AFX_ENTRY(WM_RBUTTONUP, 0, 0, 0, &afxmsg::Mouse<&ThisClass::OnRButtonUp>)
#define ON_WM_MOUSEMOVE() AFX_ENTRY(WM_MOUSEMOVE, 0, 0, 0, &afxmsg::Mouse<&ThisClass::OnMouseMove>)
#define ON_WM_MOUSEHOVER() AFX_ENTRY(WM_MOUSEHOVER, 0, 0, 0, &afxmsg::Mouse<&ThisClass::OnMouseHover>)
#define ON_WM_MOUSELEAVE() AFX_ENTRY(WM_MOUSELEAVE, 0, 0, 0, &afxmsg::Void<&ThisClass::OnMouseLeave>)
#define ON_WM_MOUSEWHEEL() AFX_ENTRY(WM_MOUSEWHEEL, 0, 0, 0, &afxmsg::MouseWheel<&ThisClass::OnMouseWheel>)
#define ON_WM_TIMER() AFX_ENTRY(WM_TIMER, 0, 0, 0, &afxmsg::Timer<&ThisClass::OnTimer>)
#define ON_WM_SYSCOMMAND() AFX_ENTRY(WM_SYSCOMMAND, 0, 0, 0, &afxmsg::SysCommand<&ThisClass::OnSysCommand>)
#define ON_WM_SHOWWINDOW() AFX_ENTRY(WM_SHOWWINDOW, 0, 0, 0, &afxmsg::ShowWindow<&ThisClass::OnShowWindow>)
#define ON_WM_SIZE() AFX_ENTRY(WM_SIZE, 0, 0, 0, &afxmsg::Size<&ThisClass::OnSize>)
#define ON_WM_KEYDOWN() AFX_ENTRY(WM_KEYDOWN, 0, 0, 0, &afxmsg::Key<&ThisClass::OnKeyDown>)
#define ON_WM_VSCROLL() AFX_ENTRY(WM_VSCROLL, 0, 0, 0, &afxmsg::Scroll<&ThisClass::OnVScroll>)
#define ON_WM_GETDLGCODE() AFX_ENTRY(WM_GETDLGCODE, 0, 0, 0, &afxmsg::GetDlgCode<&ThisClass::OnGetDlgCode>)
#define ON_WM_SETFOCUS() AFX_ENTRY(WM_SETFOCUS, 0, 0, 0, &afxmsg::Focus<&ThisClass::OnSetFocus>)
#define ON_WM_KILLFOCUS() AFX_ENTRY(WM_KILLFOCUS, 0, 0, 0, &afxmsg::Focus<&ThisClass::OnKillFocus>)
#define ON_WM_SETCURSOR() AFX_ENTRY(WM_SETCURSOR, 0, 0, 0, &afxmsg::SetCursor<&ThisClass::OnSetCursor>)
#define ON_WM_CREATE() AFX_ENTRY(WM_CREATE, 0, 0, 0, &afxmsg::Create<&ThisClass::OnCreate>)
#define ON_WM_DESTROY() AFX_ENTRY(WM_DESTROY, 0, 0, 0, &afxmsg::Void<&ThisClass::OnDestroy>)
#define ON_WM_CLOSE() AFX_ENTRY(WM_CLOSE, 0, 0, 0, &afxmsg::Void<&ThisClass::OnClose>)
#define ON_WM_SYSCOLORCHANGE() AFX_ENTRY(WM_SYSCOLORCHANGE, 0, 0, 0, &afxmsg::Void<&ThisClass::OnSysColorChange>)
#define ON_WM_HELPINFO() AFX_ENTRY(WM_HELP, 0, 0, 0, &afxmsg::HelpInfo<&ThisClass::OnHelpInfo>)
#define ON_WM_QUERYDRAGICON() AFX_ENTRY(WM_QUERYDRAGICON, 0, 0, 0, &afxmsg::QueryDragIcon<&ThisClass::OnQueryDragIcon>)
