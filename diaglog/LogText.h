#pragma once
#include "afx.h"

// Makes a text safe inside a log attribute, in place: & ' " < > become
// &amp; &apos; &quot; &lt; &gt;, and the control bytes that XML does not allow
// (all below 0x20 but tab, line feed and carriage return) become "?".
void EscapeXml(CString& text);

// Converts 8-bit text in the system code page to UTF-8 without a byte-order
// mark. Should the conversion fail, the text comes back with every byte above
// 0x7F replaced by "?", so the result is still UTF-8.
CString ConvertAnsiToUtf8(const CString& text);
