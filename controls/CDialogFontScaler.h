#pragma once
#include <windows.h>
#include "CFont.h"

// Lays a dialog and its controls out again from the dialog's own template,
// with the template's font made for a fixed resolution (96 dots per inch for
// the skins): the dialog keeps its pixel sizes whatever the system's DPI.
class CDialogFontScaler {
public:
    CDialogFontScaler() = default;
    ~CDialogFontScaler() { Restore(); }
    CDialogFontScaler(const CDialogFontScaler&) = delete;
    CDialogFontScaler& operator=(const CDialogFontScaler&) = delete;

    // Re-lays out dialog from template templateId of module at dpi dots per
    // inch; FALSE (and nothing changed) when the template cannot be read.
    BOOL Apply(HINSTANCE module, HWND dialog, UINT templateId, double dpi);
    // Gives the dialog and its controls their old font back.
    void Restore();

private:
    int m_templateId = 0;
    HINSTANCE m_module = nullptr;
    HWND m_dialog = nullptr;
    CFont m_newFont;                // the scaled font, set on the dialog and its controls
    HFONT m_oldFont = nullptr;      // the dialog's font before, not ours
};
