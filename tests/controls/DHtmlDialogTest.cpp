#include <gtest/gtest.h>
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "CDHtmlDialog.h"
#include "ByteMutator.h"
#include "DrawHTML.h"
#include "ControlsTestSupport.h"

namespace {

using controlstest::ScreenPixels;
using controlstest::Settle;

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kNavy = RGB(0, 0, 128);

const char kPage[] =
    "<html><head><style>body{background-color:#ffffff} .red{color:#ff0000}"
    " .valid{background-color:#00ff00} .invalid{background-color:#ff0000;color:#ffffff}</style>"
    "<script>document.write('<p id=\"scripted\">x</p>')</script></head><body>"
    "<h1>Title</h1><p>Errors: <span id=\"idErrors\" class=\"red\"></span></p>"
    "<p>Name <input type=\"text\" id=\"txt_name\" size=12> Mail <input type=text id=\"txt_email\" size=12></p>"
    "<p><input type=\"checkbox\" id=\"chk_keep\"> Keep me updated</p>"
    "<p><span id=\"lnk_privacy\">privacy</span> <a id=\"lnk\" href=\"http://example.invalid/\">a link</a></p>"
    "<p><img id=\"pic\" src=\"pic.bmp\"> <button id=\"btn_submit\">Submit</button></p></body></html>";

// A page dialog that counts what its page reports.
class PageDialog : public CDHtmlDialog {
public:
    int submits = 0, linkClicks = 0, keyUps = 0, blockedKeys = 0, completes = 0;
    CString completedUrl;
    CString name = "Ann";
    BOOL keep = TRUE;
    std::vector<DWORD> menus;

    HRESULT OnSubmit(CHtmlElement*) { ++submits; return S_OK; }
    HRESULT OnLink(CHtmlElement*) { ++linkClicks; return S_FALSE; }  // not followed
    HRESULT OnNameKeyUp(CHtmlElement*) { ++keyUps; return S_OK; }
    HRESULT OnEmailKeyDown(CHtmlElement*)
    {
        if (GetKeyState(VK_CONTROL) < 0 && GetKeyState('V') < 0) {
            ++blockedKeys;
            return S_FALSE;
        }
        return S_OK;
    }
    void OnDocumentComplete(LPCSTR szUrl) override
    {
        ++completes;
        completedUrl = szUrl;
    }
    HRESULT ShowContextMenu(DWORD dwID, POINT*, IUnknown*, IDispatch*) override
    {
        menus.push_back(dwID);
        return S_OK;
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_DHtml_ElementValue(pDX, "txt_name", name);
        DDX_DHtml_CheckBox(pDX, "chk_keep", keep);
    }
    DECLARE_DHTML_EVENT_MAP()
};

BEGIN_DHTML_EVENT_MAP(PageDialog)
    DHTML_EVENT_ONCLICK("btn_submit", OnSubmit)
    DHTML_EVENT_ONCLICK("lnk", OnLink)
    DHTML_EVENT_ONKEYUP("txt_name", OnNameKeyUp)
    DHTML_EVENT_ONKEYDOWN("txt_email", OnEmailKeyDown)
END_DHTML_EVENT_MAP()

// The page and its picture in a folder of the test's own, and the dialog on screen.
class DHtmlDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CDHtmlDialog::SetTextRenderer(&DrawHTML);
        testsupport::WriteFileBytes(m_dir.File("page.htm"), kPage);
        testsupport::WriteFileBytes(m_dir.File("pic.bmp"), classlibtest::MakeBmpFile(24, 12, [](int, int) { return kNavy; }));
        ASSERT_TRUE(m_dialog.CreateIndirect(m_template.Get()));
        m_dialog.SetWindowPos(HWND_TOPMOST, 10, 10, 480, 360, SWP_SHOWWINDOW);
    }
    void TearDown() override { CDHtmlDialog::SetTextRenderer(nullptr); }

    std::string Page() const { return m_dir.File("page.htm"); }
    RECT Rect(LPCSTR id)
    {
        RECT r = {0, 0, 0, 0};
        EXPECT_TRUE(m_dialog.GetElementRect(id, &r)) << id;
        return r;
    }
    CString Text(LPCSTR id) { return m_dialog.GetElementValue(id); }

    controlstest::ScreenLock m_screen;
    testsupport::TempDir m_dir;
    classlibtest::DialogTemplate m_template{WS_POPUP | WS_VISIBLE, 0, 0, 240, 180};
    PageDialog m_dialog;
};

// Starts xdotool (a Linux program: Wine gives no handle to wait on) with the arguments.
void Xdotool(const std::string& arguments)
{
    std::string command = "Z:\\usr\\bin\\xdotool " + arguments;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    if (pi.hProcess)
        CloseHandle(pi.hProcess);
    if (pi.hThread)
        CloseHandle(pi.hThread);
}

