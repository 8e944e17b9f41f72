// Looks at a running Keldrix.exe from outside, for the window tests:
//   kwinprobe tree             the main window and every control below it
//   kwinprobe post MSG W L     posts a message to the main window
//   kwinprobe menu             the rectangle of the open pop-up menu
//   kwinprobe msgbox CAPTION   shows an unowned message box until it is closed
//   kwinprobe box              the rectangle of the OK (or else Yes) button of an open message box,
//                             then the box's text on a line of its own
//   kwinprobe rows ID          list view ID of the shown page: "col I L T R B" per
//                             column, "row I MARK L T R B TEXT<tab>TEXT..." per row, every column's
//                             text; MARK is 1 for a ticked row, or a selected one in a list without boxes
//   kwinprobe folder CSIDL     the path of a special folder (created when missing)
//   kwinprobe others           the program's other dialogs (tray pop-up, tip of the day) and their controls
//   kwinprobe dialog TITLE     the topmost dialog so titled and its controls
//   kwinprobe lines ID         the items of list box ID on the shown page, one a line
//   kwinprobe button ID        the rectangle of button ID of an open message box
//   kwinprobe tips             the texts of other processes' tooltips (the notification area's), one a line
// Numbers may be decimal or 0x hexadecimal. The exit code is 1 when the
// main window (or the menu) is not there.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kTitle[] = "Keldrix";
const int kScanButton = 1099;

