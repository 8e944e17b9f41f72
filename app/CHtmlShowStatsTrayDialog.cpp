#include "CHtmlShowStatsTrayDialog.h"
#include "CRegistryCleanerDlg.h"
#include "RegistrySettings.h"

BEGIN_MESSAGE_MAP(CHtmlShowStatsTrayDialog, CTrayDialog)
    ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

BEGIN_DHTML_EVENT_MAP(CHtmlShowStatsTrayDialog)
    DHTML_EVENT_ONCLICK("btnSubmit", OnButtonClose)
    // The page shown for an unreadable file: its Close slides the pop-up out too,
    // so a pop-up shown until closed can always be closed.
    DHTML_EVENT_ONCLICK(CDHtmlDialog::kFallbackCloseId, OnButtonClose)
END_DHTML_EVENT_MAP()

CHtmlShowStatsTrayDialog::~CHtmlShowStatsTrayDialog() = default;

BOOL CHtmlShowStatsTrayDialog::PreTranslateMessage(MSG* pMsg)
{
    // Keys go on to the page rather than to dialog navigation.
    if (pMsg->message == WM_KEYDOWN)
        return FALSE;
    return CTrayDialog::PreTranslateMessage(pMsg);
}

BOOL CHtmlShowStatsTrayDialog::OnInitDialog()
{
    CTrayDialog::OnInitDialog();
    return TRUE;
}

void CHtmlShowStatsTrayDialog::OnDocumentComplete(LPCSTR szUrl)
{
    CTrayDialog::OnDocumentComplete(szUrl);
    FillValues();
}

void CHtmlShowStatsTrayDialog::OnShowWindow(BOOL bShow, UINT)
{
    Default();
    if (bShow)
        FillValues();
}

void CHtmlShowStatsTrayDialog::FillValues()
{
    const int remaining = CRegistryCleanerDlg::GetRemainingCount();
    CString errors;
    errors.Format("%d", remaining > 0 ? remaining : 0);
    SetElementText("idErrors", errors);
    CString lastScan = GetRegistrySettingString(SETTINGS_PRODUCT, SETTING_LASTSCAN);
    SetElementText("idLastScan", lastScan.IsEmpty() ? "Never" : static_cast<LPCSTR>(lastScan));
}

HRESULT CHtmlShowStatsTrayDialog::OnButtonClose(CHtmlElement*)
{
    Hide();
    return S_OK;
}
