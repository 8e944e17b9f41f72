// The three-state bitmap button: composed faces, the face for each drawing
// state and the captions. The faces under real mouse input and the sticky
// button are checked on screen by the gallery (tests/gallery/skin_button.sh).
#include "CXPButton.h"
#include "ControlsTestSupport.h"

namespace {

const UINT kFocusSink = 2000;
const UINT kMain = 2001;
const UINT kNarrow = 2002;
const UINT kMissing = 2004;
const UINT kCaption = 2005;

const UINT kNormalBmp = 301;
const UINT kHotBmp = 302;
const UINT kPressedBmp = 303;
const UINT kNoSuchBmp = 999;

const int kFaceWidth = 30;
const int kFaceHeight = 20;

// Face f (0 normal, 1 hot, 2 pressed) has one colour per third of its width.
COLORREF FaceColour(int face, int third)
{
    return RGB(40 + face * 60, 20 + third * 100, 50);
}

enum Third { Left, Middle, Right };

// Exposes where the caption went.
class ButtonProbe : public CXPButton {
public:
    CSize CaptionSize() const { return m_captionSize; }
    CPoint CaptionPos() const { return m_captionPos; }
};

class XPButtonTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        resources = new controlstest::BitmapResources;
        for (int face = 0; face < 3; ++face)
            resources->Add(kNormalBmp + face, kFaceWidth, kFaceHeight,
                           [face](int x, int) { return FaceColour(face, x / (kFaceWidth / 3)); });
        built = resources->Build();
    }
    static void TearDownTestSuite()
    {
        delete resources;
        resources = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(built) << "bitmap resources could not be made";
        auto t = controlstest::HostTemplate();
        t.Add("EDIT", "", kFocusSink, WS_TABSTOP | WS_BORDER, 150, 80, 40, 12)
            .Add("BUTTON", "", kMain, BS_PUSHBUTTON, 10, 10, 50, 10)
            .Add("BUTTON", "", kNarrow, BS_PUSHBUTTON, 70, 10, 10, 10)
            .Add("BUTTON", "", kMissing, BS_PUSHBUTTON, 10, 40, 50, 10)
            .Add("BUTTON", "Scan", kCaption, BS_PUSHBUTTON, 70, 40, 50, 10);
        ASSERT_TRUE(controlstest::CreateHost(host, t));
        Bind(main, kMain, 20, 20, 100);
        Bind(narrow, kNarrow, 140, 20, 15);
        Bind(missing, kMissing, 20, 80, 100);
        Bind(caption, kCaption, 140, 80, 100);
        resources->Use([&] {
            main.SetBitmaps(kNormalBmp, kHotBmp, kPressedBmp, TRUE);
            narrow.SetBitmaps(kNormalBmp, kHotBmp, kPressedBmp, TRUE);
            missing.SetBitmaps(kNoSuchBmp, kNoSuchBmp, kNoSuchBmp, TRUE);
            caption.SetBitmaps(kNormalBmp, kHotBmp, kPressedBmp, TRUE);
        });
        FocusSink();
        Park();
    }

    void TearDown() override { host.DestroyWindow(); }

    void Bind(CXPButton& button, UINT id, int x, int y, int width)
    {
        ASSERT_TRUE(button.SubclassDlgItem(id, &host));
        EXPECT_EQ(static_cast<DWORD>(BS_OWNERDRAW), button.GetStyle() & BS_TYPEMASK);
        button.MoveWindow(x, y, width, kFaceHeight);
    }

    void FocusSink()
    {
        ::SetFocus(::GetDlgItem(host, kFocusSink));
        controlstest::Settle(host);
    }

    void Park()
    {
        controlstest::MoveMouseTo(host, 395, 195);
        controlstest::Settle(host);
    }

    // The colour at (x, y) of a control, read from the screen.
    COLORREF PixelOf(CWnd& control, int x, int y)
    {
        controlstest::ScreenPixels screen(control);
        return screen.At(x, y);
    }

    static controlstest::BitmapResources* resources;
    static bool built;

    controlstest::ScreenLock lock;
    controlstest::HostDialog host;
    CXPButton main;
    CXPButton narrow;
    CXPButton missing;
    ButtonProbe caption;
};

controlstest::BitmapResources* XPButtonTest::resources = nullptr;
bool XPButtonTest::built = false;

