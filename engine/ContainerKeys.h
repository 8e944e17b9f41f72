#pragma once
#include "afx.h"

// Containers: keys that Windows and other programs keep whether or not they
// hold anything (the Run family, the shell-folder keys, App Paths, Uninstall,
// SharedDLLs, the class registrations, the fonts key, Environment, the startup
// manager's store ...). They are never reported and never deleted; an empty
// container is no problem, but its empty children still are.

// TRUE for a container, or a key on the way to one (a hive root, Software ...),
// given as a full key text ("HKEY_USERS\S-1-5-21-...\Software\...").
// Case, Wow6432Node and the place a class hive is seen from do not matter.
BOOL IsProtectedKey(const CString& keyText);
// The same for a key path below an open predefined root key.
BOOL IsProtectedKey(HKEY root, const CString& path);
