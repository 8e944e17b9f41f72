// The styled label: its text, font and colours, transparency over the
// parent's background, and the enter / click / leave notifications under
// real mouse input.
#include "CLabel.h"
#include "ControlsTestSupport.h"

namespace {

const UINT kHover = 1101;
const UINT kPlain = 1103;

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlue = RGB(0, 0, 255);

class LabelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto t = controlstest::HostTemplate();
        t.Add("STATIC", "Registry Scan", kHover, SS_LEFT | SS_NOTIFY, 10, 10, 100, 12)
            .Add("STATIC", "Plain", kPlain, SS_LEFT, 10, 50, 100, 12);
        ASSERT_TRUE(controlstest::CreateHost(host, t));
        ASSERT_TRUE(hover.SubclassDlgItem(kHover, &host));
        ASSERT_TRUE(plain.SubclassDlgItem(kPlain, &host));
        hover.MoveWindow(20, 20, 200, 24);
        plain.MoveWindow(20, 110, 200, 30);
        Park();
    }

    void TearDown() override
    {
        if (GetCapture())
            ReleaseCapture();
        host.DestroyWindow();
    }

    // Puts the mouse on the host's empty corner and lets everything settle.
    void Park()
    {
        controlstest::MoveMouseTo(host, 395, 195);
        controlstest::Settle(host);
    }

    // Moves the mouse to (x, y) of the label and waits until the host has count notices.
    bool MoveAndWait(CWnd& label, int x, int y, size_t count)
    {
        controlstest::MoveMouseTo(label, x, y);
        return classlibtest::PumpUntil([&] { return host.notices.size() >= count; });
    }

    // The label's client rectangle in the host's coordinates.
    RECT InHost(CWnd& label, int left = 0, int right = -1)
    {
        RECT r;
        label.GetWindowRect(&r);
        host.ScreenToClient(&r);
        const int l = r.left;
        r.left = l + left;
        if (right >= 0)
            r.right = l + right;
        return r;
    }

    controlstest::ScreenLock lock;
    controlstest::HostDialog host;
    CLabel hover;
    CLabel plain;
};

TEST_F(LabelTest, TabsExpandToTheNextTabStop)
{
    plain.SetLabelStyle(FALSE, "Arial", 12, kBlack, kWhite);
    plain.SetText("X");
    controlstest::Settle(host);
    const RECT area = InHost(plain);
    int plainStart;
    {
        controlstest::ScreenPixels screen(host);
        plainStart = screen.FirstColumnUnlike(area, kWhite);
    }
    ASSERT_GE(plainStart, area.left);

    plain.SetText("\tX");
    controlstest::Settle(host);
    controlstest::ScreenPixels screen(host);
    HDC dc = GetDC(plain);
    CFont probe;
    probe.CreatePointFont(120, "Arial");
    HGDIOBJ old = SelectObject(dc, probe);
    TEXTMETRICA tm = {};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(plain, dc);
    EXPECT_GE(screen.FirstColumnUnlike(area, kWhite) - plainStart, 8 * tm.tmAveCharWidth - 2);
}

// A label that is never given a fill colour shows its parent's background
// beneath its text (a skinned page's bitmap), not a block of its own; one
// given a fill colour fills with it.
TEST_F(LabelTest, WithoutAFillColourTheParentsBackgroundShowsBeneath)
{
    const RECT right = InHost(plain, 40);
    plain.SetText("XXXXXXXXXXXXXXXX");
    controlstest::Settle(host);
    {
        controlstest::ScreenPixels screen(host);
        EXPECT_GT(screen.Count(right, host.background, false), 0) << "the long text";
    }
    // The short text leaves no remains of the long one, and beside it the
    // parent's background shows.
    plain.SetText("X");
    controlstest::Settle(host);
    {
        controlstest::ScreenPixels screen(host);
        EXPECT_EQ(0, screen.Count(right, host.background, false)) << "beside the text";
        EXPECT_GT(screen.Count(InHost(plain, 0, 40), host.background, false), 0) << "the text";
    }
    plain.SetBkFillColor(kWhite);
    controlstest::Settle(host);
    controlstest::ScreenPixels screen(host);
    EXPECT_EQ(0, screen.Count(right, kWhite, false));
}

TEST_F(LabelTest, LosingTheCaptureCountsAsLeaving)
{
    ASSERT_TRUE(MoveAndWait(hover, 10, 10, 1));
    host.SetCapture();
    ASSERT_TRUE(classlibtest::PumpUntil([&] { return host.notices.size() >= 2; }));
    ReleaseCapture();
    EXPECT_EQ(std::vector<UINT>({CLabel::LabelEntered, CLabel::LabelLeft}), host.Codes(kHover));
    EXPECT_FALSE(hover.IsHovered());
}

TEST_F(LabelTest, HoverColourOnlyShowsForALinkThatDoesNotNotify)
{
    // Styled by the pages: the label keeps its colour while hovered.
    hover.SetLabelStyle(FALSE, "Arial", 14, kBlack, kWhite);
    hover.SetFontBold(TRUE);
    ASSERT_TRUE(MoveAndWait(hover, 10, 10, 1));
    controlstest::Settle(host);
    {
        controlstest::ScreenPixels screen(host);
        EXPECT_GT(screen.Count(InHost(hover), kBlack), 0);
        EXPECT_EQ(0, screen.Count(InHost(hover), kBlue));
    }
    Park();
    ASSERT_TRUE(classlibtest::PumpUntil([&] { return !hover.IsHovered(); }));

    // A link that opens by itself lights up in the hover colour while hovered.
    CLabel& link = plain;
    link.SetFontName("Arial").SetFontSize(14).SetFontBold(TRUE).SetTextColor(kBlack).SetBkFillColor(kWhite);
    link.SetLink(TRUE, FALSE);
    EXPECT_TRUE(link.GetStyle() & SS_NOTIFY);
    controlstest::MoveMouseTo(link, 10, 10);
    ASSERT_TRUE(classlibtest::PumpUntil([&] { return link.IsHovered(); }));
    controlstest::Settle(host);
    {
        controlstest::ScreenPixels screen(host);
        EXPECT_GT(screen.Count(InHost(link), kBlue), 0);
    }
    Park();
    ASSERT_TRUE(classlibtest::PumpUntil([&] { return !link.IsHovered(); }));
    controlstest::Settle(host);
    controlstest::ScreenPixels screen(host);
    EXPECT_EQ(0, screen.Count(InHost(link), kBlue));
    EXPECT_EQ(std::vector<UINT>({CLabel::LabelEntered, CLabel::LabelLeft}), host.Codes(kPlain))
        << "enter and leave are reported even so";
}

}  // namespace
