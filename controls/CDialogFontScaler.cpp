#include "CDialogFontScaler.h"
#include <string>
#include <vector>

namespace {

struct TemplateItem {
    int id;
    short x, y, cx, cy;
};

// What the re-layout needs of a dialog template.
struct TemplateLayout {
    bool extended = false;  // a standard template has 16-bit control ids
    DWORD style = 0;
    DWORD exStyle = 0;
    short cx = 0, cy = 0;
    bool hasFont = false;
    int pointSize = 0;
    int weight = 0;
    bool italic = false;
    std::wstring face;
    std::vector<TemplateItem> items;
};

// Reads a template resource with bounds checks: a short or damaged template
// ends the reading where it breaks.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}

    bool Ok() const { return m_ok; }
    size_t Pos() const { return m_pos; }
    void Seek(size_t pos) { m_pos = pos; }
    void AlignDword() { m_pos = (m_pos + 3) & ~static_cast<size_t>(3); }

    WORD Word()
    {
        if (m_pos + 2 > m_size) {
            m_ok = false;
            return 0;
        }
        WORD w = static_cast<WORD>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
        m_pos += 2;
        return w;
    }
    DWORD Dword()
    {
        DWORD lo = Word();
        return lo | (static_cast<DWORD>(Word()) << 16);
    }
    BYTE Byte()
    {
        if (m_pos + 1 > m_size) {
            m_ok = false;
            return 0;
        }
        return m_data[m_pos++];
    }
    std::wstring String()
    {
        std::wstring s;
        for (WORD c = Word(); m_ok && c; c = Word())
            s += static_cast<wchar_t>(c);
        return s;
    }
    // A name or ordinal field: 0x0000, 0xFFFF and a number, or a string.
    void SkipNameOrOrdinal()
    {
        WORD first = Word();
        if (first == 0xFFFF)
            Word();
        else if (first != 0)
            for (WORD c = Word(); m_ok && c; c = Word()) {
            }
    }

private:
    const BYTE* m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_ok = true;
};

bool ReadTemplate(HINSTANCE module, UINT templateId, TemplateLayout& layout)
{
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    HGLOBAL global = resource ? LoadResource(module, resource) : nullptr;
    const BYTE* data = global ? static_cast<const BYTE*>(LockResource(global)) : nullptr;
    if (!data)
        return false;
    TemplateReader in(data, SizeofResource(module, resource));

    bool extended = in.Word() == 1 && in.Word() == 0xFFFF;
    layout.extended = extended;
    int count;
    if (extended) {
        in.Dword();  // help id
        layout.exStyle = in.Dword();
        layout.style = in.Dword();
        count = in.Word();
    } else {
        in.Seek(0);
        layout.style = in.Dword();
        layout.exStyle = in.Dword();
        count = in.Word();
    }
    in.Word();  // x
    in.Word();  // y
    layout.cx = static_cast<short>(in.Word());
    layout.cy = static_cast<short>(in.Word());
    in.SkipNameOrOrdinal();  // menu
    in.SkipNameOrOrdinal();  // class
    in.SkipNameOrOrdinal();  // title
    if (layout.style & DS_SETFONT) {
        layout.hasFont = true;
        layout.pointSize = in.Word();
        if (extended) {
            layout.weight = in.Word();
            layout.italic = in.Byte() != 0;
            in.Byte();  // character set
        }
        layout.face = in.String();
    }
    if (!in.Ok())
        return false;

    for (int i = 0; i < count; ++i) {
        in.AlignDword();
        TemplateItem item;
        if (extended) {
            in.Dword();  // help id
            in.Dword();  // extended style
            in.Dword();  // style
        } else {
            in.Dword();  // style
            in.Dword();  // extended style
        }
        item.x = static_cast<short>(in.Word());
        item.y = static_cast<short>(in.Word());
        item.cx = static_cast<short>(in.Word());
        item.cy = static_cast<short>(in.Word());
        item.id = extended ? static_cast<int>(in.Dword()) : static_cast<int>(in.Word());
        in.SkipNameOrOrdinal();  // class
        in.SkipNameOrOrdinal();  // title
        WORD extra = in.Word();
        in.Seek(in.Pos() + extra);
        if (!in.Ok())
            break;
        layout.items.push_back(item);
    }
    return true;
}

