#pragma once
#include "afxwin.h"

// Drawing helpers used without an object.
class GraphicUtils {
public:
    GraphicUtils() = delete;

    // How DrawStyledText draws: a font made of face, height, bold and
    // underline, the colours, the DrawText format, and whether the text's
    // background is filled with the background colour.
    struct TextStyle {
        CString face;
        COLORREF textColour = 0;
        COLORREF backgroundColour = 0;
        BYTE bold = 0;
        BYTE underline = 0;
        int height = 0;
        UINT format = 0;
        BYTE opaque = 0;
    };

    // Draws text in rect of dc in the given style; the DC's font is put back afterwards.
    static void DrawStyledText(CDC* dc, const CString& text, const RECT& rect, TextStyle style);
};
