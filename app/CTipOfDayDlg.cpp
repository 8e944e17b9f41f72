#include "CTipOfDayDlg.h"
#include <cstdlib>
#include <ctime>
#include "CAppConfig.h"
#include "CCleanSweep.h"
#include "resource.h"

BEGIN_DHTML_EVENT_MAP(CTipOfDayDlg)
    DHTML_EVENT_ONCLICK("ButtonOK", OnButtonOK)
    DHTML_EVENT_ONCLICK("ButtonCancel", OnButtonCancel)
    DHTML_EVENT_ONCLICK("ButtonNext", OnButtonNext)
    DHTML_EVENT_ONCLICK("ButtonBack", OnButtonBack)
END_DHTML_EVENT_MAP()

CTipOfDayDlg::CTipOfDayDlg(CWnd* pParent) : CDHtmlDialog(IDD_TIP_OF_DAY, pParent)
{
    for (int n = 1; n <= kTipCount; ++n) {
        CString page;
        page.Format("Tip%d.html", n);
        m_tipPages.Add(page);
    }
}

CTipOfDayDlg::~CTipOfDayDlg() = default;

void CTipOfDayDlg::DoDataExchange(CDataExchange* pDX)
{
    CDHtmlDialog::DoDataExchange(pDX);
    DDX_DHtml_CheckBox(pDX, "checkbox", m_showTips);
}

BOOL CTipOfDayDlg::OnInitDialog()
{
    CDHtmlDialog::OnInitDialog();
    m_showTips = g_appConfig.m_showTip;
    const int count = static_cast<int>(m_tipPages.GetSize());
    int index;
    if (m_useSavedTip && g_appConfig.m_tipIndex >= 1) {
        // A damaged number beyond the last tip shows the last one.
        index = (g_appConfig.m_tipIndex < count ? g_appConfig.m_tipIndex : count) - 1;
    } else {
        srand(static_cast<unsigned>(time(nullptr)));
        rand();
        index = static_cast<int>(rand() / 32768.0 * count);
    }
    ShowTip(index);
    return TRUE;
}

HRESULT CTipOfDayDlg::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*)
{
    return S_OK;  // the pages have no context menu
}

void CTipOfDayDlg::ShowTip(int index)
{
    const int count = static_cast<int>(m_tipPages.GetSize());
    m_currentTip = (index % count + count) % count;
    CString path;
    path.Format("%s%s", static_cast<LPCSTR>(CCleanSweep::GetProgramFolder()),
                static_cast<LPCSTR>(m_tipPages[m_currentTip]));
    Navigate(path);
}

HRESULT CTipOfDayDlg::OnButtonOK(CHtmlElement*)
{
    UpdateData(TRUE);
    g_appConfig.m_showTip = m_showTips;
    EndDialog(IDOK);
    return S_OK;
}

void CTipOfDayDlg::OnCancel()
{
    UpdateData(TRUE);
    g_appConfig.m_showTip = m_showTips;
    CDHtmlDialog::OnCancel();
}

HRESULT CTipOfDayDlg::OnButtonCancel(CHtmlElement* pElement)
{
    return OnButtonOK(pElement);
}

HRESULT CTipOfDayDlg::OnButtonNext(CHtmlElement*)
{
    // The box as the user left it goes on to the next page.
    UpdateData(TRUE);
    ShowTip(m_currentTip + 1);
    return S_OK;
}

HRESULT CTipOfDayDlg::OnButtonBack(CHtmlElement*)
{
    UpdateData(TRUE);
    ShowTip(m_currentTip - 1);
    return S_OK;
}
