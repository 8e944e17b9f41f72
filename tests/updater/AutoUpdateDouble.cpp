// A stand-in for AutoUpdate.dll in the update check's tests: it logs every
// call and at once posts the statuses a test scripted (0 posts nothing).
#include "AutoUpdateApi.h"
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string g_log;
int g_statuses[3] = {};                     // program query, whitelist query, download
int g_phase = 0;                            // from the display name of the last set-up
std::vector<AuQueryRecord*> g_records;      // numbered in the order first seen

int Number(AuQueryRecord* record)
{
    for (size_t i = 0; i < g_records.size(); ++i)
        if (g_records[i] == record)
            return static_cast<int>(i) + 1;
    g_records.push_back(record);
    return static_cast<int>(g_records.size());
}

// Logs "Name:n window=... flag=..." and posts the status.
BOOL Call(const char* name, void* argument, int status, LPARAM value = 0)
{
    AuQueryRecord* record = static_cast<AuQueryRecord*>(argument);
    char line[160];
    snprintf(line, sizeof line, "%s:%d window=%p flag=%lu\n", name, Number(record),
             static_cast<void*>(record->window), static_cast<unsigned long>(record->reportFlag));
    g_log += line;
    if (status && record->reportFlag && IsWindow(record->window))
        PostMessageA(record->window, kAuStatusMessage, status, value);
    return TRUE;
}

}  // namespace

extern "C" {

void DoubleScript(int programStatus, int whitelistStatus, int downloadStatus)
{
    g_statuses[0] = programStatus;
    g_statuses[1] = whitelistStatus;
    g_statuses[2] = downloadStatus;
    g_log.clear();
    g_records.clear();
}

const char* DoubleLog()
{
    return g_log.c_str();
}

// The program's two fields of the n-th record as they are now.
const char* DoubleFields(int n)
{
    static char fields[64];
    snprintf(fields, sizeof fields, "window=%p flag=%lu", static_cast<void*>(g_records.at(n - 1)->window),
             static_cast<unsigned long>(g_records.at(n - 1)->reportFlag));
    return fields;
}

BOOL WINAPI AuSetup(void* argument)
{
    const AuConfigRecord* config = static_cast<const AuConfigRecord*>(argument);
    char line[600];
    snprintf(line, sizeof line, "Setup:%c size=%lu %s|%s|%s|%s|%lu|%.2f\n",
             strcmp(config->displayName, "Keldrix Whitelist") == 0 ? 'W' : 'P', static_cast<unsigned long>(config->size),
             config->product, config->settingsKey, config->address, config->displayName,
             static_cast<unsigned long>(config->reserved), config->installedVersion);
    g_log += line;
    g_phase = strcmp(config->displayName, "Keldrix Whitelist") == 0 ? 1 : 0;
    return TRUE;
}

// Like the library, it clears the record; the program then writes its two fields.
BOOL WINAPI AuInitialize(void* argument)
{
    memset(argument, 0, sizeof(AuQueryRecord));
    g_log += "Initialize:" + std::to_string(Number(static_cast<AuQueryRecord*>(argument))) + "\n";
    return TRUE;
}

BOOL WINAPI AuQueryServerAsync(void* argument)
{
    return Call("QueryServerAsync", argument, g_statuses[g_phase]);
}

BOOL WINAPI AuQueryServer(void* argument)
{
    return Call("QueryServer", argument, g_statuses[g_phase]);
}

// Status 4 carries 0x4B58, which _AuRunAutoUpdate@4 must get back.
BOOL WINAPI AuDownloadUpdateAsync(void* argument)
{
    return Call("DownloadUpdateAsync", argument, g_statuses[2], g_statuses[2] == kAuDownloadComplete ? 0x4B58 : 0);
}

BOOL WINAPI AuRunAutoUpdate(void* argument)
{
    char line[64];
    snprintf(line, sizeof line, "RunAutoUpdate %p\n", argument);
    g_log += line;
    return TRUE;
}

}  // extern "C"
