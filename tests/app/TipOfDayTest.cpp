// The tip of the day on the shipped tip pages, run modally and driven from
// inside its loop; and the e-mail page's fields as the HTML dialog finds them.
#include <gtest/gtest.h>
#include <functional>
#include "CAppConfig.h"
#include "CCleanSweep.h"
#include "CTipOfDayDlg.h"
#include "DrawHTML.h"
#include "TestSupport.h"
#include "resource.h"

namespace {

std::function<void()> g_script;

// Runs the script once the dialog's loop handles messages.
void CALLBACK RunScript(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    std::function<void()> script = std::move(g_script);
    if (script)
        script();
}

class TipOfDayTest : public ::testing::Test {
protected:
    void SetUp() override { CDHtmlDialog::SetTextRenderer(&DrawHTML); }
    void TearDown() override
    {
        CDHtmlDialog::SetTextRenderer(nullptr);
        g_appConfig.m_tipIndex = m_savedTip;
        g_appConfig.m_showTip = m_savedShowTip;
    }

    // Runs the dialog with the script; its result.
    INT_PTR Run(CTipOfDayDlg& dialog, std::function<void()> script)
    {
        g_script = std::move(script);
        ::SetTimer(nullptr, 0, 1, &RunScript);
        return dialog.DoModal();
    }
    static CString Page(const CTipOfDayDlg& dialog)
    {
        const CString& url = dialog.GetCurrentUrl();
        return url.Mid(url.ReverseFind('\\') + 1);
    }
    static void Click(CTipOfDayDlg& dialog, LPCSTR id)
    {
        HWND button = dialog.GetElementHwnd(id);
        ASSERT_NE(button, nullptr) << id << " on " << static_cast<LPCSTR>(Page(dialog));
        ::SendMessageA(button, BM_CLICK, 0, 0);
    }

    testsupport::SharedStateLock m_screen{"KeldrixTestScreenAndMouse"};
    int m_savedTip = g_appConfig.m_tipIndex;
    int m_savedShowTip = g_appConfig.m_showTip;
};

TEST_F(TipOfDayTest, StepsThroughAllFifteenTipsBothWaysAndKeepsTheBox)
{
    g_appConfig.m_tipIndex = 99;  // a damaged number: the last tip
    g_appConfig.m_showTip = 1;
    CTipOfDayDlg dialog;
    dialog.SetUseSavedTip(TRUE);
    std::vector<CString> pages;
    const INT_PTR result = Run(dialog, [&] {
        pages.push_back(Page(dialog));
        for (int i = 0; i < 15; ++i) {
            Click(dialog, "ButtonNext");
            EXPECT_FALSE(dialog.IsFallbackPage());
            for (LPCSTR id : {"checkbox", "ButtonOK", "ButtonCancel", "ButtonBack"})
                EXPECT_NE(dialog.GetElementHwnd(id), nullptr) << id << " on " << static_cast<LPCSTR>(Page(dialog));
            pages.push_back(Page(dialog));
        }
        Click(dialog, "ButtonNext");
        pages.push_back(Page(dialog));
        Click(dialog, "ButtonBack");
        pages.push_back(Page(dialog));
        // The box cleared on one page stays cleared on the next.
        Click(dialog, "checkbox");
        Click(dialog, "ButtonNext");
        BOOL checked = TRUE;
        EXPECT_TRUE(dialog.GetElementChecked("checkbox", checked));
        EXPECT_FALSE(checked);
        Click(dialog, "ButtonCancel");
    });
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(pages.size(), 18u);
    EXPECT_STREQ(pages[0], "Tip15.html");
    for (int n = 1; n <= 15; ++n) {
        CString expected;
        expected.Format("Tip%d.html", n);
        EXPECT_STREQ(pages[n], expected);
    }
    EXPECT_STREQ(pages[16], "Tip1.html");   // on from the last to the first
    EXPECT_STREQ(pages[17], "Tip15.html");  // back from the first to the last
    EXPECT_EQ(g_appConfig.m_showTip, 0);
}

TEST_F(TipOfDayTest, FirstTipAndTheShowTipSwitch)
{
    struct Case {
        int tipNumber;
        BOOL useSaved;
        const char* firstPage;  // null: any of the fifteen
    };
    const Case cases[] = {{3, TRUE, "Tip3.html"}, {0, TRUE, nullptr}};
    for (const Case& c : cases) {
        g_appConfig.m_tipIndex = c.tipNumber;
        g_appConfig.m_showTip = 0;
        CTipOfDayDlg dialog;
        dialog.SetUseSavedTip(c.useSaved);
        CString first;
        BOOL checked = TRUE;
        Run(dialog, [&] {
            first = Page(dialog);
            dialog.GetElementChecked("checkbox", checked);
            Click(dialog, "checkbox");
            Click(dialog, "ButtonOK");
        });
        if (c.firstPage) {
            EXPECT_STREQ(first, c.firstPage);
        }
        const int n = atoi(static_cast<LPCSTR>(first) + 3);
        EXPECT_TRUE(n >= 1 && n <= 15 && first == CString("Tip") + std::to_string(n).c_str() + ".html") << first;
        EXPECT_FALSE(checked);  // "ShowTip" 0 shows the box cleared
        EXPECT_EQ(g_appConfig.m_showTip, 1);
    }
}

TEST(ShippedPages, EmailPageHasItsFields)
{
    CDHtmlDialog dialog(IDD_EMAIL_SIGNUP);
    ASSERT_TRUE(dialog.Create(IDD_EMAIL_SIGNUP));
    ASSERT_TRUE(dialog.Navigate(CCleanSweep::GetProgramFolder() + "email.htm"));
    for (LPCSTR id : {"txt_firstname", "txt_lastname", "txt_emailaddress", "txt_confirmemail", "chk_keepupdated",
                      "chk_noshow", "btn_submit"})
        EXPECT_NE(dialog.GetElementHwnd(id), nullptr) << id;
    BOOL checked = FALSE;
    EXPECT_TRUE(dialog.GetElementChecked("chk_keepupdated", checked));
    EXPECT_NE(dialog.GetElement("lnk_privacy"), nullptr);
    EXPECT_TRUE(dialog.SetElementClassName("txt_emailaddress", "invalid"));
}

}  // namespace
