#include "CDHtmlDialog.h"
#include <commctrl.h>
#include <ocidl.h>
#include <olectl.h>
#include <shellapi.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include "CDC.h"
#include "CHandle.h"
#include "CHtmlReader.h"
#include "CWinApp.h"

const char CDHtmlDialog::kFallbackCloseId[] = "dhtmlFallbackClose";

namespace {

const UINT kRetireMessage = WM_APP + 0x3F00;
const UINT kFirstControlId = 0x7000;
const UINT kControlIds = 0x0F00;

const char kFallbackPage[] =
    "<p>This page could not be shown.</p><p><button id=\"dhtmlFallbackClose\">Close</button></p>";

CDHtmlDialog::TextRenderer g_renderer = nullptr;

// The texts without their markup, drawn with DrawTextA: the renderer of a
// program that sets none.
int DrawPlainMarkup(HDC hdc, LPCSTR text, int length, LPRECT rect, UINT format)
{
    std::string plain;
    bool inTag = false;
    for (int i = 0; length < 0 ? text[i] != '\0' : i < length; ++i) {
        if (text[i] == '<')
            inTag = true;
        else if (text[i] == '>')
            inTag = false;
        else if (!inTag)
            plain += text[i];
    }
    return ::DrawTextA(hdc, plain.c_str(), -1, rect, format);
}

CDHtmlDialog::TextRenderer Renderer()
{
    return g_renderer ? g_renderer : &DrawPlainMarkup;
}

bool ReadWholeFile(const CString& path, DWORD limit, std::string& bytes)
{
    CHandle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
    if (!file.IsValid())
        return false;
    DWORD high = 0;
    DWORD size = ::GetFileSize(file, &high);
    if (size == INVALID_FILE_SIZE || high != 0 || size > limit)
        return false;
    bytes.resize(size);
    DWORD read = 0;
    return size == 0 || (::ReadFile(file, &bytes[0], size, &read, nullptr) && read == size);
}

CString InputType(const CHtmlElement* e)
{
    CString type = e->GetAttribute("type");
    type.MakeLower();
    return type;
}

bool IsEdit(const CHtmlElement* e)
{
    if (e->m_tag != "input")
        return false;
    CString type = InputType(e);
    return type.IsEmpty() || type == "text" || type == "password";
}

bool IsCheckBox(const CHtmlElement* e)
{
    return e->m_tag == "input" && InputType(e) == "checkbox";
}

}  // namespace

BEGIN_MESSAGE_MAP(CDHtmlDialog, CDialog)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_LBUTTONUP()
    ON_WM_SETCURSOR()
    ON_WM_SIZE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenuMessage)
    ON_MESSAGE(kRetireMessage, OnRetire)
END_MESSAGE_MAP()

CDHtmlDialog::CDHtmlDialog(UINT nIDTemplate, CWnd* pParentWnd) : CDialog(nIDTemplate, pParentWnd)
{
}

CDHtmlDialog::~CDHtmlDialog()
{
    if (m_hWnd && !m_bTemporary)
        DestroyWindow();
}

void CDHtmlDialog::SetTextRenderer(TextRenderer pfnRenderer)
{
    g_renderer = pfnRenderer;
}

BOOL CDHtmlDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    ModifyStyle(0, WS_CLIPCHILDREN);
    if (m_bPendingNavigate) {
        m_bPendingNavigate = FALSE;
        Navigate(m_url);
    }
    return TRUE;
}

void CDHtmlDialog::OnDocumentComplete(LPCSTR)
{
}

HRESULT CDHtmlDialog::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*)
{
    return S_FALSE;
}

void CDHtmlDialog::EnsureFonts()
{
    if (m_hFonts[0])
        return;
    HFONT base = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    if (!base)
        base = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTA lf = {};
    ::GetObjectA(base, sizeof lf, &lf);
    if (lf.lfHeight == 0)
        lf.lfHeight = -11;
    // Body, then h1..h3 at 2, 1.5 and 1.17 times the body's height.
    static const int kScale[4][2] = {{1, 1}, {2, 1}, {3, 2}, {7, 6}};
    for (int i = 0; i < 4; ++i) {
        LOGFONTA scaled = lf;
        scaled.lfHeight = lf.lfHeight * kScale[i][0] / kScale[i][1];
        if (i > 0)
            scaled.lfWeight = FW_BOLD;
        m_fonts[i].CreateFontIndirect(&scaled);
        m_hFonts[i] = m_fonts[i];
    }
}

