#pragma once
#include <map>
#include <vector>
#include "CHTMLListCtrl.h"

// The results list as the gallery shows it: after every paint that shows
// something new it logs where each shown item is and what it looks like,
//   html at NAME L T R B        (screen rectangle of a shown item)
//   html view ITEM ITEM ...     (the shown items in order)
// where ITEM is NAME/CHECK, with /open or /shut after a header's check state
// and /sel on the selected item. Names are given to the items' data by Name.
class CLoggedHtmlList : public CHTMLListCtrl {
public:
    explicit CLoggedHtmlList(CRegistryProblemArray* problems);

    // The name an item with this data goes by in the log.
    void Name(const void* data, const CString& name);
    CString NameOf(const void* data) const;

    void DrawItem(CDC* dc, RECT rect, HTMLLIST_ITEM* item, BOOL selected) override;

protected:
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    struct Shown {
        CString name;
        CString look;
        RECT rect;
    };

    std::map<const void*, CString> m_names;
    std::vector<Shown> m_shown;    // what the current paint has drawn so far
    CString m_lastView;            // the last view logged, with its rectangles
};
