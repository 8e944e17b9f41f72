#pragma once
#include "afx.h"
#include <string>

// Reads a whole file into bytes; FALSE when it cannot be opened or read whole
// or is longer than maxBytes.
BOOL ReadFileBytes(LPCSTR pszPath, DWORD maxBytes, std::string& bytes);
