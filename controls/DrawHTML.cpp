#include "DrawHTML.h"
#include <cstring>
#include <vector>
#include "CFont.h"

namespace {

// Token values of the tag table; a closing tag adds TOKEN_CLOSING.
enum {
    TOKEN_END = -1,
    TOKEN_TEXT = 0,
    TOKEN_BOLD = 1,
    TOKEN_BREAK = 2,
    TOKEN_FONT = 3,
    TOKEN_ITALIC = 4,
    TOKEN_PARAGRAPH = 5,
    TOKEN_SUBSCRIPT = 6,
    TOKEN_SUPERSCRIPT = 7,
    TOKEN_UNDERLINE = 8,
    TOKEN_CLOSING = 0x100
};

// Style bits; one cached font per combination.
enum {
    STYLE_BOLD = 1,
    STYLE_ITALIC = 2,
    STYLE_UNDERLINE = 4,
    STYLE_SUPERSCRIPT = 8,
    STYLE_SUBSCRIPT = 16,
    STYLE_COUNT = 32
};

struct HtmlTag {
    const char* name;
    int token;
    bool takesAttributes;
    bool empty;     // no content; ends the current run of words
};

// Row 0 stands for no tag. Looked up from the last row to the first, so that
// "br" is found before "b".
const HtmlTag HTML_TAG_TABLE[] = {
    { "", TOKEN_TEXT, false, false },
    { "b", TOKEN_BOLD, false, false },
    { "br", TOKEN_BREAK, false, true },
    { "em", TOKEN_ITALIC, false, false },
    { "font", TOKEN_FONT, true, false },
    { "i", TOKEN_ITALIC, false, false },
    { "p", TOKEN_PARAGRAPH, false, true },
    { "strong", TOKEN_BOLD, false, false },
    { "sub", TOKEN_SUBSCRIPT, false, false },
    { "sup", TOKEN_SUPERSCRIPT, false, false },
    { "u", TOKEN_UNDERLINE, false, false },
};
const int kHtmlTagRows = sizeof(HTML_TAG_TABLE) / sizeof(HTML_TAG_TABLE[0]);

// Text colours saved by nested font tags; only the innermost eight levels
// beyond the call's own colour are kept.
const int kHtmlColorDepth = 8;
struct HtmlColorStack {
    COLORREF colours[kHtmlColorDepth];
    int count;
};
HtmlColorStack g_htmlColorStack;

// A blank, tab, line feed, vertical tab, form feed, carriage return or
// backslash; a backslash also sets the backslash flag.
bool IsHtmlSpace(char c, bool& backslash)
{
    switch (static_cast<unsigned char>(c)) {
    case ' ': case '\t': case '\n': case '\v': case '\f': case '\r':
        return true;
    case '\\':
        backslash = true;
        return true;
    default:
        return false;
    }
}

bool IsSeparator(char c)
{
    bool ignored = false;
    return IsHtmlSpace(c, ignored);
}

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Compares count bytes of text with a lower-case ASCII word, ignoring case.
bool EqualsNoCase(LPCSTR text, LPCSTR word, int count)
{
    for (int i = 0; i < count; ++i) {
        if (LowerAscii(text[i]) != word[i])
            return false;
    }
    return true;
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

// Reads [quote]["#"]rrggbb from [p, end); digits missing before end count as 0.
COLORREF ParseHtmlColor(LPCSTR p, LPCSTR end)
{
    if (p < end && (*p == '\'' || *p == '"'))
        ++p;
    if (p < end && *p == '#')
        ++p;
    int nibbles[6];
    for (int& nibble : nibbles) {
        nibble = p < end ? HexDigitValue(*p) : 0;
        if (p < end)
            ++p;
    }
    return RGB(nibbles[0] * 16 + nibbles[1], nibbles[2] * 16 + nibbles[3], nibbles[4] * 16 + nibbles[5]);
}

void PushHtmlColor(HDC dc, COLORREF colour)
{
    if (g_htmlColorStack.count < kHtmlColorDepth)
        g_htmlColorStack.colours[g_htmlColorStack.count++] = GetTextColor(dc);
    SetTextColor(dc, colour);
}

// With nothing saved, goes back to the colour the call started with.
void PopHtmlColor(HDC dc, COLORREF startColour)
{
    if (g_htmlColorStack.count > 0)
        SetTextColor(dc, g_htmlColorStack.colours[--g_htmlColorStack.count]);
    else
        SetTextColor(dc, startColour);
}

HFONT CreateHtmlFont(HFONT baseFont, int style)
{
    LOGFONTA lf = {};
    GetObjectA(baseFont, sizeof(lf), &lf);
    lf.lfWeight = (style & STYLE_BOLD) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style & STYLE_ITALIC) ? TRUE : FALSE;
    lf.lfUnderline = (style & STYLE_UNDERLINE) ? TRUE : FALSE;
    if (style & (STYLE_SUPERSCRIPT | STYLE_SUBSCRIPT))
        lf.lfHeight = lf.lfHeight * 7 / 10;
    return CreateFontIndirectA(&lf);
}

// The fonts of one call: style 0 is the DC's own font (not owned), the others
// are made on first use and deleted with the cache.
class HtmlFontCache {
public:
    explicit HtmlFontCache(HFONT baseFont) : m_baseFont(baseFont) {}
    HtmlFontCache(const HtmlFontCache&) = delete;
    HtmlFontCache& operator=(const HtmlFontCache&) = delete;