// Clicks the middle of a client rectangle of hWnd. xdotool runs on its own, so a
// caller waits for what the click does before it starts the next xdotool; the
// pointer is seen at the point before the button goes down.
void ClickAt(HWND hWnd, const RECT& client)
{
    POINT p = {(client.left + client.right) / 2, (client.top + client.bottom) / 2};
    ClientToScreen(hWnd, &p);
    Xdotool("mousemove " + std::to_string(p.x) + " " + std::to_string(p.y));
    EXPECT_TRUE(classlibtest::PumpUntil([&] {
        POINT at = {};
        return GetCursorPos(&at) && at.x == p.x && at.y == p.y;
    }));
    Xdotool("click 1");
}

// Repaints hWnd until the screen shows what shows() asks for (the display is
// shared with other test programs, so the first read may come before the paint).
bool ShowsSoon(HWND hWnd, const std::function<bool(const ScreenPixels&)>& shows)
{
    return classlibtest::PumpUntil([&] {
        Settle(hWnd);
        ScreenPixels screen(hWnd);
        return shows(screen);
    });
}

TEST_F(DHtmlDialogTest, ElementsByIdShowWhatIsSet)
{
    ASSERT_TRUE(m_dialog.Navigate(Page().c_str()));
    EXPECT_EQ(m_dialog.completes, 1);
    EXPECT_STREQ(m_dialog.completedUrl, Page().c_str());
    for (LPCSTR id : {"idErrors", "txt_name", "txt_email", "chk_keep", "lnk_privacy", "lnk", "pic", "btn_submit"})
        EXPECT_NE(m_dialog.GetElement(id), nullptr) << id;
    EXPECT_EQ(m_dialog.GetElement("scripted"), nullptr);
    // The members reached the page before the document was complete.
    EXPECT_STREQ(Text("txt_name"), "Ann");
    BOOL checked = FALSE;
    EXPECT_TRUE(m_dialog.GetElementChecked("chk_keep", checked) && checked);
    const RECT pic = Rect("pic"), submit = Rect("btn_submit");
    EXPECT_TRUE(ShowsSoon(m_dialog, [&](const ScreenPixels& screen) {
        return screen.Count(pic, kNavy) == 24 * 12 && screen.Count(submit, RGB(255, 255, 255), false) > 0;
    }));

    RECT errors = {};
    EXPECT_FALSE(m_dialog.GetElementRect("idErrors", &errors));  // empty: nothing shown
    ASSERT_TRUE(m_dialog.SetElementText("idErrors", "WWWW 4"));
    EXPECT_STREQ(m_dialog.GetElementText("idErrors"), "WWWW 4");
    ASSERT_TRUE(m_dialog.SetElementOuterHtml(
        "lnk_privacy", "<a tabindex=8 id=\"lnk_privacy\" target=\"_blank\" href=\"http://x/\">Privacy Guidelines</a>"));
    EXPECT_STREQ(m_dialog.GetElement("lnk_privacy")->GetTagName(), "a");
    EXPECT_STREQ(m_dialog.GetElementText("lnk_privacy"), "Privacy Guidelines");
    EXPECT_TRUE(m_dialog.SetElementClassName("txt_name", "invalid"));
    EXPECT_TRUE(m_dialog.SetElementClassName("txt_email", "valid"));
    EXPECT_STREQ(m_dialog.GetElementClassName("txt_email"), "valid");
    EXPECT_TRUE(m_dialog.SetElementDisabled("btn_submit", TRUE));
    EXPECT_FALSE(IsWindowEnabled(m_dialog.GetElementHwnd("btn_submit")));
    EXPECT_FALSE(m_dialog.SetElementText("noSuchId", "x"));
    const RECT errorsShown = Rect("idErrors"), privacy = Rect("lnk_privacy");
    EXPECT_TRUE(ShowsSoon(m_dialog, [&](const ScreenPixels& screen) {
        return screen.Count(errorsShown, kRed) > 20 && screen.Count(privacy, RGB(0, 0, 255)) > 20;
    }));
    // (The fields' class colours on screen are the sign-up dialog's window check.)

    SetWindowTextA(m_dialog.GetElementHwnd("txt_name"), "Bob");
    SendMessageA(m_dialog.GetElementHwnd("chk_keep"), BM_SETCHECK, BST_UNCHECKED, 0);
    ASSERT_TRUE(m_dialog.UpdateData(TRUE));
    EXPECT_STREQ(m_dialog.name, "Bob");
    EXPECT_FALSE(m_dialog.keep);

    SendMessageA(m_dialog.GetElementHwnd("txt_email"), WM_CONTEXTMENU, 0, MAKELPARAM(20, 20));
    RECT link = Rect("lnk");
    POINT onLink = {link.left + 2, link.top + 2};
    ClientToScreen(m_dialog, &onLink);
    SendMessageA(m_dialog, WM_CONTEXTMENU, 0, MAKELPARAM(onLink.x, onLink.y));
    EXPECT_EQ(m_dialog.menus, (std::vector<DWORD>{CDHtmlDialog::kMenuControl, CDHtmlDialog::kMenuAnchor}));
}