BOOL CDHtmlDialog::Navigate(LPCSTR lpszURL)
{
    m_url = lpszURL ? lpszURL : "";
    if (!m_hWnd) {
        m_bPendingNavigate = TRUE;
        return TRUE;
    }
    EnsureFonts();
    CString path = m_url;
    if (path.Left(8).CompareNoCase("file:///") == 0)
        path = path.Mid(8);
    else if (path.Left(7).CompareNoCase("file://") == 0)
        path = path.Mid(7);
    path.Replace('/', '\\');
    int slash = path.ReverseFind('\\');
    m_folder = slash >= 0 ? path.Left(slash + 1) : CString();

    std::string bytes;
    m_bFallback = path.IsEmpty() || !ReadWholeFile(path, kMaxPageBytes, bytes);
    if (m_bFallback)
        bytes = kFallbackPage;
    if (m_root)
        Retire(std::move(m_root));
    CHtmlReader reader;
    m_root = reader.Read(bytes.data(), bytes.size());
    m_styles.Parse(reader.GetStyleText());
    Prepare(m_root.get());
    Relayout();
    UpdateData(FALSE);
    OnDocumentComplete(m_url);
    return !m_bFallback;
}

void CDHtmlDialog::Prepare(CHtmlElement* pSubtree)
{
    std::vector<CHtmlElement*> stack{pSubtree};
    while (!stack.empty()) {
        CHtmlElement* e = stack.back();
        stack.pop_back();
        if (e->m_tag == "input" || e->m_tag == "button")
            CreateControl(e);
        else if (e->m_tag == "img")
            LoadPicture(e);
        for (auto it = e->m_children.rbegin(); it != e->m_children.rend(); ++it)
            stack.push_back(it->get());
    }
}

void CDHtmlDialog::CreateControl(CHtmlElement* e)
{
    if (e->m_hWnd || m_controls.size() >= static_cast<size_t>(kMaxControls))
        return;
    const CString type = InputType(e);
    LPCSTR className = "BUTTON";
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    DWORD exStyle = 0;
    CString text;
    if (IsEdit(e)) {
        className = "EDIT";
        style |= ES_AUTOHSCROLL | (type == "password" ? ES_PASSWORD : 0);
        exStyle = WS_EX_CLIENTEDGE;
        text = e->GetAttribute("value");
    } else if (IsCheckBox(e)) {
        style |= BS_AUTOCHECKBOX;
    } else if (e->m_tag == "button" || type == "button" || type == "submit" || type == "reset") {
        style |= BS_PUSHBUTTON;
        text = e->m_tag == "button" ? e->GetInnerText().Trim() : e->GetAttribute("value");
    } else {
        return;  // hidden and unsupported inputs show nothing
    }
    UINT id = kFirstControlId + (m_nextControlId++ % kControlIds);
    HWND hWnd = ::CreateWindowExA(exStyle, className, text, style, 0, 0, 0, 0, m_hWnd,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), AfxGetInstanceHandle(), nullptr);
    if (!hWnd)
        return;
    ::SendMessageA(hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_hFonts[0]), FALSE);
    ::SetWindowSubclass(hWnd, &CDHtmlDialog::ControlProc, 1, reinterpret_cast<DWORD_PTR>(this));
    e->m_hWnd = hWnd;
    m_controls[hWnd] = e;

    HDC hdc = ::GetDC(m_hWnd);
    HGDIOBJ old = ::SelectObject(hdc, m_hFonts[0]);
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(hdc, &metrics);
    SIZE extent = {};
    ::GetTextExtentPoint32A(hdc, text, text.GetLength(), &extent);
    ::SelectObject(hdc, old);
    ::ReleaseDC(m_hWnd, hdc);
    if (className[0] == 'E') {
        int chars = atoi(e->GetAttribute("size"));
        if (chars < 1 || chars > 200)
            chars = 20;
        e->m_size = {chars * metrics.tmAveCharWidth + 8, metrics.tmHeight + 8};
        int limit = atoi(e->GetAttribute("maxlength"));
        if (limit > 0)
            ::SendMessageA(hWnd, EM_LIMITTEXT, static_cast<WPARAM>(limit), 0);
    } else if (style & BS_AUTOCHECKBOX) {
        e->m_size = {::GetSystemMetrics(SM_CXMENUCHECK) + 4, metrics.tmHeight + 2};
        ::SendMessageA(hWnd, BM_SETCHECK, e->HasAttribute("checked") ? BST_CHECKED : BST_UNCHECKED, 0);
    } else {
        e->m_size = {extent.cx + 2 * metrics.tmAveCharWidth + 16, metrics.tmHeight + 10};
    }
    if (e->HasAttribute("disabled"))
        ::EnableWindow(hWnd, FALSE);
}

