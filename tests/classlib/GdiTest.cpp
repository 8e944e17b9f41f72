// GDI owners and the standard controls' wrappers.
#include <gtest/gtest.h>
#include "ClasslibTestSupport.h"

namespace {

TEST(GdiOwners, HandlesAreFreedByTheirOwnerOnly)
{
    HBITMAP raw = classlibtest::MakeBitmap(4, 4, [](int, int) { return RGB(1, 2, 3); });
    ASSERT_NE(raw, nullptr);
    {
        CBitmap* temp = CBitmap::FromHandle(raw);
        EXPECT_EQ(temp->m_hObject, raw);
        EXPECT_EQ(CBitmap::FromHandle(raw), temp);
        CTempMap::Purge();
    }
    BITMAP info = {};
    EXPECT_EQ(GetObjectA(raw, sizeof info, &info), static_cast<int>(sizeof info));

    {
        CBitmap owner;
        EXPECT_TRUE(owner.Attach(raw));
        EXPECT_FALSE(owner.Attach(raw));
        EXPECT_EQ(owner.GetBitmap(&info), static_cast<int>(sizeof info));
        EXPECT_EQ(info.bmWidth, 4);
    }
    EXPECT_EQ(GetObjectA(raw, sizeof info, &info), 0);

    CBrush brush(RGB(10, 20, 30));
    HGDIOBJ detached = brush.Detach();
    EXPECT_EQ(brush.m_hObject, nullptr);
    EXPECT_NE(GetObjectType(detached), 0u);
    DeleteObject(detached);
}

TEST(GdiOwners, PointFontsFollowTheResolution)
{
    CClientDC screen(nullptr);
    const int dpi = screen.GetDeviceCaps(LOGPIXELSY);
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(100, "Arial"));
    LOGFONTA lf = {};
    ASSERT_EQ(font.GetLogFont(&lf), static_cast<int>(sizeof lf));
    EXPECT_EQ(lf.lfHeight, -MulDiv(dpi, 100, 720));
    EXPECT_STREQ(lf.lfFaceName, "Arial");

    // Where a logical unit is half a device pixel the height in logical units doubles.
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(&screen));
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(CSize(2, 2));
    dc.SetViewportExt(CSize(1, 1));
    CFont scaled;
    ASSERT_TRUE(scaled.CreatePointFont(100, "Arial", &dc));
    scaled.GetLogFont(&lf);
    EXPECT_EQ(lf.lfHeight, -2 * MulDiv(dpi, 100, 720));
}

}  // namespace
