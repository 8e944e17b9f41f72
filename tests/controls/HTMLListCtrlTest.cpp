#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include <vector>
#include "CHTMLListCtrl.h"

// The list in a real window of the test thread, driven with the messages the
// system sends for mouse and keyboard input. The parent records every
// WM_NOTIFY; a list subclass records what each paint drew and where.
namespace {

const UINT LIST_ID = 12345;

struct Note {
    UINT code;
    int item;
    void* data;
    bool textEmpty;
};

struct Drawn {
    int id;
    BOOL selected;
    RECT rect;
};

class RecordingList : public CHTMLListCtrl {
public:
    using CHTMLListCtrl::CHTMLListCtrl;
    void DrawItem(CDC* dc, RECT rect, HTMLLIST_ITEM* item, BOOL selected) override
    {
        drawn.push_back({ item->id, selected, rect });
        CHTMLListCtrl::DrawItem(dc, rect, item, selected);
    }
    std::vector<Drawn> drawn;
};

class HTMLListCtrlTest : public ::testing::Test {
protected:
    static LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        auto* self = reinterpret_cast<HTMLListCtrlTest*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (msg != WM_NOTIFY || !self)
            return DefWindowProcA(hwnd, msg, wp, lp);
        const NMHTMLLIST* nm = reinterpret_cast<const NMHTMLLIST*>(lp);
        self->notes.push_back({ nm->hdr.code, nm->item, nm->data, nm->text.IsEmpty() != FALSE });
        return 0;
    }

    // One shown parent for the whole program: under Wine without a window
    // manager, destroying a shown top-level window waits for the display.
    static HWND Parent()
    {
        static HWND parent = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = ParentProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "KeldrixHtmlListTestParent";
            RegisterClassA(&wc);
            return CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480,
                                   nullptr, nullptr, wc.hInstance, nullptr);
        }();
        return parent;
    }

    void SetUp() override
    {
        ASSERT_NE(nullptr, Parent());
        SetWindowLongPtrA(Parent(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        list = std::make_unique<RecordingList>(&problems);
        ASSERT_TRUE(list->Create(CWnd::FromHandle(Parent()), RECT{ 20, 20, 555, 300 }, LIST_ID,
                                 WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP));
        list->SetDisplayMode(7);
    }

    void TearDown() override
    {
        list.reset();
        SetWindowLongPtrA(Parent(), GWLP_USERDATA, 0);
        for (INT_PTR i = 0; i < problems.GetSize(); ++i)
            delete problems[i];
    }

    // Fills the list as the results page does, every problem selected.
    void Fill(const std::vector<int>& rowsPerGroup)
    {
        for (size_t c = 0; c < rowsPerGroup.size(); ++c) {
            groups.push_back(std::make_unique<CScanCategory>(CString("Group ") + char('A' + c), int(c)));
            groups[c]->count = groups[c]->selectedCount = rowsPerGroup[c];
            list->InsertItem(groups[c]->name, groups[c].get(), HTMLLIST_HEADER, 0);
            for (int r = 0; r < rowsPerGroup[c]; ++r) {
                CString key;
                key.Format("HKEY_LOCAL_MACHINE\\SOFTWARE\\Keldrix\\Group%d\\Entry%d", int(c), r);
                CRegistryProblem* p = new CRegistryProblem(key, "Path", "C:\\Missing\\file.dll", int(c));
                problems.Add(p);
                list->InsertItem("<font color=#ff0000><b>The file referenced doesn't exist.</b></font><br>Key:" + key +
                                     "<br>Path=C:\\Missing\\file.dll",
                                 p, HTMLLIST_ROW, 0);
            }
        }
    }
    std::vector<CRegistryProblem*> Rows(int group) const
    {
        std::vector<CRegistryProblem*> rows;
        for (INT_PTR i = 0; i < problems.GetSize(); ++i) {
            if (problems[i]->m_category == group)
                rows.push_back(problems[i]);
        }
        return rows;
    }
    int IdOf(const void* data) const
    {
        for (int id = 0; list->GetItemData(id); ++id) {
            if (list->GetItemData(id) == data)
                return id;
        }
        return -1;
    }

    // Paints now, recording every shown item.
    void Paint()
    {
        list->drawn.clear();
        list->Invalidate(FALSE);
        list->UpdateWindow();
    }
    const Drawn* Find(const void* data) const
    {
        for (const Drawn& d : list->drawn) {
            if (d.id == IdOf(data))
                return &d;
        }
        return nullptr;
    }
    // Paints and returns where an item was drawn (empty if hidden).
    RECT At(const void* data)
    {
        Paint();
        const Drawn* d = Find(data);
        return d ? d->rect : RECT{};
    }
    static int Y(const RECT& r) { return r.top + (r.bottom - r.top) / 2 - 8; }
    static POINT Glyph(const RECT& r) { return { r.left + 10, Y(r) + 7 }; }
    static POINT Link(const RECT& r) { return { r.right - 20, r.bottom - 7 }; }
    static POINT Text(const RECT& r) { return { r.left + 100, r.top + 3 }; }

    void Click(POINT pt)
    {
        list->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        list->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    }
    void Key(UINT vk) { list->SendMessage(WM_KEYDOWN, vk, 1); }
    void Toggle(int group) { Click(Glyph(At(groups[group].get()))); }
    int ScrollPos() { return list->GetScrollPos(SB_VERT); }
    int ScrollMax()
    {
        SCROLLINFO info = {};
        list->GetScrollInfo(SB_VERT, &info, SIF_RANGE);
        return info.nMax;
    }

    CRegistryProblemArray problems;
    std::vector<std::unique_ptr<CScanCategory>> groups;
    std::unique_ptr<RecordingList> list;
    std::vector<Note> notes;
};

}  // namespace