void CDHtmlDialog::LoadPicture(CHtmlElement* e)
{
    CString src = e->GetAttribute("src");
    src.Replace('/', '\\');
    // Only a file beside the page (or in a folder below it).
    if (src.IsEmpty() || src.Find(':') >= 0 || src[0] == '\\' || src.Find("..") >= 0)
        return;
    std::string bytes;
    if (!ReadWholeFile(m_folder + src, kMaxPictureBytes, bytes) || bytes.empty())
        return;
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory)
        return;
    if (void* p = ::GlobalLock(memory)) {
        memcpy(p, bytes.data(), bytes.size());
        ::GlobalUnlock(memory);
    }
    CComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        ::GlobalFree(memory);
        return;
    }
    if (FAILED(::OleLoadPicture(stream.Get(), static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                                e->m_picture.Out())) || !e->m_picture)
        return;
    IPicture* picture = e->m_picture.Get();
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    picture->get_Width(&hmWidth);
    picture->get_Height(&hmHeight);
    HDC screen = ::GetDC(nullptr);
    int width = ::MulDiv(hmWidth, ::GetDeviceCaps(screen, LOGPIXELSX), 2540);
    int height = ::MulDiv(hmHeight, ::GetDeviceCaps(screen, LOGPIXELSY), 2540);
    ::ReleaseDC(nullptr, screen);
    int asked = atoi(e->GetAttribute("width"));
    if (asked > 0 && asked <= 4096)
        width = asked;
    asked = atoi(e->GetAttribute("height"));
    if (asked > 0 && asked <= 4096)
        height = asked;
    e->m_size = {width, height};
}

void CDHtmlDialog::Relayout()
{
    if (!m_hWnd || !m_root)
        return;
    EnsureFonts();
    m_styles.ComputeStyles(m_root.get());
    m_pageBackground = RGB(255, 255, 255);
    for (LPCSTR tag : {"html", "body"}) {
        std::vector<CHtmlElement*> stack{m_root.get()};
        while (!stack.empty()) {
            CHtmlElement* e = stack.back();
            stack.pop_back();
            if (e->m_tag == tag) {
                if (e->m_background != CLR_INVALID)
                    m_pageBackground = e->m_background;
                break;
            }
            for (auto& child : e->m_children)
                stack.push_back(child.get());
        }
    }
    RECT client;
    GetClientRect(&client);
    HDC hdc = ::GetDC(m_hWnd);
    m_layout.Build(m_root.get(), hdc, m_hFonts, Renderer(), client.right);
    ::ReleaseDC(m_hWnd, hdc);
    // Controls move to their places and keep the page's order for the Tab key.
    HWND previous = nullptr;
    for (const CHtmlLayout::Box& box : m_layout.GetBoxes()) {
        if (box.kind != CHtmlLayout::kControl)
            continue;
        HWND hWnd = box.element->m_hWnd;
        const RECT& r = box.rect;
        ::SetWindowPos(hWnd, previous ? previous : HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOACTIVATE);
        previous = hWnd;
    }
    Invalidate(FALSE);
}