TEST_F(DHtmlDialogTest, EventMapGetsClicksAndKeysAndCancelsPaste)
{
    ASSERT_TRUE(m_dialog.Navigate(Page().c_str()));
    Settle(m_dialog);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 6);
    memcpy(GlobalLock(text), "PASTE", 6);
    GlobalUnlock(text);
    SetClipboardData(CF_TEXT, text);
    CloseClipboard();

    ClickAt(m_dialog, Rect("btn_submit"));
    EXPECT_TRUE(classlibtest::PumpUntil([&] { return m_dialog.submits == 1; }));
    ClickAt(m_dialog, Rect("lnk"));
    EXPECT_TRUE(classlibtest::PumpUntil([&] { return m_dialog.linkClicks == 1; }));

    // Ctrl+V in the mail field is cancelled by its key-down handler; in the name field it pastes.
    // Each click must have put the focus in its field before the keys start: the
    // two xdotool runs are not ordered otherwise.
    HWND email = m_dialog.GetElementHwnd("txt_email"), name = m_dialog.GetElementHwnd("txt_name");
    ClickAt(m_dialog, Rect("txt_email"));
    ASSERT_TRUE(classlibtest::PumpUntil([&] { return GetFocus() == email; }));
    Xdotool("key ctrl+v key x");
    EXPECT_TRUE(classlibtest::PumpUntil([&] { return Text("txt_email").Find('x') >= 0; }));
    EXPECT_STREQ(Text("txt_email"), "x");
    EXPECT_GE(m_dialog.blockedKeys, 1);
    ClickAt(m_dialog, Rect("txt_name"));
    ASSERT_TRUE(classlibtest::PumpUntil([&] { return GetFocus() == name; }));
    Xdotool("key End ctrl+v key y");
    EXPECT_TRUE(classlibtest::PumpUntil([&] { return Text("txt_name").Find('y') >= 0 && m_dialog.keyUps >= 3; }));
    EXPECT_STREQ(Text("txt_name"), "AnnPASTEy");
    EXPECT_EQ(m_dialog.submits, 1);
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

// A modal dialog on a missing page can still be closed.
class ModalPage : public CDHtmlDialog {
public:
    std::string url;
    BOOL OnInitDialog() override
    {
        CDHtmlDialog::OnInitDialog();
        Navigate(url.c_str());
        ::PostMessageA(GetElementHwnd(kFallbackCloseId), BM_CLICK, 0, 0);
        return TRUE;
    }
};

TEST_F(DHtmlDialogTest, MalformedPagesLoadAndAModalFallbackCloses)
{
    std::string nested;
    for (int i = 0; i < 10000; ++i)
        nested += i % 2 ? "<span>" : "<div class=red>";
    const std::string pages[] = {
        nested + "deep",
        "<p><b><i>unclosed <input type=text value=\"" + std::string(200000, 'v') + "\" id=big><a href=\"" +
            std::string(100000, 'h'),
        [] { std::string s; for (int i = 0; i < 2000; ++i) s += "<input type=checkbox><img src=pic.bmp>"; return s; }(),
        std::string("<p>\0\xff<\x01>", 7) + "</p></p></div><style>{{{;color:</style><br/><br><<>>",
    };
    for (const std::string& page : pages) {
        testsupport::WriteFileBytes(m_dir.File("bad.htm"), page);
        EXPECT_TRUE(m_dialog.Navigate(m_dir.File("bad.htm").c_str()));
        Settle(m_dialog);
        EXPECT_TRUE(m_dialog.IsWindow());
    }
    EXPECT_EQ(m_dialog.GetElementHwnd("big"), nullptr);  // the previous page's control went with it
    testsupport::ByteMutator mutator(28u, 8, 40, true);
    for (int i = 0; i < 300; ++i) {
        std::string page = kPage;
        mutator.Mutate(page);
        testsupport::WriteFileBytes(m_dir.File("bad.htm"), page);
        m_dialog.Navigate(m_dir.File("bad.htm").c_str());
        m_dialog.SetElementText("idErrors", "1");
        m_dialog.SetElementOuterHtml("lnk_privacy", "<a id=lnk_privacy href=x>y</a>");
        Settle(m_dialog);
    }

    ModalPage modal;
    modal.url = m_dir.File("none.htm");
    modal.InitModalIndirect(m_template.Get());
    EXPECT_EQ(modal.DoModal(), IDCANCEL);
}

}  // namespace
