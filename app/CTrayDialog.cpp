#include "CTrayDialog.h"
#include <shellapi.h>

BEGIN_MESSAGE_MAP(CTrayDialog, CDHtmlDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

CTrayDialog::~CTrayDialog() = default;

void CTrayDialog::SetSlideSpeed(int stepPixels, int tickMilliseconds)
{
    m_slideStep = stepPixels;
    m_tickInterval = tickMilliseconds;
}

BOOL CTrayDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    if (!CDHtmlDialog::Create(nIDTemplate, pParentWnd))
        return FALSE;
    GetWindowRect(&m_place.target);
    const CRect& t = m_place.target;
    SetWindowPos(HWND_TOPMOST, t.left, t.top, t.Width(), t.Height(), SWP_HIDEWINDOW);
    return TRUE;
}

BOOL CTrayDialog::CreateAndNavigate(UINT nIDTemplate, const CString& pagePath, CWnd* pParentWnd)
{
    if (!Create(nIDTemplate, pParentWnd))
        return FALSE;
    Navigate(pagePath);
    return TRUE;
}

void CTrayDialog::KillSlideTimers()
{
    // A sequence started while another runs must not leave its timers behind.
    for (UINT_PTR id = TIMER_TRAYDLG_START; id <= TIMER_TRAYDLG_SLIDEOUT; ++id)
        KillTimer(id);
}

BOOL CTrayDialog::Show()
{
    if (m_hWnd) {
        KillSlideTimers();
        SetTimer(TIMER_TRAYDLG_START, 1);
    }
    return TRUE;
}

BOOL CTrayDialog::Hide()
{
    if (m_hWnd && IsWindowVisible()) {
        KillSlideTimers();
        SetTimer(TIMER_TRAYDLG_SHOWN, 1);
    }
    return TRUE;
}

HRESULT CTrayDialog::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*)
{
    return S_OK;  // the pop-up has no context menu
}

void CTrayDialog::FindTaskbarCorner()
{
    CRect found;
    int edge = kEdgeBottom;
    HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr);
    APPBARDATA data = {};
    data.cbSize = sizeof data;
    if (::SHAppBarMessage(ABM_GETTASKBARPOS, &data) && taskbar) {
        // The taskbar window's own rectangle, not the one of the answer.
        ::GetWindowRect(taskbar, &found);
        edge = static_cast<int>(data.uEdge);
    }
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(::MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY), &monitor);
    PlaceBesideTaskbar(m_place, found, edge, monitor.rcMonitor, monitor.rcWork);
}

void CTrayDialog::PlaceBesideTaskbar(Placement& place, const RECT& foundTaskbar, int foundEdge, const RECT& monitor,
                                     const RECT& workArea)
{
    const int w = place.target.Width();
    const int h = place.target.Height();
    if (!::IsRectEmpty(&foundTaskbar)) {
        const CRect tb(foundTaskbar);
        place.taskbar = tb;
        // An edge the shell should not give is taken for the bottom.
        place.edge = foundEdge >= kEdgeLeft && foundEdge <= kEdgeBottom ? foundEdge : kEdgeBottom;
        switch (place.edge) {
        case kEdgeLeft:
            place.target.SetRect(tb.right, tb.bottom - h, tb.right + w, tb.bottom);
            break;
        case kEdgeTop:
            place.target.SetRect(tb.right - w, tb.bottom, tb.right, tb.bottom + h);
            break;
        case kEdgeRight:
            place.target.SetRect(tb.left - w, tb.bottom - h, tb.left, tb.bottom);
            break;
        default:
            place.target.SetRect(tb.right - w, tb.top - h, tb.right, tb.top);
            break;
        }
    }
    if (place.taskbar.IsRectEmpty()) {
        place.edge = kEdgeBottom;
        place.target.SetRect(workArea.right - w, monitor.bottom - h, workArea.right, monitor.bottom);
    }
}

