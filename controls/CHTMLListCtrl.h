#pragma once
#include <memory>
#include <vector>
#include "afxwin.h"
#include "CRegistryProblem.h"
#include "CScanCategory.h"

// Item kinds.
enum {
    HTMLLIST_ROW = 1,       // a problem: HTML text, data is the CRegistryProblem
    HTMLLIST_HEADER = 2     // a group header: plain text, data is the CScanCategory
};

// Display mode bits.
enum {
    HTMLLIST_MODE_CHECKBOXES = 1,   // text measured narrower for the check-box column
    HTMLLIST_MODE_EDGES = 2         // a sunken line at each item's left and bottom
};

// Notification codes, sent to the parent with WM_NOTIFY.
enum {
    HTMLLIST_CHECKCHANGED = 1,  // a left-button press changed check states
    HTMLLIST_RCLICK = 3,        // right-button press anywhere in the list
    HTMLLIST_DBLCLK = 4,        // left-button double click anywhere in the list
    HTMLLIST_IGNORE = 5         // a row's "Ignore" link; data is its problem
};

struct HTMLLIST_ITEM {
    int id = -1;                // position in the list once inserted
    int height = 0;
    int kind = HTMLLIST_HEADER;
    CString text;
    void* data = nullptr;
    RECT rect = {};             // where the item lies in the client area now
    int checkState = 0;         // 0 unchecked, 1 checked, 2 partly (headers)
    BOOL fixedHeight = FALSE;   // height given at insertion; never re-measured
    BOOL expanded = FALSE;      // headers: the group's rows are shown
};

// The block a WM_NOTIFY of the list points at; valid only during the call.
struct NMHTMLLIST {
    NMHDR hdr;
    int item;
    CString text;
    void* data;
    int reserved;
};

// A scrolling list of group headers and rows of small HTML text with check
// boxes and collapsible groups. Each row ends in an "Ignore" link. The list
// changes the problems' checked flags and the groups' counts itself; on
// "Ignore" it removes the row and deletes the problem from the problem array.
class CHTMLListCtrl : public CWnd {
public:
    // problems: the array that owns the problems shown in the rows.
    explicit CHTMLListCtrl(CRegistryProblemArray* problems);
    ~CHTMLListCtrl() override;

    BOOL Create(CWnd* parent, RECT rect, UINT id, DWORD style);
    void SetDisplayMode(UINT mode);
    UINT GetDisplayMode() const { return m_displayMode; }

    // Headers go in before their rows, with their category's counts set.
    int InsertItem(CString text, void* data, int kind, int fixedHeight);
    BOOL DeleteItem(int id);
    void DeleteAllItems();
    void SetItemText(int id, CString text, BOOL remeasure);
    CString GetItemText(int id) const;
    void* GetItemData(int id) const;
    void SetItemData(int id, void* data);
    int GetSelection() const { return m_selection; }
    // Sets the checked flag of every row of a category (not its counts).
    void SetCategoryCheck(int category, BOOL check);
    // Takes every row's box from its problem's checked flag and every header's
    // from its group's counts, after the parent changed them itself; repaints.
    void RefreshCheckStates();

    virtual void DrawItem(CDC* dc, RECT rect, HTMLLIST_ITEM* item, BOOL selected);

    static constexpr UINT IDB_IMAGES = 281;     // check boxes 0-2, expanded 3, collapsed 4
    static constexpr UINT IDS_IGNORE = 309;     // the link's HTML
    static constexpr UINT IDS_SELECTED = 310;   // "%1!d!/%2!d! Selected"

protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    afx_msg void OnVScroll(UINT code, UINT pos, CWnd* scrollBar);
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg UINT OnGetDlgCode();
    afx_msg void OnSetFocus(CWnd* oldWnd);
    afx_msg void OnKillFocus(CWnd* newWnd);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    int MeasureItem(const CString& text, int kind);
    void Remeasure();
    void Renumber();
    void RecalcLayout();
    void EnsureVisible(int id);
    // Positions of the items shown: headers, and rows of expanded groups.
    std::vector<int> VisibleItems() const;
    // Gives every shown item its rectangle at the current scroll position.
    void LayoutItems();
    HTMLLIST_ITEM* Item(int id) const;
    CScanCategory* CategoryOfRow(int id) const;
    void ToggleHeaderCheck(HTMLLIST_ITEM* header);
    // The shown item under the point (-1 below the last) and the header of
    // its group; every shown item passed on the way becomes the selection.
    int HitTestItem(CPoint point, HTMLLIST_ITEM*& header);
    // The click zones: a header's glyph and check box, a row's check box and
    // ignore link. TRUE when a check state changed; IgnoreRow is FALSE when
    // the parent's handling of the link took the row away already.
    bool ClickHeader(HTMLLIST_ITEM* header, CPoint point);
    bool ToggleRowCheck(HTMLLIST_ITEM* row, HTMLLIST_ITEM* header);
    bool IgnoreRow(int id, HTMLLIST_ITEM* header);
    void Notify(UINT code, void* data = nullptr);
    void ScrollTo(int pos);
    void SetSelectionAndShow(int id);

    std::vector<std::unique_ptr<HTMLLIST_ITEM>> m_items;   // display order; an item's id is its index
    UINT m_controlId = 0;
    int m_totalHeight = 0;
    int m_clientWidth = 0;
    int m_clientHeight = 0;
    CFont m_font;
    COLORREF m_selectionColour = RGB(127, 202, 254);
    HCURSOR m_handCursor;
    HCURSOR m_arrowCursor;
    int m_selection = -1;
    BOOL m_hasFocus = FALSE;
    UINT m_displayMode = 0;
    CImageList m_images;
    CRegistryProblemArray* m_problems;
};
