#pragma once
#include <memory>
#include <vector>
#include "CLoggedHtmlList.h"

// The gallery's window of the results list: three groups of problems as the
// results page shows them after a scan. Beside what the list itself logs
// (see CLoggedHtmlList), it logs:
//   html window|list L T R B     (screen rectangles)
//   html ready
//   html notify N                (every WM_NOTIFY from the list)
//   html ignore NAME             (the problem of a code 5)
//   html counts NAME S/C ... problems N   (after each code 1)
class CHtmlListGallery : public CDialog {
public:
    // Opens the window, owned by owner (it is destroyed with it).
    static void Open(CWnd* owner);

    CHtmlListGallery();
    ~CHtmlListGallery() override;
    BOOL OnInitDialog() override;

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void AddGroup(const char* name, int category, const std::vector<BOOL>& checked);
    void LogCounts();

    CRegistryProblemArray m_problems;     // owns the problems; the list deletes ignored ones
    std::vector<std::unique_ptr<CScanCategory>> m_groups;
    std::vector<CString> m_groupNames;
    CLoggedHtmlList m_list;
};
