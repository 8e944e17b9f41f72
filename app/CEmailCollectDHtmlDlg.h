#pragma once
#include "CDHtmlDialog.h"

class CAppConfig;

// The e-mail sign-up dialog: shows "email.htm" from the program's folder,
// validates the form as the user types, blocks Ctrl+V in the two e-mail
// fields and posts the form to our web host. The main window runs it modally
// and then stores ShouldPromptAgain in "PromptForEmail".
class CEmailCollectDHtmlDlg : public CDHtmlDialog {
public:
    // Our web host, for the post and the privacy redirect.
    static const char kWebHost[];
    // Set only by tests: the host (with ":port" if need be) to use instead.
    static const char kWebHostSwitch[];
    static const char kFormPath[];
    static const char kPageName[];
    static const char kFailureText[];
    // The bound of each connect, send and receive.
    static const DWORD kNetworkTimeoutMs = 5000;

    explicit CEmailCollectDHtmlDlg(const CAppConfig& config, CWnd* pParent = nullptr);

    // TRUE unless "do not show again" was ticked or the form was accepted.
    BOOL ShouldPromptAgain() const;
    BOOL WasSubmitted() const { return m_submitted != 0; }

    // The form text of the members: every value URL-encoded, the fields in
    // the server's order (pid, lid, cpid, uid, fname, lname, email, subscribe).
    CString BuildFormText() const;
    // The privacy redirect address of our web host.
    CString BuildPrivacyUrl() const;
    // application/x-www-form-urlencoded: blanks become "+", all but letters,
    // digits and "*-._" become %XX.
    static CString UrlEncode(LPCSTR pszValue);
    // Our web host, or the one a test names.
    static CString GetWebHost();
    // Posts the form to http://host/path (host may carry ":port"). On status
    // 200 response holds the body, byte for byte; otherwise it stays empty.
    static void PostForm(LPCSTR pszHost, LPCSTR pszPath, const CString& form, CString& response);
    // The server's "ok", in any case, with white space around it.
    static BOOL IsAcceptedResponse(const CString& response);

    BOOL OnInitDialog() override;
    void OnDocumentComplete(LPCSTR szUrl) override;
    HRESULT ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved, IDispatch* pdispReserved) override;

    CString m_firstName;
    CString m_lastName;
    CString m_emailAddress;
    CString m_confirmEmail;
    int m_keepUpdated = TRUE;
    int m_noShow = FALSE;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // Esc and the close box both end here: the fields are read first, so a
    // ticked "do not show again" counts.
    void OnCancel() override;
    afx_msg void OnClose();

    HRESULT OnFieldKeyUp(CHtmlElement* pElement);
    HRESULT OnSubmit(CHtmlElement* pElement);
    // S_FALSE (the key does nothing) while Ctrl and V are down.
    HRESULT OnEmailKeyDown(CHtmlElement* pElement);

private:
    const CAppConfig& m_config;
    BYTE m_submitted = 0;
    BYTE m_allValid = 0;

    DECLARE_DHTML_EVENT_MAP()
    DECLARE_MESSAGE_MAP()
};
