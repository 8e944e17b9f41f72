#pragma once
#include <windows.h>

// Draws, or with DT_CALCRECT only measures, a short text marked up with a small
// set of HTML tags (b, strong, i, em, u, sub, sup, br, p, font color=#rrggbb),
// wrapping words like DrawTextA. Blanks and backslashes separate words, so a
// registry path wraps at its backslashes.
//
// length < 0 takes the text up to its zero byte; otherwise exactly length bytes
// are read. Without rect the text starts at the DC's current position. Returns
// the distance from the top of the first line to the top of the last one; with
// DT_CALCRECT and a rect, right and bottom are set to the measured extent.
// UI thread only.
int DrawHTML(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format);
