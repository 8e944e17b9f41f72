#pragma once
#include <windows.h>

// ntdll's system-information entry points and the Windows major version,
// looked up once at start for the process classes of the log.
class INtDll {
public:
    // The major version of GetVersionExA, or 0 when it cannot be read.
    static int GetOSMajorVersion();
    // Looks the five entry points up; TRUE when all were found.
    static BOOL LoadFunctions();

    static FARPROC NtQuerySystemInformation;
    static FARPROC NtQueryObject;
    static FARPROC NtQueryInformationThread;
    static FARPROC NtQueryInformationFile;
    static FARPROC NtQueryInformationProcess;
    static int s_osMajorVersion;
    static BOOL s_functionsLoaded;
};
