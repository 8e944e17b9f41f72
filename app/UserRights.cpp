#include "UserRights.h"
#include <vector>
#include "SystemUtils.h"

BOOL GroupsHoldAdministrators(const TOKEN_GROUPS* groups, DWORD* error)
{
    *error = 0;
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS,
                                    0, 0, 0, 0, 0, 0, &administrators)) {
        *error = ::GetLastError();
        return FALSE;
    }
    BOOL found = FALSE;
    for (DWORD i = 0; i < groups->GroupCount && !found; ++i)
        found = ::EqualSid(groups->Groups[i].Sid, administrators);
    ::FreeSid(administrators);
    return found;
}

DWORD IsUserAdminOnVersion(int versionCode, BOOL* isAdmin)
{
    if (versionCode <= 99) {
        *isAdmin = TRUE;
        return 0;
    }
    *isAdmin = FALSE;
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_READ, &token))
        return ::GetLastError();

    DWORD needed = 0;
    ::GetTokenInformation(token, TokenGroups, nullptr, 0, &needed);
    std::vector<BYTE> buffer;
    try {
        buffer.resize(needed * 2 < 1024 ? 1024 : needed * 2);
    } catch (const std::bad_alloc&) {
        ::CloseHandle(token);
        return ERROR_OUTOFMEMORY;
    }
    BOOL read = ::GetTokenInformation(token, TokenGroups, buffer.data(), static_cast<DWORD>(buffer.size()), &needed);
    DWORD error = read ? 0 : ::GetLastError();
    ::CloseHandle(token);
    if (!read)
        return error;
    *isAdmin = GroupsHoldAdministrators(reinterpret_cast<const TOKEN_GROUPS*>(buffer.data()), &error);
    return error;
}

DWORD IsUserAdmin(BOOL* isAdmin)
{
    CString name;
    int code = 0;
    GetWindowsVersionName(name, code);
    return IsUserAdminOnVersion(code, isAdmin);
}
