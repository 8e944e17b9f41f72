#pragma once
#include "LogElement.h"

// The log's system line: the operating system and the program's own settings.
class SysInfo : public LogElement {
public:
    SysInfo(LPCSTR pszOperatingSystem, LPCSTR pszServicePack, LPCSTR pszProductVersion,
            LPCSTR pszWorkingDir, int nVendorId, int nProductId, BYTE bAutoProgramUpdate);
    ~SysInfo() override;

    // One "<SysInfo .../>" line; every attribute is followed by a blank.
    void WriteXml(CString& out) const override;

private:
    // The texts are stored escaped.
    CString operatingSystem;
    CString servicePack;
    CString productVersion;
    CString workingDir;
    int vendorId;
    int productId;
    BYTE autoProgramUpdate;
};
