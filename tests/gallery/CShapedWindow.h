#pragma once
#include "CBitmapDialog.h"

// The gallery's shaped window: the generated shape bitmap with black cut
// out; it reports where it is and when it is moved.
class CShapedWindow : public CBitmapDialog {
public:
    CShapedWindow();
    BOOL OnInitDialog() override;

protected:
    afx_msg LRESULT OnEnterSizeMove(WPARAM, LPARAM);
    afx_msg LRESULT OnExitSizeMove(WPARAM, LPARAM);
    afx_msg LRESULT OnMoving(WPARAM, LPARAM);
    void LogRect(const char* what);

    DECLARE_MESSAGE_MAP()
};
