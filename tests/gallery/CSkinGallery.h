#pragma once
#include "CLabel.h"
#include "CXPButton.h"

// The gallery's window of skinned labels and buttons, beside the gallery
// dialog. It logs the labels' notifications and the buttons' clicks:
//   skin ready / skin <control> L T R B (screen rectangles)
//   skin notify 0x8201|0x8200|0x8202
//   skin shortened, skin faces clicked, skin hold 1|0
class CSkinGallery : public CDialog {
public:
    // Opens the window, owned by owner (it is destroyed with it).
    static void Open(CWnd* owner);

    BOOL OnInitDialog() override;

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnShorten();
    afx_msg void OnFaces();
    afx_msg void OnHold();
    afx_msg void OnRelease();
    void LogRect(const char* name, CWnd& control);

    CLabel m_hover;
    CLabel m_wide;
    CXPButton m_faces;
    CXPButton m_hold;

    DECLARE_MESSAGE_MAP()
};
