#pragma once
#include <windows.h>

// A small writer of zip archives: entries are stored or raw-deflated with
// zlib, each local header is patched with its CRC and sizes once the entry is
// closed, and the central directory is written at close. Archives beyond the
// 4 GB limits of the plain zip format are refused.

typedef struct ZipWriter* zipFile;

// Results of the calls below.
enum {
    ZIP_OK = 0,
    ZIP_ERRNO = -1,
    ZIP_PARAMERROR = -102,
    ZIP_INTERNALERROR = -104
};

// What zipOpen does with an existing file; only creation is supported.
enum { APPEND_STATUS_CREATE = 0 };

// Methods of an entry.
enum { ZIP_STORED = 0, ZIP_DEFLATED = 8 };

// Date, time and attributes of an entry, in the archive's DOS form.
struct zip_fileinfo {
    WORD dosTime;
    WORD dosDate;
    WORD internalAttributes;
    DWORD externalAttributes;
};

// Creates the archive at path (an existing file is replaced); null on failure.
zipFile zipOpen(const char* path, int append);

// Starts an entry. info may be null (date, time and attributes zero); the
// extra fields and the comment may be null. method is ZIP_STORED or
// ZIP_DEFLATED; level is a zlib level (-1 the default).
int zipOpenNewFileInZip(zipFile file, const char* name, const zip_fileinfo* info,
                        const void* extraLocal, unsigned extraLocalSize,
                        const void* extraGlobal, unsigned extraGlobalSize,
                        const char* comment, int method, int level);

// Adds bytes to the open entry.
int zipWriteInFileInZip(zipFile file, const void* buf, unsigned len);

// Ends the open entry: flushes the compressor and patches its local header.
int zipCloseFileInZip(zipFile file);

// Ends an open entry, writes the central directory and closes the file. The
// handle is freed whatever the result.
int zipClose(zipFile file, const char* globalComment);
