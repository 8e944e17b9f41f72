#include "CXPButton.h"
#include "CMemDC.h"
#include "GraphicUtils.h"

namespace {

// Copies the whole of bitmap to (x, y) of dc, through its transparent colour
// when key is not 0.
void DrawWholeBitmap(CDC* dc, CBitmap* bitmap, int x, int y, int cx, int cy, COLORREF key = 0)
{
    CDC source;
    if (!source.CreateCompatibleDC(dc))
        return;
    CBitmap* old = source.SelectObject(bitmap);
    if (key)
        dc->TransparentBlt(x, y, cx, cy, &source, 0, 0, cx, cy, key);
    else
        dc->BitBlt(x, y, cx, cy, &source, 0, 0, SRCCOPY);
    source.SelectObject(old);
}

}  // namespace

BEGIN_MESSAGE_MAP(CXPButton, CButton)
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSEHOVER()
    ON_WM_MOUSELEAVE()
END_MESSAGE_MAP()

void CXPButton::PreSubclassWindow()
{
    ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW);
    CButton::PreSubclassWindow();
}

void CXPButton::SetBitmaps(UINT idNormal, UINT idHot, UINT idPressed, BOOL compose)
{
    CRect client;
    if (m_hWnd)
        GetClientRect(&client);
    m_normal.DeleteObject();
    m_hot.DeleteObject();
    m_pressedFace.DeleteObject();
    ComposeBitmap(idNormal, &m_normal, client, compose);
    ComposeBitmap(idHot, &m_hot, client, compose);
    ComposeBitmap(idPressed, &m_pressedFace, client, compose);
    m_bitmapsSet = TRUE;
    if (m_hWnd)
        Invalidate(TRUE);
}

void CXPButton::ComposeBitmap(UINT id, CBitmap* target, const RECT& client, BOOL compose)
{
    if (!compose) {
        target->LoadBitmap(id);
        return;
    }
    CBitmap source;
    if (!source.LoadBitmap(id))
        return;
    BITMAP info = {};
    source.GetBitmap(&info);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0)
        return;

    CDC sourceDC;
    if (!sourceDC.CreateCompatibleDC(nullptr))
        return;
    CBitmap* oldSource = sourceDC.SelectObject(&source);
    CDC targetDC;
    if (target->CreateCompatibleBitmap(&sourceDC, width, height) && targetDC.CreateCompatibleDC(&sourceDC)) {
        CBitmap* oldTarget = targetDC.SelectObject(target);
        const int w = info.bmWidth;
        const int h = info.bmHeight;
        m_leftSlice.SetRect(0, 0, w / 3, h);
        m_middleSlice.SetRect(w / 3, 0, 2 * w / 3, h);
        m_rightSlice.SetRect(2 * w / 3, 0, w, h);
        // A face too narrow to have a middle third has nothing to tile.
        const int step = m_middleSlice.Width();
        for (int x = 0; step > 0 && x < width; x += step)
            targetDC.BitBlt(x, 0, step, h, &sourceDC, m_middleSlice.left, 0, SRCCOPY);
        targetDC.BitBlt(0, 0, m_leftSlice.Width(), h, &sourceDC, 0, 0, SRCCOPY);
        targetDC.BitBlt(width - m_rightSlice.Width(), 0, m_rightSlice.Width(), h, &sourceDC,
                        m_rightSlice.left, 0, SRCCOPY);
        targetDC.SelectObject(oldTarget);
    }
    sourceDC.SelectObject(oldSource);
}

void CXPButton::SetCaption(const CString& face, COLORREF colour, int height, COLORREF disabledColour)
{
    m_captionFace = face;
    m_captionColour = colour;
    m_captionHeight = height;
    m_disabledCaptionColour = disabledColour;
}

