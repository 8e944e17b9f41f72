#include "CRegScanner.h"

// The fix: for now it repairs nothing. It reports its end so that the
// message sequence of a fix (and of an automatic fix after a scan) holds;
// the problems stay in the array and every fixed counter stays 0.
UINT CRegScanner::FixAll(LPVOID pParam)
{
    CRegScanner* self = static_cast<CRegScanner*>(pParam);
    SendMessageA(self->m_hNotifyWnd, WM_FIX_DONE, 0, 0);
    return 0;
}
