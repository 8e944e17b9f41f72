#include "CImageLabel.h"

BEGIN_MESSAGE_MAP(CImageLabel, CStatic)
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
END_MESSAGE_MAP()

CImageLabel::CImageLabel()
{
    m_brush.CreateSolidBrush(m_backgroundColor);
}

BOOL CImageLabel::SetBitmap(UINT id)
{
    FreeBitmap();
    BOOL loaded = m_bitmap.LoadBitmap(id);
    if (m_hWnd)
        Invalidate(TRUE);
    return loaded;
}

void CImageLabel::FreeBitmap()
{
    m_bitmap.DeleteObject();
}

void CImageLabel::SetBackgroundColor(COLORREF color)
{
    m_brush.DeleteObject();
    m_brush.CreateSolidBrush(color);
    m_backgroundColor = color;
}

BOOL CImageLabel::OnEraseBkgnd(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    pDC->FillRect(&client, &m_brush);
    if (m_bitmap.m_hObject)
        DrawBitmap(pDC, &m_bitmap, 0, 0);
    return TRUE;
}

void CImageLabel::OnPaint()
{
    // Everything is drawn while erasing; painting only validates.
    CPaintDC dc(this);
}

void DrawBitmap(CDC* dc, CBitmap* bitmap, int x, int y)
{
    if (!dc || !bitmap || !bitmap->m_hObject)
        return;
    BITMAP info = {};
    bitmap->GetBitmap(&info);
    CDC memory;
    if (!memory.CreateCompatibleDC(nullptr))
        return;
    CBitmap* old = memory.SelectObject(bitmap);
    dc->BitBlt(x, y, info.bmWidth, info.bmHeight, &memory, 0, 0, SRCCOPY);
    memory.SelectObject(old);
}