void CDHtmlDialog::Retire(std::unique_ptr<CHtmlElement> subtree)
{
    // The windows and nodes may be in use further up the stack (a handler that
    // navigates): they are hidden now and destroyed once that has returned.
    std::vector<CHtmlElement*> stack{subtree.get()};
    while (!stack.empty()) {
        CHtmlElement* e = stack.back();
        stack.pop_back();
        if (e->m_hWnd) {
            ::ShowWindow(e->m_hWnd, SW_HIDE);
            m_controls.erase(e->m_hWnd);
            m_retiredWindows.push_back(e->m_hWnd);
            e->m_hWnd = nullptr;
        }
        for (auto& child : e->m_children)
            stack.push_back(child.get());
    }
    m_retiredNodes.push_back(std::move(subtree));
    if (m_hWnd)
        PostMessage(kRetireMessage);
}

void CDHtmlDialog::DestroyRetired()
{
    for (HWND hWnd : m_retiredWindows)
        if (::IsWindow(hWnd))
            ::DestroyWindow(hWnd);
    m_retiredWindows.clear();
    m_retiredNodes.clear();
}

LRESULT CDHtmlDialog::OnRetire(WPARAM, LPARAM)
{
    if (m_dispatchDepth == 0)
        DestroyRetired();
    return 0;
}

void CDHtmlDialog::KeepControlValues()
{
    // The windows go with the dialog: their values stay readable in the page.
    for (const auto& control : m_controls) {
        CHtmlElement* e = control.second;
        if (IsCheckBox(e)) {
            if (::SendMessageA(control.first, BM_GETCHECK, 0, 0) == BST_CHECKED)
                e->SetAttribute("checked", "");
            else
                e->RemoveAttribute("checked");
        } else if (IsEdit(e)) {
            CString text;
            CWnd::FromHandle(control.first)->GetWindowText(text);
            e->SetAttribute("value", text);
        }
        e->m_hWnd = nullptr;
    }
    m_controls.clear();
}

void CDHtmlDialog::OnDestroy()
{
    KeepControlValues();
    DestroyRetired();
    Default();
}

CHtmlElement* CDHtmlDialog::ControlElement(HWND hWnd) const
{
    auto it = m_controls.find(hWnd);
    return it == m_controls.end() ? nullptr : it->second;
}

bool CDHtmlDialog::IsCurrent(const CHtmlElement* e) const
{
    return e && m_root && e->IsWithin(m_root.get());
}

HRESULT CDHtmlDialog::FireEvent(int nEvent, CHtmlElement* pSource, BOOL* pHandled)
{
    if (pHandled)
        *pHandled = FALSE;
    const DHtmlEventMapEntry* map = GetDHtmlEventMap();
    if (!map || !pSource)
        return S_OK;
    for (CHtmlElement* e = pSource; e; e = e->m_pParent) {
        CString id = e->GetId();
        if (id.IsEmpty())
            continue;
        for (const DHtmlEventMapEntry* entry = map; entry->nEvent; ++entry) {
            if (entry->nEvent != nEvent || !entry->szElementId || id != entry->szElementId)
                continue;
            if (pHandled)
                *pHandled = TRUE;
            ++m_dispatchDepth;
            HRESULT hr = (this->*entry->pfnEventFunc)(e);
            if (--m_dispatchDepth == 0 && !m_retiredNodes.empty() && m_hWnd)
                PostMessage(kRetireMessage);
            return hr;
        }
    }
    return S_OK;
}

bool CDHtmlDialog::IsClickable(const CHtmlElement* e) const
{
    const DHtmlEventMapEntry* map = GetDHtmlEventMap();
    for (; e; e = e->m_pParent) {
        if (e->m_tag == "a" && e->HasAttribute("href"))
            return true;
        CString id = e->GetId();
        for (const DHtmlEventMapEntry* entry = map; entry && entry->nEvent; ++entry)
            if (entry->nEvent == DHTMLEVENT_ONCLICK && !id.IsEmpty() && id == entry->szElementId)
                return true;
    }
    return false;
}

void CDHtmlDialog::FollowLink(const CHtmlElement* e)
{
    for (; e; e = e->m_pParent) {
        if (e->m_tag != "a")
            continue;
        CString href = e->GetAttribute("href");
        CString lower = href;
        lower.MakeLower();
        if (lower.Left(7) == "http://" || lower.Left(8) == "https://" || lower.Left(7) == "mailto:")
            ::ShellExecuteA(m_hWnd, "open", href, nullptr, nullptr, SW_SHOWNORMAL);
        return;
    }
}

