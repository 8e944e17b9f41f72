#pragma once
#include "CDC.h"

class CWnd;

// The client-area DC of a window (of the screen for NULL), given back on destruction.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;

protected:
    HWND m_hWnd;
};
