// The sliding tray pop-up: its corner and slides beside each taskbar edge, and
// the last-scan pop-up of the program's template and page on the screen.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <vector>
#include "CCleanSweep.h"
#include "CHtmlShowStatsTrayDialog.h"
#include "RegistrySettings.h"
#include "resource.h"
#include "TestSupport.h"
#include "../classlib/ClasslibTestSupport.h"

namespace {

TEST(TrayDialog, CornerAndSlideBesideEachTaskbarEdge)
{
    const CRect screen(0, 0, 1024, 768);
    const CRect taskbars[] = {CRect(0, 0, 60, 768), CRect(0, 0, 1024, 30), CRect(964, 0, 1024, 768),
                              CRect(0, 738, 1024, 768), CRect()};
    const CRect corners[] = {CRect(60, 568, 360, 768), CRect(724, 30, 1024, 230), CRect(664, 568, 964, 768),
                             CRect(724, 538, 1024, 738), CRect(700, 568, 1000, 768)};
    for (int edge = 0; edge <= 4; ++edge) {  // 4: no taskbar, the corner of the work area (to 1000, 740)
        CTrayDialog::Placement place;
        place.target.SetRect(10, 10, 310, 210);
        CTrayDialog::PlaceBesideTaskbar(place, taskbars[edge], edge, screen, CRect(0, 0, 1000, 740));
        EXPECT_EQ(place.edge, edge % 4 + edge / 4 * 3) << edge;  // slid as for a bottom taskbar
        EXPECT_TRUE(EqualRect(&place.target, &corners[edge])) << edge;
        // One step more shows each tick, never over the taskbar, until the last step would reach the corner.
        const bool vertical = place.edge % 2 == 1;
        CRect r = CTrayDialog::SlideStart(place), region, part, overlap;
        int steps = 0;
        while (CTrayDialog::SlideStep(place, 20, TRUE, r, region) && ++steps < 100) {
            part = r;
            if (CTrayDialog::IsClippedEdge(place.edge))
                part.SetRect(r.left + region.left, r.top + region.top, r.left + region.right, r.top + region.bottom);
            EXPECT_EQ(vertical ? part.Height() : part.Width(), 20 * steps) << edge;
            EXPECT_FALSE(IntersectRect(&overlap, &part, &place.taskbar)) << edge;
        }
        EXPECT_EQ(steps, vertical ? 9 : 14) << edge;
        EXPECT_FALSE(CTrayDialog::SlideStep(place, 0, FALSE, r, region));  // no step: straight to the end
    }
}

// The last-scan pop-up on the shipped page, with the values it reads saved and put back.
TEST(StatsPopup, SlidesFilledAndClosesWhateverHappensDuringASlide)
{
    testsupport::SharedStateLock screen("KeldrixTestScreenAndMouse"), lock;
    testsupport::SavedValues saved({SETTING_ERRS, SETTING_FIXEDTOTALS, SETTING_LASTSCAN});
    SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_ERRS, 7);
    SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_FIXEDTOTALS, 3);
    SHDeleteValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Keldrix", SETTING_LASTSCAN);
    CHtmlShowStatsTrayDialog popup;
    ASSERT_TRUE(popup.CreateAndNavigate(IDD_STATS_POPUP, CCleanSweep::GetProgramFolder() + "ShowStats.htm", nullptr));
    CRect r, work;
    popup.GetWindowRect(&r);
    const int full = r.Height();
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    // The heights seen while its messages are handled, each in the corner (no taskbar here).
    std::vector<int> seen;
    auto reaches = [&](int low, int high) {
        return classlibtest::PumpUntil([&] {
            popup.GetWindowRect(&r);
            const int h = popup.IsWindowVisible() ? r.Height() : -1;
            if (h >= 0 && (seen.empty() || seen.back() != h)) {
                seen.push_back(h);
                EXPECT_TRUE(r.right == work.right && r.bottom == GetSystemMetrics(SM_CYSCREEN));
            }
            return h >= low && h <= high;
        });
    };
    auto slid = [&](int direction) {  // steadily, over several steps
        for (size_t i = 1; i < seen.size(); ++i)
            EXPECT_GT((seen[i] - seen[i - 1]) * direction, 0) << i;
        EXPECT_GE(seen.size(), 4u);
        seen.clear();
    };
    auto timerRunning = [&] {  // asking kills it
        bool running = false;
        for (UINT_PTR id = CTrayDialog::TIMER_TRAYDLG_START; id <= CTrayDialog::TIMER_TRAYDLG_SLIDEOUT; ++id)
            running = popup.KillTimer(id) || running;
        return running;
    };

    popup.SetDisplayTime(-1);
    popup.Show();
    ASSERT_TRUE(reaches(full, full));
    slid(1);
    EXPECT_STREQ(popup.GetElementText("idErrors"), "4");
    EXPECT_STREQ(popup.GetElementText("idLastScan"), "Never");
    EXPECT_FALSE(timerRunning());  // shown until closed
    ::SendMessageA(popup.GetElementHwnd("btnSubmit"), BM_CLICK, 0, 0);
    ASSERT_TRUE(reaches(-1, -1));
    slid(-1);
    // Hidden during the slide-in, shown again during the slide-out: filled anew, and nothing runs on.
    SetRegistrySettingInt(SETTINGS_PRODUCT, SETTING_FIXEDTOTALS, 9);
    popup.SetSlideSpeed(2, 1);
    popup.Show();
    ASSERT_TRUE(reaches(20, full - 20));
    popup.Hide();
    ASSERT_TRUE(reaches(-1, -1));
    EXPECT_FALSE(timerRunning());
    popup.Show();
    ASSERT_TRUE(reaches(full, full));
    EXPECT_STREQ(popup.GetElementText("idErrors"), "0");
    popup.Hide();
    ASSERT_TRUE(reaches(0, full - 20));
    popup.Show();
    ASSERT_TRUE(reaches(full, full));
    EXPECT_FALSE(timerRunning());
    // A page that cannot be read has a button that still closes it.
    ASSERT_FALSE(popup.Navigate("C:\\no such folder\\ShowStats.htm"));
    ::SendMessageA(popup.GetElementHwnd(CDHtmlDialog::kFallbackCloseId), BM_CLICK, 0, 0);
    ASSERT_TRUE(reaches(-1, -1));
}

}  // namespace