BOOL CALLBACK FindMain(HWND window, LPARAM param)
{
    char text[64] = "";
    char className[64] = "";
    GetWindowTextA(window, text, sizeof text);
    GetClassNameA(window, className, sizeof className);
    if (strcmp(text, kTitle) == 0 && strcmp(className, "#32770") == 0 && GetDlgItem(window, kScanButton)) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

HWND MainWindow()
{
    HWND found = nullptr;
    EnumWindows(&FindMain, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Control id of the visible page (or of the main window itself).
HWND ShownControl(HWND main, int id)
{
    for (HWND page = GetWindow(main, GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT)) {
        char className[64] = "";
        GetClassNameA(page, className, sizeof className);
        if (strcmp(className, "#32770") == 0 && IsWindowVisible(page) && GetDlgItem(page, id))
            return GetDlgItem(page, id);
    }
    return GetDlgItem(main, id);
}

void Text(HWND window, char* buffer, int size)
{
    buffer[0] = 0;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000,
                             &result))
        GetWindowTextA(window, buffer, size);
    // One line per window: line breaks become "|".
    for (char* p = buffer; *p; ++p)
        if (*p == '\r' || *p == '\n')
            *p = '|';
}

void PrintWindow(HWND window, int depth)
{
    char className[64] = "";
    char text[1024];
    GetClassNameA(window, className, sizeof className);
    Text(window, text, sizeof text);
    RECT r = {};
    GetWindowRect(window, &r);
    printf("win %d %d %s %d %d %ld %ld %ld %ld %s\n", depth, GetDlgCtrlID(window), className,
           IsWindowVisible(window) ? 1 : 0, IsWindowEnabled(window) ? 1 : 0, r.left, r.top, r.right, r.bottom, text);
}

// The direct children of parent, then theirs (pages are dialogs in the main window).
void PrintTree(HWND parent, int depth)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        PrintWindow(child, depth);
        char className[64] = "";
        GetClassNameA(child, className, sizeof className);
        if (strcmp(className, "#32770") == 0) {
            printf("page %d", IsWindowVisible(child) ? 1 : 0);
            for (HWND c = GetWindow(child, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
                printf(" %d", GetDlgCtrlID(c));
            printf("\n");
            PrintTree(child, depth + 1);
        }
    }
}

BOOL CALLBACK FindMenu(HWND window, LPARAM param)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (strcmp(className, "#32768") == 0 && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

// A shown dialog other than the main window that has an OK or a Yes button.
BOOL CALLBACK FindBox(HWND window, LPARAM param)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (strcmp(className, "#32770") == 0 && IsWindowVisible(window) && !GetDlgItem(window, kScanButton) &&
        (GetDlgItem(window, IDOK) || GetDlgItem(window, IDYES))) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

// Every tool text of a tooltip window of another process, read through a page of that process.
BOOL CALLBACK PrintTips(HWND window, LPARAM)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (strcmp(className, "tooltips_class32") != 0 || pid == GetCurrentProcessId())
        return TRUE;
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    char* remote = process ? static_cast<char*>(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE))
                           : nullptr;
    const int textOffset = 256;
    const int count = remote ? static_cast<int>(SendMessageW(window, TTM_GETTOOLCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
        TTTOOLINFOW info = {};
        info.cbSize = sizeof info;
        WriteProcessMemory(process, remote, &info, sizeof info, nullptr);
        if (!SendMessageW(window, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(remote)))
            continue;
        ReadProcessMemory(process, remote, &info, sizeof info, nullptr);
        info.lpszText = reinterpret_cast<LPWSTR>(remote + textOffset);
        wchar_t text[1024] = L"";
        WriteProcessMemory(process, remote, &info, sizeof info, nullptr);
        WriteProcessMemory(process, remote + textOffset, text, sizeof text, nullptr);
        SendMessageW(window, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote + textOffset, text, sizeof text - sizeof text[0], nullptr);
        printf("%ls\n", text);
    }
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (process)
        CloseHandle(process);
    return TRUE;
}

// A rectangle that message writes into buffer, a page of the list's process, in screen coordinates.
RECT RemoteRect(HANDLE process, char* buffer, HWND window, UINT message, WPARAM wParam, LONG left)
{
    RECT r = {left, 0, 0, 0};
    WriteProcessMemory(process, buffer, &r, sizeof r, nullptr);
    SendMessageA(window, message, wParam, reinterpret_cast<LPARAM>(buffer));
    ReadProcessMemory(process, buffer, &r, sizeof r, nullptr);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int PrintRows(HWND main, int id)
{
    HWND list = nullptr;
    for (HWND page = GetWindow(main, GW_CHILD); page && !list; page = GetWindow(page, GW_HWNDNEXT))
        list = IsWindowVisible(page) ? GetDlgItem(page, id) : nullptr;
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    HANDLE process = list ? OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid) : nullptr;
    auto* buffer = static_cast<char*>(process ? VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE) : nullptr);
    if (!buffer)
        return 1;
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    for (int i = 0; i < SendMessageA(header, HDM_GETITEMCOUNT, 0, 0); ++i) {
        RECT r = RemoteRect(process, buffer, header, HDM_GETITEMRECT, i, 0);
        printf("col %d %ld %ld %ld %ld\n", i, r.left, r.top, r.right, r.bottom);
    }
    const bool boxes = SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES;
    for (int i = 0; i < SendMessageA(list, LVM_GETITEMCOUNT, 0, 0); ++i) {
        UINT state = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK | LVIS_SELECTED));
        const bool mark = boxes ? (state & LVIS_STATEIMAGEMASK) >> 12 == 2 : (state & LVIS_SELECTED) != 0;
        RECT r = RemoteRect(process, buffer, list, LVM_GETITEMRECT, i, LVIR_LABEL);
        printf("row %d %d %ld %ld %ld %ld ", i, mark ? 1 : 0, r.left, r.top, r.right, r.bottom);
        for (int sub = 0; sub < SendMessageA(header, HDM_GETITEMCOUNT, 0, 0); ++sub) {
            char text[1024] = "";
            LVITEMA item = {};
            item.iSubItem = sub;
            item.pszText = buffer + 1024;
            item.cchTextMax = sizeof text;
            WriteProcessMemory(process, buffer, &item, sizeof item, nullptr);
            SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(buffer));
            ReadProcessMemory(process, buffer + 1024, text, sizeof text - 1, nullptr);
            printf(sub ? "\t%s" : "%s", text);
        }
        printf("\n");
    }
    VirtualFreeEx(process, buffer, 0, MEM_RELEASE);
    CloseHandle(process);
    return 0;
}

