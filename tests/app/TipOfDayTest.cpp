// The tip of the day on the shipped tip pages, run modally and driven from
// inside its loop.
#include <gtest/gtest.h>
#include <functional>
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

}  // namespace