BOOL CDHtmlDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    CHtmlElement* e = ControlElement(reinterpret_cast<HWND>(lParam));
    if (!e)
        return CDialog::OnCommand(wParam, lParam);
    if (HIWORD(wParam) == BN_CLICKED) {
        BOOL handled = FALSE;
        FireEvent(DHTMLEVENT_ONCLICK, e, &handled);
        if (!handled && m_bFallback && IsCurrent(e) && e->GetId() == kFallbackCloseId) {
            if (IsModal())
                EndDialog(IDCANCEL);
            else
                ShowWindow(SW_HIDE);
        }
    }
    return TRUE;
}

void CDHtmlDialog::OnLButtonUp(UINT, CPoint point)
{
    CHtmlElement* e = m_layout.HitTest(point);
    if (!e)
        return;
    HRESULT hr = FireEvent(DHTMLEVENT_ONCLICK, e);
    if (hr != S_FALSE && IsCurrent(e))
        FollowLink(e);
}

BOOL CDHtmlDialog::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT)
{
    if (pWnd && pWnd->m_hWnd == m_hWnd && nHitTest == HTCLIENT) {
        POINT pt;
        ::GetCursorPos(&pt);
        ScreenToClient(&pt);
        if (IsClickable(m_layout.HitTest(pt))) {
            ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
            return TRUE;
        }
    }
    return static_cast<BOOL>(Default());
}

LRESULT CDHtmlDialog::OnContextMenuMessage(WPARAM, LPARAM lParam)
{
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    POINT client = pt;
    ScreenToClient(&client);
    DWORD kind = kMenuDefault;
    for (const CHtmlElement* e = m_layout.HitTest(client); e; e = e->m_pParent) {
        if (e->m_tag == "a")
            kind = kMenuAnchor;
        else if (e->m_tag == "img" && kind == kMenuDefault)
            kind = kMenuImage;
    }
    ShowContextMenu(kind, &pt, nullptr, nullptr);
    return 0;
}

LRESULT CALLBACK CDHtmlDialog::ControlProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR dwRefData)
{
    auto* self = reinterpret_cast<CDHtmlDialog*>(dwRefData);
    switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP: {
        self->m_bSuppressChar = false;
        CHtmlElement* e = self->ControlElement(hWnd);
        if (e && self->FireEvent(message == WM_KEYDOWN ? DHTMLEVENT_ONKEYDOWN : DHTMLEVENT_ONKEYUP, e) == S_FALSE) {
            // The key is cancelled: so is the character it would type.
            self->m_bSuppressChar = message == WM_KEYDOWN;
            return 0;
        }
        break;
    }
    case WM_CHAR:
        if (self->m_bSuppressChar)
            return 0;
        break;
    case WM_LBUTTONUP:
        if (CHtmlElement* e = self->ControlElement(hWnd)) {
            if (IsEdit(e)) {
                LRESULT result = ::DefSubclassProc(hWnd, message, wParam, lParam);
                self->FireEvent(DHTMLEVENT_ONCLICK, e);
                return result;
            }
        }
        break;
    case WM_CONTEXTMENU: {
        POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (self->ShowContextMenu(kMenuControl, &pt, nullptr, nullptr) == S_OK)
            return 0;
        break;
    }
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(hWnd, &CDHtmlDialog::ControlProc, 1);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(hWnd, message, wParam, lParam);
}

void CDHtmlDialog::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    HBRUSH background = Brush(m_pageBackground);
    ::FillRect(hdc, &ps.rcPaint, background);
    if (m_root)
        m_layout.Paint(hdc, m_hFonts, Renderer(), ps.rcPaint);
    ::EndPaint(m_hWnd, &ps);
}

BOOL CDHtmlDialog::OnEraseBkgnd(CDC*)
{
    return TRUE;  // OnPaint fills the whole page
}

