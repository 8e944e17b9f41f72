#pragma once
#include "afx.h"

// One registry key that the diagnostic log describes.
class LogSettingsKey {
public:
    LogSettingsKey(HKEY root, const CString& subKey, BOOL recurse);

    HKEY m_root;        // null when the root's name was not recognised
    CString m_subKey;   // path below the root
    BOOL m_recurse;     // describe the subkeys too, to any depth
};
