#pragma once
#include "afx.h"
#include <memory>
#include <tlhelp32.h>
#include <vector>

// One listed process: its identifier and its program file ("-" when the
// file name could not be read; a bare name when listed through Toolhelp).
struct ProcessEntry {
    DWORD processId = 0;
    CString path;
};

// The processes of one listing, handed out in order.
struct ProcessEntryList {
    DWORD position = 0;
    std::vector<ProcessEntry> entries;
};

// Lists the running processes through psapi.dll or, failing that, through
// the Toolhelp functions of kernel32.dll; both are loaded at run time.
class CProcessSnapshot {
public:
    enum Status {
        statusOk = 0,
        statusNoLibrary = 1,      // neither psapi nor Toolhelp could be loaded
        statusMissingEntry = 2,   // a library lacks an entry point; it has been freed
        statusNoMemory = 3,       // the list could not be allocated
        statusEnumFailed = 4,     // the enumeration call failed
        statusEnd = 5,            // the list is exhausted
        statusBeyondEnd = 6       // the read position lies beyond the end
    };

    CProcessSnapshot() = default;
    ~CProcessSnapshot();
    CProcessSnapshot(const CProcessSnapshot&) = delete;
    CProcessSnapshot& operator=(const CProcessSnapshot&) = delete;

    BOOL LoadPsapi();
    BOOL LoadToolhelp();
    // Fills a new list by the psapi way when psapi is loaded, else by the
    // Toolhelp way; null when the list cannot be allocated.
    std::unique_ptr<ProcessEntryList> CreateProcessList();
    // TRUE and the next entry of the list; FALSE at the end.
    BOOL GetNextProcess(ProcessEntryList& list, ProcessEntry& entry);

    DWORD GetStatus() const { return m_status; }
    void SetStatus(DWORD status) { m_status = status; }

private:
    DWORD FillByPsapi(ProcessEntryList& list);
    DWORD FillByToolhelp(ProcessEntryList& list);

    typedef DWORD(WINAPI* GetModuleFileNameExAProc)(HANDLE, HMODULE, LPSTR, DWORD);
    typedef BOOL(WINAPI* EnumProcessModulesProc)(HANDLE, HMODULE*, DWORD, LPDWORD);
    typedef BOOL(WINAPI* EnumProcessesProc)(DWORD*, DWORD, DWORD*);
    typedef BOOL(WINAPI* GetModuleInformationProc)(HANDLE, HMODULE, void*, DWORD);
    typedef HANDLE(WINAPI* CreateToolhelp32SnapshotProc)(DWORD, DWORD);
    typedef BOOL(WINAPI* Process32Proc)(HANDLE, PROCESSENTRY32*);
    typedef BOOL(WINAPI* Module32Proc)(HANDLE, MODULEENTRY32*);

    GetModuleFileNameExAProc m_getModuleFileNameEx = nullptr;
    EnumProcessModulesProc m_enumProcessModules = nullptr;
    EnumProcessesProc m_enumProcesses = nullptr;
    GetModuleInformationProc m_getModuleInformation = nullptr;
    CreateToolhelp32SnapshotProc m_createToolhelp32Snapshot = nullptr;
    Process32Proc m_process32First = nullptr;
    Process32Proc m_process32Next = nullptr;
    Module32Proc m_module32First = nullptr;
    Module32Proc m_module32Next = nullptr;

    HMODULE m_hPsapi = nullptr;
    HMODULE m_hKernel = nullptr;
    BYTE m_bPsapi = FALSE;
    BYTE m_bToolhelp = FALSE;
    DWORD m_status = statusOk;
};

// Enables the debug and shutdown privileges in the process token, as far as
// the token allows; failures are not reported.
void EnableDebugPrivilege();
