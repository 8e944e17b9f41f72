#include "PageLayout.h"
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
