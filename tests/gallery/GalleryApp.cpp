// The controls gallery: a test program that shows each control in a plain
// dialog (and the shaped window beside it) and logs what happens to it.
//   gallery.exe -log FILE      run the gallery, logging to FILE
//   gallery.exe -scaler FILE   write the font scaler fixture's layout to FILE
#include <cstdio>
#include <cstring>
#include "CDialogFontScaler.h"
#include "CGalleryDialog.h"
#include "GalleryLog.h"
#include "GalleryResource.h"

namespace {

// The value after switch name in the command line, up to the next blank.
CString SwitchValue(LPCSTR commandLine, LPCSTR name)
{
    const char* found = commandLine ? strstr(commandLine, name) : nullptr;
    if (!found)
        return CString();
    const char* value = found + strlen(name);
    while (*value == ' ')
        ++value;
    const char* end = strchr(value, ' ');
    return end ? CString(value, static_cast<int>(end - value)) : CString(value);
}

void WriteLayout(FILE* out, const char* label, HWND dialog)
{
    RECT client;
    GetClientRect(dialog, &client);
    fprintf(out, "%s dialog %ld %ld\n", label, client.right, client.bottom);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        fprintf(out, "%s control %d %ld %ld %ld %ld\n", label, GetDlgCtrlID(child), rect.left, rect.top,
                rect.right, rect.bottom);
    }
}

// The fixture's layout as the system makes it, then after the scaler at 96 DPI.
BOOL DumpScaledLayout(const CString& path)
{
    FILE* out = fopen(path, "wb");
    if (!out)
        return FALSE;
    CDialog fixture(IDD_FIXTURE);
    if (fixture.Create(IDD_FIXTURE)) {
        HDC screen = GetDC(nullptr);
        fprintf(out, "dpi %d\n", GetDeviceCaps(screen, LOGPIXELSY));
        ReleaseDC(nullptr, screen);
        WriteLayout(out, "system", fixture.m_hWnd);
        CDialogFontScaler scaler;
        scaler.Apply(AfxGetResourceHandle(), fixture.m_hWnd, IDD_FIXTURE, 96.0);
        WriteLayout(out, "scaled", fixture.m_hWnd);
        fixture.DestroyWindow();
    }
    fclose(out);
    return FALSE;
}

}  // namespace

class CGalleryApp : public CWinApp {
public:
    BOOL InitInstance() override
    {
        CString scaler = SwitchValue(m_lpCmdLine, "-scaler");
        if (!scaler.IsEmpty())
            return DumpScaledLayout(scaler);

        CString log = SwitchValue(m_lpCmdLine, "-log");
        GalleryLog::Open(log.IsEmpty() ? "gallery.log" : log);
        CGalleryDialog dialog;
        m_pMainWnd = &dialog;
        INT_PTR result = dialog.DoModal();
        m_pMainWnd = nullptr;
        GalleryLog::Line("gallery closed %d", static_cast<int>(result));
        return FALSE;
    }
};

CGalleryApp theApp;
