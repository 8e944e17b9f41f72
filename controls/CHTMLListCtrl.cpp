#include "CHTMLListCtrl.h"
#include <shlwapi.h>
#include <algorithm>
#include "CMemDC.h"
#include "DrawHTML.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kImageMask = RGB(255, 0, 255);
const int kScrollStep = 50;
const int kWheelStep = 40;

// A string-table text, or "???" when it cannot be loaded.
CString LoadText(UINT id)
{
    CString text;
    if (!text.LoadString(id))
        text = "???";
    return text;
}

// Top of the 16-pixel images and hit boxes of an item.
int ImageTop(const RECT& r)
{
    return r.top + (r.bottom - r.top) / 2 - 8;
}

bool InBox(CPoint point, int left, int top, int right, int bottom)
{
    RECT box = { left, top, right, bottom };
    return ::PtInRect(&box, point) != FALSE;
}

bool InGlyphBox(const RECT& r, CPoint point)
{
    return InBox(point, r.left + 3, ImageTop(r), r.left + 18, ImageTop(r) + 15);
}

bool InCheckBox(const RECT& r, CPoint point)
{
    return InBox(point, r.left + 18, ImageTop(r), r.left + 33, ImageTop(r) + 15);
}

bool InIgnoreBox(const RECT& r, CPoint point)
{
    return InBox(point, r.right - 40, r.bottom - 15, r.right, r.bottom);
}

int HeaderState(const CScanCategory* category)
{
    if (category->selectedCount == 0)
        return 0;
    return category->selectedCount == category->count ? 1 : 2;
}

}  // namespace

BEGIN_MESSAGE_MAP(CHTMLListCtrl, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSEWHEEL()
    ON_WM_VSCROLL()
    ON_WM_KEYDOWN()
    ON_WM_GETDLGCODE()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CHTMLListCtrl::CHTMLListCtrl(CRegistryProblemArray* problems)
    : m_handCursor(::LoadCursorA(nullptr, IDC_HAND)),
      m_arrowCursor(::LoadCursorA(nullptr, IDC_ARROW)),
      m_problems(problems)
{
}

CHTMLListCtrl::~CHTMLListCtrl()
{
    // Destroy the window while this object can still handle its last messages.
    DestroyWindow();
    DeleteAllItems();
}

BOOL CHTMLListCtrl::Create(CWnd* parent, RECT rect, UINT id, DWORD style)
{
    if (!m_font.GetSafeHandle()) {
        LOGFONTA lf = {};
        lf.lfHeight = -11;
        lf.lfWeight = FW_NORMAL;
        lstrcpynA(lf.lfFaceName, "Tahoma", LF_FACESIZE);
        m_font.CreateFontIndirect(&lf);
    }
    if (!m_images.m_hImageList && m_images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 5, 0)) {
        CBitmap bitmap;
        if (bitmap.LoadBitmap(IDB_IMAGES))
            m_images.Add(&bitmap, kImageMask);
    }

    // The sizes are taken before the window exists: the WM_SIZE of the
    // creation then replaces them with the real client area.
    m_controlId = id;
    m_clientWidth = rect.right - rect.left;
    m_clientHeight = rect.bottom - rect.top;
    m_totalHeight = 0;
    if (!CWnd::Create(AfxRegisterWndClass(CS_DBLCLKS), "HTMLListCtrl", style, rect, parent, id))
        return FALSE;
    SCROLLINFO info = {};
    info.fMask = SIF_RANGE | SIF_PAGE;
    SetScrollInfo(SB_VERT, &info);
    return TRUE;
}

void CHTMLListCtrl::SetDisplayMode(UINT mode)
{
    m_displayMode = mode;
    Remeasure();
    RecalcLayout();
    if (m_hWnd)
        Invalidate(FALSE);
}

