#pragma once
#include "afx.h"

// One ignore-list entry, as the after-fix log records it.
class IgnoredItem {
public:
    // Cuts the entry text "root\path\name|value" into the root, the rest of
    // the path with the value name, and the value.
    IgnoredItem(CString entry, int nCategory);

    // One "<IgnoredItem .../>" line.
    CString GetXml() const;

    CString key;         // escaped
    CString value;       // escaped
    CString valueName;   // escaped
    int category;
};
