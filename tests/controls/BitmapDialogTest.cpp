// The shaped bitmap dialog: the region cut from generated bitmaps, checked
// with PtInRegion; painting, dragging and transparent statics.
#include <gtest/gtest.h>
#include <memory>
#include "CBitmapDialog.h"
#include "ControlsTestSupport.h"
#include "TestSupport.h"

namespace {

const COLORREF kBody = RGB(30, 144, 255);
const COLORREF kBlack = RGB(0, 0, 0);

// 40 x 30 body with black 5 x 5 corner squares and black row 12.
COLORREF Shape(int x, int y)
{
    bool corner = (x < 5 || x >= 35) && (y < 5 || y >= 25);
    return (corner || y == 12) ? kBlack : kBody;
}

class TestBitmapDialog : public CBitmapDialog {
public:
    explicit TestBitmapDialog(CBitmap* bitmap = nullptr) : CBitmapDialog(0, nullptr, nullptr, 0, 0, bitmap) {}

    // A borderless pop-up with a static and a trackbar, clientWidth x clientHeight pixels.
    BOOL Make(int clientWidth = 40, int clientHeight = 30)
    {
        m_template.Add("STATIC", "label", 10, 0, 1, 1, 10, 8).Add(TRACKBAR_CLASSA, "", 11, 0, 1, 10, 20, 8);
        if (!CreateIndirect(m_template.Get()))
            return FALSE;
        SetWindowPos(nullptr, 50, 50, clientWidth, clientHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        return TRUE;
    }
    CBitmap* Bitmap() const { return m_hasBitmap ? m_bitmap : nullptr; }

    // The window's region now; NULL when it has none.
    std::unique_ptr<CRgn> Region()
    {
        auto region = std::make_unique<CRgn>();
        region->CreateRectRgn(0, 0, 0, 0);
        if (GetWindowRgn(*region) == ERROR)
            return nullptr;
        return region;
    }

private:
    classlibtest::DialogTemplate m_template{WS_POPUP, 0, 0, 20, 20};
};

CBitmap* Generated(CBitmap& bitmap, int width, int height, COLORREF (*colorAt)(int, int))
{
    bitmap.Attach(classlibtest::MakeBitmap(width, height, colorAt));
    return &bitmap;
}

TEST(BitmapDialogRegion, TheRegionStopsAtTheSmallerOfBitmapAndClientArea)
{
    TestBitmapDialog dialog;
    ASSERT_TRUE(dialog.Make(60, 20));
    CBitmap bitmap;
    dialog.AttachBitmap(Generated(bitmap, 40, 30, [](int, int) { return kBody; }));
    auto region = dialog.Region();
    ASSERT_TRUE(region);
    CRect box;
    region->GetRgnBox(&box);
    EXPECT_EQ(box, CRect(0, 0, 40, 20));   // bitmap width, client height

    // All transparent: an empty region.
    CBitmap black;
    dialog.AttachBitmap(Generated(black, 40, 30, [](int, int) { return kBlack; }));
    dialog.SetTransparentColor(kBlack);
    region = dialog.Region();
    ASSERT_TRUE(region);
    EXPECT_EQ(region->GetRgnBox(&box), NULLREGION);
    dialog.DestroyWindow();
}

// (The drag by the body is checked with real input by the gallery's shaped window.)
TEST(BitmapDialogMessages, PaintsAndMakesStaticsTransparent)
{
    TestBitmapDialog dialog;
    ASSERT_TRUE(dialog.Make());
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap target;
    ASSERT_TRUE(target.Attach(classlibtest::MakeBitmap(60, 40, [](int, int) { return RGB(9, 9, 9); })));
    CBitmap* old = dc.SelectObject(&target);

    // Without a bitmap the dialog's own erasing; with one, the bitmap unstretched.
    dialog.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC));
    EXPECT_NE(dc.GetPixel(20, 15), RGB(9, 9, 9));
    CBitmap bitmap;
    dialog.AttachBitmap(Generated(bitmap, 30, 20, Shape));
    dc.FillSolidRect(0, 0, 60, 40, RGB(9, 9, 9));
    EXPECT_EQ(dialog.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC)), TRUE);
    EXPECT_EQ(dc.GetPixel(10, 15), kBody);
    EXPECT_EQ(dc.GetPixel(0, 0), kBlack);
    EXPECT_EQ(dc.GetPixel(45, 35), RGB(9, 9, 9));   // outside the client area: untouched

    // Statics are transparent; a trackbar keeps its background.
    HWND label = ::GetDlgItem(dialog.m_hWnd, 10);
    HWND trackbar = ::GetDlgItem(dialog.m_hWnd, 11);
    ASSERT_NE(trackbar, nullptr);
    dc.SetBkMode(OPAQUE);
    LRESULT brush = dialog.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.m_hDC), reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(dc.GetBkMode(), TRANSPARENT);
    dc.SetBkMode(OPAQUE);
    brush = dialog.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.m_hDC), reinterpret_cast<LPARAM>(trackbar));
    EXPECT_NE(brush, reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(dc.GetBkMode(), OPAQUE);
    dc.SelectObject(old);

    dialog.DestroyWindow();
}

// A press that reaches the dialog once the button is up again starts no
// drag: a move begun then would end only at the next click, and eat it.
TEST(BitmapDialogMessages, APressHandledAfterItsReleaseStartsNoDrag)
{
    TestBitmapDialog dialog;
    ASSERT_TRUE(dialog.Make());
    const int button = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    ASSERT_FALSE(GetAsyncKeyState(button) & 0x8000);
    MSG msg;
    while (PeekMessageA(&msg, dialog.m_hWnd, 0, 0, PM_REMOVE)) {
    }
    dialog.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 15));
    EXPECT_FALSE(PeekMessageA(&msg, dialog.m_hWnd, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
    dialog.DestroyWindow();
}

}  // namespace
