#include "CAbout.h"
#include "CRegistryCleanerApp.h"
#include "PageLayout.h"

IMPLEMENT_DYNCREATE(CAbout)

BEGIN_MESSAGE_MAP(CAbout, CPropertyPage)
    ON_WM_CTLCOLOR()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CAbout::CAbout() : CPropertyPage(IDD_ABOUT) {}

CAbout::~CAbout()
{
    if (m_whiteBrush)
        ::DeleteObject(m_whiteBrush);
}

BOOL CAbout::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    ApplyPageLayout(m_fontScaler, m_hWnd, IDD_ABOUT);
    m_background.LoadBitmap(IDB_BG_ABOUT);
    m_whiteBrush = ::CreateSolidBrush(RGB(255, 255, 255));
    m_heading.SubclassDlgItem(IDC_ABOUT_HEADING, this);
    m_version.SubclassDlgItem(IDC_ABOUT_VERSION, this);

    const COLORREF white = RGB(255, 255, 255);
    CString heading;
    heading.LoadString(IDS_ABOUT_HEADING);
    m_heading.SetLabelStyle(TRUE, "Arial", 15, white, white);
    ShowLabelText(m_heading, heading);

    // The pattern is the program's own: the version, a line break, the notice.
    CString pattern;
    pattern.LoadString(IDS_ABOUT_VERSION);
    CString version;
    version.Format(pattern, static_cast<LPCSTR>(g_productVersion));
    m_version.SetLabelStyle(TRUE, "Arial", 10, RGB(0, 109, 161), white);
    ShowLabelText(m_version, version);
    return TRUE;
}

HBRUSH CAbout::OnCtlColor(CDC* pDC, CWnd*, UINT)
{
    pDC->SetBkMode(TRANSPARENT);
    return m_whiteBrush;
}

BOOL CAbout::OnEraseBkgnd(CDC* pDC)
{
    return PaintPageBackground(pDC, m_background);
}
