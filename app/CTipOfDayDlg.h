#pragma once
#include "afxwin.h"
#include "CDHtmlDialog.h"
#include "CStringArray.h"

// The tip of the day: a modal HTML dialog on one of the fifteen tip pages
// beside the program ("Tip1.html" ... "Tip15.html"), with buttons to step
// through them and the check box "checkbox" that decides whether tips show
// at start (the configuration's "ShowTip").
class CTipOfDayDlg : public CDHtmlDialog {
public:
    static constexpr int kTipCount = 15;

    explicit CTipOfDayDlg(CWnd* pParent = nullptr);
    ~CTipOfDayDlg() override;

    // Set: the first tip is the configuration's saved tip number (when 1 or more).
    void SetUseSavedTip(BOOL useSaved) { m_useSavedTip = useSaved; }
    // The index into the tip pages of the page shown.
    int GetCurrentTip() const { return m_currentTip; }
    BOOL OnInitDialog() override;
    HRESULT ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved, IDispatch* pdispReserved) override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // Esc and the close box: the box is read and kept, as by the buttons.
    void OnCancel() override;
    HRESULT OnButtonOK(CHtmlElement* pElement);
    HRESULT OnButtonCancel(CHtmlElement* pElement);
    HRESULT OnButtonNext(CHtmlElement* pElement);
    HRESULT OnButtonBack(CHtmlElement* pElement);
    DECLARE_DHTML_EVENT_MAP()

private:
    // Shows the tip page of the index (taken modulo the number of pages).
    void ShowTip(int index);

    CStringArray m_tipPages;
    BOOL m_showTips = TRUE;
    BOOL m_useSavedTip = FALSE;
    int m_currentTip = 0;
};
