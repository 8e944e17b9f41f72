#include "CLabel.h"
#include <shellapi.h>

namespace {

const UINT_PTR kFlashTimer = 1;
const UINT kFlashInterval = 500;

}  // namespace

BEGIN_MESSAGE_MAP(CLabel, CStatic)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
    ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
    ON_WM_LBUTTONDOWN()
    ON_WM_SETCURSOR()
    ON_WM_TIMER()
    ON_WM_SYSCOLORCHANGE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CLabel::CLabel()
    : m_fillColor(::GetSysColor(COLOR_3DFACE)), m_textColor(::GetSysColor(COLOR_WINDOWTEXT))
{
    m_faceBrush.CreateSolidBrush(::GetSysColor(COLOR_3DFACE));
}

CLabel::~CLabel()
{
    // The window (if still there) is destroyed by the base class, after this
    // object's handlers are gone: nothing is reported to the parent then.
    m_hovered = 0;
}

void CLabel::PreSubclassWindow()
{
    CStatic::PreSubclassWindow();
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0));
    if (!font)
        font = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
    ::GetObjectA(font, sizeof m_lf, &m_lf);
    RebuildFont();
    // The label starts with its template's text.
    GetWindowText(m_text);
}

int CLabel::OnCreate(LPCREATESTRUCTA lpCreateStruct)
{
    // Bound before the window had its text: take the text it was created with.
    int result = static_cast<int>(Default());
    if (result != -1 && m_text.IsEmpty() && lpCreateStruct->lpszName && HIWORD(lpCreateStruct->lpszName))
        m_text = lpCreateStruct->lpszName;
    return result;
}

void CLabel::RebuildFont()
{
    m_font.DeleteObject();
    m_font.CreateFontIndirect(&m_lf);
}

