#include "CShapedWindow.h"
#include "GalleryLog.h"
#include "GalleryResource.h"

BEGIN_MESSAGE_MAP(CShapedWindow, CBitmapDialog)
    ON_MESSAGE(WM_ENTERSIZEMOVE, OnEnterSizeMove)
    ON_MESSAGE(WM_EXITSIZEMOVE, OnExitSizeMove)
    ON_MESSAGE(WM_MOVING, OnMoving)
END_MESSAGE_MAP()

CShapedWindow::CShapedWindow() : CBitmapDialog(IDD_SHAPED)
{
}

BOOL CShapedWindow::OnInitDialog()
{
    CBitmapDialog::OnInitDialog();
    // Exactly the bitmap's size, at the bottom right of the screen.
    SetWindowPos(nullptr, 760, 540, 200, 150, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!SetBitmap(IDB_SHAPE))
        GalleryLog::Line("shaped bitmap failed");
    SetTransparentColor(RGB(0, 0, 0));
    ShowWindow(SW_SHOWNOACTIVATE);
    LogRect("shaped ready");
    return TRUE;
}

void CShapedWindow::LogRect(const char* what)
{
    CRect rect;
    GetWindowRect(&rect);
    GalleryLog::Line("%s %ld %ld %ld %ld", what, rect.left, rect.top, rect.right, rect.bottom);
}

LRESULT CShapedWindow::OnEnterSizeMove(WPARAM, LPARAM)
{
    GalleryLog::Line("shaped move start");
    return Default();
}

LRESULT CShapedWindow::OnExitSizeMove(WPARAM, LPARAM)
{
    LogRect("shaped moved");
    return Default();
}

// Every step of a drag, so a driving script can wait for each one.
LRESULT CShapedWindow::OnMoving(WPARAM, LPARAM lParam)
{
    const RECT* rect = reinterpret_cast<const RECT*>(lParam);
    if (rect != nullptr)
        GalleryLog::Line("shaped moving %ld %ld %ld %ld", rect->left, rect->top, rect->right, rect->bottom);
    return Default();
}