    HFONT Get(int style)
    {
        if (style == 0)
            return m_baseFont;
        CFont& font = m_fonts[style];
        if (!font.GetSafeHandle())
            font.Attach(CreateHtmlFont(m_baseFont, style));
        return font.GetSafeHandle() ? static_cast<HFONT>(font) : m_baseFont;
    }

private:
    HFONT m_baseFont;
    CFont m_fonts[STYLE_COUNT];
};

// The advances a font's glyphs are drawn with. Wine draws some hinted fonts
// at small sizes (Liberation Sans at 11 pixels, for one) with the advances of
// their bi-level glyphs, which GetTextExtentPoint32A does not report: words
// placed by those extents run into each other or leave wide gaps, although
// DrawTextA draws the same sentence evenly. A probe finds out once per font
// which advances its drawing follows; a font drawn as its extents say (every
// font on Windows) is measured with GetTextExtentPoint32A.
class DrawnAdvances {
public:
    // NULL when the font's drawing follows GetTextExtentPoint32A.
    static const DrawnAdvances* Of(HDC dc, HFONT font);

    int Width(LPCSTR text, int length) const
    {
        int width = 0;
        for (int i = 0; i < length; ++i)
            width += m_advance[static_cast<unsigned char>(text[i])];
        return width;
    }

private:
    static const int kCacheSize = 32;
    struct Entry {
        LOGFONTA font;
        bool glyphAdvances;
        DrawnAdvances* advances;
    };

    void Fill(HDC dc);
    bool ProbeDrawing(HDC dc, HFONT font) const;

