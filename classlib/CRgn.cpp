#include "CRgn.h"
#include "CTempMap.h"

CRgn* CRgn::FromHandle(HRGN hRgn)
{
    return CTempMap::Get<CRgn>(hRgn);
}
