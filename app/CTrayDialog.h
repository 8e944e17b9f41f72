#pragma once
#include "afxwin.h"
#include "CDHtmlDialog.h"

// A small modeless HTML dialog that slides into view at the screen corner
// beside the taskbar, stays for its display time and slides back out. At a
// bottom or right taskbar it grows out of the taskbar's edge; at a left or
// top one it moves out from behind the taskbar with a window region that cuts
// away the part over the taskbar. Driven by four window timers on the UI
// thread; the window lives as long as its owner and is only hidden between
// showings.
class CTrayDialog : public CDHtmlDialog {
public:
    // The screen edges of the taskbar (the ABE_ values).
    enum { kEdgeLeft = 0, kEdgeTop = 1, kEdgeRight = 2, kEdgeBottom = 3 };
    enum {
        TIMER_TRAYDLG_START = 1024,
        TIMER_TRAYDLG_SLIDEIN = 1025,
        TIMER_TRAYDLG_SHOWN = 1026,
        TIMER_TRAYDLG_SLIDEOUT = 1027,
    };

    // Where the pop-up stands when fully shown (target, its size that of the
    // window), and the taskbar it stands beside.
    struct Placement {
        int edge = -1;
        CRect taskbar;
        CRect target;
    };

    CTrayDialog() = default;
    ~CTrayDialog() override;

    // Milliseconds the pop-up stays after sliding in; -1 until Hide.
    void SetDisplayTime(int milliseconds) { m_displayTime = milliseconds; }
    void SetSlideSpeed(int stepPixels, int tickMilliseconds);
    // The modeless dialog of the template, topmost and hidden at its place.
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd);
    BOOL CreateAndNavigate(UINT nIDTemplate, const CString& pagePath, CWnd* pParentWnd);
    // Starts the sequence anew: placed at the corner, slid in, shown, slid out.
    BOOL Show();
    // Slides a visible pop-up out at once; a hidden one is left alone.
    BOOL Hide();
    // Asks the shell where the taskbar is and places the target beside it.
    void FindTaskbarCorner();
    HRESULT ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved, IDispatch* pdispReserved) override;

    // Places the target (its size kept) beside the taskbar found now, whose
    // rectangle is empty when none was found. The taskbar of an earlier
    // look-up is kept; when none was ever found, the pop-up stands at the
    // bottom-right corner: right at the work area's right, bottom at the
    // monitor's bottom, and slides as for a bottom taskbar.
    static void PlaceBesideTaskbar(Placement& place, const RECT& foundTaskbar, int foundEdge, const RECT& monitor,
                                   const RECT& workArea);
    // The window's rectangle when the slide-in starts (hidden at the taskbar).
    static CRect SlideStart(const Placement& place);
    // One tick of the slide-in (or slide-out): moves current by one step and
    // gives the region to show (window coordinates) for a left or top
    // taskbar. FALSE when the slide has ended (and current is unchanged).
    static BOOL SlideStep(const Placement& place, int step, BOOL slideIn, CRect& current, CRect& region);
    // The pop-up moves from behind the taskbar (with a region) rather than growing.
    static BOOL IsClippedEdge(int edge) { return edge == kEdgeLeft || edge == kEdgeTop; }

protected:
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    DECLARE_MESSAGE_MAP()

private:
    void KillSlideTimers();
    // Moves the window to the current rectangle: resized, or moved and clipped.
    void MoveToCurrent(const CRect& region);
    // The window's shape; a new region for every call (the system owns it).
    void SetRegion(int left, int top, int right, int bottom);

    Placement m_place;
    int m_displayTime = 10000;
    int m_slideStep = 20;
    int m_tickInterval = 20;
    CRect m_currentRect;
};
