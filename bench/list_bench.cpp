// The results list under load: fills it with N problems (default 10,000) in
// eleven groups as the results page does, opens every group, paints the list
// once, then presses Up and turns the wheel one step at a time, each followed
// by its repaint. Prints one line per figure, "name<TAB>value<TAB>unit", with
// the peak working set (GetProcessMemoryInfo) at the end.
// Usage: list_bench [N]   (needs a display)
#include "CHTMLListCtrl.h"
#include <psapi.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

const UINT kListId = 100;
const int kGroups = REGPROBLEM_TYPE_COUNT;
const int kSteps = 20;

// The list, noting where it drew each group header.
class HeaderList : public CHTMLListCtrl {
public:
    using CHTMLListCtrl::CHTMLListCtrl;
    void DrawItem(CDC* dc, RECT rect, HTMLLIST_ITEM* item, BOOL selected) override
    {
        if (item->kind == HTMLLIST_HEADER && item->data != nullptr)
            headers[static_cast<CScanCategory*>(item->data)->categoryId] = rect;
        rowsDrawn += item->kind == HTMLLIST_ROW;
        CHTMLListCtrl::DrawItem(dc, rect, item, selected);
    }
    RECT headers[kGroups] = {};
    int rowsDrawn = 0;
};

double Now()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Invalidates the list and paints it now; the time taken in ms.
double Repaint(CWnd& list)
{
    const double start = Now();
    list.Invalidate(FALSE);
    list.UpdateWindow();
    return Now() - start;
}

void PrintSteps(const char* name, const std::vector<double>& times)
{
    double sum = 0, most = 0;
    for (double t : times) {
        sum += t;
        most = std::max(most, t);
    }
    printf("%s mean\t%.2f\tms\n%s max\t%.2f\tms\n", name, sum / static_cast<double>(times.size()), name, most);
}

}  // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? atoi(argv[1]) : 10000;
    if (count < kGroups) {
        fprintf(stderr, "usage: list_bench [problems, at least %d]\n", kGroups);
        return 2;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "KeldrixListBench";
    RegisterClassA(&wc);
    HWND parent = CreateWindowExA(0, wc.lpszClassName, "list_bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640,
                                  480, nullptr, nullptr, wc.hInstance, nullptr);
    if (parent == nullptr)
        return 1;

    CRegistryProblemArray problems;
    std::vector<std::unique_ptr<CScanCategory>> groups;
    HeaderList list(&problems);
    if (!list.Create(CWnd::FromHandle(parent), RECT{10, 10, 610, 430}, kListId,
                     WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP))
        return 1;
    list.SetDisplayMode(HTMLLIST_MODE_CHECKBOXES | HTMLLIST_MODE_EDGES);

    // Filled as the results page does: each header, then its group's rows.
    double start = Now();
    for (int group = 0; group < kGroups; group++) {
        const int rows = count / kGroups + (group < count % kGroups ? 1 : 0);
        CString name;
        name.Format("Category %d", group);
        groups.push_back(std::make_unique<CScanCategory>(name, group));
        groups.back()->count = groups.back()->selectedCount = rows;
        list.InsertItem(name, groups.back().get(), HTMLLIST_HEADER, 0);
        for (int row = 0; row < rows; row++) {
            CString key, text;
            key.Format("HKEY_CLASSES_ROOT\\CLSID\\{%08X-0000-0000-0000-%012d}\\InprocServer32", group, row);
            CRegistryProblem* problem = new CRegistryProblem(key, "(Default)", "C:\\Gone\\missing.dll", group);
            problems.Add(problem);
            text.Format("<font color=#ff0000><b>The file referenced doesn't exist.</b></font><br>Key: %s<br>"
                        "(Default)=C:\\Gone\\missing.dll",
                        (LPCSTR)key);
            list.InsertItem(text, problem, HTMLLIST_ROW, 0);
        }
    }
    printf("fill\t%.1f\tms\n", Now() - start);

    // Every group opened by a click on its glyph, the last group first so
    // that the headers above stay where they were drawn.
    Repaint(list);
    start = Now();
    for (int group = kGroups - 1; group >= 0; group--) {
        const RECT& r = list.headers[group];
        const int y = r.top + (r.bottom - r.top) / 2;
        list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 10, y));
        list.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(r.left + 10, y));
    }
    printf("open groups\t%.1f\tms\n", Now() - start);
    list.rowsDrawn = 0;
    printf("first paint\t%.1f\tms\n", Repaint(list));
    printf("rows shown\t%d\t\n", list.rowsDrawn);

    // Up from the last row: each press moves the selection and repaints.
    list.SendMessage(WM_KEYDOWN, VK_DOWN, 0);
    Repaint(list);
    std::vector<double> times;
    for (int i = 0; i < kSteps; i++) {
        start = Now();
        list.SendMessage(WM_KEYDOWN, VK_UP, 0);
        list.UpdateWindow();
        times.push_back(Now() - start);
    }
    PrintSteps("key press", times);
    // The wheel handler scrolls and repaints itself.
    times.clear();
    POINT centre = {300, 200};
    ClientToScreen(list.m_hWnd, &centre);
    for (int i = 0; i < kSteps; i++) {
        start = Now();
        list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(centre.x, centre.y));
        times.push_back(Now() - start);
    }
    PrintSteps("wheel step", times);

    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        printf("peak working set\t%lu\tKB\n", static_cast<unsigned long>(counters.PeakWorkingSetSize / 1024));
    fflush(stdout);
    list.DestroyWindow();
    DestroyWindow(parent);
    for (INT_PTR i = 0; i < problems.GetSize(); i++)
        delete problems[i];
    return 0;
}
