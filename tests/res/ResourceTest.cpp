#include <gtest/gtest.h>
#include "CString.h"
#include "resource.h"
#include <windows.h>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

// The resources linked into the program: the templates' fonts and ids, the
// strings the resource compiler could change, the tray menu, icons and bitmaps.

namespace {

HINSTANCE Module() { return GetModuleHandleA(nullptr); }

struct TemplateItem {
    DWORD id;
    short x, y, cx, cy;
};

// An extended dialog template, read as the system reads it.
struct DialogTemplate {
    bool extended = false;
    short cx = 0, cy = 0;
    WORD pointSize = 0;
    std::string face;
    std::vector<TemplateItem> items;

    const TemplateItem* Find(DWORD id) const
    {
        for (const TemplateItem& item : items)
            if (item.id == id)
                return &item;
        return nullptr;
    }
};

DialogTemplate LoadTemplate(UINT id)
{
    DialogTemplate t;
    HRSRC res = FindResourceA(Module(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
    const BYTE* p = res ? static_cast<const BYTE*>(LockResource(LoadResource(Module(), res))) : nullptr;
    auto word = [&] { WORD v; memcpy(&v, p, 2); p += 2; return v; };
    auto dword = [&] { DWORD v; memcpy(&v, p, 4); p += 4; return v; };
    auto text = [&] {
        std::string out;
        for (WORD c = word(); c != 0; c = word())
            out += static_cast<char>(c < 128 ? c : '?');
        return out;
    };
    // A field that holds nothing, an ordinal or a text.
    auto nameOrOrdinal = [&] {
        const WORD first = word();
        if (first == 0xFFFF)
            word();
        else if (first != 0)
            text();
    };
    if (!p)
        return t;
    word();
    t.extended = word() == 0xFFFF;
    if (!t.extended)
        return t;
    dword();   // help id
    dword();   // extended style
    const DWORD style = dword();
    const WORD count = word();
    p += 4;    // x, y
    t.cx = static_cast<short>(word());
    t.cy = static_cast<short>(word());
    nameOrOrdinal();   // menu
    nameOrOrdinal();   // class
    text();            // title
    if (style & DS_SETFONT) {
        t.pointSize = word();
        p += 4;   // weight, italic, character set
        t.face = text();
    }
    for (WORD i = 0; i < count; i++) {
        p += (4 - reinterpret_cast<ULONG_PTR>(p) % 4) % 4;
        p += 12;   // help id, extended style, style
        TemplateItem item;
        item.x = static_cast<short>(word());
        item.y = static_cast<short>(word());
        item.cx = static_cast<short>(word());
        item.cy = static_cast<short>(word());
        item.id = dword();
        nameOrOrdinal();
        nameOrOrdinal();
        p += word();
        t.items.push_back(item);
    }
    return t;
}

// The font, and unique control ids, of every template (the pages bind their
// controls by id, which the application's window tests exercise).
TEST(ResourceTemplates, EveryTemplateIsExtendedInEightPointTahomaWithUniqueIds)
{
    for (UINT id : {IDD_MAIN, IDD_SCAN_CATEGORIES, IDD_BACKUPS, IDD_STARTUP, IDD_OPTIONS, IDD_ABOUT, IDD_STATISTICS,
                    IDD_IGNORE_LIST, IDD_SCAN_PROGRESS, IDD_SCAN_RESULTS, IDD_SCHEDULE, IDD_TIP_OF_DAY,
                    IDD_EMAIL_SIGNUP, IDD_STATS_POPUP}) {
        DialogTemplate t = LoadTemplate(id);
        ASSERT_TRUE(t.extended) << id;
        EXPECT_EQ(8, t.pointSize) << id;
        EXPECT_EQ("Tahoma", t.face) << id;
        std::set<DWORD> seen;
        for (const TemplateItem& item : t.items)
            EXPECT_TRUE(seen.insert(item.id).second) << "control " << item.id << " twice in " << id;
    }
}

struct StringCase {
    UINT id;
    const char* text;
};

// The texts whose bytes the resource compiler could change: code-page letters,
// runs and ends of spaces, escaped backslashes and format inserts.
const StringCase kStrings[] = {
    {IDS_ABOUT_VERSION, "Version %s\nCopyright \xA9"" 2026 QuilloWorks. All rights reserved."},
    {IDS_NUMBER, "%1!d!"},
    {IDS_RESTORE_POINT_FAILED, "Keldrix could not set the system restore point as Windows system restore is turned off.  \n\nTo turn it on: \n1. Right click on the My Computer icon on your desktop.\n2. Select Properties.\n3. Click the System Restore tab.\n4. Clear the Turn off System Restore checkbox.\n5. Click OK."},
    {IDS_DESCRIPTION_SHORTCUTS, "Program shortcuts, with a \x93"".lnk\x94"" extension, may no longer be linked to an application."},
    {IDS_DESCRIPTION_EMPTYKEYS, "Registry keys can be empty \x96"" they have no associated value."},
    {IDS_PROBLEM_HELPFILE, "<font color=#ff0000><b>The help file referenced (%1\\%2) doesn't exist.</b></font><br><b>Key:</b> %3<br>%4=%5"},
    {IDS_LIST_SELECTED, "%1!d!/%2!d! Selected"},
};

TEST(ResourceStrings, TextsKeepTheirBytes)
{
    for (const StringCase& c : kStrings) {
        CString text;
        ASSERT_TRUE(text.LoadString(c.id)) << c.id;
        EXPECT_EQ(std::string(c.text), std::string(static_cast<LPCSTR>(text), text.GetLength())) << c.id;
    }
}

TEST(ResourceMenu, TrayMenuHoldsFiveCommandsWithTheirTexts)
{
    HMENU menu = LoadMenuA(Module(), MAKEINTRESOURCEA(IDR_TRAYMENU));
    ASSERT_NE(nullptr, menu);
    char text[64];
    ASSERT_EQ(1, GetMenuItemCount(menu));
    GetMenuStringA(menu, 0, text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ("TrayMenu", text);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(nullptr, popup);
    const struct {
        UINT id;
        const char* text;
    } items[] = {{32788, "Open Keldrix"},       {32789, "Start Scan"}, {32790, "Show Last Scan    "},
                 {32791, "Get Updates"},        {32792, "Exit"}};
    ASSERT_EQ(5, GetMenuItemCount(popup));
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(items[i].id, GetMenuItemID(popup, i));
        GetMenuStringA(popup, i, text, sizeof(text), MF_BYPOSITION);
        EXPECT_STREQ(items[i].text, text);
    }
    DestroyMenu(menu);
}

TEST(ResourceIcons, ProgramAndTrayIconsLoadAtBothSizes)
{
    for (UINT id : {107, 320, 321, 322})
        for (int size : {16, 32}) {
            HICON icon = static_cast<HICON>(LoadImageA(Module(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
            ASSERT_NE(nullptr, icon) << id << " at " << size;
            ICONINFO info{};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            BITMAP bm{};
            GetObjectA(info.hbmColor, sizeof(bm), &bm);
            EXPECT_EQ(size, bm.bmWidth) << id;
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The pixel size of a size in dialog units, as the system lays out the
// program's templates here (they share one font).
SIZE UnitsToPixels(int cx, int cy)
{
    static HWND dialog = CreateDialogParamA(Module(), MAKEINTRESOURCEA(IDD_TIP_OF_DAY), nullptr, QuietDialogProc, 0);
    RECT rect = {0, 0, cx, cy};
    MapDialogRect(dialog, &rect);
    return {rect.right, rect.bottom};
}

// A bitmap's pixels, top row first, as 0x00RRGGBB.
struct Pixels {
    int width = 0, height = 0;
    std::vector<DWORD> data;
    DWORD At(int x, int y) const { return data[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
    bool Has(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

Pixels LoadPixels(UINT id)
{
    Pixels px;
    HBITMAP bitmap = LoadBitmapA(Module(), MAKEINTRESOURCEA(id));
    if (!bitmap)
        return px;
    BITMAP bm{};
    GetObjectA(bitmap, sizeof(bm), &bm);
    px.width = bm.bmWidth;
    px.height = bm.bmHeight;
    px.data.resize(static_cast<size_t>(px.width) * px.height);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = px.width;
    info.bmiHeader.biHeight = -px.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, px.height, px.data.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(bitmap);
    return px;
}

struct ButtonCase {
    UINT dialog;
    DWORD control;
    std::vector<UINT> faces;  // normal, hot, pressed and any other looks
};

const ButtonCase kButtons[] = {
    {IDD_MAIN, 1099, {225, 226, 215}},       {IDD_MAIN, 1020, {219, 220, 221, 272}},
    {IDD_MAIN, 1001, {222, 223, 224, 273}},  {IDD_MAIN, 1002, {216, 217, 218, 271}},
    {IDD_MAIN, 1005, {233, 234}},            {IDD_MAIN, 1262, {228, 229, 227, 274}},
    {IDD_MAIN, 1006, {235, 230}},            {IDD_MAIN, 1275, {181, 182}},
    {IDD_MAIN, 1276, {184, 185}},            {IDD_SCAN_CATEGORIES, 1021, {242, 243}},
    {IDD_SCAN_PROGRESS, 1305, {247, 249, 248}}, {IDD_SCAN_PROGRESS, 1306, {250, 246, 251}},
    {IDD_SCAN_PROGRESS, 1304, {169, 170}},   {IDD_SCAN_RESULTS, 1296, {249, 248}},
    {IDD_SCAN_RESULTS, 1297, {240, 241}},    {IDD_SCAN_RESULTS, 1299, {173, 174}},
    {IDD_SCAN_RESULTS, 1300, {175, 176}},    {IDD_BACKUPS, 1019, {142, 141}},
    {IDD_BACKUPS, 1113, {187, 190}},         {IDD_STARTUP, 1113, {269, 267}},
    {IDD_STARTUP, 1116, {263, 262}},         {IDD_STARTUP, 1115, {264, 265}},
    {IDD_STARTUP, 1114, {266, 261, 287, 286}}, {IDD_OPTIONS, 1298, {252, 253}},
    {IDD_OPTIONS, 1290, {194}},              {IDD_OPTIONS, 1287, {192}},
    {IDD_OPTIONS, 1391, {282, 284}},         {IDD_IGNORE_LIST, 1292, {209, 208}},
    {IDD_IGNORE_LIST, 1298, {252}},          {IDD_IGNORE_LIST, 1290, {193}},
    {IDD_IGNORE_LIST, 1366, {192}},          {IDD_SCHEDULE, 1365, {252}},
    {IDD_SCHEDULE, 1290, {194}},             {IDD_SCHEDULE, 1366, {280, 275}},
};

TEST(ResourceBitmaps, EveryButtonFaceFitsItsButtonAndIsNotBlank)
{
    for (const ButtonCase& c : kButtons) {
        const DialogTemplate dialog = LoadTemplate(c.dialog);
        const TemplateItem* item = dialog.Find(c.control);
        ASSERT_NE(nullptr, item) << c.control;
        for (UINT face : c.faces) {
            SCOPED_TRACE("button " + std::to_string(c.control) + " face " + std::to_string(face));
            Pixels px = LoadPixels(face);
            ASSERT_GT(px.width, 0);
            const SIZE size = UnitsToPixels(item->cx, item->cy);
            EXPECT_NEAR(size.cx, px.width, 1);
            EXPECT_NEAR(size.cy, px.height, 1);
            // A face is more than its background: a shape, a border, a label
            // (a glyph and a word on the navigation column's colour at least).
            std::set<DWORD> colours(px.data.begin(), px.data.end());
            size_t differ = 0;
            for (DWORD p : px.data)
                differ += (p & 0xFFFFFF) != px.At(0, 0);
            EXPECT_GE(colours.size(), 3u);
            EXPECT_GT(differ * 25, px.data.size());
        }
    }
}

TEST(ResourceBitmaps, BackgroundsStatusImagesAndListImagesHaveTheirSizes)
{
    const struct {
        UINT id;
        int width, height;
    } cases[] = {
        {244, PAGE_WIDTH, PAGE_HEIGHT}, {245, PAGE_WIDTH, PAGE_HEIGHT}, {259, PAGE_WIDTH, PAGE_HEIGHT},
        {136, PAGE_WIDTH, PAGE_HEIGHT}, {140, PAGE_WIDTH, PAGE_HEIGHT}, {277, PAGE_WIDTH, PAGE_HEIGHT},
        {163, PAGE_WIDTH, PAGE_HEIGHT}, {156, PAGE_WIDTH, PAGE_HEIGHT}, {276, PAGE_WIDTH, PAGE_HEIGHT},
        {278, PAGE_WIDTH, PAGE_HEIGHT}, {254, 16, 16}, {255, 16, 16}, {260, 16, 16}, {257, 32, 32},
        {281, 80, 16},
    };
    for (const auto& c : cases) {
        Pixels px = LoadPixels(c.id);
        EXPECT_EQ(c.width, px.width) << c.id;
        EXPECT_EQ(c.height, px.height) << c.id;
    }
    // Status images, the scan image and the row animation (16 x 16) fit whole
    // in the controls that show them.
    const DialogTemplate progress = LoadTemplate(IDD_SCAN_PROGRESS);
    const DialogTemplate results = LoadTemplate(IDD_SCAN_RESULTS);
    std::vector<std::pair<const TemplateItem*, SIZE>> shown = {
        {progress.Find(1345), {32, 32}}, {results.Find(1347), {32, 32}}, {progress.Find(1395), {16, 16}}};
    for (int row = 0; row < 11; row++) {
        shown.push_back({progress.Find(1320 + row), {16, 16}});
        shown.push_back({progress.Find(1354 + row), {16, 16}});
    }
    for (const auto& s : shown) {
        const SIZE size = UnitsToPixels(s.first->cx, s.first->cy);
        EXPECT_GE(size.cx, s.second.cx) << s.first->id;
        EXPECT_GE(size.cy, s.second.cy) << s.first->id;
    }
    // The list's five 16 x 16 images keep magenta only as their clear colour:
    // each image has a face, and its corner is clear.
    Pixels list = LoadPixels(281);
    for (int image = 0; image < 5; image++) {
        EXPECT_EQ(0xFF00FFu, list.At(image * 16, 0)) << image;
        EXPECT_NE(0xFF00FFu, list.At(image * 16 + 7, 7)) << image;
    }
}

TEST(ResourceBitmaps, SkinIsCutOutOnlyOutsideItsRoundedShape)
{
    Pixels skin = LoadPixels(IDB_MAIN_SKIN);
    ASSERT_GT(skin.width, 0);
    // It covers the main window, whose pages stand at (211, 149, 574 x 451).
    DialogTemplate main = LoadTemplate(IDD_MAIN);
    const SIZE window = UnitsToPixels(main.cx, main.cy);
    EXPECT_NEAR(window.cx, skin.width, 1);
    EXPECT_GE(window.cy, skin.height);
    EXPECT_GE(skin.width, PAGE_LEFT + PAGE_WIDTH);
    EXPECT_GE(skin.height, PAGE_TOP + PAGE_HEIGHT);
    // Black corners are cut out; inside the shape nothing is black, so dark
    // details are not cut out with them.
    const int w = skin.width - 1, h = skin.height - 1;
    for (auto corner : {std::make_pair(0, 0), std::make_pair(w, 0), std::make_pair(0, h), std::make_pair(w, h)})
        EXPECT_EQ(0u, skin.At(corner.first, corner.second));
    const int radius = 16;
    int black = 0;
    for (int y = 0; y <= h; y++)
        for (int x = 0; x <= w; x++) {
            if (skin.At(x, y) != 0)
                continue;
            black++;
            bool nearCorner = (x < radius || x > w - radius) && (y < radius || y > h - radius);
            ASSERT_TRUE(nearCorner) << "black at " << x << "," << y;
        }
    EXPECT_GT(black, 4 * 20);
    // The edges between the corners belong to the window.
    EXPECT_NE(0u, skin.At(w / 2, 0));
    EXPECT_NE(0u, skin.At(0, h / 2));
}

// Windows' base units of the templates' font, 8-point Tahoma at 96 dpi: at 11
// pixels per em, Tahoma's ascent of 2049 and descent of 423 (of 2048 units)
// give tmHeight 11 + 2 = 13, and its 52 letters a-z A-Z are about 330 pixels
// wide: (330 / 26 + 1) / 2 = 6. The skins are drawn for these units.
const int kWindowsBaseX = 6;
const int kWindowsBaseY = 13;

// A control's rectangle as the dialog font scaler lays it out at Windows'
// base units: each of x, y, cx and cy scaled and rounded on its own.
RECT WindowsPixels(const TemplateItem& item)
{
    auto across = [](int units) { return static_cast<int>(units * kWindowsBaseX / 4.0 + 0.5); };
    auto down = [](int units) { return static_cast<int>(units * kWindowsBaseY / 8.0 + 0.5); };
    const int left = across(item.x), top = down(item.y);
    return {left, top, left + across(item.cx), top + down(item.cy)};
}

// The test prefix gives the templates' font Windows' base units, so that the
// window tests see the layout Windows shows.
TEST(ResourceLayout, TheTemplatesFontHasWindowsBaseUnitsInTheTestPrefix)
{
    const SIZE unit = UnitsToPixels(4, 8);
    EXPECT_EQ(kWindowsBaseX, unit.cx);
    EXPECT_EQ(kWindowsBaseY, unit.cy);
    // As the dialog font scaler measures them, on 8-point Tahoma made for 96 dpi.
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Tahoma");
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SIZE letters{};
    GetTextExtentPointA(dc, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", 52, &letters);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, sizeof face, face);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    EXPECT_STREQ("Tahoma", face);
    EXPECT_EQ(kWindowsBaseY, metrics.tmHeight);
    EXPECT_EQ(kWindowsBaseX, (letters.cx / 26 + 1) / 2) << "letters " << letters.cx;
}

// The skinned templates and their backgrounds (the main window's skin; each
// page is placed at PAGE_WIDTH x PAGE_HEIGHT over its background).
const struct {
    UINT dialog;
    UINT background;
} kSkinned[] = {
    {IDD_MAIN, IDB_MAIN_SKIN},         {IDD_SCAN_CATEGORIES, IDB_BG_SCAN_CATEGORIES},
    {IDD_BACKUPS, IDB_BG_BACKUPS},     {IDD_STARTUP, IDB_BG_STARTUP},
    {IDD_OPTIONS, IDB_BG_OPTIONS},     {IDD_ABOUT, IDB_BG_ABOUT},
    {IDD_STATISTICS, IDB_BG_STATISTICS}, {IDD_IGNORE_LIST, IDB_BG_IGNORE_LIST},
    {IDD_SCAN_PROGRESS, IDB_BG_SCAN_PROGRESS}, {IDD_SCAN_RESULTS, IDB_BG_SCAN_RESULTS},
    {IDD_SCHEDULE, IDB_BG_SCHEDULE},
};

UINT BackgroundOf(UINT dialog)
{
    for (const auto& s : kSkinned)
        if (s.dialog == dialog)
            return s.background;
    return 0;
}

// At Windows' base units every face is exactly its button's size (a button
// face is copied at its own size, never stretched), and the faces of a page
// stand on the colour the page's background has at the button's top corners.
// Prints the table of the skinned controls against their faces.
TEST(ResourceBitmaps, EveryFaceCoversItsButtonAtWindowsBaseUnits)
{
    std::ostringstream table;
    table << "template control units        pixels at 6x13  face size\n";
    for (const ButtonCase& c : kButtons) {
        const DialogTemplate dialog = LoadTemplate(c.dialog);
        const TemplateItem* item = dialog.Find(c.control);
        ASSERT_NE(nullptr, item) << c.control;
        const RECT r = WindowsPixels(*item);
        const int width = r.right - r.left, height = r.bottom - r.top;
        const Pixels background = LoadPixels(BackgroundOf(c.dialog));
        for (UINT face : c.faces) {
            SCOPED_TRACE("button " + std::to_string(c.control) + " face " + std::to_string(face));
            const Pixels px = LoadPixels(face);
            char line[128];
            snprintf(line, sizeof line, "%-8u %-7lu %3d x %-3d     %3d x %-3d       %-4u %3d x %-3d %s\n", c.dialog,
                     c.control, item->cx, item->cy, width, height, face, px.width, px.height,
                     width == px.width && height == px.height ? "covers" : "DIFFERS");
            table << line;
            EXPECT_EQ(width, px.width);
            EXPECT_EQ(height, px.height);
            if (c.dialog == IDD_MAIN || px.width == 0)
                continue;
            ASSERT_EQ(PAGE_WIDTH, background.width);
            ASSERT_TRUE(background.Has(r.right - 1, r.top));
            EXPECT_EQ(background.At(r.left, r.top), px.At(0, 0)) << "top left";
            EXPECT_EQ(background.At(r.right - 1, r.top), px.At(px.width - 1, 0)) << "top right";
        }
    }
    // The windows themselves: the main window's template against its skin, and
    // every control of a page inside the page's placed size.
    for (const auto& s : kSkinned) {
        const DialogTemplate dialog = LoadTemplate(s.dialog);
        const Pixels background = LoadPixels(s.background);
        const RECT r = WindowsPixels({0, 0, 0, dialog.cx, dialog.cy});
        char line[128];
        snprintf(line, sizeof line, "%-8u window  %3d x %-3d     %3d x %-3d       %-4u %3d x %-3d %s\n", s.dialog,
                 dialog.cx, dialog.cy, static_cast<int>(r.right), static_cast<int>(r.bottom), s.background, background.width, background.height,
                 s.dialog == IDD_MAIN ? "skin" : "placed at 574 x 451");
        table << line;
        if (s.dialog == IDD_MAIN) {
            EXPECT_NEAR(background.width, r.right, 1);
            EXPECT_GE(r.bottom, background.height);
            EXPECT_LE(r.bottom, background.height + 1);
            continue;
        }
        for (const TemplateItem& item : dialog.items) {
            const RECT c = WindowsPixels(item);
            EXPECT_LE(c.right, PAGE_WIDTH) << "control " << item.id << " of " << s.dialog;
            EXPECT_LE(c.bottom, PAGE_HEIGHT) << "control " << item.id << " of " << s.dialog;
        }
    }
    std::cout << table.str();
}

// The progress page fills its name, count, state, total and path labels with
// white: they stand on white in its background, the path line also at its
// end-of-scan height, when it reaches down to Stop's bottom edge.
TEST(ResourceBitmaps, ProgressPageWhiteLabelsStandOnWhite)
{
    const DialogTemplate page = LoadTemplate(IDD_SCAN_PROGRESS);
    const Pixels background = LoadPixels(IDB_BG_SCAN_PROGRESS);
    ASSERT_EQ(PAGE_WIDTH, background.width);
    std::vector<std::pair<DWORD, RECT>> labels;
    for (DWORD id : {IDC_PROGRESS_STATE, IDC_PROGRESS_TOTAL, IDC_PROGRESS_PATH})
        labels.push_back({id, WindowsPixels(*page.Find(id))});
    for (DWORD row = 0; row < 11; row++)
        for (DWORD id : {IDC_PROGRESS_NAME_FIRST + row, IDC_PROGRESS_COUNT_FIRST + row})
            labels.push_back({id, WindowsPixels(*page.Find(id))});
    RECT endOfScan = WindowsPixels(*page.Find(IDC_PROGRESS_PATH));
    endOfScan.bottom = WindowsPixels(*page.Find(IDC_PROGRESS_STOP)).bottom;
    labels.push_back({IDC_PROGRESS_PATH, endOfScan});
    for (const auto& label : labels) {
        const RECT& r = label.second;
        int other = 0;
        POINT first = {-1, -1};
        for (int y = r.top; y < r.bottom; y++)
            for (int x = r.left; x < r.right; x++)
                if ((!background.Has(x, y) || background.At(x, y) != 0xFFFFFF) && other++ == 0)
                    first = {x, y};
        EXPECT_EQ(0, other) << "label " << label.first << " (" << r.left << "," << r.top << ")-(" << r.right << ","
                            << r.bottom << "), first at " << first.x << "," << first.y;
    }
}

}  // namespace
