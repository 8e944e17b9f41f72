#pragma once
#include "LogElement.h"

// One registry value: its name, type and data text, with the class
// identifiers and file paths found in its text data and its name.
class RegValue : public LogElement {
public:
    // The three switches say whether binary, dword and text data are shown;
    // hidden data reads "N/A".
    RegValue(const CString& valueName, DWORD type, const BYTE* pData, DWORD size, BOOL binary, BOOL dword,
             BOOL regsz);
    ~RegValue() override;

    // "REG_SZ" and its kin, or "Undefined reg type: <n>".
    static CString GetTypeName(DWORD type);

    void WriteXml(CString& out) const override;

private:
    CString name;       // escaped
    CString typeName;
    CString data;       // escaped
    BOOL binary;
    BOOL dword;
    BOOL regsz;
};
