#include "CHtmlListGallery.h"
#include "../classlib/ClasslibTestSupport.h"
#include "GalleryLog.h"
#include "GalleryResource.h"

static_assert(IDB_HTML_IMAGES == CHTMLListCtrl::IDB_IMAGES, "the list's images");
static_assert(IDS_HTML_IGNORE == CHTMLListCtrl::IDS_IGNORE, "the list's link text");
static_assert(IDS_HTML_SELECTED == CHTMLListCtrl::IDS_SELECTED, "the list's header counts");

namespace {

// The id the results page gives its list.
const UINT IDC_HTML_LIST = 12345;
// The display mode the results page uses: check boxes and edge lines.
const UINT kResultsMode = 7;

}  // namespace

void CHtmlListGallery::Open(CWnd* owner)
{
    static CHtmlListGallery window;
    classlibtest::DialogTemplate t(WS_POPUP | WS_BORDER, 0, 0, 200, 160);
    if (!window.CreateIndirect(t.Get(), owner))
        GalleryLog::Line("html window failed");
}

CHtmlListGallery::CHtmlListGallery() : m_list(&m_problems)
{
}

CHtmlListGallery::~CHtmlListGallery()
{
    // The list lets go of the problems before they are deleted.
    m_list.DeleteAllItems();
    for (INT_PTR i = 0; i < m_problems.GetSize(); ++i)
        delete m_problems[i];
    m_problems.RemoveAll();
}

BOOL CHtmlListGallery::OnInitDialog()
{
    CDialog::OnInitDialog();
    // Pixel places, right of the skin window and below the gallery dialog.
    SetWindowPos(nullptr, 480, 250, 340, 280, SWP_NOZORDER | SWP_NOACTIVATE);
    CRect client;
    GetClientRect(&client);
    client.DeflateRect(10, 10);
    if (!m_list.Create(this, client, IDC_HTML_LIST, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP)) {
        GalleryLog::Line("html list failed");
        return TRUE;
    }
    m_list.SetDisplayMode(kResultsMode);

    // As after a scan: a header per category, then its problems; every
    // group starts collapsed.
    AddGroup("A", REGPROBLEM_FILEPATH, { TRUE, TRUE });
    AddGroup("B", REGPROBLEM_SHORTCUT, { TRUE, FALSE });
    AddGroup("C", REGPROBLEM_EMPTYKEY, { FALSE });

    ShowWindow(SW_SHOWNOACTIVATE);
    CRect rect;
    GetWindowRect(&rect);
    GalleryLog::Line("html window %ld %ld %ld %ld", rect.left, rect.top, rect.right, rect.bottom);
    m_list.GetWindowRect(&rect);
    GalleryLog::Line("html list %ld %ld %ld %ld", rect.left, rect.top, rect.right, rect.bottom);
    LogCounts();
    GalleryLog::Line("html ready");
    return TRUE;
}

// A group named name in the log (its rows are name1, name2...), one problem
// per entry of checked.
void CHtmlListGallery::AddGroup(const char* name, int category, const std::vector<BOOL>& checked)
{
    auto group = std::make_unique<CScanCategory>(GetCategoryName(category), category);
    group->count = static_cast<int>(checked.size());
    for (BOOL on : checked)
        group->selectedCount += on ? 1 : 0;
    m_list.Name(group.get(), name);
    m_list.InsertItem(group->name, group.get(), HTMLLIST_HEADER, 0);

    for (size_t i = 0; i < checked.size(); ++i) {
        CString key;
        key.Format("HKLM\\Software\\Acme\\%s%d", name, static_cast<int>(i + 1));
        CRegistryProblem* problem = new CRegistryProblem(key, "Path", "C:\\Old\\tool.dll", category);
        problem->m_checked = checked[i] ? TRUE : FALSE;
        m_problems.Add(problem);
        CString rowName;
        rowName.Format("%s%d", name, static_cast<int>(i + 1));
        m_list.Name(problem, rowName);
        m_list.InsertItem("<font color=#ff0000><b>Missing file</b></font><br>" + key, problem, HTMLLIST_ROW, 0);
    }
    m_groupNames.push_back(name);
    m_groups.push_back(std::move(group));
}

void CHtmlListGallery::LogCounts()
{
    CString line = "html counts";
    for (size_t i = 0; i < m_groups.size(); ++i) {
        CString count;
        count.Format(" %s %d/%d", (LPCSTR)m_groupNames[i], m_groups[i]->selectedCount, m_groups[i]->count);
        line += count;
    }
    CString problems;
    problems.Format(" problems %d", static_cast<int>(m_problems.GetSize()));
    GalleryLog::Line("%s", (LPCSTR)(line + problems));
}

BOOL CHtmlListGallery::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lParam);
    if (hdr->idFrom != IDC_HTML_LIST)
        return CDialog::OnNotify(wParam, lParam, pResult);
    GalleryLog::Line("html notify %u", hdr->code);
    if (hdr->code == HTMLLIST_IGNORE) {
        // The problem is still alive here; the list deletes it afterwards.
        const NMHTMLLIST* note = reinterpret_cast<const NMHTMLLIST*>(lParam);
        GalleryLog::Line("html ignore %s", (LPCSTR)m_list.NameOf(note->data));
    } else if (hdr->code == HTMLLIST_CHECKCHANGED) {
        LogCounts();
    }
    *pResult = 0;
    return TRUE;
}
