// Looks at a running Keldrix.exe from outside, for the window tests:
//   kinspect tree             the main window and every control below it
//   kinspect post MSG W L     posts a message to the main window
//   kinspect menu             the rectangle of the open pop-up menu
//   kinspect msgbox CAPTION   shows an unowned message box until it is closed
//   kinspect box              the rectangle of the OK button of an open message box, then its text
//   kinspect list ID          the rows of list view ID on the shown page: SELECTED L T R B TEXT|TEXT
//   kinspect others           the program's other dialogs (tray pop-up, tip of the day) and their controls
//   kinspect dialog TITLE     the topmost dialog so titled and its controls
// Numbers may be decimal or 0x hexadecimal. The exit code is 1 when the
// main window (or the menu) is not there.
#include <windows.h>
#include <commctrl.h>
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

// The rows of another process's list view, read through a buffer in that process.
int PrintList(HWND list)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process)
        return 1;
    const SIZE_T textSize = 1024;
    char* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + textSize, MEM_COMMIT, PAGE_READWRITE));
    if (!remote) {
        CloseHandle(process);
        return 1;
    }
    char* remoteText = remote + sizeof(LVITEMA);
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        char texts[2][textSize];
        for (int column = 0; column < 2; ++column) {
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = remoteText;
            item.cchTextMax = textSize;
            WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
            SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote));
            ReadProcessMemory(process, remoteText, texts[column], textSize, nullptr);
            texts[column][textSize - 1] = 0;
        }
        RECT r = {};
        r.left = LVIR_BOUNDS;
        WriteProcessMemory(process, remote, &r, sizeof r, nullptr);
        SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote, &r, sizeof r, nullptr);
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&r), 2);
        const bool selected = SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED;
        printf("%d %ld %ld %ld %ld %s|%s\n", selected ? 1 : 0, r.left, r.top, r.right, r.bottom, texts[0], texts[1]);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return 0;
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

// A shown dialog other than the main window that has an OK button.
BOOL CALLBACK FindBox(HWND window, LPARAM param)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (strcmp(className, "#32770") == 0 && IsWindowVisible(window) && !GetDlgItem(window, kScanButton) &&
        GetDlgItem(window, IDOK)) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
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
        GetWindowRect(menu ? found : GetDlgItem(found, IDOK), &r);
        printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        if (!menu) {
            // The message of a message box is its static 0xFFFF.
            char text[1024];
            Text(GetDlgItem(found, 0xFFFF), text, sizeof text);
            printf("%s\n", text);
        }
        return 0;
    }
    HWND main = MainWindow();
    if (!main)
        return 1;
    if (strcmp(command, "list") == 0 && argc >= 3) {
        HWND list = ShownControl(main, atoi(argv[2]));
        return list ? PrintList(list) : 1;
    }
    if (strcmp(command, "tree") == 0) {
        PrintWindow(main, 0);
        PrintTree(main, 1);
        return 0;
    }
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