int CHTMLListCtrl::InsertItem(CString text, void* data, int kind, int fixedHeight)
{
    auto item = std::make_unique<HTMLLIST_ITEM>();
    item->id = static_cast<int>(m_items.size());
    item->kind = kind;
    item->text = text;
    item->data = data;
    item->fixedHeight = fixedHeight != 0;
    item->height = item->fixedHeight ? fixedHeight : MeasureItem(text, kind);
    if (kind == HTMLLIST_ROW && data)
        item->checkState = static_cast<CRegistryProblem*>(data)->m_checked ? 1 : 0;
    else if (kind == HTMLLIST_HEADER && data)
        item->checkState = HeaderState(static_cast<CScanCategory*>(data));
    const int id = item->id;
    m_totalHeight += item->height;
    m_items.push_back(std::move(item));
    RecalcLayout();
    return id;
}

BOOL CHTMLListCtrl::DeleteItem(int id)
{
    if (!Item(id))
        return FALSE;
    m_items.erase(m_items.begin() + id);
    if (m_selection == id)
        m_selection = -1;
    Renumber();
    RecalcLayout();
    if (m_hWnd)
        Invalidate();
    return TRUE;
}

void CHTMLListCtrl::DeleteAllItems()
{
    m_items.clear();
    m_totalHeight = 0;
    if (m_hWnd) {
        RecalcLayout();
        Invalidate();
    }
}

void CHTMLListCtrl::SetItemText(int id, CString text, BOOL remeasure)
{
    HTMLLIST_ITEM* item = Item(id);
    if (!item)
        return;
    item->text = text;
    if (remeasure) {
        item->fixedHeight = FALSE;
        Remeasure();
        RecalcLayout();
        if (m_hWnd)
            Invalidate();
    } else if (m_hWnd) {
        InvalidateRect(&item->rect);
    }
}

CString CHTMLListCtrl::GetItemText(int id) const
{
    HTMLLIST_ITEM* item = Item(id);
    return item ? item->text : CString();
}

void* CHTMLListCtrl::GetItemData(int id) const
{
    HTMLLIST_ITEM* item = Item(id);
    return item ? item->data : nullptr;
}

void CHTMLListCtrl::SetItemData(int id, void* data)
{
    if (HTMLLIST_ITEM* item = Item(id))
        item->data = data;
}

void CHTMLListCtrl::SetCategoryCheck(int category, BOOL check)
{
    for (auto& item : m_items) {
        if (item->kind != HTMLLIST_ROW || !item->data)
            continue;
        CRegistryProblem* problem = static_cast<CRegistryProblem*>(item->data);
        if (problem->m_category == category) {
            problem->m_checked = check ? TRUE : FALSE;
            item->checkState = check ? 1 : 0;
        }
    }
}

void CHTMLListCtrl::RefreshCheckStates()
{
    for (auto& item : m_items) {
        if (!item->data)
            continue;
        if (item->kind == HTMLLIST_ROW)
            item->checkState = static_cast<CRegistryProblem*>(item->data)->m_checked ? 1 : 0;
        else if (item->kind == HTMLLIST_HEADER)
            item->checkState = HeaderState(static_cast<CScanCategory*>(item->data));
    }
    if (m_hWnd)
        Invalidate();
}

HTMLLIST_ITEM* CHTMLListCtrl::Item(int id) const
{
    if (id < 0 || id >= static_cast<int>(m_items.size()))
        return nullptr;
    return m_items[id].get();
}

// The category of the header above a row; NULL for a row above every header.
CScanCategory* CHTMLListCtrl::CategoryOfRow(int id) const
{
    for (int i = id - 1; i >= 0; --i) {
        if (m_items[i]->kind == HTMLLIST_HEADER)
            return static_cast<CScanCategory*>(m_items[i]->data);
    }
    return nullptr;
}

std::vector<int> CHTMLListCtrl::VisibleItems() const
{
    std::vector<int> visible;
    bool shown = true;
    for (int i = 0; i < static_cast<int>(m_items.size()); ++i) {
        if (m_items[i]->kind == HTMLLIST_HEADER) {
            shown = m_items[i]->expanded != FALSE;
            visible.push_back(i);
        } else if (shown) {
            visible.push_back(i);
        }
    }
    return visible;
}

