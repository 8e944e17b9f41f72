#include "GraphicUtils.h"

void GraphicUtils::DrawStyledText(CDC* dc, const CString& text, const RECT& rect, TextStyle style)
{
    LOGFONTA lf = {};
    lf.lfHeight = style.height;
    if (style.bold)
        lf.lfWeight = FW_BOLD;
    lf.lfUnderline = style.underline;
    lstrcpynA(lf.lfFaceName, style.face, LF_FACESIZE);
    CFont font;
    font.CreateFontIndirect(&lf);
    CFont* oldFont = dc->SelectObject(&font);
    dc->SetTextColor(style.textColour);
    dc->SetBkColor(style.backgroundColour);
    dc->SetBkMode(style.opaque ? OPAQUE : TRANSPARENT);
    RECT area = rect;
    dc->DrawText(text, &area, style.format);
    dc->SelectObject(oldFont);
}
