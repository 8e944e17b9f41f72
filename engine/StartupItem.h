#pragma once
#include "afx.h"

// One program that Windows starts at logon, or one that was disabled.
struct StartupItem {
    CString program;   // value name, shortcut name without ".lnk", or the record's "item"
    CString command;   // value data, shortcut target, or the record's "command"
    CString location;  // "HKEY_CURRENT_USER/Run", "HKLM/RunOnce", "Startup", "Common Startup" ...
    BYTE enabled = 1;  // 1 at its origin, 0 kept in the store of disabled items
};
