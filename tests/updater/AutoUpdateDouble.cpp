// A stand-in for AutoUpdate.dll in the update check's tests: it writes every
// call into a log and posts the statuses a test scripted, at once.
#include "AutoUpdateApi.h"
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string g_log;
int g_programStatus = kAuNoUpdate;
int g_whitelistStatus = kAuNoUpdate;
int g_downloadStatus = kAuDownloadComplete;
int g_phase = 0;                            // from the display name of the last set-up
std::vector<const AuQueryRecord*> g_records;  // numbered in the order first seen

int RecordNumber(const AuQueryRecord* record)
{
    for (size_t i = 0; i < g_records.size(); ++i)
        if (g_records[i] == record)
            return static_cast<int>(i) + 1;
    g_records.push_back(record);
    return static_cast<int>(g_records.size());
}

void Log(const std::string& line)
{
    g_log += line + "\n";
}

// "Name #n window=... flag=..." for a call taking a query record.
void LogQueryCall(const char* name, const AuQueryRecord* record)
{
    char line[160];
    snprintf(line, sizeof line, "%s #%d window=%p flag=%lu", name, RecordNumber(record),
             static_cast<void*>(record->window), static_cast<unsigned long>(record->reportFlag));
    Log(line);
}

void Post(const AuQueryRecord* record, int status, LPARAM value)
{
    if (status && record->reportFlag && IsWindow(record->window))
        PostMessageA(record->window, kAuStatusMessage, status, value);
}

}  // namespace

// The value status 4 carries, which _AuRunAutoUpdate@4 must get back.
const LPARAM kDownloadValue = 0x4B58;

extern "C" {

// Statuses the next queries and downloads post; 0 posts nothing. Clears the log.
void DoubleScript(int programStatus, int whitelistStatus, int downloadStatus)
{
    g_programStatus = programStatus;
    g_whitelistStatus = whitelistStatus;
    g_downloadStatus = downloadStatus;
    g_log.clear();
    g_records.clear();
}

const char* DoubleLog()
{
    return g_log.c_str();
}

// The program's two fields of the n-th record as they are now.
const char* DoubleRecordFields(int n)
{
    static char fields[64];
    fields[0] = 0;
    if (n >= 1 && n <= static_cast<int>(g_records.size()))
        snprintf(fields, sizeof fields, "window=%p flag=%lu", static_cast<void*>(g_records[n - 1]->window),
                 static_cast<unsigned long>(g_records[n - 1]->reportFlag));
    return fields;
}

BOOL WINAPI AuSetup(void* argument)
{
    const AuConfigRecord* config = static_cast<const AuConfigRecord*>(argument);
    char line[600];
    snprintf(line, sizeof line, "Setup size=%lu %s|%s|%s|%s|%lu|%.2f", static_cast<unsigned long>(config->size),
             config->product, config->settingsKey, config->address, config->displayName,
             static_cast<unsigned long>(config->reserved), config->installedVersion);
    Log(line);
    g_phase = std::string(config->displayName) == "Keldrix Whitelist" ? 1 : 0;
    return TRUE;
}

// Like the library, it clears the record; the program then writes its two fields.
BOOL WINAPI AuInitialize(void* argument)
{
    AuQueryRecord* record = static_cast<AuQueryRecord*>(argument);
    memset(record, 0, sizeof *record);
    Log("Initialize #" + std::to_string(RecordNumber(record)));
    return TRUE;
}

BOOL WINAPI AuQueryServerAsync(void* argument)
{
    const AuQueryRecord* record = static_cast<AuQueryRecord*>(argument);
    LogQueryCall("QueryServerAsync", record);
    Post(record, g_phase == 0 ? g_programStatus : g_whitelistStatus, 0);
    return TRUE;
}

BOOL WINAPI AuQueryServer(void* argument)
{
    const AuQueryRecord* record = static_cast<AuQueryRecord*>(argument);
    LogQueryCall("QueryServer", record);
    Post(record, g_phase == 0 ? g_programStatus : g_whitelistStatus, 0);
    return TRUE;
}

BOOL WINAPI AuDownloadUpdateAsync(void* argument)
{
    const AuQueryRecord* record = static_cast<AuQueryRecord*>(argument);
    LogQueryCall("DownloadUpdateAsync", record);
    Post(record, g_downloadStatus, g_downloadStatus == kAuDownloadComplete ? kDownloadValue : 0);
    return TRUE;
}

BOOL WINAPI AuRunAutoUpdate(void* argument)
{
    char line[64];
    snprintf(line, sizeof line, "RunAutoUpdate %p", argument);
    Log(line);
    return TRUE;
}

}  // extern "C"
