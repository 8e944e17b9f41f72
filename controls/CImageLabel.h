#pragma once
#include "afxwin.h"

// A static control that shows one bitmap, unscaled, at its top-left corner on
// a solid background. A bitmap larger than the control is clipped at its right
// and bottom edges; a smaller one leaves the background around it.
class CImageLabel : public CStatic {
public:
    CImageLabel();

    // Shows bitmap resource id in place of the current one; FALSE (and no
    // bitmap) when it cannot be loaded.
    BOOL SetBitmap(UINT id);
    void FreeBitmap();
    void SetBackgroundColor(COLORREF color);

protected:
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnPaint();

    CBitmap m_bitmap;
    CBrush m_brush;
    COLORREF m_backgroundColor = RGB(255, 255, 255);

    DECLARE_MESSAGE_MAP()
};

// Copies the whole of bitmap (its own size, from its origin) to (x, y) of dc.
void DrawBitmap(CDC* dc, CBitmap* bitmap, int x, int y);
