#pragma once
#include <windows.h>
#include <string>

// The digest of a whole file as lower-case hex: SHA-256 when sha256 is TRUE,
// else MD5. Empty when the file cannot be read or the digest not made.
std::string GetFileDigestHex(const std::string& path, BOOL sha256);
