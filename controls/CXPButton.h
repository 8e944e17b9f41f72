#pragma once
#include "afxwin.h"

// The push button of the skinned windows: owner-drawn, its face one of three
// bitmaps (normal, hot, pressed) chosen from the button's state and from the
// mouse resting on it, with the caption drawn over it. A focused button shows
// the hot face; a sticky one shows the pressed face until code releases it.
// Clicks reach the parent as the ordinary BN_CLICKED.
class CXPButton : public CButton {
public:
    CXPButton() = default;
    ~CXPButton() override = default;

    // Loads the three faces from bitmap resources (one ID may serve several
    // states). With compose, each face is cut into thirds and rebuilt at the
    // button's width: the middle third tiled, the outer thirds kept whole at
    // the edges; the height is not stretched. Call after subclassing.
    void SetBitmaps(UINT idNormal, UINT idHot, UINT idPressed, BOOL compose);
    // The styled caption, drawn when m_bParentFont is 0.
    void SetCaption(const CString& face, COLORREF colour, int height, COLORREF disabledColour);
    // A bitmap drawn left of the caption; key, when not 0, is its transparent
    // colour. FALSE when the resource cannot be loaded (the button then has no icon).
    BOOL SetIcon(UINT bitmapId, COLORREF key);
    // Held look: while sticky the button is drawn pressed whatever its state.
    virtual void SetSticky(BOOL sticky);
    BOOL IsSticky() const { return m_sticky; }

    // 1: the caption is drawn in the parent's font; 0: as set by SetCaption.
    BYTE m_bParentFont = 1;

protected:
    void PreSubclassWindow() override;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    // Makes target from bitmap resource id, composed to the client size or as it is.
    void ComposeBitmap(UINT id, CBitmap* target, const RECT& client, BOOL compose);
    void DrawCaption(CDC* dc, const CRect& rect, const CString& text);

    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnMouseHover(UINT nFlags, CPoint point);
    afx_msg void OnMouseLeave();

    BOOL m_hover = FALSE;
    BOOL m_tracking = FALSE;
    BOOL m_pressed = FALSE;
    BOOL m_bitmapsSet = FALSE;
    CRect m_leftSlice;
    CRect m_rightSlice;
    CRect m_middleSlice;
    CPoint m_captionPos;
    CSize m_captionSize;
    COLORREF m_iconKey = 0;
    CBitmap m_icon;
    BITMAP m_iconInfo = {};
    CString m_captionFace;
    int m_captionHeight = 0;
    BOOL m_sticky = FALSE;
    CBitmap m_normal;
    CBitmap m_hot;
    CBitmap m_pressedFace;
    COLORREF m_captionColour = RGB(7, 78, 140);
    COLORREF m_disabledCaptionColour = RGB(125, 125, 125);
    BOOL m_focused = FALSE;
    BOOL m_disabled = FALSE;

    DECLARE_MESSAGE_MAP()
};
