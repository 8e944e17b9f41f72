#pragma once
#include "afx.h"

// One folder that the diagnostic log describes.
class LogSettingsDirectory {
public:
    LogSettingsDirectory(const CString& path, BOOL recurse);

    CString m_path;     // may hold %VARIABLE% references
    BOOL m_recurse;     // describe the subfolders too, to any depth
};
