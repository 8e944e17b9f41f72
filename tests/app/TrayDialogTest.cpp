// The sliding tray pop-up: its corner beside each taskbar edge, the steps of
// its slides, and the last-scan pop-up on the shipped page.
#include <gtest/gtest.h>
#include "CCleanSweep.h"
#include "CHtmlShowStatsTrayDialog.h"
#include "DrawHTML.h"
#include "RegistrySettings.h"
#include "resource.h"
#include "../classlib/WindowTestSupport.h"
#include "../engine/ScanTestSupport.h"

namespace {

using Placement = CTrayDialog::Placement;

const CRect kMonitor(0, 0, 1024, 768);

Placement PlaceFor(const CRect& taskbar, int edge, const CRect& workArea = kMonitor)
{
    Placement place;
    place.target.SetRect(10, 10, 310, 210);  // 300 x 200, where the template put it
    CTrayDialog::PlaceBesideTaskbar(place, taskbar, edge, kMonitor, workArea);
    return place;
}

TEST(TrayDialog, CornerBesideEachTaskbarEdge)
{
    struct Case {
        CRect taskbar;
        int edge;
        int expectedEdge;
        CRect target;
    };
    const Case cases[] = {
        {CRect(0, 738, 1024, 768), 3, 3, CRect(724, 538, 1024, 738)},  // above, right-aligned
        {CRect(0, 0, 1024, 30), 1, 1, CRect(724, 30, 1024, 230)},      // below, right-aligned
        {CRect(0, 0, 60, 768), 0, 0, CRect(60, 568, 360, 768)},        // right of it, bottom-aligned
        {CRect(964, 0, 1024, 768), 2, 2, CRect(664, 568, 964, 768)},   // left of it, bottom-aligned
        {CRect(0, 738, 1024, 768), 7, 3, CRect(724, 538, 1024, 738)},  // an unknown edge counts as the bottom
    };
    for (const Case& c : cases) {
        Placement place = PlaceFor(c.taskbar, c.edge);
        EXPECT_EQ(place.edge, c.expectedEdge) << c.edge;
        EXPECT_TRUE(EqualRect(&place.target, &c.target)) << c.edge << ": " << place.target.left << ","
                                                           << place.target.top;
        EXPECT_TRUE(EqualRect(&place.taskbar, &c.taskbar));
    }

    // No taskbar ever found: the work area's right, the monitor's bottom, as for a bottom taskbar.
    Placement none = PlaceFor(CRect(), 0, CRect(0, 0, 1000, 740));
    EXPECT_EQ(none.edge, CTrayDialog::kEdgeBottom);
    EXPECT_TRUE(EqualRect(&none.target, CRect(700, 568, 1000, 768)));

    // A look-up that finds nothing keeps the taskbar and corner found before.
    Placement kept = PlaceFor(CRect(0, 0, 60, 768), 0);
    CTrayDialog::PlaceBesideTaskbar(kept, CRect(), 3, kMonitor, kMonitor);
    EXPECT_EQ(kept.edge, CTrayDialog::kEdgeLeft);
    EXPECT_TRUE(EqualRect(&kept.target, CRect(60, 568, 360, 768)));
}

TEST(TrayDialog, SlidesFromTheTaskbarToTheCornerAndBack)
{
    const int step = 20;
    for (int edge = 0; edge <= 3; ++edge) {
        SCOPED_TRACE(edge);
        const CRect taskbars[] = {CRect(0, 0, 60, 768), CRect(0, 0, 1024, 30), CRect(964, 0, 1024, 768),
                                  CRect(0, 738, 1024, 768)};
        const Placement place = PlaceFor(taskbars[edge], edge);
        const CRect& t = place.target;
        const bool clipped = CTrayDialog::IsClippedEdge(edge) != FALSE;
        const bool vertical = edge == CTrayDialog::kEdgeTop || edge == CTrayDialog::kEdgeBottom;
        const int length = vertical ? t.Height() : t.Width();
        // The part of the window that shows, in screen coordinates.
        auto shown = [&](const CRect& r, const CRect& region) {
            if (!clipped)
                return r;
            CRect part = region;
            part.OffsetRect(r.left, r.top);
            return part;
        };

        CRect r = CTrayDialog::SlideStart(place);
        CRect region;
        int steps = 0, extent = 0;
        while (CTrayDialog::SlideStep(place, step, TRUE, r, region)) {
            ++steps;
            const CRect part = shown(r, region);
            const int now = vertical ? part.Height() : part.Width();
            EXPECT_EQ(now, extent + step);  // one step more of it shows
            extent = now;
            // It never covers the taskbar and stays in the corner's rectangle.
            CRect overlap;
            EXPECT_FALSE(IntersectRect(&overlap, &part, &place.taskbar));
            EXPECT_TRUE(IntersectRect(&overlap, &part, &t) && EqualRect(&overlap, &part));
            ASSERT_LE(steps, 100);
        }
        EXPECT_EQ(steps, (length - 1) / step);

        r = t;
        extent = length;
        steps = 0;
        while (CTrayDialog::SlideStep(place, step, FALSE, r, region)) {
            ++steps;
            const CRect part = shown(r, region);
            const int now = vertical ? part.Height() : part.Width();
            EXPECT_EQ(now, extent - step);
            extent = now;
            ASSERT_LE(steps, 100);
        }
        EXPECT_EQ(steps, (length - 1) / step);
        EXPECT_FALSE(CTrayDialog::SlideStep(place, 0, TRUE, r, region));  // no step: straight to the end
        EXPECT_FALSE(CTrayDialog::SlideStep(place, 0, FALSE, r, region));
    }
}

// The last-scan pop-up of the program's own template on the shipped page,
// with the values it reads saved and put back.
class StatsPopupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CDHtmlDialog::SetTextRenderer(&DrawHTML);
        ASSERT_TRUE(m_popup.CreateAndNavigate(IDD_STATS_POPUP, CCleanSweep::GetProgramFolder() + "ShowStats.htm",
                                              nullptr));
        m_popup.SetSlideSpeed(20, 1);
        m_popup.GetWindowRect(&m_size);
    }
    void TearDown() override { CDHtmlDialog::SetTextRenderer(nullptr); }

    CRect Rect() const
    {
        CRect r;
        m_popup.GetWindowRect(&r);
        return r;
    }
    bool AtFullSize() const { return m_popup.IsWindowVisible() && Rect().Size() == m_size.Size(); }
    bool Hidden() const { return !m_popup.IsWindowVisible(); }
    // Whether one of the slide timers is still armed (it is killed by asking).
    bool TimerRunning()
    {
        bool running = false;
        for (UINT_PTR id = CTrayDialog::TIMER_TRAYDLG_START; id <= CTrayDialog::TIMER_TRAYDLG_SLIDEOUT; ++id)
            running = m_popup.KillTimer(id) || running;
        return running;
    }

    testsupport::SharedStateLock m_screen{"KeldrixTestScreenAndMouse"};
    testsupport::SharedStateLock m_lock;
    scantest::SavedSettings m_saved{{SETTING_ERRS, SETTING_FIXEDTOTALS, SETTING_LASTSCAN}};
    CHtmlShowStatsTrayDialog m_popup;
    CRect m_size;
};