void CHTMLListCtrl::LayoutItems()
{
    for (auto& item : m_items)
        ::SetRectEmpty(&item->rect);
    int top = m_hWnd ? -GetScrollPos(SB_VERT) : 0;
    for (int i : VisibleItems()) {
        HTMLLIST_ITEM* item = m_items[i].get();
        item->rect = RECT{ 0, top, m_clientWidth, top + item->height };
        top += item->height;
    }
}

int CHTMLListCtrl::MeasureItem(const CString& text, int kind)
{
    const int width = m_clientWidth - ((m_displayMode & HTMLLIST_MODE_CHECKBOXES) ? 21 : 5);
    CClientDC windowDC(m_hWnd ? this : nullptr);
    if (kind == HTMLLIST_ROW) {
        CDC memDC;
        memDC.CreateCompatibleDC(&windowDC);
        CFont* oldFont = memDC.SelectObject(&m_font);
        RECT rect = { 50, 0, width - 40, m_clientHeight };
        DrawHTML(memDC, text, text.GetLength(), &rect, DT_CALCRECT | DT_WORDBREAK | DT_EXTERNALLEADING);
        memDC.SelectObject(oldFont);
        return rect.bottom - rect.top + 15;
    }
    if (kind == HTMLLIST_HEADER) {
        CFont* oldFont = windowDC.SelectObject(&m_font);
        RECT rect = { 50, 0, width, 0 };
        windowDC.DrawText(text, &rect, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
        windowDC.SelectObject(oldFont);
        return rect.bottom - rect.top + 15;
    }
    return 0;
}

void CHTMLListCtrl::Remeasure()
{
    m_totalHeight = 0;
    for (int i = 0; i < static_cast<int>(m_items.size()); ++i) {
        HTMLLIST_ITEM* item = m_items[i].get();
        item->id = i;
        if (!item->fixedHeight)
            item->height = MeasureItem(item->text, item->kind);
        m_totalHeight += item->height;
    }
}

void CHTMLListCtrl::Renumber()
{
    m_totalHeight = 0;
    for (int i = 0; i < static_cast<int>(m_items.size()); ++i) {
        m_items[i]->id = i;
        m_totalHeight += m_items[i]->height;
    }
}

void CHTMLListCtrl::RecalcLayout()
{
    m_totalHeight = 0;
    for (int i : VisibleItems())
        m_totalHeight += m_items[i]->height;
    if (!m_hWnd)
        return;
    SCROLLINFO info = {};
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMin = 0;
    info.nMax = m_totalHeight;
    info.nPage = static_cast<UINT>(m_clientHeight > 0 ? m_clientHeight : 0);
    SetScrollInfo(SB_VERT, &info, TRUE);
}

void CHTMLListCtrl::ScrollTo(int pos)
{
    SetScrollPos(SB_VERT, pos, TRUE);
}

// Scrolls a shown item fully into view; measured over the shown items only,
// as the scroll range is.
void CHTMLListCtrl::EnsureVisible(int id)
{
    int offset = 0;
    HTMLLIST_ITEM* target = nullptr;
    for (int i : VisibleItems()) {
        if (i == id) {
            target = m_items[i].get();
            break;
        }
        offset += m_items[i]->height;
    }
    if (!target)
        return;
    const int pos = GetScrollPos(SB_VERT);
    if (offset < pos)
        ScrollTo(offset);
    else if (offset + target->height > pos + m_clientHeight)
        ScrollTo(offset + target->height - m_clientHeight);
}

void CHTMLListCtrl::Notify(UINT code, void* data)
{
    auto block = std::make_unique<NMHTMLLIST>();
    block->hdr.hwndFrom = m_hWnd;
    block->hdr.idFrom = m_controlId;
    block->hdr.code = code;
    block->item = -1;
    block->data = data;
    block->reserved = 0;
    ::SendMessageA(::GetParent(m_hWnd), WM_NOTIFY, m_controlId, reinterpret_cast<LPARAM>(block.get()));
}

void CHTMLListCtrl::ToggleHeaderCheck(HTMLLIST_ITEM* header)
{
    CScanCategory* category = static_cast<CScanCategory*>(header->data);
    if (!category)
        return;
    if (category->selectedCount == 0 || category->selectedCount < category->count) {
        SetCategoryCheck(category->categoryId, TRUE);
        category->selectedCount = category->count;
        header->checkState = 1;
    } else {
        SetCategoryCheck(category->categoryId, FALSE);
        category->selectedCount = 0;
        header->checkState = 0;
    }
}

void CHTMLListCtrl::OnPaint()
{
    CPaintDC paintDC(this);
    CMemDC memDC(&paintDC);
    CFont* oldFont = memDC.SelectObject(&m_font);
    LayoutItems();
    for (int i : VisibleItems()) {
        HTMLLIST_ITEM* item = m_items[i].get();
        DrawItem(&memDC, item->rect, item, i == m_selection);
    }
    memDC.SelectObject(oldFont);
}

BOOL CHTMLListCtrl::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CHTMLListCtrl::DrawItem(CDC* dc, RECT rect, HTMLLIST_ITEM* item, BOOL selected)
{
    RECT clip;
    dc->GetClipBox(&clip);
    if (rect.bottom <= clip.top || rect.top >= clip.bottom)
        return;
    const int left = rect.left, top = rect.top, right = rect.right, bottom = rect.bottom;
    const int imageTop = ImageTop(rect);

    dc->FillSolidRect(&rect, selected ? m_selectionColour : kWhite);
    if (m_displayMode & HTMLLIST_MODE_EDGES)
        dc->DrawEdge(&rect, BDR_SUNKENINNER, BF_LEFT | BF_BOTTOM | BF_FLAT);
    if (item->kind == HTMLLIST_HEADER)
        m_images.Draw(dc, item->expanded ? 3 : 4, CPoint(left + 3, imageTop), ILD_NORMAL);
    m_images.Draw(dc, item->checkState, CPoint(left + 22, imageTop), ILD_TRANSPARENT);

    const COLORREF oldColour = dc->SetTextColor(kBlack);
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    const int textTop = item->fixedHeight ? top : top + 5;
    if (item->kind == HTMLLIST_ROW) {
        RECT textRect = { left + 50, textTop, right - 40, bottom };
        DrawHTML(*dc, item->text, item->text.GetLength(), &textRect, DT_WORDBREAK);
        CString link = LoadText(IDS_IGNORE);
        RECT linkRect = { right - 40, bottom - 15, right, bottom };
        DrawHTML(*dc, link, link.GetLength(), &linkRect, DT_WORDBREAK);
    } else if (item->kind == HTMLLIST_HEADER) {
        // Shortened on a copy: a failed call may leave the buffer changed.
        const int room = right - (left + 50);
        std::vector<char> shortened(std::max(item->text.GetLength() + 1, MAX_PATH));
        lstrcpynA(shortened.data(), item->text, static_cast<int>(shortened.size()));
        if (room > 0 && ::PathCompactPathA(*dc, shortened.data(), static_cast<UINT>(room)))
            item->text = shortened.data();
        RECT textRect = { left + 50, textTop, right, bottom };
        dc->DrawText(item->text, &textRect, DT_SINGLELINE | DT_VCENTER);

        if (const CScanCategory* category = static_cast<const CScanCategory*>(item->data)) {
            CString format = LoadText(IDS_SELECTED);
            DWORD_PTR args[2] = { static_cast<DWORD_PTR>(category->selectedCount),
                                  static_cast<DWORD_PTR>(category->count) };
            char counts[128];
            if (!::FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, format.GetString(), 0,
                                  0, counts, sizeof(counts), reinterpret_cast<va_list*>(args)))
                lstrcpynA(counts, format, sizeof(counts));
            RECT countRect = { right - 100, textTop, right, bottom };
            DrawHTML(*dc, counts, -1, &countRect, DT_WORDBREAK);
        }
    }
    dc->SetBkMode(oldMode);
    dc->SetTextColor(oldColour);

    if (m_hasFocus && selected)
        dc->DrawFocusRect(&rect);
}

