#include "PageLayout.h"
#include "CRegistryCleanerDlg.h"
#include "CImageLabel.h"
#include "CLabel.h"
#include "SystemUtils.h"
#include "afxwin.h"

void ApplyPageLayout(CDialogFontScaler& scaler, HWND window, UINT templateId)
{
    CString versionName;
    int versionCode = 0;
    GetWindowsVersionName(versionName, versionCode);
    if (versionCode > 99)
        scaler.Apply(AfxGetResourceHandle(), window, templateId, 96.0);
}

void ShowLabelText(CLabel& label, const CString& text)
{
    label.SetWindowText(text);
    label.SetText(text);
}

BOOL PaintPageBackground(CDC* dc, CBitmap& background)
{
    if (background.m_hObject)
        DrawBitmap(dc, &background, 0, 0);
    return TRUE;
}

CRegistryCleanerDlg* MainWindowOf(HWND page)
{
    return dynamic_cast<CRegistryCleanerDlg*>(CWnd::FromHandlePermanent(::GetParent(page)));
}