TEST_F(StatsPopupTest, ShowsTheErrorsLeftAndTheLastScan)
{
    ASSERT_FALSE(m_popup.IsFallbackPage());
    ASSERT_NE(m_popup.GetElementHwnd("btnSubmit"), nullptr);
    struct Case {
        const char* errs;
        const char* fixed;
        const char* lastScan;  // null: no value
        const char* errors;
        const char* shown;
    };
    const Case cases[] = {
        {"7", "3", "12/7/2026 2:30 AM", "4", "12/7/2026 2:30 AM"},
        {"3", "9", "", "0", "Never"},
        {nullptr, nullptr, nullptr, "0", "Never"},
    };
    auto set = [](const Case& c) {
        const std::pair<const char*, const char*> values[] = {
            {SETTING_ERRS, c.errs}, {SETTING_FIXEDTOTALS, c.fixed}, {SETTING_LASTSCAN, c.lastScan}};
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Keldrix", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr), ERROR_SUCCESS);
        for (const auto& value : values) {
            if (value.second)
                RegSetValueExA(key, value.first, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.second),
                               static_cast<DWORD>(strlen(value.second) + 1));
            else
                RegDeleteValueA(key, value.first);
        }
        RegCloseKey(key);
    };
    for (const Case& c : cases) {
        set(c);
        m_popup.FillValues();
        EXPECT_STREQ(m_popup.GetElementText("idErrors"), c.errors);
        EXPECT_STREQ(m_popup.GetElementText("idLastScan"), c.shown);
    }
    // Filled again as it shows; shown until its page's button is clicked.
    set({"12", "2", "Today", "", ""});
    m_popup.SetDisplayTime(-1);
    m_popup.Show();
    ASSERT_TRUE(wintest::PumpUntil([&] { return AtFullSize(); }));
    EXPECT_STREQ(m_popup.GetElementText("idErrors"), "10");
    EXPECT_STREQ(m_popup.GetElementText("idLastScan"), "Today");
    EXPECT_FALSE(TimerRunning());
    ::SendMessageA(m_popup.GetElementHwnd("btnSubmit"), BM_CLICK, 0, 0);
    ASSERT_TRUE(wintest::PumpUntil([&] { return Hidden(); }));
}

TEST_F(StatsPopupTest, ShowAndHideDuringASlideAndAPageThatCannotBeRead)
{
    // Hidden in the middle of the slide-in: it slides out and stays hidden.
    m_popup.SetSlideSpeed(2, 1);
    m_popup.SetDisplayTime(-1);
    m_popup.Show();
    ASSERT_TRUE(wintest::PumpUntil([&] { return m_popup.IsWindowVisible() && Rect().Height() > 20; }));
    ASSERT_LT(Rect().Height(), m_size.Height());
    m_popup.Hide();
    ASSERT_TRUE(wintest::PumpUntil([&] { return Hidden(); }));
    EXPECT_FALSE(TimerRunning());
    // Shown again in the middle of the slide-out: it comes back in full and stays.
    m_popup.Show();
    ASSERT_TRUE(wintest::PumpUntil([&] { return AtFullSize(); }));
    m_popup.Hide();
    ASSERT_TRUE(wintest::PumpUntil([&] { return m_popup.IsWindowVisible() && Rect().Height() < m_size.Height() - 20; }));
    m_popup.Show();
    ASSERT_TRUE(wintest::PumpUntil([&] { return AtFullSize(); }));
    EXPECT_FALSE(TimerRunning());

    // A page that cannot be read still has a button that closes a pop-up shown until closed.
    m_popup.Navigate("C:\\no such folder\\ShowStats.htm");
    ASSERT_TRUE(m_popup.IsFallbackPage());
    ::SendMessageA(m_popup.GetElementHwnd(CDHtmlDialog::kFallbackCloseId), BM_CLICK, 0, 0);
    ASSERT_TRUE(wintest::PumpUntil([&] { return Hidden(); }));
}

}  // namespace
