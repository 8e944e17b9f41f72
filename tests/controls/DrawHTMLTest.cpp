#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>
#include "DrawHTML.h"
#include "GuardedBuffer.h"

namespace {

const DWORD WHITE = 0x00FFFFFF;

// A white 32-bit DIB in a memory DC with a non-antialiased Arial, so drawn text
// has exact colours. Geometry is checked against the widths words are drawn with.
class Canvas {
public:
    Canvas(int width = 400, int height = 400) : m_width(width), m_height(height)
    {
        m_dc = CreateCompatibleDC(nullptr);
        BITMAPINFO bi = {};
        bi.bmiHeader = { sizeof(bi.bmiHeader), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(m_dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_bits = static_cast<DWORD*>(bits);
        m_oldBitmap = SelectObject(m_dc, m_bitmap);
        m_font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, "Arial");
        m_oldFont = SelectObject(m_dc, m_font);
        SetBkMode(m_dc, TRANSPARENT);
        Clear();
    }
    ~Canvas()
    {
        SelectObject(m_dc, m_oldFont);
        SelectObject(m_dc, m_oldBitmap);
        DeleteObject(m_font);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return m_dc; }
    void Clear() { std::fill(m_bits, m_bits + m_width * m_height, WHITE); }
    DWORD Pixel(int x, int y) const { return m_bits[y * m_width + x] & 0x00FFFFFF; }
    // The width the text is drawn with: how far a bar drawn after it moves
    // (in a scratch bitmap). Under Wine this differs from GetTextExtentPoint32A
    // for some hinted fonts, this canvas's font among them.
    int Width(const std::string& s, bool bold = false) const
    {
        LOGFONTA lf;
        GetObjectA(m_font, sizeof(lf), &lf);
        lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        HFONT font = CreateFontIndirectA(&lf);
        const int width = 2000, height = 40;
        HDC dc = CreateCompatibleDC(nullptr);
        BITMAPINFO bi = {};
        bi.bmiHeader = { sizeof(bi.bmiHeader), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
        HGDIOBJ oldFont = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        auto lastInk = [&](const std::string& text) {
            std::fill(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + width * height, WHITE);
            TextOutA(dc, 0, 0, text.data(), static_cast<int>(text.size()));
            GdiFlush();
            for (int x = width - 1; x >= 0; --x)
                for (int y = 0; y < height; ++y)
                    if ((static_cast<DWORD*>(bits)[y * width + x] & 0x00FFFFFF) != WHITE)
                        return x;
            return -1;
        };
        const int drawn = lastInk(s + "|") - lastInk("|");
        SelectObject(dc, oldFont);
        SelectObject(dc, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(dc);
        DeleteObject(font);
        return drawn;
    }
    int Space() const { return Width(" "); }
    int Line() const
    {
        SIZE size = {};
        GetTextExtentPoint32A(m_dc, "\xC5y", 2, &size);
        return size.cy;
    }
    // The distinct colours of the non-white pixels in a box.
    std::vector<DWORD> Colours(int left, int top, int right, int bottom) const
    {
        std::vector<DWORD> found;
        for (int y = std::max(0, top); y < std::min(m_height, bottom); ++y) {
            for (int x = std::max(0, left); x < std::min(m_width, right); ++x) {
                DWORD p = Pixel(x, y);
                if (p != WHITE && std::find(found.begin(), found.end(), p) == found.end())
                    found.push_back(p);
            }
        }
        return found;
    }
    std::vector<DWORD> Colours() const { return Colours(0, 0, m_width, m_height); }
    bool Ink(int left, int top, int right, int bottom) const { return !Colours(left, top, right, bottom).empty(); }

    // DT_CALCRECT in a box of the given width at (10, top).
    RECT Measure(const std::string& text, int width, UINT format = DT_WORDBREAK, int top = 10)
    {
        RECT rect = { 10, top, 10 + width, top };
        DrawHTML(m_dc, text.c_str(), static_cast<int>(text.size()), &rect, format | DT_CALCRECT);
        return rect;
    }
    int Draw(const std::string& text, RECT rect, UINT format = DT_WORDBREAK)
    {
        return DrawHTML(m_dc, text.c_str(), -1, &rect, format);
    }

private:
    int m_width, m_height;
    HDC m_dc;
    HBITMAP m_bitmap;
    DWORD* m_bits;
    HGDIOBJ m_oldBitmap;
    HFONT m_font;
    HGDIOBJ m_oldFont;
};

// The DIB pixel value of a COLORREF.
DWORD Dib(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
std::vector<DWORD> Only(COLORREF c) { return { Dib(c) }; }

}  // namespace

TEST(DrawHTML, ArgumentsAndEmptyText)
{
    Canvas canvas;
    RECT rect = { 0, 0, 100, 100 };
    EXPECT_EQ(0, DrawHTML(nullptr, "text", -1, &rect, 0));
    EXPECT_EQ(0, DrawHTML(canvas.dc(), nullptr, -1, &rect, 0));
    EXPECT_EQ(0, DrawHTML(canvas.dc(), "text", 0, &rect, 0));
    EXPECT_TRUE(canvas.Colours().empty());
    RECT measured = canvas.Measure("", 200);
    EXPECT_EQ(10, measured.right);
    EXPECT_EQ(10 + canvas.Line(), measured.bottom);
    // A negative top measures upwards.
    EXPECT_EQ(-50 - 2 * canvas.Line(), canvas.Measure("a<br>b", 200, DT_WORDBREAK, -50).bottom);

    // Without a rectangle the text starts at the current position.
    MoveToEx(canvas.dc(), 50, 60, nullptr);
    DrawHTML(canvas.dc(), "Word", -1, nullptr, 0);
    EXPECT_FALSE(canvas.Ink(0, 0, 400, 60));
    EXPECT_FALSE(canvas.Ink(0, 0, 50, 400));
    EXPECT_TRUE(canvas.Ink(50, 60, 400, 60 + canvas.Line()));
}

TEST(DrawHTML, WordsTagsAndSeparators)
{
    Canvas c;
    const int space = c.Space();
    // No entities and no prefix characters.
    EXPECT_EQ(10 + c.Width("A&B") + space + c.Width("&amp;"), c.Measure("A&B &amp;", 300).right);
    // Unknown opening tags are words, unknown closing tags vanish.
    EXPECT_EQ(10 + c.Width("<xyz>") + c.Width("word") + c.Width("end"), c.Measure("<xyz>word</xyz>end", 300).right);
    // A "b" tag with more before its ">" is the words "<b" and the rest.
    EXPECT_EQ(10 + c.Width("<b") + space + c.Width("class=x>y"), c.Measure("<b class=x>y", 300).right);
    // A blank before a tag between two words keeps exactly one space.
    EXPECT_EQ(10 + c.Width("one") + 2 * space + c.Width("two", true) + c.Width("three"),
              c.Measure("one <b>two</b> three", 300).right);
    // One closing tag ends two opening ones.
    EXPECT_EQ(10 + c.Width("a", true) + c.Width("b"), c.Measure("<b><strong>a</b>b", 300).right);
    // Bytes above 0x7F are letters, never separators.
    EXPECT_EQ(10 + c.Width("caf\xE9\xA0\x85x") + space + c.Width("\xE9t\xE9"),
              c.Measure("caf\xE9\xA0\x85x \xE9t\xE9", 300).right);
    EXPECT_LT(c.Measure("<sup>WWWW</sup>", 300).right, c.Measure("WWWW", 300).right);

    // The caller's font and colour survive the call.
    HGDIOBJ font = GetCurrentObject(c.dc(), OBJ_FONT);
    SetTextColor(c.dc(), RGB(1, 2, 3));
    c.Draw("<b><i><u>x</u></i></b> <sub>y</sub> <font color=#ff0000>z", RECT{ 0, 0, 300, 100 });
    EXPECT_EQ(font, GetCurrentObject(c.dc(), OBJ_FONT));
    EXPECT_EQ(RGB(1, 2, 3), GetTextColor(c.dc()));
}

// The columns of a band of the canvas: '#' where anything is drawn, '.' where not.
std::string InkColumns(const Canvas& c, int left, int right, int top, int bottom)
{
    std::string columns;
    for (int x = left; x < right; ++x)
        columns += c.Ink(x, top, x + 1, bottom) ? '#' : '.';
    return columns;
}

// The widths of the blank runs of at least two columns between drawn columns.
std::vector<int> Gaps(const std::string& columns)
{
    std::vector<int> gaps;
    size_t first = columns.find('#'), last = columns.rfind('#');
    for (size_t x = first; first != std::string::npos && x < last;) {
        size_t end = columns.find('#', x);
        if (end - x >= 2)
            gaps.push_back(static_cast<int>(end - x));
        x = columns.find('.', end);
    }
    return gaps;
}

// Each blank between two words is drawn as DrawTextA draws it in the same
// sentence, in the dialogs' own font (under Wine a hinted face whose glyphs are
// drawn wider or narrower than GetTextExtentPoint32A says) and in others.
TEST(DrawHTML, EveryBlankBetweenWordsIsOneSpaceWide)
{
    const char* sentences[] = {
        "Tips on keeping Windows tidy, and word of each new version. Unsubscribe at any time.",
        "Do not show this again",
        "a small window slides up with the errors still to fix and the time of the last scan.",
    };
    for (const char* face : {"Tahoma", "Arial"}) {
        for (int height : {-11, -12, -13}) {
            Canvas c(900, 60);
            HFONT font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
            HGDIOBJ old = SelectObject(c.dc(), font);
            for (const char* sentence : sentences) {
                SCOPED_TRACE(std::string(face) + " " + std::to_string(height) + ": " + sentence);
                c.Clear();
                RECT plain = {10, 5, 890, 30};
                DrawTextA(c.dc(), sentence, -1, &plain, DT_NOPREFIX | DT_SINGLELINE);
                RECT html = {10, 30, 890, 55};
                DrawHTML(c.dc(), sentence, -1, &html, DT_WORDBREAK);
                const std::string expected = InkColumns(c, 0, 900, 5, 30);
                const std::string drawn = InkColumns(c, 0, 900, 30, 55);
                const std::vector<int> gaps = Gaps(expected);
                ASSERT_GE(gaps.size(), std::count(sentence, sentence + strlen(sentence), ' ') / 2u);
                EXPECT_EQ(gaps, Gaps(drawn));
                EXPECT_EQ(expected, drawn);
            }
            DeleteObject(SelectObject(c.dc(), old));
        }
    }
}

TEST(DrawHTML, RegistryPathWrapsAtBackslashesWithEachBackslashBeforeItsWord)
{
    Canvas c(600, 200);
    const std::vector<std::string> parts = { "HKEY_LOCAL_MACHINE", "SOFTWARE", "Keldrix", "Settings", "Value" };
    std::string path;
    for (const std::string& p : parts)
        path += (path.empty() ? "" : "\\") + p;
    const int space = c.Space(), line = c.Line();
    const int width = c.Width(parts[0]) + space + c.Width(parts[1]) + 2;

    // Greedy layout from the measured widths.
    std::vector<POINT> at;
    int x = 0, y = 0, widest = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        const int w = c.Width(parts[i]);
        x += i ? space : 0;
        if (i && x + w > width) {
            y += line;
            x = 0;
        }
        at.push_back({ 40 + x, 20 + y });
        widest = std::max(widest, x += w);
    }
    ASSERT_GT(y, 0);

    RECT r = { 40, 20, 40 + width, 20 };
    DrawHTML(c.dc(), path.c_str(), -1, &r, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(40 + widest, r.right);
    EXPECT_EQ(20 + y + line, r.bottom);

    EXPECT_EQ(y, c.Draw(path, RECT{ 40, 20, 40 + width, 190 }));
    for (size_t i = 0; i < parts.size(); ++i) {
        EXPECT_TRUE(c.Ink(at[i].x, at[i].y, at[i].x + c.Width(parts[i]), at[i].y + line)) << parts[i];
        // The backslash stands in the space-wide box left of its word, also
        // left of the box's edge after a wrap.
        if (i) {
            EXPECT_TRUE(c.Ink(at[i].x - space, at[i].y, at[i].x, at[i].y + line)) << parts[i];
        }
    }
    // Blanks instead: the same layout with empty gaps.
    c.Clear();
    std::replace(path.begin(), path.end(), '\\', ' ');
    c.Draw(path, RECT{ 40, 20, 40 + width, 190 });
    for (size_t i = 1; i < parts.size(); ++i)
        EXPECT_FALSE(c.Ink(at[i].x - space, at[i].y, at[i].x, at[i].y + line)) << parts[i];
}

TEST(DrawHTML, BreaksParagraphsAndSingleLineMode)
{
    Canvas c;
    const int line = c.Line();
    // At the start a break moves the first line down, a paragraph does not.
    EXPECT_EQ(10 + 2 * line, c.Measure("<br>abc", 300).bottom);
    EXPECT_EQ(10 + line, c.Measure("<p>abc", 300).bottom);
    EXPECT_EQ(line, c.Draw("<br>abc", RECT{ 10, 10, 300, 200 }));
    EXPECT_FALSE(c.Ink(0, 0, 400, 10 + line));
    EXPECT_TRUE(c.Ink(0, 10 + line, 400, 10 + 2 * line));
    // In the middle: one line, one and a half lines.
    EXPECT_EQ(10 + 2 * line, c.Measure("ab<br>cd", 300).bottom);
    RECT r = c.Measure("ab<p>cd", 300);
    EXPECT_EQ(10 + line * 3 / 2 + line, r.bottom);
    EXPECT_EQ(10 + std::max(c.Width("ab"), c.Width("cd")), r.right);
    // The line after a break starts at 0, without the blanks around the tag.
    EXPECT_EQ(10 + c.Width("longer"), c.Measure("a <br> longer", 300).right);

    // Single line: breaks do nothing, and without word breaking the line grows.
    r = c.Measure("ab<br>cd<p>ef", 300, DT_SINGLELINE);
    EXPECT_EQ(10 + line, r.bottom);
    EXPECT_EQ(10 + c.Width("ab") + c.Width("cd") + c.Width("ef"), r.right);
    r = c.Measure("alpha beta gamma", 20, DT_SINGLELINE);
    EXPECT_EQ(10 + c.Width("alpha") + c.Width("beta") + c.Width("gamma") + 2 * c.Space(), r.right);
    EXPECT_EQ(10 + line, r.bottom);
}

TEST(DrawHTML, OverWideWordWidensTheMeasuredBox)
{
    Canvas c;
    const int line = c.Line();
    const std::string word = "Averyveryverylongword";
    const int w = c.Width(word);
    // "a", then the long word alone, then "b".
    RECT r = c.Measure("a " + word + " b", w / 3);
    EXPECT_EQ(10 + w, r.right);
    EXPECT_EQ(10 + 3 * line, r.bottom);
    // Drawn whole, far past the box's right edge.
    EXPECT_EQ(2 * line, c.Draw("a " + word + " b", RECT{ 10, 10, 10 + w / 3, 200 }));
    EXPECT_TRUE(c.Ink(10 + 2 * w / 3, 10 + line, 10 + w, 10 + 2 * line));
    // A word with no separator before it never goes to a new line.
    EXPECT_EQ(10 + line, c.Measure("abc<b>defghijklmnop</b>", c.Width("abc")).bottom);
}

TEST(DrawHTML, IgnoreLinkIsExactBlueAndUnderlined)
{
    Canvas c;
    const int line = c.Line(), width = c.Width("Ignore");
    c.Draw("<font color=#0000ff><u>Ignore</u><font>", RECT{ 10, 10, 200, 100 });
    EXPECT_EQ(Only(RGB(0, 0, 255)), c.Colours());
    int longest = 0;
    for (int y = 10 + line / 2; y < 10 + line; ++y) {
        int run = 0;
        for (int x = 10; x < 10 + width; ++x)
            run += c.Pixel(x, y) != WHITE;
        longest = std::max(longest, run);
    }
    EXPECT_GE(longest, width - 2) << "underline";
    // The colourless "<font>" changes nothing.
    c.Clear();
    c.Draw("<font color=#0000ff>Ignore<font> after", RECT{ 10, 10, 200, 100 });
    EXPECT_EQ(Only(RGB(0, 0, 255)), c.Colours());
}

TEST(DrawHTML, ColourValues)
{
    Canvas c;
    auto colours = [&](const char* text) {
        c.Clear();
        SetTextColor(c.dc(), RGB(0, 0, 128));
        c.Draw(text, RECT{ 10, 10, 300, 100 });
        return c.Colours();
    };
    EXPECT_EQ(Only(RGB(0x12, 0x34, 0x56)), colours("<font color=#123456>W"));
    EXPECT_EQ(Only(RGB(0xAB, 0xCD, 0xEF)), colours("<FONT COLOR=#abcdef>W"));
    EXPECT_EQ(Only(RGB(255, 0, 0)), colours("<font color='#ff0000'>W"));
    EXPECT_EQ(Only(RGB(0, 255, 0)), colours("<font color=\"#00ff00\">W"));
    EXPECT_EQ(Only(RGB(0, 0, 128)), colours("<font  color=#ff0000>W"));
    // A short value is read within its tag only: missing digits are 0, the
    // hex letters after the tag are not taken.
    EXPECT_EQ(Only(RGB(0, 255, 0)), colours("<font color=#00ff>aaa"));
    EXPECT_EQ(Only(RGB(0, 0, 0)), colours("<font color=#>abc"));
}

TEST(DrawHTML, TenNestedColoursUnwindThroughTheEightSaved)
{
    Canvas c(300, 600);
    const int line = c.Line();
    COLORREF level[11] = { RGB(0, 128, 0) };
    std::string text;
    for (int i = 1; i <= 10; ++i) {
        level[i] = RGB(20 * i, 0, 255 - 20 * i);
        char tag[40];
        wsprintfA(tag, "<font color=#%02x%02x%02x>W<br>", GetRValue(level[i]), GetGValue(level[i]),
                  GetBValue(level[i]));
        text += tag;
    }
    for (int i = 1; i <= 10; ++i)
        text += "</font>W<br>";
    // Levels 9 and 10 are shown but not saved: the pops give back levels 7
    // down to 0, and pops with nothing saved the call's starting colour.
    std::vector<COLORREF> expected(level + 1, level + 11);
    for (int i = 7; i >= 0; --i)
        expected.push_back(level[i]);
    expected.push_back(level[0]);
    expected.push_back(level[0]);

    SetTextColor(c.dc(), level[0]);
    c.Draw(text, RECT{ 10, 0, 200, 600 });
    for (int k = 0; k < static_cast<int>(expected.size()); ++k)
        EXPECT_EQ(Only(expected[k]), c.Colours(0, k * line, 300, (k + 1) * line)) << "line " << k;

    // A later call that pops first goes back to its own starting colour, not
    // to what an earlier call left on the stack.
    c.Clear();
    SetTextColor(c.dc(), RGB(0, 160, 0));
    c.Draw("</font>W", RECT{ 10, 10, 300, 100 });
    EXPECT_EQ(Only(RGB(0, 160, 0)), c.Colours());
}

// Each text is placed so that its last byte is the last one before an
// inaccessible page: a read past the end faults.
TEST(DrawHTML, MalformedTagsAtTheEndReadNothingPastIt)
{
    testsupport::GuardedBuffer buffer;
    ASSERT_TRUE(buffer.Ok());

    const char* texts[] = {
        "<font color=#0000", "<font color=", "<font color", "<font col", "<font", "<fon", "<", "</", "</font",
        "</b", "<b", "<br", "<p", "x <font color='#", "x <font color=\"", "word\\", "word ", "\\", " ", "a<",
        "<sup", "<strong", "<u>", "<br> ", "<p>\\", "<xyz", "</xyz", "<font color=#12345>",
    };
    Canvas canvas;
    for (const char* t : texts) {
        SCOPED_TRACE(t);
        const int n = static_cast<int>(strlen(t));
        const char* p = buffer.Place(t);
        for (UINT format : { DT_WORDBREAK, DT_WORDBREAK | DT_CALCRECT, DT_SINGLELINE }) {
            RECT box = { 10, 10, 200, 200 };
            DrawHTML(canvas.dc(), p, n, &box, format);
        }
    }
}
