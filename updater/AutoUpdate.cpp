// The updater library's six functions. Each takes one pointer; the queries
// and downloads that run asynchronously work on a thread of their own that
// holds the library loaded until it ends.
#include "AutoUpdateApi.h"
#include "CCriticalSection.h"
#include "CScopedLock.h"
#include "CUpdateSession.h"
#include "ProgramStaging.h"
#include <cstring>
#include <map>
#include <memory>

namespace {

const size_t kMaxSetupText = 2048;

CCriticalSection g_lock;
std::map<DWORD, std::shared_ptr<CUpdateSession>> g_sessions;  // by session number
UpdateSetup g_setup;       // the last _AuSetup@4
DWORD g_lastSession = 0;
BOOL g_startChecked = FALSE;

// A bounded copy of a text of the caller; FALSE when missing or too long.
BOOL CopyText(LPCSTR text, std::string& copy)
{
    if (!text)
        return FALSE;
    size_t length = strnlen(text, kMaxSetupText + 1);
    if (length > kMaxSetupText)
        return FALSE;
    copy.assign(text, length);
    return TRUE;
}

std::string GetProgramPath()
{
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(path) : std::string();
}

// The session a record names, when that record is the one it was made for.
std::shared_ptr<CUpdateSession> FindSession(const AuQueryRecord* record)
{
    if (!record)
        return nullptr;
    CScopedLock lock(g_lock);
    auto it = g_sessions.find(record->session);
    if (it == g_sessions.end() || it->second->GetRecord() != record)
        return nullptr;
    return it->second;
}

enum Operation { kQuery, kDownload };

struct ThreadStart {
    std::shared_ptr<CUpdateSession> session;
    Operation operation;
    HMODULE self;
};

DWORD WINAPI OperationThread(LPVOID parameter)
{
    HMODULE self;
    {
        std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
        self = start->self;
        if (start->operation == kQuery)
            start->session->Query();
        else
            start->session->Download();
    }
    FreeLibraryAndExitThread(self, 0);
}

// Begins the record's session and runs the operation on its own thread; a
// thread that cannot start reports failStatus.
BOOL StartOperation(void* argument, Operation operation, UINT failStatus)
{
    std::shared_ptr<CUpdateSession> session = FindSession(static_cast<AuQueryRecord*>(argument));
    if (!session || !session->TryBegin())
        return FALSE;
    HMODULE self = nullptr;
    ThreadStart* start = nullptr;
    HANDLE thread = nullptr;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&OperationThread),
                           &self)) {
        start = new ThreadStart{session, operation, self};
        thread = CreateThread(nullptr, 0, OperationThread, start, 0, nullptr);
    }
    if (!thread) {
        delete start;
        if (self)
            FreeLibrary(self);
        session->Fail(failStatus);
        return FALSE;
    }
    CloseHandle(thread);
    return TRUE;
}

}  // namespace

extern "C" {

// Takes the phase's configuration for the records initialised after it. The
// first call of a run also finishes a program update left from the last run.
BOOL WINAPI AuSetup(void* argument)
{
    const AuConfigRecord* config = static_cast<const AuConfigRecord*>(argument);
    UpdateSetup setup;
    setup.valid = config && config->size >= sizeof(AuConfigRecord) && CopyText(config->product, setup.product) &&
                  CopyText(config->address, setup.address);
    if (setup.valid)
        setup.installedVersion = config->installedVersion;
    BOOL first;
    {
        CScopedLock lock(g_lock);
        g_setup = setup;
        first = !g_startChecked;
        g_startChecked = TRUE;
    }
    if (first) {
        std::string program = GetProgramPath();
        if (!program.empty())
            FinishProgramUpdate(program);
    }
    return setup.valid;
}

// Makes the record name a new session; a session it named before stops reporting.
BOOL WINAPI AuInitialize(void* argument)
{
    AuQueryRecord* record = static_cast<AuQueryRecord*>(argument);
    if (!record)
        return FALSE;
    CScopedLock lock(g_lock);
    g_sessions.erase(record->session);
    memset(record, 0, sizeof *record);
    record->size = sizeof *record;
    record->session = ++g_lastSession;
    g_sessions[record->session] = std::make_shared<CUpdateSession>(record->session, record, g_setup);
    return TRUE;
}

BOOL WINAPI AuQueryServerAsync(void* argument)
{
    return StartOperation(argument, kQuery, kAuCheckFinished);
}

// The query on the caller's thread; the status is posted all the same.
BOOL WINAPI AuQueryServer(void* argument)
{
    std::shared_ptr<CUpdateSession> session = FindSession(static_cast<AuQueryRecord*>(argument));
    if (!session || !session->TryBegin())
        return FALSE;
    session->Query();
    return TRUE;
}

BOOL WINAPI AuDownloadUpdateAsync(void* argument)
{
    return StartOperation(argument, kDownload, kAuDownloadFailed);
}

// Installs the download that status 4 reported; the argument is its lParam.
BOOL WINAPI AuRunAutoUpdate(void* argument)
{
    std::shared_ptr<CUpdateSession> session;
    {
        CScopedLock lock(g_lock);
        auto it = g_sessions.find(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(argument)));
        if (it != g_sessions.end())
            session = it->second;
    }
    return session && session->Install();
}

}  // extern "C"
