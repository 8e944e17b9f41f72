#pragma once
#include "afx.h"

// The command line's switches: case-sensitive substring tests on the whole
// command-line text, so "-tray" counts as "-t" and "-Tray" does not.
bool HasScanSwitch(LPCSTR commandLine);    // "-t": scan once the window has started
bool HasTraySwitch(LPCSTR commandLine);    // "-Tray": start hidden in the notification area

// A plausible e-mail address: an at sign that is not the first character, no
// second at sign after it, and a full stop somewhere after the at sign.
bool IsValidEmailAddress(const CString& address);

// The main window of a running instance: a top-level dialog titled exactly
// title that is no message box (message boxes are owned, or lack the window's
// Scan button navButtonId). NULL when there is none.
HWND FindRunningMainWindow(LPCSTR title, int navButtonId);

// Hands a second start over to the running instance's window: clears its
// started-hidden flag, brings it to the front and restores it, and with scan
// asks it for a scan. A window that does not answer within timeoutMs is left
// alone; FALSE then.
BOOL HandOverToRunningInstance(HWND window, bool scan, UINT timeoutMs);
