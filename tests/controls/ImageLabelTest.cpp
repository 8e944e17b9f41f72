// The bitmap status icon: clipping, margins, missing bitmaps and the
// replacement of its bitmap, read back from the screen into a memory DC.
#include <gtest/gtest.h>
#include "CImageLabel.h"
#include "ControlsTestSupport.h"

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

TEST_F(LabelFixture, SetBitmapReplacesAndFreesThePreviousBitmap)
{
    ASSERT_NE(controlstest::GalleryModule(), nullptr) << "gallery.exe beside the tests";
    HGDIOBJ first;
    {
        controlstest::GalleryResourceScope resources;
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

}  // namespace
