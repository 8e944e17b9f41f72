#include "CSendGate.h"

BOOL CSendGate::Pass()
{
    const DWORD now = GetTickCount();
    if (!m_open && now - m_lastTick < m_intervalMs)
        return FALSE;
    m_open = false;
    m_lastTick = now;
    return TRUE;
}
