// Looks at a running Keldrix.exe from outside, for the window tests:
//   kinspect tree             the main window and every control below it
//   kinspect post MSG W L     posts a message to the main window
//   kinspect menu             the rectangle of the open pop-up menu
//   kinspect msgbox CAPTION   shows an unowned message box until it is closed
//   kinspect rows ID          the header and rows of list view ID on the shown page
//   kinspect box              the program's open message box: caption, text, first button
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

// The list view with id on the visible page of the main window.
HWND ShownControl(HWND main, int id)
{
    for (HWND page = GetWindow(main, GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT))
        if (IsWindowVisible(page) && GetDlgItem(page, id))
            return GetDlgItem(page, id);
    return nullptr;
}

// Memory in the program's process for the list messages that take pointers.
class RemoteBuffer {
public:
    explicit RemoteBuffer(HWND window)
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (m_process)
            m_base = static_cast<char*>(VirtualAllocEx(m_process, nullptr, kSize, MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteBuffer()
    {
        if (m_base)
            VirtualFreeEx(m_process, m_base, 0, MEM_RELEASE);
        if (m_process)
            CloseHandle(m_process);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool Ok() const { return m_base != nullptr; }
    char* At(size_t offset) const { return m_base + offset; }
    bool Put(size_t offset, const void* data, size_t size) const
    {
        return WriteProcessMemory(m_process, m_base + offset, data, size, nullptr);
    }
    bool Get(size_t offset, void* data, size_t size) const
    {
        return ReadProcessMemory(m_process, m_base + offset, data, size, nullptr);
    }
    static const size_t kSize = 4096;

private:
    HANDLE m_process = nullptr;
    char* m_base = nullptr;
};

// A rectangle that a message writes in the program's memory, in screen coordinates.
bool RemoteRect(const RemoteBuffer& remote, HWND window, UINT message, WPARAM wParam, LONG left, RECT& r)
{
    r = RECT{left, 0, 0, 0};
    if (!remote.Put(0, &r, sizeof r) || !SendMessageA(window, message, wParam, reinterpret_cast<LPARAM>(remote.At(0)))
        || !remote.Get(0, &r, sizeof r))
        return false;
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return true;
}

// "col I L T R B" per header column, then "row I CHECKED L T R B NAME<tab>DATE"
// per row (the rectangle of the row's label).
int PrintRows(HWND list)
{
    RemoteBuffer remote(list);
    if (!remote.Ok())
        return 1;
    RECT r;
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    int columns = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int i = 0; i < columns; ++i)
        if (RemoteRect(remote, header, HDM_GETITEMRECT, i, 0, r))
            printf("col %d %ld %ld %ld %ld\n", i, r.left, r.top, r.right, r.bottom);
    int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < rows; ++i) {
        char texts[2][512] = {};
        for (int sub = 0; sub < 2; ++sub) {
            LVITEMA item = {};
            item.iSubItem = sub;
            item.pszText = remote.At(1024);
            item.cchTextMax = 512;
            remote.Put(0, &item, sizeof item);
            SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(remote.At(0)));
            remote.Get(1024, texts[sub], sizeof texts[sub] - 1);
        }
        UINT state = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK));
        RemoteRect(remote, list, LVM_GETITEMRECT, i, LVIR_LABEL, r);
        printf("row %d %d %ld %ld %ld %ld %s\t%s\n", i, (state >> 12) == 2 ? 1 : 0, r.left, r.top, r.right, r.bottom,
               texts[0], texts[1]);
    }
    return 0;
}

struct BoxSearch {
    DWORD pid;
    HWND main;
    HWND box;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<BoxSearch*>(param);
    char className[64] = "";
    DWORD pid = 0;
    GetClassNameA(window, className, sizeof className);
    GetWindowThreadProcessId(window, &pid);
    // A message box's text is the static control 0xFFFF.
    if (window != search->main && pid == search->pid && strcmp(className, "#32770") == 0 && IsWindowVisible(window)
        && GetDlgItem(window, 0xFFFF)) {
        search->box = window;
        return FALSE;
    }
    return TRUE;
}

// "box CAPTION" then "text TEXT" (its static text) and "button L T R B" (its first button).
int PrintBox(HWND main)
{
    BoxSearch search = {0, main, nullptr};
    GetWindowThreadProcessId(main, &search.pid);
    EnumWindows(&FindBox, reinterpret_cast<LPARAM>(&search));
    if (!search.box)
        return 1;
    char text[1024];
    Text(search.box, text, sizeof text);
    printf("box %s\n", text);
    bool button = false;
    for (HWND c = GetWindow(search.box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char className[64] = "";
        GetClassNameA(c, className, sizeof className);
        RECT r = {};
        GetWindowRect(c, &r);
        if (strcmp(className, "Static") == 0 && GetWindowTextLengthA(c) > 0) {
            Text(c, text, sizeof text);
            printf("text %s\n", text);
        } else if (strcmp(className, "Button") == 0 && !button) {
            button = true;
            printf("button %ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        }
    }
    return 0;
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
    if (strcmp(command, "menu") == 0) {
        HWND menu = nullptr;
        EnumWindows(&FindMenu, reinterpret_cast<LPARAM>(&menu));
        if (!menu)
            return 1;
        RECT r = {};
        GetWindowRect(menu, &r);
        printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    HWND main = MainWindow();
    if (!main)
        return 1;
    if (strcmp(command, "tree") == 0) {
        PrintWindow(main, 0);
        PrintTree(main, 1);
        return 0;
    }
    if (strcmp(command, "rows") == 0 && argc >= 3) {
        HWND list = ShownControl(main, atoi(argv[2]));
        return list ? PrintRows(list) : 1;
    }
    if (strcmp(command, "box") == 0)
        return PrintBox(main);
    if (strcmp(command, "post") == 0 && argc >= 5) {
        UINT message = strtoul(argv[2], nullptr, 0);
        WPARAM wParam = strtoul(argv[3], nullptr, 0);
        LPARAM lParam = strtol(argv[4], nullptr, 0);
        return PostMessageA(main, message, wParam, lParam) ? 0 : 1;
    }
    return 2;
}
