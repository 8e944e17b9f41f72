#pragma once
#include "CTrayDialog.h"

// The tray pop-up with the last scan: the errors still to fix and the time of
// the last scan, filled into its page ("ShowStats.htm") each time it shows.
// Esc does not close it; its page's "btnSubmit" (or the Close button of the
// page shown when the file cannot be read) slides it out.
class CHtmlShowStatsTrayDialog : public CTrayDialog {
public:
    CHtmlShowStatsTrayDialog() = default;
    ~CHtmlShowStatsTrayDialog() override;

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnInitDialog() override;
    void OnDocumentComplete(LPCSTR szUrl) override;
    // "idErrors" and "idLastScan" from the settings; a missing element is skipped.
    void FillValues();

protected:
    void OnCancel() override {}
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    HRESULT OnButtonClose(CHtmlElement* pElement);
    DECLARE_MESSAGE_MAP()
    DECLARE_DHTML_EVENT_MAP()
};
