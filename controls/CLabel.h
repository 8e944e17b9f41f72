#pragma once
#include "afxwin.h"

// The static text of the skinned pages: draws its own text in its own font
// and colour, optionally with no background so that the page shows through,
// and tells its parent by WM_NOTIFY (standard header only) when the mouse
// enters, leaves or clicks it. The label only sees the mouse when it has the
// SS_NOTIFY style.
//
// Hover: the first mouse move over the label enters it (one LabelEntered);
// the label then holds the capture and asks the system to report the mouse
// leaving. A move outside, the leave report, or the capture being taken by
// another window ends the hover (one LabelLeft). A click gives the capture
// back (so the parent's handler may open menus or dialogs) but the hover goes
// on until the mouse really leaves.
class CLabel : public CStatic {
public:
    // Codes of the label's WM_NOTIFY messages.
    static const UINT LabelClicked = 0x8200;
    static const UINT LabelEntered = 0x8201;
    static const UINT LabelLeft = 0x8202;

    CLabel();
    ~CLabel() override;

    using CStatic::SetFont;

    // The setters return the label so that calls can be chained; each that
    // changes the look redraws the label.
    virtual CLabel& SetBkColor(COLORREF colour, COLORREF gradient = 0, int mode = 0);
    virtual CLabel& SetTextColor(COLORREF colour);
    // Ignored while the window does not exist.
    virtual CLabel& SetText(const CString& text);
    virtual CLabel& SetFontBold(BOOL bold);
    virtual CLabel& SetFontName(const CString& face, BYTE charSet = ANSI_CHARSET);
    virtual CLabel& SetFontUnderline(BOOL underline);
    virtual CLabel& SetFontItalic(BOOL italic);
    virtual CLabel& SetFontSize(int points);
    virtual CLabel& SetSunken(BOOL sunken);
    virtual CLabel& SetBorder(BOOL border);
    virtual CLabel& SetTransparent(BOOL transparent);
    virtual CLabel& FlashText(BOOL on);
    virtual CLabel& FlashBackground(BOOL on);
    // Link mode: a click opens the link target (or the window text) unless the
    // parent is to be notified instead.
    virtual CLabel& SetLink(BOOL link, BOOL notify);
    virtual CLabel& SetLinkCursor(HCURSOR cursor);
    // direction TRUE offsets the highlight by (+1, +1), FALSE by (-1, -1).
    virtual CLabel& SetText3D(BOOL on, BOOL direction = TRUE);
    virtual CLabel& SetRotationAngle(int degrees, BOOL rotated);
    virtual CLabel& SetText3DHiliteColor(COLORREF colour);
    virtual CLabel& SetFont(const LOGFONTA& font);
    virtual CLabel& SetMailLink(BOOL link, BOOL notify);
    virtual CLabel& SetLinkURL(const CString& url);

    // How the pages style a label: transparency, face and size, text colour,
    // and the fill colour of a non-transparent label. The hover colour becomes
    // the text colour, so the label does not change on hover by itself.
    void SetLabelStyle(BYTE transparent, const CString& face, int pointSize, COLORREF text, COLORREF fill);
    void SetBkFillColor(COLORREF colour);

    const CString& GetText() const { return m_text; }
    COLORREF GetTextColor() const { return m_textColor; }
    BOOL IsHovered() const { return m_hovered != 0; }

protected:
    void PreSubclassWindow() override;
    // Repaints the label now; a transparent one has the parent repaint beneath it first.
    void Redraw();

    afx_msg int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnSysColorChange();
    afx_msg void OnDestroy();

    CFont m_font;
    // Until a fill colour is given (SetLabelStyle, SetBkFillColor), a label
    // that is not transparent shows its parent's background beneath it, as
    // the parent erases it: the page's bitmap, or the dialog's colour.
    COLORREF m_fillColor;  // the dialog face colour until one is given
    BOOL m_fillGiven = FALSE;
    COLORREF m_textColor;
    COLORREF m_3dHiliteColor = RGB(255, 255, 255);
    COLORREF m_hoverColor = RGB(0, 0, 255);
    CBrush m_faceBrush;
    CBrush m_bkBrush;
    LOGFONTA m_lf = {};
    BOOL m_flashPhase = FALSE;
    BOOL m_flashTimerRunning = FALSE;
    int m_linkMode = 0;  // 0 none, 1 web link, 2 mail link
    BOOL m_transparent = FALSE;
    BOOL m_text3D = FALSE;
    BOOL m_notifyParent = TRUE;
    BOOL m_rotated = FALSE;
    int m_flashType = 0;  // 0 none, 1 text, 2 background
    HCURSOR m_linkCursor = nullptr;
    BOOL m_3dDirection = FALSE;
    int m_bkMode = 0;  // 0 solid, other values gradient
    COLORREF m_gradientColor = 0;
    COLORREF m_bkColor = 0;
    CString m_linkURL;
    CString m_text;
    BYTE m_hovered = 0;

private:
    void RebuildFont();
    // Has the parent erase its background into dc beneath the label; FALSE
    // when it erased nothing.
    BOOL EraseWithParentBackground(HDC dc);
    CLabel& Flash(int type, BOOL on);
    void StartHover();
    void EndHover();
    // Gives the capture back without that counting as the mouse leaving.
    void ReleaseOwnCapture();
    void TrackLeave(BOOL track);
    void NotifyParent(UINT code);

    BOOL m_releasingCapture = FALSE;

    DECLARE_MESSAGE_MAP()
};
