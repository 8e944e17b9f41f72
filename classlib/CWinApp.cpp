#include "CWinApp.h"

CWinApp::CWinApp(LPCSTR pszAppName) : m_hInstance(GetModuleHandleA(nullptr)), m_pszAppName(pszAppName)
{
    m_nThreadID = GetCurrentThreadId();
    m_pPrevApp = s_pApp;
    s_pApp = this;
}

CWinApp::~CWinApp()
{
    if (s_pApp == this)
        s_pApp = m_pPrevApp;
}

int CWinApp::Run()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return ExitInstance();
}

// The program's entry point. It lives here, beside the constructor, so that only
// programs with an application object take it: the object set up by static
// initialisation runs its start-up, and a main window left behind gets a message loop.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPSTR lpCmdLine, int nCmdShow)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    app->m_hInstance = hInstance;
    app->m_lpCmdLine = lpCmdLine;
    app->m_nCmdShow = nCmdShow;
    if (app->InitInstance() && app->m_pMainWnd)
        return app->Run();
    return app->ExitInstance();
}