void CLabel::Redraw()
{
    if (!m_hWnd)
        return;
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    HWND parent = ::GetParent(m_hWnd);
    if (m_transparent && parent) {
        // The parent repaints its background where the label is, then the
        // label over it, so no remains of the old text are left.
        CRect rect;
        GetWindowRect(&rect);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<LPPOINT>(&rect), 2);
        ::RedrawWindow(parent, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
}

CLabel& CLabel::SetBkColor(COLORREF colour, COLORREF gradient, int mode)
{
    m_bkColor = colour;
    m_gradientColor = gradient;
    m_bkMode = mode;
    m_bkBrush.DeleteObject();
    if (mode == 0)
        m_bkBrush.CreateSolidBrush(colour);
    Redraw();
    return *this;
}

CLabel& CLabel::SetTextColor(COLORREF colour)
{
    m_textColor = colour;
    Redraw();
    return *this;
}

CLabel& CLabel::SetText(const CString& text)
{
    if (!m_hWnd)
        return *this;
    m_text = text;
    Redraw();
    return *this;
}

CLabel& CLabel::SetFontBold(BOOL bold)
{
    m_lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    RebuildFont();
    Redraw();
    return *this;
}

CLabel& CLabel::SetFontName(const CString& face, BYTE charSet)
{
    m_lf.lfCharSet = charSet;
    lstrcpynA(m_lf.lfFaceName, face, LF_FACESIZE);
    RebuildFont();
    Redraw();
    return *this;
}

CLabel& CLabel::SetFontUnderline(BOOL underline)
{
    m_lf.lfUnderline = static_cast<BYTE>(underline ? 1 : 0);
    RebuildFont();
    Redraw();
    return *this;
}

CLabel& CLabel::SetFontItalic(BOOL italic)
{
    m_lf.lfItalic = static_cast<BYTE>(italic ? 1 : 0);
    RebuildFont();
    Redraw();
    return *this;
}

CLabel& CLabel::SetFontSize(int points)
{
    CFont sized;
    if (sized.CreatePointFont(points * 10, m_lf.lfFaceName)) {
        LOGFONTA lf = {};
        sized.GetLogFont(&lf);
        m_lf.lfHeight = lf.lfHeight;
        m_lf.lfWidth = lf.lfWidth;
    }
    RebuildFont();
    Redraw();
    return *this;
}

CLabel& CLabel::SetSunken(BOOL sunken)
{
    if (m_hWnd) {
        if (sunken)
            ModifyStyleEx(0, WS_EX_STATICEDGE, SWP_DRAWFRAME);
        else
            ModifyStyleEx(WS_EX_STATICEDGE, 0, SWP_DRAWFRAME);
    }
    return *this;
}

CLabel& CLabel::SetBorder(BOOL border)
{
    if (m_hWnd) {
        if (border)
            ModifyStyle(0, WS_BORDER, SWP_DRAWFRAME);
        else
            ModifyStyle(WS_BORDER, 0, SWP_DRAWFRAME);
    }
    return *this;
}

CLabel& CLabel::SetTransparent(BOOL transparent)
{
    m_transparent = transparent;
    if (m_hWnd) {
        if (transparent)
            ModifyStyleEx(0, WS_EX_TRANSPARENT);
        else
            ModifyStyleEx(WS_EX_TRANSPARENT, 0);
    }
    Redraw();
    return *this;
}

CLabel& CLabel::Flash(int type, BOOL on)
{
    if (m_flashTimerRunning) {
        if (m_hWnd)
            KillTimer(kFlashTimer);
        m_flashTimerRunning = FALSE;
        m_flashType = 0;
        m_flashPhase = FALSE;
    }
    if (on && m_hWnd) {
        m_flashType = type;
        m_flashPhase = FALSE;
        m_flashTimerRunning = SetTimer(kFlashTimer, kFlashInterval) != 0;
    }
    Redraw();
    return *this;
}

CLabel& CLabel::FlashText(BOOL on)
{
    return Flash(1, on);
}

CLabel& CLabel::FlashBackground(BOOL on)
{
    return Flash(2, on);
}

CLabel& CLabel::SetLink(BOOL link, BOOL notify)
{
    m_linkMode = link ? 1 : 0;
    m_notifyParent = notify;
    if (m_hWnd) {
        if (link)
            ModifyStyle(0, SS_NOTIFY);
        else
            ModifyStyle(SS_NOTIFY, 0);
    }
    return *this;
}

CLabel& CLabel::SetLinkCursor(HCURSOR cursor)
{
    m_linkCursor = cursor;
    return *this;
}

CLabel& CLabel::SetText3D(BOOL on, BOOL direction)
{
    m_text3D = on;
    m_3dDirection = direction;
    Redraw();
    return *this;
}

CLabel& CLabel::SetRotationAngle(int degrees, BOOL rotated)
{
    m_lf.lfEscapement = m_lf.lfOrientation = degrees * 10;
    m_rotated = rotated;
    RebuildFont();
    Redraw();
    return *this;
}

CLabel& CLabel::SetText3DHiliteColor(COLORREF colour)
{
    m_3dHiliteColor = colour;
    Redraw();
    return *this;
}

CLabel& CLabel::SetFont(const LOGFONTA& font)
{
    m_lf = font;
    RebuildFont();
    Redraw();
    return *this;
}

CLabel& CLabel::SetMailLink(BOOL link, BOOL notify)
{
    SetLink(link, notify);
    if (link)
        m_linkMode = 2;
    return *this;
}

CLabel& CLabel::SetLinkURL(const CString& url)
{
    m_linkURL = url;
    return *this;
}

void CLabel::SetLabelStyle(BYTE transparent, const CString& face, int pointSize, COLORREF text, COLORREF fill)
{
    m_fillColor = fill;
    m_fillGiven = TRUE;
    m_hoverColor = text;
    SetTransparent(transparent);
    SetFontName(face, 0);
    SetFontSize(pointSize);
    SetTextColor(text);
}

void CLabel::SetBkFillColor(COLORREF colour)
{
    m_fillColor = colour;
    m_fillGiven = TRUE;
    Redraw();
}

void CLabel::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.SetBkMode(TRANSPARENT);

    COLORREF colour = (!m_notifyParent && m_hovered) ? m_hoverColor : m_textColor;
    if (m_flashType == 1 && !m_flashPhase)
        colour = m_bkColor;  // the text blinks into the background
    dc.SetTextColor(colour);
    CFont* oldFont = dc.SelectObject(&m_font);

    const DWORD style = GetStyle();
    UINT format;
    switch (style & SS_TYPEMASK) {
    case SS_CENTER:
        format = DT_CENTER | DT_WORDBREAK;
        break;
    case SS_RIGHT:
        format = DT_RIGHT | DT_WORDBREAK;
        break;
    case SS_LEFTNOWORDWRAP:
        format = DT_LEFT;
        break;
    default:
        format = DT_LEFT | DT_WORDBREAK;
        break;
    }
    if (m_text.Find('\t') != -1)
        format |= DT_EXPANDTABS;
    if (style & SS_CENTERIMAGE)
        format = m_text.Find("\r\n") == -1 ? (DT_CENTER | DT_VCENTER | DT_SINGLELINE) : DT_CENTER;
    format |= DT_WORDBREAK;

    if (m_rotated) {
        CPoint centre = client.CenterPoint();
        CPoint oldOrigin = dc.SetViewportOrg(centre.x, centre.y);
        dc.TextOut(0, 0, m_text);
        dc.SetViewportOrg(oldOrigin.x, oldOrigin.y);
    } else {
        dc.DrawText(m_text, &client, format);
        if (m_text3D) {
            const int offset = m_3dDirection ? 1 : -1;
            client.OffsetRect(offset, offset);
            dc.SetTextColor(m_3dHiliteColor);
            dc.DrawText(m_text, &client, format);
        }
    }
    dc.SelectObject(oldFont);
}