void CHTMLListCtrl::OnLButtonDown(UINT, CPoint point)
{
    SetFocus();
    LayoutItems();
    HTMLLIST_ITEM* header = nullptr;
    const int hit = HitTestItem(point, header);
    if (hit < 0) {
        // Below the last item: the last shown item stays selected.
        Invalidate(FALSE);
        Default();
        return;
    }

    m_selection = hit;
    HTMLLIST_ITEM* item = m_items[hit].get();
    bool changed = false;
    if (item->kind == HTMLLIST_HEADER) {
        changed = ClickHeader(item, point);
    } else if (item->kind == HTMLLIST_ROW && item->data) {
        if (InCheckBox(item->rect, point))
            changed = ToggleRowCheck(item, header);
        if (InIgnoreBox(item->rect, point)) {
            if (!IgnoreRow(hit, header))
                return;   // the parent emptied the list meanwhile
            changed = true;
        }
    }

    m_selection = hit;
    Invalidate(FALSE);
    if (changed)
        Notify(HTMLLIST_CHECKCHANGED);
    Default();
}

int CHTMLListCtrl::HitTestItem(CPoint point, HTMLLIST_ITEM*& header)
{
    header = nullptr;
    for (int i : VisibleItems()) {
        HTMLLIST_ITEM* item = m_items[i].get();
        if (item->kind == HTMLLIST_HEADER)
            header = item;
        if (::PtInRect(&item->rect, point))
            return i;
        m_selection = i;
    }
    return -1;
}

