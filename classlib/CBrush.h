#pragma once
#include "CGdiObject.h"

// Owner of a brush.
class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF crColor) { CreateSolidBrush(crColor); }

    static CBrush* FromHandle(HBRUSH hBrush);
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    BOOL CreateSolidBrush(COLORREF crColor) { return Attach(::CreateSolidBrush(crColor)); }

private:
    friend class CTempMap;
    void AttachTemporary(HBRUSH h) { m_hObject = h; m_bTemporary = TRUE; }
};
