// The tip of the day on the shipped tip pages, run modally and driven from
// inside its loop.
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include "CAppConfig.h"
#include "CTipOfDayDlg.h"
#include "TestSupport.h"

namespace {

std::function<void()> g_script;

void CALLBACK RunScript(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    g_script();
}

TEST(TipOfDay, NextAndBackWrapOverAllFifteenAndTheBoxIsKept)
{
    testsupport::SharedStateLock screen("KeldrixTestScreenAndMouse");
    const int savedTip = g_appConfig.m_tipIndex, savedShowTip = g_appConfig.m_showTip;
    g_appConfig.m_tipIndex = 99;  // a damaged number: the last tip
    g_appConfig.m_showTip = 1;
    CTipOfDayDlg dialog;
    dialog.SetUseSavedTip(TRUE);
    CString pages, expected = "15 ";
    auto click = [&](LPCSTR id) {  // notes the number of the tip shown ("...\\TipN.html"), then clicks
        const CString& url = dialog.GetCurrentUrl();
        pages.AppendFormat("%d ", atoi(static_cast<LPCSTR>(url) + url.ReverseFind('p') + 1));
        ASSERT_NE(dialog.GetElementHwnd(id), nullptr) << id;
        ::SendMessageA(dialog.GetElementHwnd(id), BM_CLICK, 0, 0);
    };
    g_script = [&] {
        for (int i = 0; i < 16; ++i)
            click("ButtonNext");
        for (LPCSTR id : {"ButtonBack", "checkbox", "ButtonBack", "ButtonCancel"})  // the box cleared on 15
            click(id);
    };
    ::SetTimer(nullptr, 0, 1, &RunScript);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    for (int n = 1; n <= 15; ++n)
        expected.AppendFormat("%d ", n);
    EXPECT_STREQ(pages, expected + "1 15 15 14 ");
    EXPECT_EQ(g_appConfig.m_showTip, 0);  // still cleared on tip 14
    g_appConfig.m_tipIndex = savedTip;
    g_appConfig.m_showTip = savedShowTip;
}

// Esc and the close box (the system's close command) read the box like the
// buttons: a cleared box turns tips off, a ticked one on.
TEST(TipOfDay, EscapeAndTheCloseBoxKeepTheBox)
{
    testsupport::SharedStateLock screen("KeldrixTestScreenAndMouse");
    const int savedTip = g_appConfig.m_tipIndex, savedShowTip = g_appConfig.m_showTip;
    g_appConfig.m_tipIndex = 3;
    for (bool closeBox : {false, true}) {
        for (int showTip : {1, 0}) {
            SCOPED_TRACE(std::string(closeBox ? "close box" : "Esc") + ", ShowTip was " + std::to_string(showTip));
            g_appConfig.m_showTip = showTip;
            CTipOfDayDlg dialog;
            dialog.SetUseSavedTip(TRUE);
            g_script = [&] {
                ASSERT_NE(dialog.GetElementHwnd("checkbox"), nullptr);
                ::SendMessageA(dialog.GetElementHwnd("checkbox"), BM_CLICK, 0, 0);
                if (closeBox)
                    ::PostMessageA(dialog.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
                else
                    ::PostMessageA(dialog.GetElementHwnd("checkbox"), WM_KEYDOWN, VK_ESCAPE, 0);
            };
            ::SetTimer(nullptr, 0, 1, &RunScript);
            EXPECT_EQ(dialog.DoModal(), IDCANCEL);
            EXPECT_EQ(g_appConfig.m_showTip, showTip ? 0 : 1);
        }
    }
    g_appConfig.m_tipIndex = savedTip;
    g_appConfig.m_showTip = savedShowTip;
}

}  // namespace
