#pragma once
// Plain HTTP(S) GETs over WinInet with short time-outs and bounded sizes.
#include <windows.h>
#include <functional>
#include <string>

// Asked between reads; true stops the transfer as a failure.
using CancelTest = std::function<bool()>;

// Connect, send and receive time-outs of every request.
const DWORD kHttpTimeoutMs = 5000;

// Fetches an http:// or https:// address into text of at most maxBytes bytes.
// FALSE on any failure: a bad address, no answer within the time-outs, an
// HTTP status other than 200, a body longer than maxBytes or shorter than the
// length the server announced, or a cancel.
BOOL FetchToText(const std::string& url, DWORD maxBytes, const CancelTest& cancelled, std::string& text);

// Fetches into a new file at path (replacing one there) under the same rules;
// the file is deleted again on failure.
BOOL FetchToFile(const std::string& url, const std::string& path, DWORD maxBytes, const CancelTest& cancelled);
