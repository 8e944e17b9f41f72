#pragma once
#include "afx.h"

class CRegistryProblem;

// One problem of the scan, as the after-fix log records it.
class ScanDetectedItem {
public:
    explicit ScanDetectedItem(const CRegistryProblem* problem);

    // One "<FoundItem .../>" line.
    CString GetXml() const;

    CString key;         // escaped
    CString value;       // escaped
    CString valueName;   // escaped
    int category;
    int cleaned;         // handed to its category's fixer
    int checked;         // selected for repair by the user
};