TEST_F(XPButtonTest, ComposedFacesKeepTheirOuterThirdsAtAnyWidth)
{
    controlstest::Settle(host);
    {
        controlstest::ScreenPixels screen(main);
        for (int x = 0; x < 100; ++x) {
            const Third third = x < 10 ? Left : x >= 90 ? Right : Middle;
            EXPECT_EQ(FaceColour(0, third), screen.At(x, 1)) << "column " << x;
        }
        EXPECT_EQ(FaceColour(0, Middle), screen.At(50, kFaceHeight - 1));
    }
    // Narrower than the face: the right third overlaps the left one.
    controlstest::ScreenPixels screen(narrow);
    for (int x = 0; x < 15; ++x)
        EXPECT_EQ(FaceColour(0, x < 5 ? Left : Right), screen.At(x, 1)) << "column " << x;

    // Not composed: the face as it is, from the left edge.
    resources->Use([&] { main.SetBitmaps(kNormalBmp, kHotBmp, kPressedBmp, FALSE); });
    controlstest::Settle(host);
    controlstest::ScreenPixels raw(main);
    EXPECT_EQ(FaceColour(0, Left), raw.At(5, 1));
    EXPECT_EQ(FaceColour(0, Middle), raw.At(15, 1));
    EXPECT_EQ(FaceColour(0, Right), raw.At(25, 1));
}

// The face for each drawing state, without the mouse over the button: a
// focused button shows the hot face, the default button the pressed one.
TEST_F(XPButtonTest, FocusedShowsTheHotFaceAndDefaultThePressedFace)
{
    HDC screen = ::GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 100, kFaceHeight);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const struct {
        UINT state;
        int face;
    } cases[] = {{0, 0}, {ODS_FOCUS, 1}, {ODS_DEFAULT, 2}, {ODS_SELECTED, 2}, {ODS_FOCUS | ODS_DEFAULT, 2}};
    for (const auto& c : cases) {
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_BUTTON;
        item.CtlID = kMain;
        item.hwndItem = main.m_hWnd;
        item.hDC = dc;
        item.itemState = c.state;
        item.rcItem = {0, 0, 100, kFaceHeight};
        host.SendMessage(WM_DRAWITEM, kMain, reinterpret_cast<LPARAM>(&item));  // reflected to the button
        EXPECT_EQ(FaceColour(c.face, Middle), GetPixel(dc, 50, 1)) << "state " << c.state;
    }
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
}

TEST_F(XPButtonTest, FacesThatFailedToLoadLeaveTheBackgroundAndTheButtonWorks)
{
    controlstest::Settle(host);
    COLORREF first = PixelOf(missing, 2, 1);
    for (int face = 0; face < 3; ++face)
        EXPECT_NE(FaceColour(face, Left), first);
    EXPECT_EQ(first, PixelOf(missing, 97, 18));
    EXPECT_EQ(first, PixelOf(missing, 0, 0));

    controlstest::MoveMouseTo(missing, 50, 10);
    controlstest::SendMouse(MOUSEEVENTF_LEFTDOWN);
    controlstest::SendMouse(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(classlibtest::PumpUntil([&] { return !host.clicks.empty(); }));
    EXPECT_EQ(std::vector<UINT>({kMissing}), host.clicks);

    // Not composed, the same.
    resources->Use([&] { missing.SetBitmaps(kNoSuchBmp, kNoSuchBmp, kNoSuchBmp, FALSE); });
    controlstest::Settle(host);
    EXPECT_EQ(first, PixelOf(missing, 50, 1));
}

TEST_F(XPButtonTest, CaptionsInTheParentFontOrTheStyledFont)
{
    // Drawn in the parent's font, centred.
    controlstest::Settle(host);
    const RECT whole = {0, 0, 100, kFaceHeight};
    {
        controlstest::ScreenPixels screen(caption);
        EXPECT_GT(screen.Count(whole, RGB(7, 78, 140)), 0);
    }
    HDC dc = GetDC(caption);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(host.SendMessage(WM_GETFONT)));
    SIZE extent = {};
    GetTextExtentPoint32A(dc, "Scan", 4, &extent);
    SelectObject(dc, old);
    ReleaseDC(caption, dc);
    EXPECT_EQ(extent.cx, caption.CaptionSize().cx);
    EXPECT_EQ(50 - extent.cx / 2, caption.CaptionPos().x);
    EXPECT_EQ(10 - extent.cy / 2, caption.CaptionPos().y);

    caption.EnableWindow(FALSE);
    controlstest::Settle(host);
    {
        controlstest::ScreenPixels screen(caption);
        EXPECT_EQ(0, screen.Count(whole, RGB(7, 78, 140)));
        EXPECT_GT(screen.Count(whole, RGB(125, 125, 125)), 0);
    }
    caption.EnableWindow(TRUE);

    // No text, no caption: only the face's colours.
    caption.SetWindowText("");
    caption.Invalidate();
    controlstest::Settle(host);
    {
        controlstest::ScreenPixels screen(caption);
        const RECT middle = {10, 0, 90, kFaceHeight};
        EXPECT_EQ(0, screen.Count(middle, FaceColour(0, Middle), false));
    }

    // The styled caption of the scan pages.
    caption.m_bParentFont = 0;
    caption.SetWindowText("Scan");
    caption.SetCaption("Arial", RGB(204, 51, 51), 20, RGB(125, 125, 125));
    caption.Invalidate();
    controlstest::Settle(host);
    controlstest::ScreenPixels screen(caption);
    EXPECT_GT(screen.Count(whole, RGB(204, 51, 51)), 0);
}

}  // namespace
