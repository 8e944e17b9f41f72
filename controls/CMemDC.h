#pragma once
#include "afxwin.h"

// A DC that draws into an off-screen bitmap and copies it to the target DC
// when it goes out of scope, so that a control paints without flicker. It
// covers the given rectangle (the target's clip box by default) in the
// target's own logical coordinates. A printing target, an empty rectangle or
// a bitmap that cannot be made: drawing goes straight to the target.
class CMemDC : public CDC {
public:
    explicit CMemDC(CDC* pDC, const RECT* pRect = nullptr);
    ~CMemDC() override;

private:
    CBitmap m_bitmap;
    CBitmap* m_oldBitmap = nullptr;
    CDC* m_pDC;
    CRect m_rect;
    BOOL m_bMemDC;
};
