#pragma once
#include "afxwin.h"
#include "CDialogFontScaler.h"
#include "CImageLabel.h"
#include "CLabel.h"
#include "CPictureEx.h"
#include "CRegistryProblem.h"
#include "CXPButton.h"

class CRegistryCleanerDlg;

// The scan progress page: one row per category (name, count, status image),
// an animation on the row being scanned, the key or folder being looked at
// and the number of problems found. It is the window the engine's scan
// thread reports to; every handler runs while the worker waits.
class CFindPage : public CPropertyPage {
public:
    CFindPage();

    BOOL OnInitDialog() override;
    // Empties the rows and the counts before a scan and clears the cancel flag.
    void ResetCategoryRows();

    // The path line: paths over 60 characters keep their first 5 and last 50.
    static CString ShortenPath(const CString& path);
    // The path line's gate: TRUE, with lastShown := now, when more than 100 ms
    // have passed since lastShown; FALSE (the path is dropped) otherwise.
    static BOOL PassPathGate(DWORD now, DWORD& lastShown);

    int GetProblemCount() const { return m_problemCount; }
    BOOL IsCancelled() const { return m_cancelled; }

protected:
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnBack();
    afx_msg void OnNext();
    afx_msg void OnStop();
    afx_msg void OnNothing() {}
    afx_msg LRESULT OnScanProgress(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnProblemFound(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnCategoryStart(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnCategoryDone(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnScanFinished(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnCategorySkipped(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnRepairFinished(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnFixProgress(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    // Shows text in a label (also as its window text, for readers of the window).
    static void ShowText(CLabel& label, const CString& text);
    void ShowTotal(CLabel& label);
    void PlacePathLine(BOOL aboveStop);
    // "errs" and the per-category found counts of this scan.
    void StoreScanStatistics();

    CXPButton m_back;
    CXPButton m_next;
    CXPButton m_stop;
    CLabel m_names[REGPROBLEM_TYPE_COUNT];
    CImageLabel m_status[REGPROBLEM_TYPE_COUNT];
    CLabel m_counts[REGPROBLEM_TYPE_COUNT];
    CStatic m_anchors[REGPROBLEM_TYPE_COUNT];
    CLabel m_path;
    CLabel m_message;
    CLabel m_state;
    CLabel m_total;
    CImageLabel m_image;
    CLabel m_title;
    CPictureEx m_bar;
    CPictureEx m_categoryAnimation;
    CBitmap m_background;
    CDialogFontScaler m_fontScaler;

    BOOL m_cancelled = FALSE;
    int m_problemCount = 0;
    int m_categoryCounts[REGPROBLEM_TYPE_COUNT] = {};
    // Set at the end of a scan that the engine follows with its own fix.
    BOOL m_fixPending = FALSE;
};
