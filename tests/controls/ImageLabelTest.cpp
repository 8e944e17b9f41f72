// The bitmap status icon: clipping, margins, missing bitmaps and the
// replacement of its bitmap, read back from the screen into a memory DC.
#include <gtest/gtest.h>
#include "CImageLabel.h"
#include "GalleryResources.h"

namespace {

const COLORREF kGreen = RGB(0, 160, 0);
const COLORREF kWhite = RGB(255, 255, 255);

class TestImageLabel : public CImageLabel {
public:
    void Use(HBITMAP bitmap)
    {
        m_bitmap.DeleteObject();
        m_bitmap.Attach(bitmap);
    }
    HGDIOBJ Handle() const { return m_bitmap.m_hObject; }
};

// A green pop-up with two 20 x 20 labels at (10, 10) and (40, 10).
class LabelFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_background.CreateSolidBrush(kGreen));
        ASSERT_TRUE(m_parent.CreateEx(0, AfxRegisterWndClass(0, nullptr, m_background), "labels",
                                      WS_POPUP, 100, 100, 80, 40, nullptr, nullptr));
        ASSERT_TRUE(m_first.Create("", WS_CHILD | WS_VISIBLE, CRect(10, 10, 30, 30), &m_parent, 1));
        ASSERT_TRUE(m_second.Create("", WS_CHILD | WS_VISIBLE, CRect(40, 10, 60, 30), &m_parent, 2));
        m_parent.ShowWindow(SW_SHOWNOACTIVATE);
    }
    void TearDown() override { m_parent.DestroyWindow(); }

    // The parent's client area as painted now, into a memory bitmap.
    void Capture()
    {
        m_parent.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW);
        m_shot.DeleteDC();
        m_shotBitmap.DeleteObject();
        CClientDC window(&m_parent);
        ASSERT_TRUE(m_shot.CreateCompatibleDC(&window));
        ASSERT_TRUE(m_shotBitmap.CreateCompatibleBitmap(&window, 80, 40));
        m_shot.SelectObject(&m_shotBitmap);
        m_shot.BitBlt(0, 0, 80, 40, &window, 0, 0, SRCCOPY);
    }
    COLORREF At(int x, int y) { return m_shot.GetPixel(x, y); }

    CBrush m_background;
    CWnd m_parent;
    TestImageLabel m_first;
    TestImageLabel m_second;
    CDC m_shot;
    CBitmap m_shotBitmap;
};

TEST_F(LabelFixture, LargerBitmapIsClippedSmallerOneKeepsTheBackgroundAround)
{
    m_first.Use(wintest::MakeBitmap(30, 30, [](int, int) { return RGB(200, 0, 0); }));
    m_second.Use(wintest::MakeBitmap(8, 8, [](int, int) { return RGB(0, 0, 200); }));
    Capture();
    // The 30-pixel bitmap fills its 20-pixel label and stops at its edges.
    EXPECT_EQ(At(10, 10), RGB(200, 0, 0));
    EXPECT_EQ(At(29, 29), RGB(200, 0, 0));
    EXPECT_EQ(At(30, 20), kGreen);
    EXPECT_EQ(At(20, 30), kGreen);
    // The 8-pixel bitmap sits at the top-left corner of a white label.
    EXPECT_EQ(At(40, 10), RGB(0, 0, 200));
    EXPECT_EQ(At(47, 17), RGB(0, 0, 200));
    EXPECT_EQ(At(48, 18), kWhite);
    EXPECT_EQ(At(59, 29), kWhite);
    EXPECT_EQ(At(60, 20), kGreen);
}

TEST_F(LabelFixture, WithoutABitmapOnlyTheBackgroundShows)
{
    m_second.SetBackgroundColor(RGB(255, 255, 0));
    EXPECT_FALSE(m_first.SetBitmap(IDB_MISSING));   // a bitmap that cannot be loaded
    EXPECT_EQ(m_first.Handle(), nullptr);
    Capture();
    EXPECT_EQ(At(15, 15), kWhite);
    EXPECT_EQ(At(29, 29), kWhite);
    EXPECT_EQ(At(50, 20), RGB(255, 255, 0));
}

TEST_F(LabelFixture, SetBitmapReplacesAndFreesThePreviousBitmap)
{
    ASSERT_NE(wintest::GalleryModule(), nullptr) << "gallery.exe beside the tests";
    HGDIOBJ first;
    {
        wintest::GalleryResourceScope resources;
        ASSERT_TRUE(m_first.SetBitmap(IDB_BIG));
        first = m_first.Handle();
        ASSERT_NE(first, nullptr);
        ASSERT_TRUE(m_first.SetBitmap(IDB_SWAP));
    }
    EXPECT_NE(m_first.Handle(), first);
    EXPECT_EQ(GetObjectType(first), 0u);   // deleted, not leaked
    Capture();
    EXPECT_EQ(At(12, 12), RGB(0, 160, 0));

    m_first.FreeBitmap();
    EXPECT_EQ(m_first.Handle(), nullptr);
    Capture();
    EXPECT_EQ(At(12, 12), kWhite);
}

TEST(DrawBitmap, CopiesTheWholeBitmapAtItsOwnSize)
{
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap target, source;
    ASSERT_TRUE(target.Attach(wintest::MakeBitmap(20, 20, [](int, int) { return RGB(255, 255, 255); })));
    ASSERT_TRUE(source.Attach(wintest::MakeBitmap(5, 4, [](int x, int) { return x ? RGB(1, 2, 3) : RGB(4, 5, 6); })));
    CBitmap* old = dc.SelectObject(&target);
    DrawBitmap(&dc, &source, 6, 7);
    EXPECT_EQ(dc.GetPixel(6, 7), RGB(4, 5, 6));
    EXPECT_EQ(dc.GetPixel(10, 10), RGB(1, 2, 3));
    EXPECT_EQ(dc.GetPixel(11, 10), RGB(255, 255, 255));
    EXPECT_EQ(dc.GetPixel(10, 11), RGB(255, 255, 255));
    CBitmap empty;
    DrawBitmap(&dc, &empty, 0, 0);   // no bitmap: nothing drawn
    EXPECT_EQ(dc.GetPixel(0, 0), RGB(255, 255, 255));
    dc.SelectObject(old);
}

}  // namespace
