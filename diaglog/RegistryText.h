#pragma once
#include "afx.h"
#include "LogElement.h"

// The log's name of a registry root: "HKEY_CLASSES_ROOT" and its kin, or
// "Invalid RootKey" for any other handle.
CString GetRootKeyName(HKEY root);

// Splits a registry text at ";" and "," and looks at every piece: a braced
// class identifier becomes a ClassID element in classIds, otherwise a file
// path becomes a File element in files (with its digest).
void AnalyzeRegistryValueData(const CString& text, LogElementList& files, LogElementList& classIds);

// The server that HKEY_CLASSES_ROOT\CLSID\<id>\InProcServer32 names, or a
// failure text.
void ResolveClassIdServerPath(const CString& classId, CString& serverPath);
// The title that HKEY_CLASSES_ROOT\CLSID\<id> holds, or a failure text.
void ResolveClassIdTitle(const CString& classId, CString& title);

// The bytes of a registry text up to its first zero byte, never beyond size.
CString RegistryBytesToText(const BYTE* data, DWORD size);
