// The class library's global functions around the application object. They are
// kept apart from CWinApp.cpp so that using them does not pull in its WinMain.
#include "CWinApp.h"
#include "CString.h"
#include <shlwapi.h>

// Zero before any constructor runs, so it is safe during static initialisation.
CWinApp* CWinApp::s_pApp = nullptr;

namespace {

// The caption of message boxes: the application's name, else the program's file title.
CString AppTitle()
{
    CWinApp* app = AfxGetApp();
    if (app && app->m_pszAppName && *app->m_pszAppName)
        return app->m_pszAppName;
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    LPSTR name = PathFindFileNameA(path);
    PathRemoveExtensionA(name);
    return name;
}

}  // namespace

CWinApp* AfxGetApp()
{
    return CWinApp::s_pApp;
}

CWnd* AfxGetMainWnd()
{
    CWinApp* app = AfxGetApp();
    return app ? app->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetInstanceHandle()
{
    CWinApp* app = AfxGetApp();
    return (app && app->m_hInstance) ? app->m_hInstance : GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetInstanceHandle();
}

int AfxMessageBox(LPCSTR pszText, UINT nType, UINT /*nIDHelp*/)
{
    return MessageBoxA(GetActiveWindow(), pszText ? pszText : "", AppTitle(), nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString text;
    text.LoadString(nIDPrompt);
    return AfxMessageBox(text, nType, nIDHelp);
}