BOOL CLabel::OnEraseBkgnd(CDC* pDC)
{
    if (m_transparent)
        return TRUE;
    if (!m_fillGiven && EraseWithParentBackground(pDC->GetSafeHdc()))
        return TRUE;
    CRect client;
    GetClientRect(&client);
    pDC->FillSolidRect(&client, m_fillColor);
    return TRUE;
}

BOOL CLabel::EraseWithParentBackground(HDC dc)
{
    HWND parent = ::GetParent(m_hWnd);
    if (!parent)
        return FALSE;
    // The parent erases into the label's DC in its own coordinates; the DC's
    // clipping keeps it to the label.
    POINT origin = {0, 0};
    ::MapWindowPoints(m_hWnd, parent, &origin, 1);
    POINT old;
    ::OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
    const BOOL erased = ::SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) != 0;
    ::SetViewportOrgEx(dc, old.x, old.y, nullptr);
    return erased;
}

void CLabel::NotifyParent(UINT code)
{
    HWND parent = ::GetParent(m_hWnd);
    if (!parent)
        return;
    NMHDR header = {};
    header.hwndFrom = m_hWnd;
    header.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(m_hWnd));
    header.code = code;
    ::SendMessageA(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void CLabel::TrackLeave(BOOL track)
{
    TRACKMOUSEEVENT tme = {};
    tme.cbSize = sizeof tme;
    tme.dwFlags = TME_LEAVE | (track ? 0 : TME_CANCEL);
    tme.hwndTrack = m_hWnd;
    ::_TrackMouseEvent(&tme);
}

void CLabel::ReleaseOwnCapture()
{
    if (::GetCapture() != m_hWnd)
        return;
    m_releasingCapture = TRUE;
    ::ReleaseCapture();
    m_releasingCapture = FALSE;
}

void CLabel::StartHover()
{
    m_hovered = 1;
    if (m_hoverColor != m_textColor)
        Redraw();
    NotifyParent(LabelEntered);
    // The parent's handler may have ended the hover or destroyed the label.
    if (!m_hovered || !::IsWindow(m_hWnd))
        return;
    TrackLeave(TRUE);
    SetCapture();
}

void CLabel::EndHover()
{
    if (!m_hovered)
        return;
    m_hovered = 0;
    TrackLeave(FALSE);
    ReleaseOwnCapture();
    if (m_hoverColor != m_textColor)
        Redraw();
    NotifyParent(LabelLeft);
}

void CLabel::OnMouseMove(UINT, CPoint point)
{
    Default();
    CRect client;
    GetClientRect(&client);
    if (!m_hovered) {
        if (client.PtInRect(point))
            StartHover();
    } else if (!client.PtInRect(point)) {
        EndHover();
    }
}

void CLabel::OnMouseLeave()
{
    EndHover();
}

LRESULT CLabel::OnCaptureChanged(WPARAM, LPARAM lParam)
{
    // Another window took the capture: the label can no longer see the mouse leave.
    if (!m_releasingCapture && reinterpret_cast<HWND>(lParam) != m_hWnd)
        EndHover();
    return 0;
}

void CLabel::OnLButtonDown(UINT, CPoint)
{
    // Give the capture back so that the parent's handler may open menus and
    // dialogs; the system still reports the mouse leaving the label.
    ReleaseOwnCapture();
    if (m_hovered)
        TrackLeave(TRUE);
    if (m_notifyParent) {
        NotifyParent(LabelClicked);
    } else if (m_linkMode == 1) {
        CString target = m_linkURL;
        if (target.IsEmpty())
            GetWindowText(target);
        ::ShellExecuteA(nullptr, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
    } else if (m_linkMode == 2) {
        CString text;
        GetWindowText(text);
        ::ShellExecuteA(nullptr, nullptr, "mailto:" + text, nullptr, nullptr, SW_SHOWNORMAL);
    }
    if (::IsWindow(m_hWnd))
        Default();
}

BOOL CLabel::OnSetCursor(CWnd*, UINT, UINT)
{
    if (m_linkCursor) {
        ::SetCursor(m_linkCursor);
        return TRUE;
    }
    return static_cast<BOOL>(Default());
}

void CLabel::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kFlashTimer) {
        Default();
        return;
    }
    m_flashPhase = !m_flashPhase;
    Redraw();
}

void CLabel::OnSysColorChange()
{
    m_faceBrush.DeleteObject();
    m_faceBrush.CreateSolidBrush(::GetSysColor(COLOR_3DFACE));
    Redraw();
}

void CLabel::OnDestroy()
{
    // A label going away reports nothing more to its parent.
    m_hovered = 0;
    if (m_flashTimerRunning) {
        KillTimer(kFlashTimer);
        m_flashTimerRunning = FALSE;
    }
    Default();
}