bool CHTMLListCtrl::ClickHeader(HTMLLIST_ITEM* header, CPoint point)
{
    if (InGlyphBox(header->rect, point)) {
        header->expanded = !header->expanded;
        RecalcLayout();
        Invalidate(FALSE);
        return false;
    }
    if (InCheckBox(header->rect, point)) {
        ToggleHeaderCheck(header);
        return true;
    }
    return false;
}

bool CHTMLListCtrl::ToggleRowCheck(HTMLLIST_ITEM* row, HTMLLIST_ITEM* header)
{
    CRegistryProblem* problem = static_cast<CRegistryProblem*>(row->data);
    CScanCategory* category = header ? static_cast<CScanCategory*>(header->data) : nullptr;
    problem->m_checked = problem->m_checked ? FALSE : TRUE;
    row->checkState = problem->m_checked ? 1 : 0;
    if (category) {
        category->selectedCount += problem->m_checked ? 1 : -1;
        header->checkState = HeaderState(category);
    }
    return true;
}

bool CHTMLListCtrl::IgnoreRow(int id, HTMLLIST_ITEM* header)
{
    HTMLLIST_ITEM* row = m_items[id].get();
    CRegistryProblem* problem = static_cast<CRegistryProblem*>(row->data);
    CScanCategory* category = header ? static_cast<CScanCategory*>(header->data) : nullptr;
    Notify(HTMLLIST_IGNORE, problem);
    if (!::IsWindow(m_hWnd) || Item(id) != row)
        return false;
    DeleteItem(id);
    if (category) {
        if (problem->m_checked)
            --category->selectedCount;
        --category->count;
        header->checkState = HeaderState(category);
        if (category->count <= 0)
            DeleteItem(header->id);
    }
    if (m_problems) {
        for (INT_PTR i = 0; i < m_problems->GetSize(); ++i) {
            if (m_problems->GetAt(i) == problem) {
                m_problems->RemoveAt(i);
                delete problem;
                break;
            }
        }
    }
    return true;
}

void CHTMLListCtrl::OnLButtonDblClk(UINT, CPoint)
{
    Notify(HTMLLIST_DBLCLK);
    Default();
}

void CHTMLListCtrl::OnRButtonDown(UINT, CPoint)
{
    Notify(HTMLLIST_RCLICK);
    Default();
}

