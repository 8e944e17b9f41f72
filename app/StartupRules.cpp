#include "StartupRules.h"
#include <cstring>
#include "MainWindowMessages.h"

bool HasScanSwitch(LPCSTR commandLine)
{
    return commandLine && strstr(commandLine, "-t") != nullptr;
}

bool HasTraySwitch(LPCSTR commandLine)
{
    return commandLine && strstr(commandLine, "-Tray") != nullptr;
}

bool IsValidEmailAddress(const CString& address)
{
    int at = address.Find('@');
    if (at <= 0)
        return false;
    if (address.Find('@', at + 1) >= 0)
        return false;
    return address.Find('.', at + 1) >= 0;
}

namespace {

struct MainWindowSearch {
    LPCSTR title;
    int navButtonId;
    HWND found;
};

BOOL CALLBACK TestTopLevelWindow(HWND window, LPARAM param)
{
    MainWindowSearch* search = reinterpret_cast<MainWindowSearch*>(param);
    char text[256] = "";
    ::GetWindowTextA(window, text, sizeof text);
    if (strcmp(text, search->title) != 0)
        return TRUE;
    char className[64] = "";
    ::GetClassNameA(window, className, sizeof className);
    if (strcmp(className, "#32770") != 0)
        return TRUE;
    // A message box with the product's caption is owned by the window that
    // showed it, and has none of the main window's buttons.
    if (::GetWindow(window, GW_OWNER) || !::GetDlgItem(window, search->navButtonId))
        return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND FindRunningMainWindow(LPCSTR title, int navButtonId)
{
    MainWindowSearch search = {title, navButtonId, nullptr};
    ::EnumWindows(&TestTopLevelWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL HandOverToRunningInstance(HWND window, bool scan, UINT timeoutMs)
{
    // A hung first instance must not hang this one: every call into the other
    // process is bounded or asynchronous.
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(window, WM_APP_SET_HIDDEN, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result))
        return FALSE;
    ::SetForegroundWindow(window);
    ::ShowWindowAsync(window, SW_RESTORE);
    if (scan && !::SendMessageTimeoutA(window, WM_APP_RUN_SCAN, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result))
        return FALSE;
    return TRUE;
}
