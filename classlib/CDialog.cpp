#include "CDialog.h"
#include <commctrl.h>
#include <cstring>
#include <vector>
#include "CTempMap.h"
#include "CWinApp.h"

namespace {

// Templates may hold common controls (list views...): register their classes once.
void RegisterCommonControls()
{
    static const bool registered = [] {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
        return ::InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)registered;
}

// A dialog template of the application's resource module, with its size.
LPCDLGTEMPLATEA FindTemplate(LPCSTR lpszTemplateName, DWORD* pSize)
{
    HINSTANCE hModule = AfxGetResourceHandle();
    HRSRC hResource = ::FindResourceA(hModule, lpszTemplateName, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    HGLOBAL hGlobal = hResource ? ::LoadResource(hModule, hResource) : nullptr;
    *pSize = hResource ? ::SizeofResource(hModule, hResource) : 0;
    return hGlobal ? static_cast<LPCDLGTEMPLATEA>(::LockResource(hGlobal)) : nullptr;
}

bool IsExtendedTemplate(const void* lpTemplate)
{
    const WORD* words = static_cast<const WORD*>(lpTemplate);
    return words[0] == 1 && words[1] == 0xFFFF;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCEA(nIDTemplate)), m_pParentWnd(pParentWnd)
{
}

CDialog::CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(lpszTemplateName), m_pParentWnd(pParentWnd)
{
}

INT_PTR CALLBACK CDialog::DialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    // Messages reach the dialog through its window procedure (StdWndProc);
    // this procedure only answers for what Default() passes on.
    return message == WM_INITDIALOG;
}

BOOL CDialog::CreateDlgIndirect(LPCDLGTEMPLATEA lpDialogTemplate, HWND hWndParent)
{
    if (!lpDialogTemplate || m_hWnd)
        return FALSE;
    RegisterCommonControls();
    HookWindowCreate(this);
    HWND hWnd = ::CreateDialogIndirectParamA(AfxGetInstanceHandle(), lpDialogTemplate, hWndParent,
                                             &CDialog::DialogProc, 0);
    UnhookWindowCreate();
    return FinishCreate(hWnd);
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATEA lpDialogTemplate, CWnd* pParentWnd)
{
    if (pParentWnd)
        m_pParentWnd = pParentWnd;
    m_bModal = false;
    return CreateDlgIndirect(lpDialogTemplate, m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr);
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    return Create(MAKEINTRESOURCEA(nIDTemplate), pParentWnd);
}

BOOL CDialog::Create(LPCSTR lpszTemplateName, CWnd* pParentWnd)
{
    m_lpszTemplateName = lpszTemplateName;
    DWORD size = 0;
    LPCDLGTEMPLATEA lpTemplate = FindTemplate(lpszTemplateName, &size);
    if (!lpTemplate || size < 18)
        return FALSE;
    if (!m_bChildTemplate)
        return CreateIndirect(lpTemplate, pParentWnd);

    // A page: a copy of the template with the style of a child dialog.
    std::vector<DWORD> copy((size + sizeof(DWORD) - 1) / sizeof(DWORD));
    memcpy(copy.data(), lpTemplate, size);
    DWORD& style = copy[IsExtendedTemplate(lpTemplate) ? 3 : 0];
    style &= ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME);
    style |= WS_CHILD | DS_CONTROL;
    return CreateIndirect(reinterpret_cast<LPCDLGTEMPLATEA>(copy.data()), pParentWnd);
}

BOOL CDialog::InitModalIndirect(LPCDLGTEMPLATEA lpDialogTemplate, CWnd* pParentWnd)
{
    m_lpDialogTemplate = lpDialogTemplate;
    if (pParentWnd)
        m_pParentWnd = pParentWnd;
    return lpDialogTemplate != nullptr;
}

INT_PTR CDialog::DoModal()
{
    LPCDLGTEMPLATEA lpTemplate = m_lpDialogTemplate;
    DWORD size = 0;
    if (!lpTemplate && m_lpszTemplateName)
        lpTemplate = FindTemplate(m_lpszTemplateName, &size);
    if (!lpTemplate || m_hWnd)
        return -1;

    // The owner: the parent's top-level window, else the application's main window.
    HWND hOwner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!hOwner) {
        CWnd* pMain = AfxGetMainWnd();
        if (pMain && pMain != this && pMain->m_hWnd && ::IsWindow(pMain->m_hWnd))
            hOwner = pMain->m_hWnd;
    }
    if (hOwner)
        hOwner = ::GetAncestor(hOwner, GA_ROOT);
    bool ownerDisabled = hOwner && ::IsWindowEnabled(hOwner);
    if (ownerDisabled)
        ::EnableWindow(hOwner, FALSE);

    m_bModal = true;
    m_bEndModal = false;
    m_nModalResult = -1;
    if (CreateDlgIndirect(lpTemplate, hOwner))
        RunModalLoop();

    // The owner is enabled and given the activation before the dialog goes:
    // hiding the active dialog while its owner is still disabled hands the
    // activation to some other window, and the owner's next click would then
    // only activate it.
    if (ownerDisabled)
        ::EnableWindow(hOwner, TRUE);
    if (m_hWnd) {
        HWND active = ::GetActiveWindow();
        if (hOwner && (active == m_hWnd || !active) && ::IsWindowEnabled(hOwner))
            ::SetActiveWindow(hOwner);
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    }
    DestroyWindow();
    m_bModal = false;
    return m_nModalResult;
}

void CDialog::RunModalLoop()
{
    // A dialog that is not visible yet is shown the first time the queue is empty.
    bool showOnIdle = !(GetStyle() & WS_VISIBLE);
    CTempMap::EnterLoop();
    while (!m_bEndModal && m_hWnd) {
        MSG msg;
        if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (showOnIdle) {
                showOnIdle = false;
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                continue;
            }
            CTempMap::OnIdle();
        }
        if (!PumpMessage(m_hWnd))
            break;
    }
    CTempMap::LeaveLoop();
}

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    if (m_bModal) {
        m_bEndModal = true;
        if (m_hWnd)
            PostMessage(WM_NULL);   // wakes the loop if it waits for a message
    } else if (m_hWnd) {
        ::EndDialog(m_hWnd, nResult);
    }
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM)
{
    return OnInitDialog();
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    // Keyboard navigation; a page leaves it to the dialog it sits in.
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST)
        return FALSE;
    if (GetStyle() & WS_CHILD)
        return FALSE;
    return ::IsDialogMessageA(m_hWnd, pMsg);
}
