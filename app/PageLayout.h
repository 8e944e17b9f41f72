#pragma once
#include <windows.h>
#include "CDialogFontScaler.h"

class CBitmap;
class CDC;
class CLabel;
class CRegistryCleanerDlg;
class CString;

// Re-lays a page (or the main window) out from its own template at 96 dots
// per inch on the NT family, where the skins' pixel sizes depend on it.
void ApplyPageLayout(CDialogFontScaler& scaler, HWND window, UINT templateId);

// Shows text in a label, also as its window text (for readers of the window).
void ShowLabelText(CLabel& label, const CString& text);
// A page's WM_ERASEBKGND: its background bitmap at its own size at the
// origin; TRUE (erased).
BOOL PaintPageBackground(CDC* dc, CBitmap& background);
// The main window a page sits on; NULL for a page shown elsewhere.
CRegistryCleanerDlg* MainWindowOf(HWND page);
