#pragma once
#include "CArray.h"
#include "CString.h"

// Growable array of texts.
class CStringArray : public CArray<CString, LPCSTR> {
public:
    INT_PTR Add(LPCSTR psz) { return CArray<CString, LPCSTR>::Add(psz); }
    INT_PTR Add(const CString& s) { return CArray<CString, LPCSTR>::Add(s); }
};