BOOL CXPButton::SetIcon(UINT bitmapId, COLORREF key)
{
    m_icon.DeleteObject();
    m_iconInfo = {};
    if (!m_icon.LoadBitmap(bitmapId))
        return FALSE;
    m_icon.GetBitmap(&m_iconInfo);
    if (key)
        m_iconKey = key;
    return TRUE;
}

void CXPButton::SetSticky(BOOL sticky)
{
    sticky = sticky ? TRUE : FALSE;
    if (sticky == m_sticky)
        return;
    m_sticky = sticky;
    if (m_hWnd)
        Invalidate(TRUE);
}

void CXPButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    CDC* target = CDC::FromHandle(lpDrawItemStruct->hDC);
    const CRect item = lpDrawItemStruct->rcItem;
    CMemDC dc(target, &item);
    if (!m_bitmapsSet)
        return;

    const UINT state = lpDrawItemStruct->itemState;
    m_focused = (state & ODS_FOCUS) != 0;
    m_pressed = (state & (ODS_SELECTED | ODS_DEFAULT)) != 0 || m_sticky;
    m_disabled = (state & (ODS_GRAYED | ODS_DISABLED)) != 0;

    CBitmap* face = m_pressed ? &m_pressedFace : (!m_focused && !m_hover) ? &m_normal : &m_hot;
    // A face that failed to load leaves the background showing.
    if (face->m_hObject)
        DrawWholeBitmap(&dc, face, item.left, item.top, item.Width(), item.Height());

    CString text;
    GetWindowText(text);
    DrawCaption(&dc, item, text);

    if (m_icon.m_hObject) {
        CRect client;
        GetClientRect(&client);
        const int y = m_iconInfo.bmHeight < client.Height() ? (client.Height() - m_iconInfo.bmHeight) / 2 : 0;
        DrawWholeBitmap(&dc, &m_icon, 12, y, m_iconInfo.bmWidth, m_iconInfo.bmHeight, m_iconKey);
    }
}

void CXPButton::DrawCaption(CDC* dc, const CRect& rect, const CString& text)
{
    const COLORREF colour = m_disabled ? m_disabledCaptionColour : m_captionColour;
    if (!m_bParentFont) {
        CRect client;
        GetClientRect(&client);
        GraphicUtils::TextStyle style;
        style.face = m_captionFace;
        style.textColour = colour;
        style.height = m_captionHeight;
        style.format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
        GraphicUtils::DrawStyledText(dc, text, client, style);
        return;
    }
    dc->SetTextColor(colour);
    if (text.IsEmpty())
        return;
    HWND parent = ::GetParent(m_hWnd);
    HFONT font = parent ? reinterpret_cast<HFONT>(::SendMessageA(parent, WM_GETFONT, 0, 0)) : nullptr;
    if (!font)
        font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    CFont* oldFont = dc->SelectObject(CFont::FromHandle(font));
    const CSize size = dc->GetTextExtent(text);
    const CPoint centre = rect.CenterPoint();
    m_captionPos = CPoint(centre.x - size.cx / 2, centre.y - size.cy / 2);
    m_captionSize = size;
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    dc->TextOut(m_captionPos.x, m_captionPos.y, text);
    dc->SetBkMode(oldMode);
    dc->SelectObject(oldFont);
}

void CXPButton::OnMouseMove(UINT, CPoint)
{
    if (!m_tracking) {
        TRACKMOUSEEVENT tme = {};
        tme.cbSize = sizeof tme;
        tme.dwFlags = TME_HOVER | TME_LEAVE;
        tme.hwndTrack = m_hWnd;
        tme.dwHoverTime = 1;
        m_tracking = ::_TrackMouseEvent(&tme);
    }
    Default();
}

void CXPButton::OnMouseHover(UINT, CPoint)
{
    m_hover = TRUE;
    Invalidate(TRUE);
}

void CXPButton::OnMouseLeave()
{
    m_tracking = FALSE;
    m_hover = FALSE;
    Invalidate(FALSE);
}