CRect CTrayDialog::SlideStart(const Placement& place)
{
    CRect r = place.target;
    switch (place.edge) {
    case kEdgeLeft:
        r.OffsetRect(-r.Width(), 0);
        break;
    case kEdgeTop:
        r.OffsetRect(0, -r.Height());
        break;
    case kEdgeRight:
        r.left = r.right;
        break;
    default:
        r.top = r.bottom;
        break;
    }
    return r;
}

BOOL CTrayDialog::SlideStep(const Placement& place, int step, BOOL slideIn, CRect& current, CRect& region)
{
    if (step <= 0)
        return FALSE;
    const CRect& t = place.target;
    const int move = slideIn ? step : -step;
    bool more;
    switch (place.edge) {
    case kEdgeLeft:
        more = slideIn ? current.left + step < t.left : current.right - step > t.left;
        if (more)
            current.OffsetRect(move, 0);
        break;
    case kEdgeTop:
        more = slideIn ? current.top + step < t.top : current.bottom - step > t.top;
        if (more)
            current.OffsetRect(0, move);
        break;
    case kEdgeRight:
        more = slideIn ? current.Width() + step < t.Width() : current.Width() > step;
        if (more)
            current.left -= move;
        break;
    default:
        more = slideIn ? current.Height() + step < t.Height() : current.Height() > step;
        if (more)
            current.top -= move;
        break;
    }
    if (more && place.edge == kEdgeLeft)
        region.SetRect(place.taskbar.right - current.left, 0, t.Width(), t.Height());
    else if (more && place.edge == kEdgeTop)
        region.SetRect(0, place.taskbar.bottom - current.top, t.Width(), t.Height());
    return more;
}

void CTrayDialog::SetRegion(int left, int top, int right, int bottom)
{
    HRGN region = ::CreateRectRgn(left, top, right, bottom);
    if (region && !SetWindowRgn(region, TRUE))
        ::DeleteObject(region);
}

void CTrayDialog::MoveToCurrent(const CRect& region)
{
    const CRect& r = m_currentRect;
    if (!IsClippedEdge(m_place.edge)) {
        MoveWindow(&r, TRUE);
        return;
    }
    SetRegion(region.left, region.top, region.right, region.bottom);
    SetWindowPos(nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void CTrayDialog::OnTimer(UINT_PTR nIDEvent)
{
    const int w = m_place.target.Width();
    const int h = m_place.target.Height();
    CRect region;
    switch (nIDEvent) {
    case TIMER_TRAYDLG_START:
        KillTimer(nIDEvent);
        FindTaskbarCorner();
        m_currentRect = SlideStart(m_place);
        if (IsClippedEdge(m_place.edge))
            SetRegion(0, 0, 0, 0);
        MoveWindow(&m_currentRect, TRUE);
        ShowWindow(SW_SHOW);
        SetTimer(TIMER_TRAYDLG_SLIDEIN, m_tickInterval);
        break;
    case TIMER_TRAYDLG_SLIDEIN:
        if (SlideStep(m_place, m_slideStep, TRUE, m_currentRect, region)) {
            MoveToCurrent(region);
            break;
        }
        m_currentRect = m_place.target;
        MoveWindow(&m_currentRect, FALSE);
        Invalidate(FALSE);
        SetRegion(0, 0, w, h);
        KillTimer(nIDEvent);
        if (m_displayTime != -1)
            SetTimer(TIMER_TRAYDLG_SHOWN, m_displayTime);
        break;
    case TIMER_TRAYDLG_SHOWN:
        KillTimer(nIDEvent);
        SetTimer(TIMER_TRAYDLG_SLIDEOUT, m_tickInterval);
        break;
    case TIMER_TRAYDLG_SLIDEOUT:
        if (SlideStep(m_place, m_slideStep, FALSE, m_currentRect, region)) {
            MoveToCurrent(region);
            break;
        }
        KillTimer(nIDEvent);
        ShowWindow(SW_HIDE);
        SetRegion(0, 0, w, h);
        break;
    default:
        break;
    }
    Default();
}
