#include "DrawHTML.h"
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
    SIZE size = {};
    if (layout.style != layout.selectedStyle) {
        SelectObject(layout.dc, layout.fonts.Get(layout.style));
        GetTextExtentPoint32A(layout.dc, " ", 1, &size);
        layout.spaceWidth = size.cx;
        layout.selectedStyle = layout.style;
    }
    GetTextExtentPoint32A(layout.dc, word, length, &size);
    const int wordWidth = size.cx;
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
    UINT wordFormat = layout.drawFormat;
    if (layout.style & STYLE_SUBSCRIPT)
        wordFormat |= DT_BOTTOM | DT_SINGLELINE;
    DrawTextA(layout.dc, word, length, &box, wordFormat);
    if (layout.white) {
        RECT gap = { box.left - layout.spaceWidth, box.top, box.left, box.bottom };
        DrawTextA(layout.dc, layout.backslash ? "\\" : " ", 1, &gap, layout.drawFormat);
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
