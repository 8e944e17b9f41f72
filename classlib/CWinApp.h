#pragma once
#include <windows.h>
#include "CWinThread.h"

// The application object: one per program, registered on construction. The
// class library's WinMain fills m_hInstance, m_lpCmdLine and m_nCmdShow and
// calls InitInstance; a program that constructs no CWinApp keeps its own entry
// point. The name passed in is kept as a pointer, not copied.
class CWinApp : public CWinThread {
public:
    explicit CWinApp(LPCSTR pszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }
    // The message loop, run by the entry point when InitInstance leaves a main
    // window; returns ExitInstance's code when WM_QUIT arrives.
    virtual int Run();

    HINSTANCE m_hInstance = nullptr;
    LPCSTR m_pszAppName = nullptr;
    LPSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;

private:
    friend CWinApp* AfxGetApp();
    static CWinApp* s_pApp;  // the registered application object
    CWinApp* m_pPrevApp;     // the one registered before, restored on destruction
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
// A message box owned by the calling thread's active window (unowned on a
// worker thread); the caption is the application's name, else the program's
// file title. The UINT form takes its text from the string table.
int AfxMessageBox(LPCSTR pszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = (UINT)-1);