TEST_F(HTMLListCtrlTest, OtherButtonsNotifyAndThePointerShowsTheLink)
{
    Fill({ 1 });
    Toggle(0);
    const RECT row = At(Rows(0)[0]);
    const POINT text = Text(row), link = Link(row);
    list->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(text.x, text.y));
    list->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(text.x, text.y));
    ASSERT_EQ(2u, notes.size());
    EXPECT_EQ(UINT(HTMLLIST_RCLICK), notes[0].code);
    EXPECT_EQ(UINT(HTMLLIST_DBLCLK), notes[1].code);
    for (const Note& n : notes) {
        EXPECT_EQ(-1, n.item);
        EXPECT_EQ(nullptr, n.data);
        EXPECT_TRUE(n.textEmpty);
    }
    list->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(link.x, link.y));
    EXPECT_EQ(LoadCursorA(nullptr, IDC_HAND), GetCursor());
    list->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(text.x, text.y));
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), GetCursor());
}

// A row's text wraps in the width left beside the check-box column: 16
// pixels less than without check boxes.
TEST_F(HTMLListCtrlTest, RowsWithCheckBoxesWrapSixteenPixelsNarrower)
{
    Fill({ 1 });
    Toggle(0);
    auto rowHeight = [&](UINT mode, int width) {
        list->SetDisplayMode(mode);
        list->MoveWindow(20, 20, width, 280);
        const RECT r = At(Rows(0)[0]);
        return r.bottom - r.top;
    };
    int differs = 0;
    for (int width = 250; width < 400; ++width) {
        const int withBoxes = rowHeight(7, width);
        EXPECT_EQ(withBoxes, rowHeight(6, width - 16)) << width;
        differs += withBoxes != rowHeight(6, width);
    }
    EXPECT_GT(differs, 0) << "no width where the check-box column changes the wrapping";
}

TEST_F(HTMLListCtrlTest, WheelAndScrollBarSteps)
{
    Fill({ 8, 8 });
    Toggle(0);
    Toggle(1);
    const int limit = list->GetScrollLimit(SB_VERT);
    ASSERT_GT(limit, 200);
    for (short delta : { -1, -240 })
        list->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, delta), 0);
    EXPECT_EQ(80, ScrollPos());
    for (short delta : { 120, 1, 1 })
        list->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, delta), 0);
    EXPECT_EQ(0, ScrollPos());

    list->SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    list->SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
    list->SendMessage(WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(50, ScrollPos());
    for (int i = 0; i < 100; ++i)
        list->SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
    list->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
    EXPECT_EQ(limit, ScrollPos());
    Paint();
    EXPECT_EQ(-limit, list->drawn.front().rect.top);
}

TEST_F(HTMLListCtrlTest, LongHeaderIsShortenedAndStaysShort)
{
    const CString name = "C:\\Program Files\\Keldrix Test Vendor\\A Rather Long Product Folder Name\\bin\\plugins\\"
                         "more\\and more\\still more\\the very end of it.dll";
    groups.push_back(std::make_unique<CScanCategory>(name, 0));
    list->InsertItem(name, groups[0].get(), HTMLLIST_HEADER, 0);
    Paint();
    const CString shown = list->GetItemText(0);
    EXPECT_NE(-1, shown.Find("..."));
    EXPECT_LT(shown.GetLength(), name.GetLength());
    list->MoveWindow(0, 0, 2000, 280);
    Paint();
    EXPECT_EQ(shown, list->GetItemText(0));
    list->SetItemText(0, "Short", TRUE);
    Paint();
    EXPECT_EQ(CString("Short"), list->GetItemText(0));
}

TEST_F(HTMLListCtrlTest, SelectionAndEmptying)
{
    Fill({ 2 });
    Toggle(0);
    RECT client;
    list->GetClientRect(&client);
    Click(POINT{ 100, client.bottom - 2 });   // below the last row
    EXPECT_EQ(2, list->GetSelection());
    At(Rows(0)[1]);   // (the selected item's colour is judged on screen by the gallery)
    EXPECT_TRUE(Find(Rows(0)[1])->selected);

    EXPECT_TRUE(list->GetItemText(7).IsEmpty());
    EXPECT_FALSE(list->DeleteItem(7));
    EXPECT_TRUE(list->DeleteItem(2));
    EXPECT_EQ(-1, list->GetSelection());

    // Emptying keeps the selection, which then names no item: keys do nothing.
    Click(Text(At(Rows(0)[0])));
    list->DeleteAllItems();
    EXPECT_EQ(nullptr, list->GetItemData(0));
    EXPECT_EQ(0, ScrollMax());
    Key(VK_UP);
    EXPECT_EQ(1, list->GetSelection());
}
