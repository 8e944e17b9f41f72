#include "INtDll.h"

FARPROC INtDll::NtQuerySystemInformation = nullptr;
FARPROC INtDll::NtQueryObject = nullptr;
FARPROC INtDll::NtQueryInformationThread = nullptr;
FARPROC INtDll::NtQueryInformationFile = nullptr;
FARPROC INtDll::NtQueryInformationProcess = nullptr;
int INtDll::s_osMajorVersion = INtDll::GetOSMajorVersion();
BOOL INtDll::s_functionsLoaded = INtDll::LoadFunctions();

int INtDll::GetOSMajorVersion()
{
    OSVERSIONINFOEXA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) {
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info)))
            return 0;
    }
    return static_cast<int>(info.dwMajorVersion);
}

BOOL INtDll::LoadFunctions()
{
    struct Entry {
        LPCSTR name;
        FARPROC* slot;
    };
    const Entry entries[] = {
        {"NtQuerySystemInformation", &NtQuerySystemInformation},
        {"NtQueryObject", &NtQueryObject},
        {"NtQueryInformationThread", &NtQueryInformationThread},
        {"NtQueryInformationFile", &NtQueryInformationFile},
        {"NtQueryInformationProcess", &NtQueryInformationProcess},
    };
    BOOL all = TRUE;
    for (const Entry& entry : entries) {
        *entry.slot = ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), entry.name);
        all = all && *entry.slot != nullptr;
    }
    return all;
}