void CHTMLListCtrl::OnMouseMove(UINT, CPoint point)
{
    LayoutItems();
    bool overLink = false;
    for (int i : VisibleItems()) {
        const HTMLLIST_ITEM* item = m_items[i].get();
        if (item->kind == HTMLLIST_ROW && InIgnoreBox(item->rect, point)) {
            overLink = true;
            break;
        }
    }
    ::SetCursor(overLink ? m_handCursor : m_arrowCursor);
}

BOOL CHTMLListCtrl::OnMouseWheel(UINT, short delta, CPoint)
{
    const int pos = GetScrollPos(SB_VERT);
    if (delta >= 0)
        ScrollTo(std::max(0, pos - kWheelStep));
    else
        ScrollTo(std::min(GetScrollLimit(SB_VERT), pos + kWheelStep));
    Invalidate();
    UpdateWindow();
    return TRUE;
}

void CHTMLListCtrl::OnVScroll(UINT code, UINT, CWnd*)
{
    const int pos = GetScrollPos(SB_VERT);
    const int limit = GetScrollLimit(SB_VERT);
    switch (code) {
    case SB_LINEUP:
    case SB_PAGEUP:
        if (pos > 0)
            ScrollTo(std::max(0, pos - kScrollStep));
        break;
    case SB_LINEDOWN:
    case SB_PAGEDOWN:
        if (pos < limit)
            ScrollTo(std::min(limit, pos + kScrollStep));
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SCROLLINFO info = {};
        GetScrollInfo(SB_VERT, &info, SIF_TRACKPOS);
        SetScrollPos(SB_VERT, info.nTrackPos, code == SB_THUMBPOSITION);
        break;
    }
    default:
        break;
    }
    Invalidate();
    UpdateWindow();
}

void CHTMLListCtrl::SetSelectionAndShow(int id)
{
    m_selection = id;
    EnsureVisible(id);
    Invalidate(FALSE);
}

// Up and Down move over the shown items; Space on a header toggles its group.
void CHTMLListCtrl::OnKeyDown(UINT key, UINT, UINT)
{
    if (key != VK_UP && key != VK_DOWN && key != VK_SPACE) {
        Default();
        return;
    }
    if (m_selection != -1 && !Item(m_selection))
        return;
    const std::vector<int> visible = VisibleItems();
    if (key == VK_UP || key == VK_DOWN) {
        if (visible.empty())
            return;
        int next;
        if (m_selection == -1) {
            next = key == VK_UP ? visible.front() : visible.back();
        } else if (key == VK_UP) {
            auto after = std::lower_bound(visible.begin(), visible.end(), m_selection);
            next = after == visible.begin() ? visible.front() : *(after - 1);
        } else {
            auto after = std::upper_bound(visible.begin(), visible.end(), m_selection);
            next = after == visible.end() ? visible.back() : *after;
        }
        SetSelectionAndShow(next);
    } else if (m_selection != -1) {
        HTMLLIST_ITEM* item = Item(m_selection);
        if (item->kind == HTMLLIST_HEADER) {
            ToggleHeaderCheck(item);
            Notify(HTMLLIST_CHECKCHANGED);
        }
        SetSelectionAndShow(m_selection);
    }
}

UINT CHTMLListCtrl::OnGetDlgCode()
{
    return DLGC_WANTARROWS | DLGC_WANTCHARS;
}

void CHTMLListCtrl::OnSetFocus(CWnd*)
{
    Default();
    m_hasFocus = TRUE;
    if (HTMLLIST_ITEM* item = Item(m_selection))
        InvalidateRect(&item->rect, TRUE);
}

void CHTMLListCtrl::OnKillFocus(CWnd*)
{
    Default();
    m_hasFocus = FALSE;
    if (HTMLLIST_ITEM* item = Item(m_selection))
        InvalidateRect(&item->rect, TRUE);
}

void CHTMLListCtrl::OnSize(UINT, int cx, int cy)
{
    m_clientWidth = cx;
    m_clientHeight = cy;
    Remeasure();
    RecalcLayout();
}

void CHTMLListCtrl::OnDestroy()
{
    Default();
    m_font.DeleteObject();
}