// The control of each template item in template order: each is looked for
// after the previous one's window; the first item without a window ends the list.
std::vector<HWND> FindControls(HWND dialog, const TemplateLayout& layout)
{
    std::vector<HWND> controls;
    HWND after = nullptr;
    for (const TemplateItem& item : layout.items) {
        HWND child = after ? GetWindow(after, GW_HWNDNEXT) : GetWindow(dialog, GW_CHILD);
        while (child && (layout.extended ? GetDlgCtrlID(child) != item.id : (GetDlgCtrlID(child) & 0xFFFF) != item.id))
            child = GetWindow(child, GW_HWNDNEXT);
        if (!child)
            break;
        controls.push_back(child);
        after = child;
    }
    return controls;
}

int Scale(int units, int base, double divisor)
{
    return static_cast<int>(units * base / divisor + 0.5);
}

}  // namespace

BOOL CDialogFontScaler::Apply(HINSTANCE module, HWND dialog, UINT templateId, double dpi)
{
    Restore();
    TemplateLayout layout;
    if (!IsWindow(dialog) || !ReadTemplate(module, templateId, layout))
        return FALSE;
    m_module = module;
    m_dialog = dialog;
    m_templateId = static_cast<int>(templateId);

    // The template's font, or 8-point Tahoma without one.
    int points = 8;
    int weight = FW_NORMAL;
    bool italic = false;
    std::wstring face = L"Tahoma";
    if (layout.hasFont) {
        points = layout.pointSize;
        if (points >= 32768)
            points = 65536 - points;  // the magnitude of a negative 16-bit size
        weight = layout.weight;
        italic = layout.italic;
        face = layout.face;
    }
    m_newFont.Attach(CreateFontW(-static_cast<int>(points * dpi / 72.0 + 0.5), 0, 0, 0, weight, italic, FALSE, FALSE,
                            DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
    m_oldFont = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    SendMessageA(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_newFont)), TRUE);

    // The dialog base units of the new font, measured on a DC of the dialog.
    int baseX = 0;
    int baseY = 0;
    if (HDC dc = GetDC(dialog)) {
        HGDIOBJ oldFont = SelectObject(dc, m_newFont);
        TEXTMETRICA metrics = {};
        GetTextMetricsA(dc, &metrics);
        baseY = metrics.tmHeight;
        SIZE size = {0, 0};
        GetTextExtentPointA(dc, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", 52, &size);
        baseX = (size.cx / 26 + 1) / 2;
        SelectObject(dc, oldFont);
        ReleaseDC(dialog, dc);
    }

    // The dialog: the template's size from the client area's top-left corner.
    RECT rect;
    GetClientRect(dialog, &rect);
    rect.right = rect.left + static_cast<int>(layout.cx * baseX * 0.25 + 0.5);
    rect.bottom = rect.top + static_cast<int>(layout.cy * baseY * 0.125 + 0.5);
    MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    AdjustWindowRectEx(&rect, layout.style, FALSE, layout.exStyle);
    // A child dialog is placed in its parent's client coordinates.
    if ((GetWindowLongA(dialog, GWL_STYLE) & WS_CHILD) && GetParent(dialog))
        MapWindowPoints(nullptr, GetParent(dialog), reinterpret_cast<POINT*>(&rect), 2);
    MoveWindow(dialog, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);

    std::vector<HWND> controls = FindControls(dialog, layout);
    for (size_t i = 0; i < controls.size(); ++i) {
        const TemplateItem& item = layout.items[i];
        MoveWindow(controls[i], Scale(item.x, baseX, 4), Scale(item.y, baseY, 8), Scale(item.cx, baseX, 4),
                   Scale(item.cy, baseY, 8), TRUE);
        SendMessageA(controls[i], WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_newFont)), TRUE);
    }
    return TRUE;
}

void CDialogFontScaler::Restore()
{
    if (!m_dialog)
        return;
    TemplateLayout layout;
    if (IsWindow(m_dialog)) {
        SendMessageA(m_dialog, WM_SETFONT, reinterpret_cast<WPARAM>(m_oldFont), TRUE);
        if (ReadTemplate(m_module, static_cast<UINT>(m_templateId), layout))
            for (HWND control : FindControls(m_dialog, layout))
                SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_oldFont), TRUE);
    }
    m_newFont.DeleteObject();
    m_dialog = nullptr;
    m_oldFont = nullptr;
}
