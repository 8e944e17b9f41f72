#pragma once
#include <cstdio>

// The gallery's own log: one line per event, flushed at once so that the
// test scripts can wait for it.
class GalleryLog {
public:
    static bool Open(const char* path);
    static void Line(const char* format, ...) __attribute__((format(printf, 1, 2)));

private:
    static FILE* s_file;
};
