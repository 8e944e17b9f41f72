// What a missing-file test costs, and what a per-scan cache of folder
// listings would cost instead: times PathFileExistsA on files that are there
// (in their stored case and in another) and on files that are not (in a large
// folder that is there and in one that is not), then the listing of that
// large folder and look-ups in it. Prints "test<TAB>microseconds per call".
// Usage: file_test_bench [calls]   (default 2000)
#include <windows.h>
#include <shlwapi.h>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

namespace {

double Now()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1e6 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string Lower(std::string text)
{
    CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// The microseconds per PathFileExistsA of the paths made by pattern (with %d).
double TimeTests(const char* pattern, int calls, int& found)
{
    found = 0;
    char path[MAX_PATH];
    const double start = Now();
    for (int i = 0; i < calls; i++) {
        snprintf(path, sizeof path, pattern, i);
        found += PathFileExistsA(path) ? 1 : 0;
    }
    return (Now() - start) / calls;
}

}  // namespace

int main(int argc, char** argv)
{
    const int calls = argc > 1 ? atoi(argv[1]) : 2000;
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    const std::string folder = system;
    const std::string upper = [&] {
        std::string text = folder;
        CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
        return text;
    }();
    struct Case {
        const char* name;
        std::string pattern;
    } cases[] = {
        {"present, stored case", folder + "\\kernel32.dll"},
        {"present, other case", upper + "\\KERNEL32.DLL"},
        {"missing, in a large folder", folder + "\\kdx_missing%d.dll"},
        {"missing, folder missing", "C:\\KdxNoSuchFolder\\missing%d.dll"},
    };
    for (const Case& c : cases) {
        int found = 0;
        const double us = TimeTests(c.pattern.c_str(), calls, found);
        printf("%s\t%.1f\tus per test (%d of %d found)\n", c.name, us, found, calls);
    }

    // The cache's costs: one listing of the large folder, then a look-up per test.
    double start = Now();
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            names.insert(Lower(data.cFileName));
            if (data.cAlternateFileName[0] != '\0')
                names.insert(Lower(data.cAlternateFileName));
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    printf("listing the large folder\t%.1f\tus once (%u names)\n", Now() - start, static_cast<unsigned>(names.size()));
    start = Now();
    int hits = 0;
    char name[64];
    for (int i = 0; i < calls; i++) {
        snprintf(name, sizeof name, "kdx_missing%d.dll", i);
        hits += static_cast<int>(names.count(Lower(name)));
    }
    printf("look-up in the listing\t%.2f\tus per test (%d found)\n", (Now() - start) / calls, hits);
    return 0;
}
