#include "CEmailCollectDHtmlDlg.h"
#include <wininet.h>
#include <cstdlib>
#include "CAppConfig.h"
#include "CCleanSweep.h"
#include "CInternetHandle.h"
#include "CRegistryCleanerApp.h"
#include "LogText.h"
#include "RegistrySettings.h"
#include "StartupRules.h"
#include "SystemUtils.h"
#include "resource.h"

const char CEmailCollectDHtmlDlg::kWebHost[] = "www.keldrix.example";
const char CEmailCollectDHtmlDlg::kWebHostSwitch[] = "KELDRIX_TEST_WEB_HOST";
const char CEmailCollectDHtmlDlg::kFormPath[] = "email/fromapp/";
const char CEmailCollectDHtmlDlg::kPageName[] = "email.htm";
const char CEmailCollectDHtmlDlg::kFailureText[] =
    "We were unable to submit your request at this time.  Please try again later.";

namespace {

const char kAgent[] = "QW Tolvane 1.0";
const char kContentType[] = "Content-Type:application/x-www-form-urlencoded";
const char kPrivacyQuery[] = "/redirect/?aid=10&lid=%s&pid=%s&cpid=%s&vid=%s&uid=%s";
const char kFirstName[] = "txt_firstname";
const char kLastName[] = "txt_lastname";
const char kEmail[] = "txt_emailaddress";
const char kConfirm[] = "txt_confirmemail";
const char kSubmit[] = "btn_submit";
const DWORD kChunkBytes = 2048;
// An answer is a word; a longer body is not read past this.
const DWORD kMaxResponseBytes = 64 * 1024;

// "AffiliateID" directly under HKEY_CURRENT_USER\SOFTWARE; "0" when absent.
CString AffiliateId()
{
    CString uid = GetUserSettingString("", SETTING_AFFILIATEID);
    return uid.IsEmpty() ? CString("0") : uid;
}

CString ProductIdText()
{
    CString pid;
    pid.Format("%d", CRegistryCleanerApp::kProductId);
    return pid;
}

bool IsFormSafe(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '*' || c == '-' ||
           c == '.' || c == '_';
}

}  // namespace

BEGIN_MESSAGE_MAP(CEmailCollectDHtmlDlg, CDHtmlDialog)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

BEGIN_DHTML_EVENT_MAP(CEmailCollectDHtmlDlg)
    DHTML_EVENT_ONKEYUP(kFirstName, OnFieldKeyUp)
    DHTML_EVENT_ONKEYUP(kLastName, OnFieldKeyUp)
    DHTML_EVENT_ONKEYUP(kEmail, OnFieldKeyUp)
    DHTML_EVENT_ONKEYUP(kConfirm, OnFieldKeyUp)
    DHTML_EVENT_ONCLICK(kSubmit, OnSubmit)
    DHTML_EVENT_ONKEYDOWN(kEmail, OnEmailKeyDown)
    DHTML_EVENT_ONKEYDOWN(kConfirm, OnEmailKeyDown)
END_DHTML_EVENT_MAP()

CEmailCollectDHtmlDlg::CEmailCollectDHtmlDlg(const CAppConfig& config, CWnd* pParent)
    : CDHtmlDialog(IDD_EMAIL_SIGNUP, pParent), m_config(config)
{
}

BOOL CEmailCollectDHtmlDlg::ShouldPromptAgain() const
{
    return !m_noShow && !m_submitted;
}

void CEmailCollectDHtmlDlg::DoDataExchange(CDataExchange* pDX)
{
    CDHtmlDialog::DoDataExchange(pDX);
    DDX_DHtml_ElementValue(pDX, kFirstName, m_firstName);
    DDX_DHtml_ElementValue(pDX, kLastName, m_lastName);
    DDX_DHtml_ElementValue(pDX, kEmail, m_emailAddress);
    DDX_DHtml_ElementValue(pDX, kConfirm, m_confirmEmail);
    DDX_DHtml_CheckBox(pDX, "chk_keepupdated", m_keepUpdated);
    DDX_DHtml_CheckBox(pDX, "chk_noshow", m_noShow);
}

BOOL CEmailCollectDHtmlDlg::OnInitDialog()
{
    CDHtmlDialog::OnInitDialog();
    CString page;
    page.Format("%s%s", (LPCSTR)CCleanSweep::GetProgramFolder(), kPageName);
    Navigate(page);
    return TRUE;
}

CString CEmailCollectDHtmlDlg::BuildPrivacyUrl() const
{
    CString query;
    query.Format(kPrivacyQuery, (LPCSTR)UrlEncode(m_config.m_langId), (LPCSTR)ProductIdText(),
                 (LPCSTR)UrlEncode(m_config.m_cpId), (LPCSTR)UrlEncode(m_config.m_vendId),
                 (LPCSTR)UrlEncode(AffiliateId()));
    return CString("http://") + GetWebHost() + query;
}

void CEmailCollectDHtmlDlg::OnDocumentComplete(LPCSTR szUrl)
{
    CDHtmlDialog::OnDocumentComplete(szUrl);
    CString url = BuildPrivacyUrl();
    EscapeXml(url);
    CString anchor;
    anchor.Format("<a tabindex=\"8\" id=\"lnk_privacy\" target=\"_blank\" href=\"%s\">Privacy Guidelines</a>",
                  (LPCSTR)url);
    SetElementOuterHtml("lnk_privacy", anchor);
    SetElementDisabled(kSubmit, TRUE);
}

HRESULT CEmailCollectDHtmlDlg::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*)
{
    return S_OK;
}

