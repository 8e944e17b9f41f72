#include "CBitmapDC.h"

BOOL CBitmapDC::Create(HDC hReference, int cx, int cy)
{
    Delete();
    if (cx < 0 || cy < 0)
        return FALSE;
    HDC hScreen = hReference ? nullptr : GetDC(nullptr);
    HDC hRef = hReference ? hReference : hScreen;
    m_hDC = CreateCompatibleDC(hRef);
    m_hBitmap = m_hDC ? CreateCompatibleBitmap(hRef, cx, cy) : nullptr;
    if (hScreen)
        ReleaseDC(nullptr, hScreen);
    if (!m_hBitmap) {
        Delete();
        return FALSE;
    }
    m_hOldBitmap = SelectObject(m_hDC, m_hBitmap);
    m_cx = cx;
    m_cy = cy;
    return TRUE;
}

void CBitmapDC::Delete()
{
    if (m_hDC && m_hOldBitmap)
        SelectObject(m_hDC, m_hOldBitmap);
    if (m_hBitmap)
        DeleteObject(m_hBitmap);
    if (m_hDC)
        DeleteDC(m_hDC);
    m_hDC = nullptr;
    m_hBitmap = nullptr;
    m_hOldBitmap = nullptr;
    m_cx = m_cy = 0;
}
