#include "CPen.h"
#include "CTempMap.h"

CPen* CPen::FromHandle(HPEN hPen)
{
    return CTempMap::Get<CPen>(hPen);
}
