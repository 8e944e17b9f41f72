#pragma once
// What Keldrix and its updater library AutoUpdate.dll hand each other: the
// configuration record of one update phase, the query record, the status
// message and the six functions, each taking one pointer (stdcall).
#include <windows.h>
#include <cstddef>

// One phase's configuration, 32 bytes. The texts stay owned by the caller.
struct AuConfigRecord {
    DWORD size;               // 32
    LPCSTR product;           // product word in capitals
    LPCSTR settingsKey;       // the product's settings key under HKEY_LOCAL_MACHINE
    LPCSTR address;           // the address to query
    LPCSTR displayName;
    DWORD reserved;           // 0
    double installedVersion;  // the version installed now
};
static_assert(sizeof(AuConfigRecord) == 32, "the configuration record is 32 bytes");
static_assert(offsetof(AuConfigRecord, installedVersion) == 24, "the version sits at offset 24");

// One phase's query record, 96 bytes, all zero before the first _AuInitialize@4.
// After that call the program writes `window` (where the reports go) and
// `reportFlag` (1: report). Writing 0 into both cancels: the library stops its
// work at the next step and reports nothing more. The other fields belong to
// the library.
struct AuQueryRecord {
    DWORD size;               // set by _AuInitialize@4
    HWND window;              // offset 4, written by the program
    DWORD session;            // the library's number of the query
    DWORD reserved1[2];
    DWORD reportFlag;         // offset 20, written by the program
    DWORD reserved2[18];
};
static_assert(sizeof(AuQueryRecord) == 96, "the query record is 96 bytes");
static_assert(offsetof(AuQueryRecord, window) == 4, "the window sits at offset 4");
static_assert(offsetof(AuQueryRecord, reportFlag) == 20, "the report flag sits at offset 20");

// The library's report, posted to the query's window: wParam the status,
// lParam (status 4) the value to hand to _AuRunAutoUpdate@4.
const UINT kAuStatusMessage = WM_USER + 266;

enum AuStatus {
    kAuCheckFinished = 1,     // the check ended without an answer (a failure)
    kAuUpdateAvailable = 2,
    kAuNoUpdate = 3,
    kAuDownloadComplete = 4,
    kAuDownloadFailed = 5,
};

// Every exported function: one pointer in, TRUE when the request was taken.
typedef BOOL(WINAPI* AuFunction)(void* argument);

// The exported names, in the order the program calls them in a phase.
const char* const kAuSetupName = "_AuSetup@4";
const char* const kAuInitializeName = "_AuInitialize@4";
const char* const kAuQueryServerAsyncName = "_AuQueryServerAsync@4";
const char* const kAuQueryServerName = "_AuQueryServer@4";
const char* const kAuDownloadUpdateAsyncName = "_AuDownloadUpdateAsync@4";
const char* const kAuRunAutoUpdateName = "_AuRunAutoUpdate@4";
