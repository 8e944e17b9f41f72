#pragma once
#include "afxwin.h"

// A dialog that paints its client area from one bitmap, takes the shape of
// that bitmap (pixels of the transparent colour are cut out of the window),
// moves when dragged by any point, and lets the bitmap show through its
// static controls.
class CBitmapDialog : public CDialog {
public:
    // The first bitmap source given is used: a resource name, a resource id,
    // or a bitmap that stays the caller's. The unused value is ignored.
    explicit CBitmapDialog(UINT templateId, CWnd* parent = nullptr, LPCSTR bitmapName = nullptr,
                           UINT bitmapId = 0, int unused = 0, CBitmap* bitmap = nullptr);
    ~CBitmapDialog() override;

    // Loads bitmap resource id; FALSE leaves the dialog without a bitmap.
    BOOL SetBitmap(UINT id);
    // Loads a named bitmap resource, or without a name the bitmap file fileName.
    BOOL SetBitmapFile(LPCSTR resourceName, LPCSTR fileName);
    // Uses an owned copy of source.
    BOOL CopyBitmap(CBitmap* source);
    // Uses bitmap without owning it.
    void AttachBitmap(CBitmap* bitmap);
    void SetShaped(BOOL shaped);
    void SetTransparentColor(COLORREF color);
    void FreeBitmap();

    BOOL OnInitDialog() override;

protected:
    // Cuts the window's shape from the bitmap (a rectangle when not shaped,
    // no shape without a bitmap); nothing before the window exists.
    void MakeWindowRgn();

    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

    BOOL m_shaped = TRUE;
    BOOL m_transparentStatics = TRUE;
    HBRUSH m_nullBrush;
    COLORREF m_transparentColor = RGB(255, 0, 0);
    BOOL m_dragAnywhere = TRUE;
    BOOL m_ownsBitmap = FALSE;
    BOOL m_hasBitmap = FALSE;
    CBitmap* m_bitmap = nullptr;

    DECLARE_MESSAGE_MAP()
};
