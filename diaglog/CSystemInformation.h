#pragma once
#include "afx.h"

// Names the operating system for the log's system line.
class CSystemInformation {
public:
    CSystemInformation() = default;
    virtual ~CSystemInformation();

    // The running system's name; servicePack is replaced only for the systems
    // whose version record names a service pack the log shows.
    CString DetectOperatingSystem(CString& servicePack);
    // The same decision for a given version record.
    static CString NameOperatingSystem(const OSVERSIONINFOA& info, CString& servicePack);
};
