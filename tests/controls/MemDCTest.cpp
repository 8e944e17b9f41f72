// The off-screen DC: it covers the target's clip box (or a given rectangle)
// in the target's coordinates and copies only that part back.
#include <gtest/gtest.h>
#include "CMemDC.h"
#include "../classlib/ClasslibTestSupport.h"

namespace {

const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kRed = RGB(255, 0, 0);

// A 40 x 40 green memory DC to draw on.
class Target {
public:
    Target()
    {
        dc.CreateCompatibleDC(nullptr);
        bitmap.Attach(classlibtest::MakeBitmap(40, 40, [](int, int) { return kGreen; }));
        old = dc.SelectObject(&bitmap);
    }
    ~Target() { dc.SelectObject(old); }
    void Clip(int l, int t, int r, int b)
    {
        CRgn clip;
        clip.CreateRectRgn(l, t, r, b);
        SelectClipRgn(dc, clip);
    }

    CDC dc;
    CBitmap bitmap;
    CBitmap* old;
};

TEST(MemDC, OnlyTheClipBoxIsCopiedBack)
{
    Target target;
    target.Clip(10, 10, 20, 20);
    target.dc.SetBkColor(RGB(0, 0, 255));
    {
        CMemDC memDC(&target.dc);
        EXPECT_NE(memDC.m_hDC, target.dc.m_hDC);
        // Filled with the target's background colour before drawing.
        EXPECT_EQ(memDC.GetPixel(15, 15), RGB(0, 0, 255));
        memDC.FillSolidRect(12, 12, 4, 4, kRed);
        // Nothing reaches the target before the end.
        EXPECT_EQ(target.dc.GetPixel(13, 13), kGreen);
    }
    SelectClipRgn(target.dc, nullptr);
    EXPECT_EQ(target.dc.GetPixel(13, 13), kRed);
    EXPECT_EQ(target.dc.GetPixel(10, 10), RGB(0, 0, 255));
    EXPECT_EQ(target.dc.GetPixel(19, 19), RGB(0, 0, 255));
    EXPECT_EQ(target.dc.GetPixel(9, 9), kGreen);
    EXPECT_EQ(target.dc.GetPixel(20, 20), kGreen);
}

TEST(MemDC, AGivenRectangleUsesTheTargetsCoordinates)
{
    Target target;
    target.dc.SetBkColor(kGreen);
    CRect part(25, 5, 35, 15);
    {
        CMemDC memDC(&target.dc, &part);
        memDC.FillSolidRect(0, 0, 40, 40, kRed);   // clipped to the part by its bitmap
    }
    EXPECT_EQ(target.dc.GetPixel(25, 5), kRed);
    EXPECT_EQ(target.dc.GetPixel(34, 14), kRed);
    EXPECT_EQ(target.dc.GetPixel(24, 5), kGreen);
    EXPECT_EQ(target.dc.GetPixel(35, 14), kGreen);
    EXPECT_EQ(target.dc.GetPixel(5, 5), kGreen);
}

TEST(MemDC, AnEmptyClipBoxOrAPrinterMakesNoBitmap)
{
    Target target;
    target.Clip(0, 0, 0, 0);
    {
        CMemDC memDC(&target.dc);
        EXPECT_EQ(memDC.m_hDC, target.dc.m_hDC);   // drawing goes straight to the (clipped) target
        memDC.FillSolidRect(0, 0, 40, 40, kRed);
    }
    SelectClipRgn(target.dc, nullptr);
    EXPECT_EQ(target.dc.GetPixel(0, 0), kGreen);
    EXPECT_NE(GetObjectType(target.dc.m_hDC), 0u);   // the target is still alive

    target.dc.m_bPrinting = TRUE;
    {
        CMemDC memDC(&target.dc);
        EXPECT_EQ(memDC.m_hDC, target.dc.m_hDC);
        memDC.FillSolidRect(0, 0, 2, 2, kRed);
        EXPECT_EQ(target.dc.GetPixel(1, 1), kRed);
    }
    target.dc.m_bPrinting = FALSE;
    EXPECT_NE(GetObjectType(target.dc.m_hDC), 0u);
}

}  // namespace
