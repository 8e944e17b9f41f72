#pragma once
#include "afx.h"

// The system's message text for an error code, on one line: line breaks
// become blanks and trailing blanks are dropped. Empty when the system has no
// text for the code.
CString GetSystemErrorText(DWORD errorCode);
