#include "CSkinGallery.h"
#include "../classlib/ClasslibTestSupport.h"
#include "GalleryLog.h"
#include "GalleryResource.h"

namespace {

enum {
    IDC_SKIN_HOVER = 400,
    IDC_SKIN_WIDE,
    IDC_SKIN_SHORTEN,
    IDC_SKIN_FACES,
    IDC_SKIN_HOLD,
    IDC_SKIN_RELEASE,
};

// The window's own background, which a transparent label lets through.
const COLORREF kBackground = RGB(255, 240, 200);
// The hover label's text colour while the mouse is on it.
const COLORREF kLit = RGB(220, 0, 0);

}  // namespace

BEGIN_MESSAGE_MAP(CSkinGallery, CDialog)
    ON_WM_ERASEBKGND()
    ON_BN_CLICKED(IDC_SKIN_SHORTEN, OnShorten)
    ON_BN_CLICKED(IDC_SKIN_FACES, OnFaces)
    ON_BN_CLICKED(IDC_SKIN_HOLD, OnHold)
    ON_BN_CLICKED(IDC_SKIN_RELEASE, OnRelease)
END_MESSAGE_MAP()

void CSkinGallery::Open(CWnd* owner)
{
    static CSkinGallery window;
    classlibtest::DialogTemplate t(WS_POPUP | WS_BORDER, 0, 0, 280, 140);
    t.Add("STATIC", "Hover over me", IDC_SKIN_HOVER, SS_LEFT | SS_NOTIFY, 0, 0, 10, 10)
        .Add("STATIC", "WWWWWWWWWWWWWWWWWWWW", IDC_SKIN_WIDE, SS_LEFT, 0, 0, 10, 10)
        .Add("BUTTON", "Shorten", IDC_SKIN_SHORTEN, BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 10, 10)
        .Add("BUTTON", "Faces", IDC_SKIN_FACES, BS_PUSHBUTTON, 0, 0, 10, 10)
        .Add("BUTTON", "Hold", IDC_SKIN_HOLD, BS_PUSHBUTTON, 0, 0, 10, 10)
        .Add("BUTTON", "Release", IDC_SKIN_RELEASE, BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 10, 10);
    if (!window.CreateIndirect(t.Get(), owner))
        GalleryLog::Line("skin window failed");
}

BOOL CSkinGallery::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_hover.SubclassDlgItem(IDC_SKIN_HOVER, this);
    m_wide.SubclassDlgItem(IDC_SKIN_WIDE, this);
    m_faces.SubclassDlgItem(IDC_SKIN_FACES, this);
    m_hold.SubclassDlgItem(IDC_SKIN_HOLD, this);

    // Pixel places, below the gallery's own windows.
    SetWindowPos(nullptr, 40, 290, 420, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    m_hover.MoveWindow(10, 10, 200, 24);
    m_wide.MoveWindow(10, 45, 400, 30);
    GetDlgItem(IDC_SKIN_SHORTEN)->MoveWindow(10, 85, 80, 24);
    m_faces.MoveWindow(10, 130, 120, 16);
    m_hold.MoveWindow(150, 130, 120, 16);
    GetDlgItem(IDC_SKIN_RELEASE)->MoveWindow(290, 126, 80, 24);

    m_hover.SetLabelStyle(FALSE, "Arial", 12, RGB(0, 0, 0), RGB(223, 238, 248));
    m_wide.SetLabelStyle(TRUE, "Arial", 15, RGB(0, 0, 0), RGB(223, 238, 248));
    m_wide.SetFontBold(TRUE);
    // Blue normal, green hot and red pressed faces.
    m_faces.SetBitmaps(IDB_SMALL, IDB_SWAP, IDB_BIG, TRUE);
    m_hold.SetBitmaps(IDB_SMALL, IDB_SWAP, IDB_BIG, TRUE);

    ShowWindow(SW_SHOWNOACTIVATE);
    LogRect("skin label hover", m_hover);
    LogRect("skin label wide", m_wide);
    LogRect("skin button shorten", *GetDlgItem(IDC_SKIN_SHORTEN));
    LogRect("skin button faces", m_faces);
    LogRect("skin button hold", m_hold);
    LogRect("skin button release", *GetDlgItem(IDC_SKIN_RELEASE));
    GalleryLog::Line("skin ready");
    return TRUE;
}

void CSkinGallery::LogRect(const char* name, CWnd& control)
{
    CRect rect;
    control.GetWindowRect(&rect);
    GalleryLog::Line("%s %ld %ld %ld %ld", name, rect.left, rect.top, rect.right, rect.bottom);
}

BOOL CSkinGallery::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lParam);
    if (hdr->idFrom == IDC_SKIN_HOVER) {
        GalleryLog::Line("skin notify 0x%X", hdr->code);
        // As the pages do: the label is lit while the mouse is on it.
        if (hdr->code == CLabel::LabelEntered)
            m_hover.SetTextColor(kLit);
        else if (hdr->code == CLabel::LabelLeft)
            m_hover.SetTextColor(RGB(0, 0, 0));
        *pResult = 0;
        return TRUE;
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
}

BOOL CSkinGallery::OnEraseBkgnd(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    pDC->FillSolidRect(&client, kBackground);
    return TRUE;
}

void CSkinGallery::OnShorten()
{
    m_wide.SetText("W");
    GalleryLog::Line("skin shortened");
}

void CSkinGallery::OnFaces()
{
    GalleryLog::Line("skin faces clicked");
}

void CSkinGallery::OnHold()
{
    m_hold.SetSticky(TRUE);
    GalleryLog::Line("skin hold %d", m_hold.IsSticky());
}

void CSkinGallery::OnRelease()
{
    m_hold.SetSticky(FALSE);
    GalleryLog::Line("skin hold %d", m_hold.IsSticky());
}
