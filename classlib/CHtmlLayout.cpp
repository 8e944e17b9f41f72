#include "CHtmlLayout.h"
#include <ocidl.h>
#include <cstdio>

namespace {

const char* const kBlockTags[] = {"body", "div", "p", "h1", "h2", "h3", "form", "table", "tr", "ul", "ol",
                                  "li", "center", "blockquote", "hr", "html", "#document"};
const char* const kHiddenTags[] = {"head", "script", "style", "title", "meta", "link", "select", "option"};

bool IsOneOf(const CString& tag, const char* const* names, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (tag == names[i])
            return true;
    return false;
}

bool IsBlock(const CString& tag)
{
    return IsOneOf(tag, kBlockTags, sizeof kBlockTags / sizeof kBlockTags[0]);
}

bool IsSpaceChar(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

}  // namespace

void CHtmlLayout::Clear()
{
    m_boxes.clear();
    m_fills.clear();
    m_run.Empty();
    m_runHasText = false;
    m_runOwner = nullptr;
}

int CHtmlLayout::LineHeight(int font)
{
    HGDIOBJ old = ::SelectObject(m_hdc, m_fonts[font]);
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(m_hdc, &metrics);
    ::SelectObject(m_hdc, old);
    return metrics.tmHeight;
}

int CHtmlLayout::SpaceWidth(int font)
{
    HGDIOBJ old = ::SelectObject(m_hdc, m_fonts[font]);
    SIZE space = {};
    ::GetTextExtentPoint32A(m_hdc, " ", 1, &space);
    ::SelectObject(m_hdc, old);
    return space.cx;
}

void CHtmlLayout::Build(CHtmlElement* pRoot, HDC hdc, const HFONT fonts[4], TextRenderer renderer, int width)
{
    Clear();
    m_hdc = hdc;
    m_fonts = fonts;
    m_renderer = renderer;
    m_width = width;
    m_left = kMargin;
    m_right = width - kMargin > m_left ? width - kMargin : m_left + 1;
    m_x = m_left;
    m_y = kMargin;
    m_lineHeight = 0;
    m_lineStart = 0;
    m_pendingSpace = false;
    HGDIOBJ old = ::SelectObject(hdc, fonts[0]);
    if (pRoot)
        Walk(pRoot, pRoot);
    FlushRun();
    EndLine();
    ::SelectObject(hdc, old);
}

void CHtmlLayout::Walk(CHtmlElement* e, CHtmlElement* owner)
{
    if (e->IsText()) {
        AddText(e, owner);
        return;
    }
    const CString& tag = e->m_tag;
    if (IsOneOf(tag, kHiddenTags, sizeof kHiddenTags / sizeof kHiddenTags[0]))
        return;
    if (tag == "br") {
        FlushRun();
        if (m_boxes.size() == m_lineStart && m_x == m_left)
            m_y += LineHeight(0);
        EndLine();
        return;
    }
    if (e->m_hWnd || tag == "img") {
        FlushRun();
        if (e->m_size.cx > 0 && e->m_size.cy > 0)
            PlaceItem(e->m_hWnd ? kControl : kPicture, e);
        return;
    }
    if (tag == "input" || tag == "button" || tag == "textarea")
        return;  // hidden inputs, and controls past the limit
    if (tag == "hr") {
        FlushRun();
        EndLine();
        m_fills.push_back({{m_left, m_y + 4, m_right, m_y + 5}, RGB(160, 160, 160)});
        m_y += 9;
        return;
    }
    const bool block = IsBlock(tag);
    CHtmlElement* newOwner = owner;
    if (block || tag == "a" || e->HasAttribute("id")) {
        FlushRun();
        newOwner = e;
    }
    // The block's own background, if it has one; it ends where the block ends.
    const size_t fill = m_fills.size();
    bool filled = false;
    if (block) {
        EndLine();
        if (e->m_background != CLR_INVALID && tag != "body") {
            m_fills.push_back({{0, m_y, m_width, m_y}, e->m_background});
            filled = true;
        }
    }
    for (auto& child : e->m_children)
        Walk(child.get(), newOwner);
    if (newOwner != owner)
        FlushRun();
    if (block) {
        EndLine();
        if (filled)
            m_fills[fill].rect.bottom = m_y;
        if (tag == "p" || tag == "ul" || tag == "ol" || (tag.GetLength() == 2 && tag[0] == 'h'))
            m_y += LineHeight(0) / 2;
    }
}

void CHtmlLayout::AddText(const CHtmlElement* t, CHtmlElement* owner)
{
    CString text;
    bool lastSpace = false;
    for (int i = 0; i < t->m_text.GetLength(); ++i) {
        char c = t->m_text[i];
        if (IsSpaceChar(c)) {
            if (!lastSpace)
                text += ' ';
            lastSpace = true;
        } else {
            text += c;
            lastSpace = false;
        }
    }
    if (text.IsEmpty())
        return;
    if (m_runHasText && (m_runOwner != owner || m_runFont != t->m_heading))
        FlushRun();
    if (!m_runHasText) {
        const bool lineStart = m_x == m_left;
        const bool leadingSpace = text[0] == ' ' || m_pendingSpace;
        text.TrimLeft();
        if (text.IsEmpty()) {
            m_pendingSpace = !lineStart;
            return;
        }
        if (leadingSpace && !lineStart) {
            // A blank between runs is left open here, not drawn in the run's style.
            m_x += SpaceWidth(t->m_heading);
        }
        m_pendingSpace = false;
        m_runOwner = owner;
        m_runFont = t->m_heading;
    }
    char font[32];
    snprintf(font, sizeof font, "<font color=#%02x%02x%02x>", GetRValue(t->m_color), GetGValue(t->m_color),
             GetBValue(t->m_color));
    m_run += font;
    if (t->m_bold)
        m_run += "<b>";
    if (t->m_italic)
        m_run += "<i>";
    if (t->m_underline)
        m_run += "<u>";
    m_run += text;
    if (t->m_underline)
        m_run += "</u>";
    if (t->m_italic)
        m_run += "</i>";
    if (t->m_bold)
        m_run += "</b>";
    m_run += "</font>";
    m_runHasText = true;
    m_pendingSpace = text[text.GetLength() - 1] == ' ';
}

void CHtmlLayout::FlushRun()
{
    if (!m_runHasText)
        return;
    const bool trailingSpace = m_pendingSpace;
    HGDIOBJ old = ::SelectObject(m_hdc, m_fonts[m_runFont]);
    RECT rc = {0, 0, m_right - m_left, 0};
    m_renderer(m_hdc, m_run, -1, &rc, DT_CALCRECT | DT_NOPREFIX);
    int w = rc.right - rc.left;
    int h = rc.bottom - rc.top;
    Box box = {kText, m_runOwner, {0, 0, 0, 0}, m_run, m_runFont, DT_NOPREFIX};
    if (m_x + w > m_right && m_x > m_left)
        EndLine();
    bool wrapped = false;
    if (m_x + w > m_right) {
        rc = {0, 0, m_right - m_x, 0};
        m_renderer(m_hdc, m_run, -1, &rc, DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK);
        w = rc.right - rc.left > m_right - m_x ? rc.right - rc.left : m_right - m_x;
        h = rc.bottom - rc.top;
        box.format |= DT_WORDBREAK;
        wrapped = true;
    }
    ::SelectObject(m_hdc, old);
    PlaceBox(box, w, h);
    if (wrapped)
        EndLine();
    m_run.Empty();
    m_runHasText = false;
    m_pendingSpace = trailingSpace;
}

void CHtmlLayout::PlaceItem(BoxKind kind, CHtmlElement* e)
{
    if (m_pendingSpace && m_x > m_left)
        m_x += SpaceWidth(0);
    m_pendingSpace = false;
    if (m_x + e->m_size.cx > m_right && m_x > m_left)
        EndLine();
    PlaceBox({kind, e, {0, 0, 0, 0}, CString(), 0, 0}, e->m_size.cx, e->m_size.cy);
}

void CHtmlLayout::PlaceBox(Box box, int width, int height)
{
    box.rect = {m_x, m_y, m_x + width, m_y + height};
    m_boxes.push_back(box);
    m_x += width;
    if (height > m_lineHeight)
        m_lineHeight = height;
}

void CHtmlLayout::EndLine()
{
    if (m_boxes.size() > m_lineStart) {
        // Items of one line are centred on it.
        for (size_t i = m_lineStart; i < m_boxes.size(); ++i) {
            RECT& r = m_boxes[i].rect;
            ::OffsetRect(&r, 0, (m_lineHeight - (r.bottom - r.top)) / 2);
        }
        m_y += m_lineHeight + 2;
    }
    m_x = m_left;
    m_lineHeight = 0;
    m_lineStart = m_boxes.size();
    m_pendingSpace = false;
}

void CHtmlLayout::Paint(HDC hdc, const HFONT fonts[4], TextRenderer renderer, const RECT& clip) const
{
    RECT dummy;
    for (const Fill& fill : m_fills) {
        if (!::IntersectRect(&dummy, &fill.rect, &clip))
            continue;
        HBRUSH brush = ::CreateSolidBrush(fill.color);
        ::FillRect(hdc, &fill.rect, brush);
        ::DeleteObject(brush);
    }
    int mode = ::SetBkMode(hdc, TRANSPARENT);
    HGDIOBJ oldFont = ::SelectObject(hdc, fonts[0]);
    for (const Box& box : m_boxes) {
        if (!::IntersectRect(&dummy, &box.rect, &clip))
            continue;
        if (box.kind == kText) {
            ::SelectObject(hdc, fonts[box.font]);
            RECT r = box.rect;
            renderer(hdc, box.markup, -1, &r, box.format);
        } else if (box.kind == kPicture && box.element->m_picture) {
            OLE_XSIZE_HIMETRIC hmWidth = 0;
            OLE_YSIZE_HIMETRIC hmHeight = 0;
            box.element->m_picture->get_Width(&hmWidth);
            box.element->m_picture->get_Height(&hmHeight);
            const RECT& r = box.rect;
            box.element->m_picture->Render(hdc, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, hmHeight,
                                            hmWidth, -hmHeight, nullptr);
        }
    }
    ::SelectObject(hdc, oldFont);
    ::SetBkMode(hdc, mode);
}

CHtmlElement* CHtmlLayout::HitTest(POINT pt) const
{
    for (auto it = m_boxes.rbegin(); it != m_boxes.rend(); ++it)
        if (it->kind != kControl && ::PtInRect(&it->rect, pt))
            return it->element;
    return nullptr;
}

BOOL CHtmlLayout::GetElementRect(const CHtmlElement* pElement, RECT* pRect) const
{
    RECT all = {0, 0, 0, 0};
    BOOL found = FALSE;
    for (const Box& box : m_boxes) {
        if (!box.element->IsWithin(pElement))
            continue;
        if (found) {
            ::UnionRect(&all, &all, &box.rect);
        } else {
            all = box.rect;
            found = TRUE;
        }
    }
    if (found && pRect)
        *pRect = all;
    return found;
}
