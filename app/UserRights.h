#pragma once
#include <windows.h>

// The administrator test. isAdmin is set to the answer; the result is 0 when
// the test ran, else the system error that stopped it (isAdmin is then FALSE).
// On the Windows 95 family and on versions the version table does not know,
// every user counts as an administrator.
DWORD IsUserAdmin(BOOL* isAdmin);
// The same test for a given version code of GetWindowsVersionName.
DWORD IsUserAdminOnVersion(int versionCode, BOOL* isAdmin);
// TRUE when one of the groups is the built-in Administrators group; the
// groups' attribute flags are not looked at. error gets a system error code
// when the group's SID cannot be built (the answer is then FALSE).
BOOL GroupsHoldAdministrators(const TOKEN_GROUPS* groups, DWORD* error);