HRESULT CEmailCollectDHtmlDlg::OnFieldKeyUp(CHtmlElement*)
{
    UpdateData(TRUE);
    const bool first = !m_firstName.IsEmpty();
    const bool last = !m_lastName.IsEmpty();
    const bool email = !m_emailAddress.IsEmpty() && IsValidEmailAddress(m_emailAddress);
    const bool confirm =
        !m_confirmEmail.IsEmpty() && IsValidEmailAddress(m_confirmEmail) && m_confirmEmail == m_emailAddress;
    const struct {
        LPCSTR id;
        bool valid;
    } fields[] = {{kFirstName, first}, {kLastName, last}, {kEmail, email}, {kConfirm, confirm}};
    for (const auto& field : fields)
        SetElementClassName(field.id, field.valid ? "valid" : "invalid");
    m_allValid = first && last && email && confirm;
    SetElementDisabled(kSubmit, !m_allValid);
    return S_OK;
}

HRESULT CEmailCollectDHtmlDlg::OnEmailKeyDown(CHtmlElement*)
{
    return GetKeyState(VK_CONTROL) < 0 && GetKeyState('V') < 0 ? S_FALSE : S_OK;
}

CString CEmailCollectDHtmlDlg::UrlEncode(LPCSTR pszValue)
{
    static const char kHex[] = "0123456789ABCDEF";
    CString encoded;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(pszValue); *p; ++p) {
        if (IsFormSafe(*p)) {
            encoded += static_cast<char>(*p);
        } else if (*p == ' ') {
            encoded += '+';
        } else {
            encoded += '%';
            encoded += kHex[*p >> 4];
            encoded += kHex[*p & 0x0F];
        }
    }
    return encoded;
}

CString CEmailCollectDHtmlDlg::BuildFormText() const
{
    const struct {
        LPCSTR name;
        CString value;
    } fields[] = {{"pid", ProductIdText()},
                  {"lid", m_config.m_langId},
                  {"cpid", m_config.m_cpId},
                  {"uid", AffiliateId()},
                  {"fname", m_firstName},
                  {"lname", m_lastName},
                  {"email", m_emailAddress},
                  {"subscribe", m_keepUpdated ? "on" : "off"}};
    CString form;
    for (const auto& field : fields) {
        if (!form.IsEmpty())
            form += '&';
        form += field.name;
        form += '=';
        form += UrlEncode(field.value);
    }
    return form;
}

CString CEmailCollectDHtmlDlg::GetWebHost()
{
    CString testHost = GetEnvironmentText(kWebHostSwitch);
    return testHost.IsEmpty() ? CString(kWebHost) : testHost;
}

void CEmailCollectDHtmlDlg::PostForm(LPCSTR pszHost, LPCSTR pszPath, const CString& form, CString& response)
{
    response.Empty();
    CString host = pszHost;
    INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
    int colon = host.Find(':');
    if (colon >= 0) {
        port = static_cast<INTERNET_PORT>(atoi(host.Mid(colon + 1)));
        host = host.Left(colon);
    }
    CInternetHandle session(InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr,
                                          INTERNET_FLAG_NO_CACHE_WRITE));
    if (!session.IsValid())
        return;
    session.SetTimeouts(kNetworkTimeoutMs);
    CInternetHandle connection(
        InternetConnectA(session, host, port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0x00200000, 0));
    if (!connection.IsValid())
        return;
    connection.SetTimeouts(kNetworkTimeoutMs);
    CInternetHandle request(HttpOpenRequestA(connection, "POST", pszPath, nullptr, nullptr, nullptr,
                                             INTERNET_FLAG_RELOAD | INTERNET_FLAG_EXISTING_CONNECT |
                                                 INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION,
                                             0));
    if (!request.IsValid())
        return;
    request.SetTimeouts(kNetworkTimeoutMs);
    HttpAddRequestHeadersA(request, kContentType, sizeof kContentType - 1, HTTP_ADDREQ_FLAG_ADD);
    CString body = form;
    if (!HttpSendRequestA(request, nullptr, 0, const_cast<LPSTR>(static_cast<LPCSTR>(body)), body.GetLength()))
        return;
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) ||
        status != 200)
        return;
    char chunk[kChunkBytes];
    DWORD read = 0;
    while (static_cast<DWORD>(response.GetLength()) < kMaxResponseBytes &&
           InternetReadFile(request, chunk, sizeof chunk, &read) && read > 0)
        response.Append(chunk, static_cast<int>(read));
    // The handles close in the order request, connection, session.
}

BOOL CEmailCollectDHtmlDlg::IsAcceptedResponse(const CString& response)
{
    CString answer = response;
    answer.Trim();
    return answer.CompareNoCase("ok") == 0;
}

HRESULT CEmailCollectDHtmlDlg::OnSubmit(CHtmlElement*)
{
    UpdateData(TRUE);
    CString response;
    ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    PostForm(GetWebHost(), kFormPath, BuildFormText(), response);
    if (IsAcceptedResponse(response)) {
        m_submitted = 1;
        EndDialog(IDOK);
        return S_OK;
    }
    CString caption;
    GetWindowText(caption);
    MessageBox(kFailureText, caption, MB_ICONHAND);
    return S_OK;
}

void CEmailCollectDHtmlDlg::OnCancel()
{
    UpdateData(TRUE);
    CDHtmlDialog::OnCancel();
}

void CEmailCollectDHtmlDlg::OnClose()
{
    UpdateData(TRUE);
    Default();
}
