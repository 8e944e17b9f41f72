#include "CBrush.h"
#include "CTempMap.h"

CBrush* CBrush::FromHandle(HBRUSH hBrush)
{
    return CTempMap::Get<CBrush>(hBrush);
}
