// GDI owners and the standard controls' wrappers.
#include <gtest/gtest.h>
#include "WindowTestSupport.h"

namespace {

TEST(GdiOwners, HandlesAreFreedByTheirOwnerOnly)
{
    HBITMAP raw = wintest::MakeBitmap(4, 4, [](int, int) { return RGB(1, 2, 3); });
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

TEST(StandardControls, ListViewListBoxAndMenuWrappers)
{
    wintest::DialogTemplate t(WS_POPUP, 0, 0, 200, 120);
    t.Add(WC_LISTVIEWA, "", 10, LVS_REPORT, 0, 0, 150, 80).Add("LISTBOX", "", 11, LBS_NOTIFY, 0, 85, 150, 30);
    CDialog dialog;
    ASSERT_TRUE(dialog.CreateIndirect(t.Get()));
    CListCtrl list;
    ASSERT_TRUE(list.SubclassDlgItem(10, &dialog));
    list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_CHECKBOXES | LVS_EX_GRIDLINES);
    EXPECT_TRUE(list.GetExtendedStyle() & LVS_EX_CHECKBOXES);
    EXPECT_EQ(list.InsertColumn(0, "Name", LVCFMT_LEFT, 80), 0);
    EXPECT_EQ(list.InsertColumn(1, "Value", LVCFMT_LEFT, 60), 1);
    const char* names[] = {"pear", "apple", "fig"};
    for (int i = 0; i < 3; ++i) {
        int row = list.InsertItem(0, names[i]);
        list.SetItemText(row, 1, CString(names[i]) + " value");
        list.SetItemData(row, static_cast<DWORD_PTR>(i + 1));
    }
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_STREQ(list.GetItemText(0, 0), "fig");
    EXPECT_STREQ(list.GetItemText(0, 1), "fig value");
    EXPECT_EQ(list.GetItemData(0), 3u);
    list.SetCheck(1, TRUE);
    EXPECT_TRUE(list.GetCheck(1));
    EXPECT_FALSE(list.GetCheck(0));

    struct Order {
        static int CALLBACK Compare(LPARAM a, LPARAM b, LPARAM) { return static_cast<int>(a - b); }
    };
    list.SortItems(&Order::Compare, 0);
    EXPECT_STREQ(list.GetItemText(0, 0), "pear");
    EXPECT_STREQ(list.GetItemText(2, 0), "fig");
    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(list.GetItemCount(), 2);
    list.DeleteAllItems();
    EXPECT_EQ(list.GetItemCount(), 0);

    CListBox box;
    ASSERT_TRUE(box.SubclassDlgItem(11, &dialog));
    box.AddString("first");
    box.AddString("second");
    CString text;
    box.GetText(1, text);
    EXPECT_STREQ(text, "second");
    box.GetText(5, text);
    EXPECT_TRUE(text.IsEmpty());
    box.ResetContent();
    EXPECT_EQ(box.GetCount(), 0);
    dialog.DestroyWindow();

    // Submenus belong to their menu: their wrappers are temporary.
    CMenu menu;
    ASSERT_TRUE(menu.Attach(CreateMenu()));
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, 501, "Open");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "Tray");
    CMenu* sub = menu.GetSubMenu(0);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->GetMenuItemID(0), 501u);
    CTempMap::Purge();
    EXPECT_TRUE(IsMenu(popup));
    menu.DestroyMenu();
    EXPECT_FALSE(IsMenu(popup));
}

}  // namespace
