#pragma once
#include "CGdiObject.h"

// Owner of a pen.
class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int nPenStyle, int nWidth, COLORREF crColor) { CreatePen(nPenStyle, nWidth, crColor); }

    static CPen* FromHandle(HPEN hPen);
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor)
    {
        return Attach(::CreatePen(nPenStyle, nWidth, crColor));
    }

private:
    friend class CTempMap;
    void AttachTemporary(HPEN h) { m_hObject = h; m_bTemporary = TRUE; }
};
