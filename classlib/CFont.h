#pragma once
#include "CGdiObject.h"

class CDC;

// Owner of a font.
class CFont : public CGdiObject {
public:
    static CFont* FromHandle(HFONT hFont);
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }

    BOOL CreateFontIndirect(const LOGFONTA* lpLogFont) { return Attach(::CreateFontIndirectA(lpLogFont)); }
    // A font of nPointSize tenths of a point: the height is the point size scaled
    // by the vertical resolution of pDC (of the screen when pDC is NULL).
    BOOL CreatePointFont(int nPointSize, LPCSTR lpszFaceName, CDC* pDC = nullptr);
    int GetLogFont(LOGFONTA* pLogFont) const { return GetObject(sizeof(LOGFONTA), pLogFont); }

private:
    friend class CTempMap;
    void AttachTemporary(HFONT h) { m_hObject = h; m_bTemporary = TRUE; }
};