    int m_advance[256] = {};
};

bool SameFont(const LOGFONTA& a, const LOGFONTA& b)
{
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
           a.lfOrientation == b.lfOrientation && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
           a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.lfOutPrecision == b.lfOutPrecision && a.lfClipPrecision == b.lfClipPrecision &&
           a.lfQuality == b.lfQuality && a.lfPitchAndFamily == b.lfPitchAndFamily &&
           strncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

void DrawnAdvances::Fill(HDC dc)
{
    const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    for (int c = 0; c < 256; ++c) {
        const char ch = static_cast<char>(c);
        GLYPHMETRICS metrics = {};
        if (GetGlyphOutlineA(dc, static_cast<UINT>(c), GGO_BITMAP, &metrics, 0, nullptr, &identity) != GDI_ERROR) {
            m_advance[c] = metrics.gmCellIncX;
        } else {
            SIZE size = {};
            GetTextExtentPoint32A(dc, &ch, 1, &size);
            m_advance[c] = size.cx;
        }
    }
}

// Draws the letters whose glyph advance is wider (or else narrower) than their
// extent, and a bar after them, into a white bitmap, and the bar alone: the bar
// moves by the width the letters are drawn with. True when that is the sum of
// their glyph advances.
bool DrawnAdvances::ProbeDrawing(HDC dc, HFONT font) const
{
    char wider[96], narrower[96];
    int widerCount = 0, narrowerCount = 0;
    for (int c = 0x21; c < 0x7F; ++c) {
        const char ch = static_cast<char>(c);
        SIZE extent = {};
        GetTextExtentPoint32A(dc, &ch, 1, &extent);
        if (m_advance[c] > extent.cx)
            wider[widerCount++] = ch;
        else if (m_advance[c] < extent.cx)
            narrower[narrowerCount++] = ch;
    }
    const char* probeText = widerCount ? wider : narrower;
    const int probeLength = widerCount ? widerCount : narrowerCount;
    if (probeLength == 0)
        return false;
    const int glyphs = Width(probeText, probeLength);
    SIZE extent = {};
    GetTextExtentPoint32A(dc, probeText, probeLength, &extent);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    const int width = (glyphs > extent.cx ? glyphs : extent.cx) + 4 * metrics.tmMaxCharWidth + 16;
    const int height = metrics.tmHeight > 0 ? metrics.tmHeight : 1;
    if (width > 8192 || height > 1024)
        return false;

    HDC probe = CreateCompatibleDC(dc);
    if (!probe)
        return false;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(info.bmiHeader), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(probe, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool glyphAdvances = false;
    if (bitmap && bits) {
        HGDIOBJ oldBitmap = SelectObject(probe, bitmap);
        HGDIOBJ oldFont = SelectObject(probe, font);
        SetTextColor(probe, RGB(0, 0, 0));
        SetBkMode(probe, TRANSPARENT);
        const DWORD* pixels = static_cast<const DWORD*>(bits);
        auto lastInk = [&](LPCSTR text, int length) {
            memset(bits, 0xFF, static_cast<size_t>(width) * height * 4);
            ExtTextOutA(probe, 0, 0, 0, nullptr, text, length, nullptr);
            GdiFlush();
            for (int x = width - 1; x >= 0; --x)
                for (int y = 0; y < height; ++y)
                    if ((pixels[y * width + x] & 0x00FFFFFF) != 0x00FFFFFF)
                        return x;
            return -1;
        };
        char probeAndBar[97];
        memcpy(probeAndBar, probeText, probeLength);
        probeAndBar[probeLength] = '|';
        const int bar = lastInk("|", 1);
        const int after = lastInk(probeAndBar, probeLength + 1);
        glyphAdvances = bar >= 0 && after >= 0 && after - bar == glyphs;
        SelectObject(probe, oldFont);
        SelectObject(probe, oldBitmap);
    }
    if (bitmap)
        DeleteObject(bitmap);
    DeleteDC(probe);
    return glyphAdvances;
}

const DrawnAdvances* DrawnAdvances::Of(HDC dc, HFONT font)
{
    // A few fonts are used over and over (one per style of the list and the
    // pages): the answers are kept for the program's run. UI thread only.
    static std::vector<Entry> cache;
    static size_t next = 0;
    LOGFONTA logFont;
    memset(&logFont, 0, sizeof logFont);
    if (!GetObjectA(font, sizeof logFont, &logFont))
        return nullptr;
    for (const Entry& entry : cache)
        if (SameFont(entry.font, logFont))
            return entry.glyphAdvances ? entry.advances : nullptr;
    auto* advances = new DrawnAdvances;
    advances->Fill(dc);
    Entry entry = {logFont, advances->ProbeDrawing(dc, font), advances};
    if (cache.size() < static_cast<size_t>(kCacheSize)) {
        cache.push_back(entry);
    } else {
        delete cache[next].advances;
        cache[next] = entry;
        next = (next + 1) % kCacheSize;
    }
    return entry.glyphAdvances ? entry.advances : nullptr;
}

// The width of a text as the DC's font (font) draws it.
int DrawnWidth(HDC dc, const DrawnAdvances* advances, LPCSTR text, int length)
{
    if (advances)
        return advances->Width(text, length);
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, length, &size);
    return size.cx;
}

// Reads the next token at pos (remaining bytes left). Skips separators first,
// leaving pos at the token's start; tokenLength is the number of bytes the
// caller then steps over. Never reads at or past pos + remaining.
int GetHtmlToken(LPCSTR& pos, int& remaining, int& tokenLength, bool& white, bool& backslash)
{
    const bool previousWhite = white;
    if (!white)
        white = remaining > 0 && IsHtmlSpace(*pos, backslash);
    if (remaining < 1)
        return TOKEN_END;
    while (remaining > 0 && IsHtmlSpace(*pos, backslash)) {
        ++pos;
        --remaining;
    }
    if (remaining == 0)
        return TOKEN_END;

    int n = 0;
    if (*pos != '<') {
        // A word runs to the next separator or tag.
        while (n < remaining && pos[n] != '<' && !IsSeparator(pos[n]))
            ++n;
        tokenLength = n;
        return TOKEN_TEXT;
    }

    n = 1;
    int closing = 0;
    if (n < remaining && pos[n] == '/') {
        closing = TOKEN_CLOSING;
        ++n;
    }
    const int nameStart = n;
    while (n < remaining && pos[n] != '<' && pos[n] != '>' && !IsSeparator(pos[n]))
        ++n;

    int row = 0;
    for (int r = kHtmlTagRows - 1; r >= 1; --r) {
        const int nameLength = lstrlenA(HTML_TAG_TABLE[r].name);
        if (remaining - nameStart >= nameLength && EqualsNoCase(pos + nameStart, HTML_TAG_TABLE[r].name, nameLength)) {
            row = r;
            break;
        }
    }
    if (row == 0) {
        // Unknown: an opening tag is shown as text, brackets included.
        if (n < remaining && pos[n] == '>')
            ++n;
        tokenLength = n;
        return closing;
    }

    const HtmlTag& tag = HTML_TAG_TABLE[row];
    if (tag.takesAttributes && !closing) {
        while (n < remaining && pos[n] != '<' && pos[n] != '>')
            ++n;
    } else if (n >= remaining || pos[n] != '>') {
        // Not directly closed: the bracket and name are a word of their own.
        tokenLength = n;
        return closing;
    }
    if (tag.empty)
        white = false;
    if (n < remaining && pos[n] == '>')
        ++n;
    if (tag.empty || previousWhite) {
        while (n < remaining && IsHtmlSpace(pos[n], backslash))
            ++n;
    }
    tokenLength = n;
    return tag.token + closing;
}

int StyleBit(int token)
{
    switch (token & ~TOKEN_CLOSING) {
    case TOKEN_BOLD: return STYLE_BOLD;
    case TOKEN_ITALIC: return STYLE_ITALIC;
    case TOKEN_UNDERLINE: return STYLE_UNDERLINE;
    case TOKEN_SUPERSCRIPT: return STYLE_SUPERSCRIPT;
    case TOKEN_SUBSCRIPT: return STYLE_SUBSCRIPT;
    default: return 0;
    }
}


// Where one call stands while it lays its tokens out.
struct HtmlLayout {
    HDC dc;
    POINT origin;
    int width;
    UINT format;
    UINT drawFormat;
    bool measureOnly;
    bool singleLine;
    int lineHeight;
    COLORREF startColour;
    HtmlFontCache& fonts;
    int x = 0;
    int y = 0;
    int widest = 0;
    int style = 0;
    int selectedStyle = -1;
    int spaceWidth = 0;
    const DrawnAdvances* advances = nullptr;
    bool white = false;
    bool backslash = false;
};

// A tag's effect on the style, the colour or the line; atStart: the text's first token.
void ApplyHtmlTag(HtmlLayout& layout, int token, LPCSTR tag, int tagLength, bool atStart)
{
    switch (token) {
    case TOKEN_BOLD:
    case TOKEN_ITALIC:
    case TOKEN_UNDERLINE:
    case TOKEN_SUPERSCRIPT:
    case TOKEN_SUBSCRIPT:
        layout.style |= StyleBit(token);
        break;
    case TOKEN_BOLD | TOKEN_CLOSING:
    case TOKEN_ITALIC | TOKEN_CLOSING:
    case TOKEN_UNDERLINE | TOKEN_CLOSING:
    case TOKEN_SUPERSCRIPT | TOKEN_CLOSING:
    case TOKEN_SUBSCRIPT | TOKEN_CLOSING:
        layout.style &= ~StyleBit(token);
        break;
    case TOKEN_BREAK:
        if (!layout.singleLine) {
            layout.y += layout.lineHeight;
            layout.x = 0;
        }
        break;
    case TOKEN_PARAGRAPH:
        if (!layout.singleLine) {
            if (!atStart)
                layout.y += layout.lineHeight * 3 / 2;
            layout.x = 0;
        }
        break;
    case TOKEN_FONT:
        // "<font color=..." with exactly one separator after the name.
        if (tagLength >= 12 && EqualsNoCase(tag + 6, "color=", 6))
            PushHtmlColor(layout.dc, ParseHtmlColor(tag + 12, tag + tagLength));
        break;
    case TOKEN_FONT | TOKEN_CLOSING:
        PopHtmlColor(layout.dc, layout.startColour);
        break;
    default:
        // Closing break and paragraph tags and unknown closing tags.
        break;
    }
}

// Selects the word's font, measures it and places it: after a blank, on a new
// line when it does not fit and words wrap. Returns the word's width.
int MeasureHtmlWord(HtmlLayout& layout, LPCSTR word, int length)
{
    if (layout.style != layout.selectedStyle) {
        const HFONT font = layout.fonts.Get(layout.style);
        SelectObject(layout.dc, font);
        layout.advances = DrawnAdvances::Of(layout.dc, font);
        layout.spaceWidth = DrawnWidth(layout.dc, layout.advances, " ", 1);
        layout.selectedStyle = layout.style;
    }
    const int wordWidth = DrawnWidth(layout.dc, layout.advances, word, length);
    if (wordWidth > layout.width)
        layout.width = wordWidth;
    if (layout.white)
        layout.x += layout.spaceWidth;
    if (layout.white && layout.x + wordWidth > layout.width) {
        if (layout.format & DT_WORDBREAK) {
            layout.y += layout.lineHeight;
            layout.x = 0;
        } else {
            layout.width = layout.x + wordWidth;
        }
    }
    return wordWidth;
}

// Draws a placed word and the separator before it.
void DrawHtmlWord(const HtmlLayout& layout, LPCSTR word, int length)
{
    RECT box = { layout.origin.x + layout.x, layout.origin.y + layout.y, layout.origin.x + layout.width,
                 layout.origin.y + layout.y + layout.lineHeight };
    const char separator = layout.backslash ? '\\' : ' ';
    if (layout.white && !(layout.style & STYLE_SUBSCRIPT) && length < 1024) {
        // The separator and the word in one call from the separator's box: a
        // first letter that reaches left of its cell ("t", "j") is not cut off
        // at the word's box. Without word breaking, which would move a word
        // that only just fits to a line of its own below the box.
        char text[1025];
        text[0] = separator;
        memcpy(text + 1, word, length);
        box.left -= layout.spaceWidth;
        DrawTextA(layout.dc, text, length + 1, &box, layout.drawFormat & ~DT_WORDBREAK);
        return;
    }
    UINT wordFormat = layout.drawFormat;
    if (layout.style & STYLE_SUBSCRIPT)
        wordFormat |= DT_BOTTOM | DT_SINGLELINE;
    DrawTextA(layout.dc, word, length, &box, wordFormat);
    if (layout.white) {
        RECT gap = { box.left - layout.spaceWidth, box.top, box.left, box.bottom };
        DrawTextA(layout.dc, &separator, 1, &gap, layout.drawFormat);
    }
}

}  // namespace

int DrawHTML(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format)
{
    if (!dc || !text)
        return 0;
    if (length < 0)
        length = lstrlenA(text);

    POINT origin;
    int width;
    if (rect) {
        origin.x = rect->left;
        origin.y = rect->top;
        width = rect->right - rect->left;
    } else {
        GetCurrentPositionEx(dc, &origin);
        width = GetDeviceCaps(dc, HORZRES) - origin.x;
    }
    if (width < 0)
        width = 0;
    format &= ~(DT_CENTER | DT_RIGHT | DT_TABSTOP);
    format |= DT_NOPREFIX;
    const bool measureOnly = (format & DT_CALCRECT) != 0;

    const int savedDC = SaveDC(dc);
    HtmlFontCache fonts(static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT)));
    SIZE size = {};
    GetTextExtentPoint32A(dc, "\xC5y", 2, &size);
    HtmlLayout layout{dc, origin, width, format, format & ~DT_CALCRECT, measureOnly,
                      (format & DT_SINGLELINE) != 0, size.cy, GetTextColor(dc), fonts};
    g_htmlColorStack.count = 0;

    LPCSTR pos = text;
    int remaining = length;
    int tokenLength = 0;
    for (;;) {
        const int token = GetHtmlToken(pos, remaining, tokenLength, layout.white, layout.backslash);
        if (token == TOKEN_END)
            break;
        if (token == TOKEN_TEXT) {
            const int wordWidth = MeasureHtmlWord(layout, pos, tokenLength);
            if (!measureOnly)
                DrawHtmlWord(layout, pos, tokenLength);
            layout.x += wordWidth;
            if (layout.x > layout.widest)
                layout.widest = layout.x;
            layout.white = false;
            layout.backslash = false;
        } else {
            ApplyHtmlTag(layout, token, pos, tokenLength, pos == text);
        }
        pos += tokenLength;
        remaining -= tokenLength;
    }
    RestoreDC(dc, savedDC);

    if (measureOnly && rect) {
        rect->right = rect->left + layout.widest;
        rect->bottom = rect->top >= 0 ? rect->top + layout.y + layout.lineHeight
                                      : rect->top - layout.y - layout.lineHeight;
    }
    return layout.y;
}
