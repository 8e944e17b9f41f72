#pragma once
#include "afx.h"

// Windows version codes: 1 to 7 the Windows 95 family, 101 to 105 the NT
// family, 201 Windows CE, 0 unknown.
enum {
    OSCODE_UNKNOWN = 0,
    OSCODE_WIN95 = 1,
    OSCODE_WIN95_SP1 = 2,
    OSCODE_WIN95_OSR2 = 3,
    OSCODE_WIN98 = 4,
    OSCODE_WIN98_SP1 = 5,
    OSCODE_WIN98_SE = 6,
    OSCODE_WINME = 7,
    OSCODE_NT351 = 101,
    OSCODE_NT4 = 102,
    OSCODE_WIN2000 = 103,
    OSCODE_WINXP = 104,
    OSCODE_VISTA = 105,
    OSCODE_WINCE = 201
};

// Names the Windows version of a version record; "unknown Windows version"
// and 0 for a combination not in the table.
void DescribeWindowsVersion(const OSVERSIONINFOA& info, CString& name, int& code);

// The running system's version name and code; FALSE only when the version
// cannot be read (name and code are then the unknown ones).
BOOL GetWindowsVersionName(CString& name, int& code);

// Fills a MAX_PATH buffer with the program file's full path; FALSE when the
// path cannot be read whole.
BOOL GetModuleFilePath(LPSTR pszPath);

// The program file's folder with a trailing backslash, or with bWholePath the
// program file's full path; empty when the module path cannot be read.
CString GetProgramFolder(BOOL bWholePath = FALSE);

// Decimal conversion: leading blanks, an optional sign, then digits; text
// that starts with no digit reads as 0. Out-of-range numbers are clamped.
int DecimalToInt(LPCSTR pszText);

// A variable of the process environment; empty when unset or longer than MAX_PATH.
CString GetEnvironmentText(LPCSTR pszName);