// Prints a dialog of the main window's process (param) but the main window, with its controls.
BOOL CALLBACK PrintOther(HWND window, LPARAM param)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    DWORD process = 0, mainProcess = 0;
    GetWindowThreadProcessId(window, &process);
    GetWindowThreadProcessId(reinterpret_cast<HWND>(param), &mainProcess);
    if (window != reinterpret_cast<HWND>(param) && process == mainProcess && strcmp(className, "#32770") == 0) {
        PrintWindow(window, 0);
        PrintTree(window, 1);
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const char* command = argv[1];
    if (strcmp(command, "msgbox") == 0 && argc >= 3) {
        MessageBoxA(nullptr, "A message box of the window tests.", argv[2], MB_OK);
        return 0;
    }
    if (strcmp(command, "dialog") == 0 && argc >= 3) {
        HWND dialog = FindWindowA("#32770", argv[2]);
        if (dialog)
            PrintWindow(dialog, 0), PrintTree(dialog, 1);
        return dialog ? 0 : 1;
    }
    if (strcmp(command, "menu") == 0 || strcmp(command, "box") == 0) {
        const bool menu = command[0] == 'm';
        HWND found = nullptr;
        EnumWindows(menu ? &FindMenu : &FindBox, reinterpret_cast<LPARAM>(&found));
        if (!found)
            return 1;
        RECT r = {};
        HWND button = menu ? found : GetDlgItem(found, IDOK) ? GetDlgItem(found, IDOK) : GetDlgItem(found, IDYES);
        GetWindowRect(button, &r);
        printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        if (!menu) {
            char text[1024];
            Text(GetDlgItem(found, 0xFFFF), text, sizeof text);  // a message box's text control
            printf("%s\n", text);
        }
        return 0;
    }
    if (strcmp(command, "folder") == 0 && argc >= 3) {
        char path[MAX_PATH] = "";
        if (SHGetFolderPathA(nullptr, atoi(argv[2]) | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK)
            return 1;
        printf("%s\n", path);
        return 0;
    }
    if (strcmp(command, "button") == 0 && argc >= 3) {
        HWND box = nullptr;
        EnumWindows(&FindBox, reinterpret_cast<LPARAM>(&box));
        HWND button = box ? GetDlgItem(box, atoi(argv[2])) : nullptr;
        if (!button)
            return 1;
        RECT r = {};
        GetWindowRect(button, &r);
        printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    if (strcmp(command, "tips") == 0) {
        EnumWindows(&PrintTips, 0);
        return 0;
    }
    HWND main = MainWindow();
    if (!main)
        return 1;
    if (strcmp(command, "lines") == 0 && argc >= 3) {
        HWND list = ShownControl(main, atoi(argv[2]));
        // Wide: Wine hands another process's ANSI list text over as wide characters.
        for (int i = 0; list && i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) {
            wchar_t text[1024] = L"";
            if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 1024)
                SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            printf("%ls\n", text);
        }
        return list ? 0 : 1;
    }
    if (strcmp(command, "tree") == 0) {
        PrintWindow(main, 0);
        PrintTree(main, 1);
        return 0;
    }
    if (strcmp(command, "rows") == 0 && argc >= 3)
        return PrintRows(main, atoi(argv[2]));
    if (strcmp(command, "others") == 0)
        return EnumWindows(&PrintOther, reinterpret_cast<LPARAM>(main)) ? 0 : 1;
    if (strcmp(command, "post") == 0 && argc >= 5) {
        UINT message = strtoul(argv[2], nullptr, 0);
        WPARAM wParam = strtoul(argv[3], nullptr, 0);
        LPARAM lParam = strtol(argv[4], nullptr, 0);
        return PostMessageA(main, message, wParam, lParam) ? 0 : 1;
    }
    return 2;
}