COLORREF CDHtmlDialog::BackgroundOf(const CHtmlElement* e) const
{
    for (; e; e = e->m_pParent)
        if (e->m_background != CLR_INVALID && e->m_tag != "input")
            return e->m_background;
    return m_pageBackground;
}

HBRUSH CDHtmlDialog::Brush(COLORREF color)
{
    auto it = m_brushes.find(color);
    if (it != m_brushes.end())
        return *it->second;
    if (m_brushes.size() >= 64)
        m_brushes.clear();
    auto brush = std::make_unique<CBrush>(color);
    HBRUSH handle = *brush;
    m_brushes[color] = std::move(brush);
    return handle;
}

HBRUSH CDHtmlDialog::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT)
{
    CHtmlElement* e = pWnd ? ControlElement(pWnd->m_hWnd) : nullptr;
    if (!e)
        return reinterpret_cast<HBRUSH>(Default());
    COLORREF background;
    if (IsEdit(e))
        background = e->m_background != CLR_INVALID ? e->m_background
                     : ::IsWindowEnabled(pWnd->m_hWnd) ? ::GetSysColor(COLOR_WINDOW) : ::GetSysColor(COLOR_BTNFACE);
    else
        background = e->m_background != CLR_INVALID ? e->m_background : BackgroundOf(e->m_pParent);
    ::SetTextColor(pDC->m_hDC, e->m_color);
    ::SetBkColor(pDC->m_hDC, background);
    return Brush(background);
}

void CDHtmlDialog::OnSize(UINT, int, int)
{
    Default();
    Relayout();
}

CHtmlElement* CDHtmlDialog::GetElement(LPCSTR szId) const
{
    return m_root ? m_root->FindById(szId) : nullptr;
}

HWND CDHtmlDialog::GetElementHwnd(LPCSTR szId) const
{
    CHtmlElement* e = GetElement(szId);
    return e ? e->m_hWnd : nullptr;
}

BOOL CDHtmlDialog::GetElementRect(LPCSTR szId, RECT* pRect) const
{
    CHtmlElement* e = GetElement(szId);
    return e && m_layout.GetElementRect(e, pRect);
}

CString CDHtmlDialog::GetElementText(LPCSTR szId) const
{
    CHtmlElement* e = GetElement(szId);
    if (!e)
        return CString();
    return e->m_tag == "input" ? GetElementValue(szId) : e->GetInnerText();
}

BOOL CDHtmlDialog::SetElementText(LPCSTR szId, LPCSTR szText)
{
    CHtmlElement* e = GetElement(szId);
    if (!e)
        return FALSE;
    if (e->m_tag == "input")
        return SetElementValue(szId, szText);
    for (auto& child : e->TakeChildren())
        Retire(std::move(child));
    e->Append(std::make_unique<CHtmlElement>("", szText ? szText : ""));
    if (e->m_hWnd)
        ::SetWindowTextA(e->m_hWnd, szText ? szText : "");
    Relayout();
    return TRUE;
}

BOOL CDHtmlDialog::SetElementOuterHtml(LPCSTR szId, LPCSTR szHtml)
{
    CHtmlElement* e = GetElement(szId);
    CHtmlElement* parent = e ? e->m_pParent : nullptr;
    if (!parent)
        return FALSE;
    // The new markup nests no deeper than a page may.
    int depth = 0;
    for (const CHtmlElement* up = parent; up->m_pParent; up = up->m_pParent)
        ++depth;
    CHtmlReader reader;
    std::unique_ptr<CHtmlElement> fragment =
        reader.Read(szHtml, szHtml ? strlen(szHtml) : 0, CHtmlReader::kMaxDepth - depth);
    auto& siblings = parent->m_children;
    size_t index = 0;
    while (index < siblings.size() && siblings[index].get() != e)
        ++index;
    std::unique_ptr<CHtmlElement> old = std::move(siblings[index]);
    siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(index));
    old->m_pParent = nullptr;
    for (auto& child : fragment->TakeChildren()) {
        child->m_pParent = parent;
        CHtmlElement* added = child.get();
        siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(index++), std::move(child));
        Prepare(added);
    }
    Retire(std::move(old));
    Relayout();
    return TRUE;
}

