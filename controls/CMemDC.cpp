#include "CMemDC.h"

CMemDC::CMemDC(CDC* pDC, const RECT* pRect) : m_pDC(pDC), m_bMemDC(!pDC->IsPrinting())
{
    if (pRect)
        m_rect = *pRect;
    else
        pDC->GetClipBox(&m_rect);

    if (m_bMemDC) {
        CRect device = m_rect;
        pDC->LPtoDP(&device);
        m_bMemDC = !device.IsRectEmpty() && CreateCompatibleDC(pDC) &&
                   m_bitmap.CreateCompatibleBitmap(pDC, device.Width(), device.Height());
    }
    if (m_bMemDC) {
        m_oldBitmap = SelectObject(&m_bitmap);
        SetMapMode(pDC->GetMapMode());
        SetWindowExt(pDC->GetWindowExt());
        SetViewportExt(pDC->GetViewportExt());
        SetWindowOrg(m_rect.left, m_rect.top);
    } else {
        // Straight to the target: borrow its handle without owning it.
        DeleteDC();
        m_bPrinting = pDC->m_bPrinting;
        m_hDC = pDC->m_hDC;
    }
    FillSolidRect(&m_rect, pDC->GetBkColor());
}

CMemDC::~CMemDC()
{
    if (m_bMemDC) {
        m_pDC->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this,
                      m_rect.left, m_rect.top, SRCCOPY);
        SelectObject(m_oldBitmap);
    } else {
        m_hDC = nullptr;
    }
}
