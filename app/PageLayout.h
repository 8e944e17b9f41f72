#pragma once
#include <windows.h>
#include "CDialogFontScaler.h"

// Re-lays a page (or the main window) out from its own template at 96 dots
// per inch on the NT family, where the skins' pixel sizes depend on it.
void ApplyPageLayout(CDialogFontScaler& scaler, HWND window, UINT templateId);
