#pragma once
#include "CWnd.h"
#include "CDataExchange.h"

// A dialog box on a template. DoModal runs the dialog in a message loop of its
// own (with PreTranslateMessage and IsDialogMessage); EndDialog only marks that
// loop to end, so it is safe from inside nested loops (message boxes, menus,
// other modal dialogs): DoModal returns once control is back in its loop.
// Create makes a modeless dialog.
class CDialog : public CWnd {
public:
    CDialog() = default;
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd = nullptr);

    // Runs the dialog modally; the value given to EndDialog, or -1 when the
    // dialog could not be created. Without a parent the application's main
    // window (when there is one) owns the dialog and is disabled meanwhile.
    virtual INT_PTR DoModal();
    // Uses a template in memory for the next DoModal.
    BOOL InitModalIndirect(LPCDLGTEMPLATEA lpDialogTemplate, CWnd* pParentWnd = nullptr);
    // Modeless creation from a resource of the application's resource module.
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    BOOL Create(LPCSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    // Modeless creation from a template in memory.
    BOOL CreateIndirect(LPCDLGTEMPLATEA lpDialogTemplate, CWnd* pParentWnd = nullptr);
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    // TRUE while the dialog runs in DoModal.
    BOOL IsModal() const { return m_bModal; }
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    virtual void DoDataExchange(CDataExchange*) {}
    LRESULT HandleInitDialog(WPARAM, LPARAM);

    LPCSTR m_lpszTemplateName = nullptr;
    LPCDLGTEMPLATEA m_lpDialogTemplate = nullptr;
    CWnd* m_pParentWnd = nullptr;
    // Set by pages: the template is made a child dialog (WS_CHILD | DS_CONTROL).
    BOOL m_bChildTemplate = FALSE;

private:
    BOOL CreateDlgIndirect(LPCDLGTEMPLATEA lpDialogTemplate, HWND hWndParent);
    void RunModalLoop();
    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);

    int m_nModalResult = -1;
    bool m_bModal = false;
    bool m_bEndModal = false;

    DECLARE_MESSAGE_MAP()
};
