#pragma once
#include <windows.h>
#include <vector>
#include "CHtmlElement.h"
#include "CString.h"

// Lays a page out top to bottom in a given width, the way the HTML dialog
// shows it: blocks (div, p, h1-h3, li...) start new lines; texts, links,
// pictures and controls flow from left to right and wrap. A text run is
// handed to the text renderer as markup of its small HTML set (b, i, u, br,
// font color=#rrggbb), measured with DT_CALCRECT and drawn later by Paint.
// Controls and pictures take the size kept in their element (m_size); their
// windows are moved by the dialog to the rectangles given here.
class CHtmlLayout {
public:
    // Draws or measures markup like DrawTextA (see SetTextRenderer of the dialog).
    typedef int (*TextRenderer)(HDC hdc, LPCSTR text, int length, LPRECT rect, UINT format);

    enum BoxKind { kText, kPicture, kControl };
    struct Box {
        BoxKind kind;
        CHtmlElement* element;  // the innermost element that owns the box
        RECT rect;
        CString markup;         // kText
        int font;               // kText: 0 body, 1..3 h1..h3
        UINT format;            // kText: DrawTextA flags for Paint
    };
    struct Fill {
        RECT rect;
        COLORREF color;
    };

    static constexpr int kMargin = 8;

    // fonts[0] is the body font, fonts[1..3] those of h1..h3.
    void Build(CHtmlElement* pRoot, HDC hdc, const HFONT fonts[4], TextRenderer renderer, int width);
    void Paint(HDC hdc, const HFONT fonts[4], TextRenderer renderer, const RECT& clip) const;
    // The element under a point (of a text or picture box), or NULL.
    CHtmlElement* HitTest(POINT pt) const;
    // The rectangle around every box of the element and its descendants; FALSE without any.
    BOOL GetElementRect(const CHtmlElement* pElement, RECT* pRect) const;
    const std::vector<Box>& GetBoxes() const { return m_boxes; }
    void Clear();

private:
    void Walk(CHtmlElement* e, CHtmlElement* owner);
    void AddText(const CHtmlElement* text, CHtmlElement* owner);
    void FlushRun();
    void PlaceItem(BoxKind kind, CHtmlElement* e);
    void PlaceBox(Box box, int width, int height);
    void EndLine();
    int LineHeight(int font);
    int SpaceWidth(int font);

    std::vector<Box> m_boxes;
    std::vector<Fill> m_fills;
    HDC m_hdc = nullptr;
    const HFONT* m_fonts = nullptr;
    TextRenderer m_renderer = nullptr;
    int m_left = 0, m_right = 0, m_width = 0;
    int m_x = 0, m_y = 0;
    int m_lineHeight = 0;
    size_t m_lineStart = 0;
    bool m_pendingSpace = false;
    // The text run being gathered.
    CString m_run;
    bool m_runHasText = false;
    CHtmlElement* m_runOwner = nullptr;
    int m_runFont = 0;
};
