#include "CProcessSnapshot.h"
#include "CHandle.h"
#include <new>

namespace {

template <class Proc>
bool Resolve(HMODULE module, LPCSTR name, Proc& proc)
{
    proc = reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    return proc != nullptr;
}

void EnablePrivilege(HANDLE token, LPCSTR name)
{
    TOKEN_PRIVILEGES privileges = {};
    if (!LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid))
        return;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
}

}  // namespace

CProcessSnapshot::~CProcessSnapshot()
{
    if (m_bPsapi && m_hPsapi != nullptr)
        FreeLibrary(m_hPsapi);
    if (m_bToolhelp && m_hKernel != nullptr)
        FreeLibrary(m_hKernel);
}

BOOL CProcessSnapshot::LoadPsapi()
{
    m_hPsapi = LoadLibraryA("psapi.dll");
    if (m_hPsapi == nullptr)
        return FALSE;
    if (!Resolve(m_hPsapi, "GetModuleFileNameExA", m_getModuleFileNameEx) ||
        !Resolve(m_hPsapi, "EnumProcessModules", m_enumProcessModules) ||
        !Resolve(m_hPsapi, "EnumProcesses", m_enumProcesses) ||
        !Resolve(m_hPsapi, "GetModuleInformation", m_getModuleInformation)) {
        FreeLibrary(m_hPsapi);
        m_hPsapi = nullptr;
        m_status = statusMissingEntry;
        return FALSE;
    }
    m_bPsapi = TRUE;
    return TRUE;
}

BOOL CProcessSnapshot::LoadToolhelp()
{
    m_hKernel = LoadLibraryA("kernel32.dll");
    if (m_hKernel == nullptr)
        return FALSE;
    if (!Resolve(m_hKernel, "CreateToolhelp32Snapshot", m_createToolhelp32Snapshot) ||
        !Resolve(m_hKernel, "Process32First", m_process32First) ||
        !Resolve(m_hKernel, "Process32Next", m_process32Next) ||
        !Resolve(m_hKernel, "Module32First", m_module32First) ||
        !Resolve(m_hKernel, "Module32Next", m_module32Next)) {
        FreeLibrary(m_hKernel);
        m_hKernel = nullptr;
        m_status = statusMissingEntry;
        return FALSE;
    }
    m_bToolhelp = TRUE;
    return TRUE;
}

std::unique_ptr<ProcessEntryList> CProcessSnapshot::CreateProcessList()
{
    std::unique_ptr<ProcessEntryList> list(new (std::nothrow) ProcessEntryList);
    if (!list) {
        m_status = statusNoMemory;
        return list;
    }
    if (m_bPsapi)
        m_status = FillByPsapi(*list);
    else if (m_bToolhelp)
        m_status = FillByToolhelp(*list);
    return list;
}

DWORD CProcessSnapshot::FillByPsapi(ProcessEntryList& list)
{
    // Ask again with more room while the answer fills the buffer.
    std::vector<DWORD> ids(4096);
    DWORD bytes = 0;
    for (;;) {
        DWORD size = static_cast<DWORD>(ids.size() * sizeof(DWORD));
        if (!m_enumProcesses(ids.data(), size, &bytes))
            return statusEnumFailed;
        if (bytes < size || ids.size() >= 0x100000)
            break;
        ids.resize(ids.size() * 2);
    }
    ids.resize(bytes / sizeof(DWORD));

    list.entries.clear();
    for (DWORD id : ids) {
        CHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
        if (process.Get() == nullptr)
            continue;
        ProcessEntry entry;
        entry.processId = id;
        entry.path = "-";
        HMODULE module = nullptr;
        DWORD needed = 0;
        if (m_enumProcessModules(process.Get(), &module, sizeof module, &needed)) {
            char path[1024];
            DWORD length = m_getModuleFileNameEx(process.Get(), module, path, sizeof path);
            if (length > 0 && length < sizeof path - 1)
                entry.path = CString(path, static_cast<int>(length));
        }
        list.entries.push_back(entry);
    }
    list.position = 0;
    return statusOk;
}

DWORD CProcessSnapshot::FillByToolhelp(ProcessEntryList& list)
{
    CHandle snapshot(m_createToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.Get() == INVALID_HANDLE_VALUE)
        return statusEnumFailed;
    list.entries.clear();
    PROCESSENTRY32 process = {};
    process.dwSize = sizeof process;
    for (BOOL more = m_process32First(snapshot.Get(), &process); more;
         more = m_process32Next(snapshot.Get(), &process)) {
        ProcessEntry entry;
        entry.processId = process.th32ProcessID;
        process.szExeFile[MAX_PATH - 1] = '\0';
        entry.path = process.szExeFile;
        list.entries.push_back(entry);
    }
    list.position = 0;
    return statusOk;
}

BOOL CProcessSnapshot::GetNextProcess(ProcessEntryList& list, ProcessEntry& entry)
{
    if (list.position > list.entries.size()) {
        m_status = statusBeyondEnd;
        return FALSE;
    }
    if (list.position == list.entries.size()) {
        m_status = statusEnd;
        return FALSE;
    }
    entry = list.entries[list.position++];
    m_status = statusOk;
    return TRUE;
}

void EnableDebugPrivilege()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return;
    CHandle owner(token);
    EnablePrivilege(token, "SeDebugPrivilege");
    EnablePrivilege(token, "SeShutdownPrivilege");
}
