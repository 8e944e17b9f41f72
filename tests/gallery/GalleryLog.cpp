#include "GalleryLog.h"
#include <cstdarg>

FILE* GalleryLog::s_file = nullptr;

bool GalleryLog::Open(const char* path)
{
    s_file = fopen(path, "wb");   // plain LF line ends for the scripts
    return s_file != nullptr;
}

void GalleryLog::Line(const char* format, ...)
{
    if (!s_file)
        return;
    va_list args;
    va_start(args, format);
    vfprintf(s_file, format, args);
    va_end(args);
    fputc('\n', s_file);
    fflush(s_file);
}
