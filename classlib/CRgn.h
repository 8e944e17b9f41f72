#pragma once
#include "CGdiObject.h"

// Owner of a region. A region handed to a window with SetWindowRgn belongs to
// the system afterwards: Detach it after a successful call.
class CRgn : public CGdiObject {
public:
    static CRgn* FromHandle(HRGN hRgn);
    operator HRGN() const { return static_cast<HRGN>(m_hObject); }

    BOOL CreateRectRgn(int x1, int y1, int x2, int y2) { return Attach(::CreateRectRgn(x1, y1, x2, y2)); }
    BOOL CreateRectRgnIndirect(LPCRECT lpRect) { return Attach(::CreateRectRgnIndirect(lpRect)); }
    // This region becomes the combination of the two (RGN_OR, RGN_XOR...); returns the region type.
    int CombineRgn(const CRgn* pRgn1, const CRgn* pRgn2, int nCombineMode)
    {
        return ::CombineRgn(*this, pRgn1 ? (HRGN)*pRgn1 : nullptr, pRgn2 ? (HRGN)*pRgn2 : nullptr, nCombineMode);
    }
    BOOL PtInRegion(int x, int y) const { return ::PtInRegion(*this, x, y); }
    BOOL PtInRegion(POINT pt) const { return ::PtInRegion(*this, pt.x, pt.y); }
    int GetRgnBox(LPRECT lpRect) const { return ::GetRgnBox(*this, lpRect); }

private:
    friend class CTempMap;
    void AttachTemporary(HRGN h) { m_hObject = h; m_bTemporary = TRUE; }
};
