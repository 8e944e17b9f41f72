#pragma once
#include "afx.h"
#include "LogSettingsConfig.h"

// Reader of "LogSettings.xml", the document that says what the diagnostic log
// gathers: the seven switches of the first LogSettings element, and the
// RegKey and Directory entries of the first group of each.
class LogSettingsDocument {
public:
    // Reads the document at path into settings. Every switch is set (off when
    // the document or its attribute is missing); entries are appended in
    // document order. Always TRUE.
    static BOOL LoadLogSettings(LPCSTR path, LogSettingsConfig& settings);

    // The predefined root a rootKey text names, in any letter case; null for
    // any other text or a null text.
    static HKEY GetRootKeyFromName(LPCSTR name);
};
