#include "CLoggedHtmlList.h"
#include "GalleryLog.h"

BEGIN_MESSAGE_MAP(CLoggedHtmlList, CHTMLListCtrl)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CLoggedHtmlList::CLoggedHtmlList(CRegistryProblemArray* problems) : CHTMLListCtrl(problems)
{
}

void CLoggedHtmlList::Name(const void* data, const CString& name)
{
    m_names[data] = name;
}

CString CLoggedHtmlList::NameOf(const void* data) const
{
    auto found = m_names.find(data);
    return found == m_names.end() ? CString("?") : found->second;
}

// Every shown item comes through here on every paint, whether it lies in the
// part being repainted or not.
void CLoggedHtmlList::DrawItem(CDC* dc, RECT rect, HTMLLIST_ITEM* item, BOOL selected)
{
    Shown shown;
    shown.name = NameOf(item->data);
    shown.look.Format("%s/%d", (LPCSTR)shown.name, item->checkState);
    if (item->kind == HTMLLIST_HEADER)
        shown.look += item->expanded ? "/open" : "/shut";
    if (selected)
        shown.look += "/sel";
    shown.rect = rect;
    ClientToScreen(&shown.rect);
    m_shown.push_back(shown);
    CHTMLListCtrl::DrawItem(dc, rect, item, selected);
}

void CLoggedHtmlList::OnPaint()
{
    m_shown.clear();
    CHTMLListCtrl::OnPaint();

    // Logged again only when an item moved or looks different.
    CString view = "html view";
    CString places;
    for (const Shown& shown : m_shown) {
        view += " " + shown.look;
        CString place;
        place.Format("%ld %ld %ld %ld ", shown.rect.left, shown.rect.top, shown.rect.right, shown.rect.bottom);
        places += place;
    }
    if (places + view == m_lastView)
        return;
    m_lastView = places + view;
    // The places first: once a script sees the view, it can find its items.
    for (const Shown& shown : m_shown)
        GalleryLog::Line("html at %s %ld %ld %ld %ld", (LPCSTR)shown.name, shown.rect.left, shown.rect.top,
                         shown.rect.right, shown.rect.bottom);
    GalleryLog::Line("%s", (LPCSTR)view);
}
