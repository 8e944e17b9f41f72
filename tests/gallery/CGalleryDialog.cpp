#include "CGalleryDialog.h"
#include "CHtmlListGallery.h"
#include "CSkinGallery.h"
#include "GalleryLog.h"
#include "GalleryResource.h"

BEGIN_MESSAGE_MAP(CGalleryDialog, CDialog)
    ON_BN_CLICKED(IDC_SWAP, OnSwap)
    ON_WM_DESTROY()
    ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

CGalleryDialog::CGalleryDialog() : CDialog(IDD_GALLERY), m_page(IDD_PAGE)
{
}

void CGalleryDialog::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_ICON_BIG, m_bigIcon);
    DDX_Control(pDX, IDC_ICON_SMALL, m_smallIcon);
    DDX_Control(pDX, IDC_ICON_MISSING, m_missingIcon);
    DDX_Control(pDX, IDC_SWAP, m_swap);
    DDX_Control(pDX, IDCANCEL, m_close);
}

BOOL CGalleryDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_scaler.Apply(AfxGetResourceHandle(), m_hWnd, IDD_GALLERY, 96.0);
    SetWindowPos(nullptr, 560, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

    // The icons at fixed pixel places: 40 by 40 each.
    m_bigIcon.MoveWindow(10, 10, 40, 40);
    m_smallIcon.MoveWindow(60, 10, 40, 40);
    m_missingIcon.MoveWindow(110, 10, 40, 40);
    m_bigIcon.SetBitmap(IDB_BIG);
    m_smallIcon.SetBitmap(IDB_SMALL);
    GalleryLog::Line("missing icon loaded %d", m_missingIcon.SetBitmap(IDB_MISSING));

    m_page.Create(this);
    m_page.MoveWindow(170, 10, 80, 50);
    GalleryLog::Line("page child %d caption %d parent %d", (m_page.GetStyle() & WS_CHILD) != 0,
                     (m_page.GetStyle() & WS_CAPTION) != 0, m_page.GetParent() == this);

    m_shaped.Create(IDD_SHAPED, this);
    CSkinGallery::Open(this);
    CHtmlListGallery::Open(this);
    LogControl("icon big", m_bigIcon);
    LogControl("icon small", m_smallIcon);
    LogControl("icon missing", m_missingIcon);
    LogControl("button swap", m_swap);
    LogControl("button close", m_close);
    return TRUE;
}

void CGalleryDialog::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CDialog::OnShowWindow(bShow, nStatus);
    if (bShow)
        GalleryLog::Line("gallery shown");
}

void CGalleryDialog::LogControl(const char* name, CWnd& control)
{
    CRect rect;
    control.GetWindowRect(&rect);
    GalleryLog::Line("%s %ld %ld %ld %ld", name, rect.left, rect.top, rect.right, rect.bottom);
}

void CGalleryDialog::OnSwap()
{
    m_bigIcon.FreeBitmap();
    m_bigIcon.SetBitmap(IDB_SWAP);
    GalleryLog::Line("swapped");
}

void CGalleryDialog::OnDestroy()
{
    GalleryLog::Line("gallery closing");
    CDialog::OnDestroy();
}