CString CDHtmlDialog::GetElementClassName(LPCSTR szId) const
{
    CHtmlElement* e = GetElement(szId);
    return e ? e->GetAttribute("class") : CString();
}

BOOL CDHtmlDialog::SetElementClassName(LPCSTR szId, LPCSTR szClass)
{
    CHtmlElement* e = GetElement(szId);
    if (!e)
        return FALSE;
    e->SetAttribute("class", szClass ? szClass : "");
    Relayout();
    // Controls take their new colours through WM_CTLCOLOR when they repaint.
    for (const auto& control : m_controls)
        if (control.second->IsWithin(e))
            ::InvalidateRect(control.first, nullptr, TRUE);
    return TRUE;
}

BOOL CDHtmlDialog::GetElementDisabled(LPCSTR szId) const
{
    CHtmlElement* e = GetElement(szId);
    return e && e->HasAttribute("disabled");
}

BOOL CDHtmlDialog::SetElementDisabled(LPCSTR szId, BOOL bDisabled)
{
    CHtmlElement* e = GetElement(szId);
    if (!e)
        return FALSE;
    if (bDisabled)
        e->SetAttribute("disabled", "");
    else
        e->RemoveAttribute("disabled");
    if (e->m_hWnd)
        ::EnableWindow(e->m_hWnd, !bDisabled);
    return TRUE;
}

CString CDHtmlDialog::GetElementValue(LPCSTR szId) const
{
    CHtmlElement* e = GetElement(szId);
    if (!e)
        return CString();
    if (e->m_hWnd && !IsCheckBox(e)) {
        CString text;
        CWnd::FromHandle(e->m_hWnd)->GetWindowText(text);
        return text;
    }
    return e->m_tag == "input" ? e->GetAttribute("value") : e->GetInnerText();
}

BOOL CDHtmlDialog::SetElementValue(LPCSTR szId, LPCSTR szValue)
{
    CHtmlElement* e = GetElement(szId);
    if (!e)
        return FALSE;
    if (e->m_tag != "input" && e->m_tag != "button")
        return SetElementText(szId, szValue);
    e->SetAttribute("value", szValue ? szValue : "");
    if (e->m_hWnd && !IsCheckBox(e))
        ::SetWindowTextA(e->m_hWnd, szValue ? szValue : "");
    return TRUE;
}

BOOL CDHtmlDialog::GetElementChecked(LPCSTR szId, BOOL& bChecked) const
{
    CHtmlElement* e = GetElement(szId);
    if (!e || !IsCheckBox(e))
        return FALSE;
    bChecked = e->m_hWnd ? ::SendMessageA(e->m_hWnd, BM_GETCHECK, 0, 0) == BST_CHECKED : e->HasAttribute("checked");
    return TRUE;
}

BOOL CDHtmlDialog::SetElementChecked(LPCSTR szId, BOOL bChecked)
{
    CHtmlElement* e = GetElement(szId);
    if (!e || !IsCheckBox(e))
        return FALSE;
    if (bChecked)
        e->SetAttribute("checked", "");
    else
        e->RemoveAttribute("checked");
    if (e->m_hWnd)
        ::SendMessageA(e->m_hWnd, BM_SETCHECK, bChecked ? BST_CHECKED : BST_UNCHECKED, 0);
    return TRUE;
}

void DDX_DHtml_ElementValue(CDataExchange* pDX, LPCSTR szId, CString& value)
{
    auto* dialog = dynamic_cast<CDHtmlDialog*>(pDX->m_pDlgWnd);
    if (!dialog || !dialog->GetElement(szId))
        return;
    if (pDX->m_bSaveAndValidate)
        value = dialog->GetElementValue(szId);
    else
        dialog->SetElementValue(szId, value);
}

void DDX_DHtml_CheckBox(CDataExchange* pDX, LPCSTR szId, int& value)
{
    auto* dialog = dynamic_cast<CDHtmlDialog*>(pDX->m_pDlgWnd);
    if (!dialog)
        return;
    BOOL checked = FALSE;
    if (pDX->m_bSaveAndValidate) {
        if (dialog->GetElementChecked(szId, checked))
            value = checked;
    } else {
        dialog->SetElementChecked(szId, value);
    }
}
