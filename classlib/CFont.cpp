#include "CFont.h"
#include "CDC.h"
#include "CTempMap.h"

CFont* CFont::FromHandle(HFONT hFont)
{
    return CTempMap::Get<CFont>(hFont);
}

BOOL CFont::CreatePointFont(int nPointSize, LPCSTR lpszFaceName, CDC* pDC)
{
    LOGFONTA lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    if (lpszFaceName)
        lstrcpynA(lf.lfFaceName, lpszFaceName, LF_FACESIZE);

    HDC hDC = pDC ? pDC->m_hDC : ::GetDC(nullptr);
    // Device pixels for the tenths of a point, then the same distance in logical units.
    POINT pts[2] = {{0, 0}, {0, ::MulDiv(::GetDeviceCaps(hDC, LOGPIXELSY), nPointSize, 720)}};
    ::DPtoLP(hDC, pts, 2);
    lf.lfHeight = -abs(pts[1].y - pts[0].y);
    if (!pDC)
        ::ReleaseDC(nullptr, hDC);
    return CreateFontIndirect(&lf);
}
