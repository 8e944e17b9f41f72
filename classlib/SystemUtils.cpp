#include "SystemUtils.h"
#include <climits>

void DescribeWindowsVersion(const OSVERSIONINFOA& info, CString& name, int& code)
{
    static const struct { int code; const char* name; } names[] = {
        {OSCODE_WIN95, "Windows 95"},       {OSCODE_WIN95_SP1, "Windows 95 SP1"},
        {OSCODE_WIN95_OSR2, "Windows 95 OSR2"}, {OSCODE_WIN98, "Windows 98"},
        {OSCODE_WIN98_SP1, "Windows 98 SP1"}, {OSCODE_WIN98_SE, "Windows 98 SE"},
        {OSCODE_WINME, "Windows ME"},       {OSCODE_NT351, "Windows NT 3.51"},
        {OSCODE_NT4, "Windows NT 4"},       {OSCODE_WIN2000, "Windows 2000"},
        {OSCODE_WINXP, "Windows XP"},       {OSCODE_VISTA, "Windows Vista"},
        {OSCODE_WINCE, "Windows CE"},
    };
    const DWORD major = info.dwMajorVersion;
    const DWORD minor = info.dwMinorVersion;
    const DWORD build = info.dwBuildNumber & 0xFFFF;

    code = OSCODE_UNKNOWN;
    switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32_WINDOWS:
        if (major != 4)
            break;
        if (minor < 10) {
            if (build == 950)
                code = OSCODE_WIN95;
            else if (build > 950 && build <= 1080)
                code = OSCODE_WIN95_SP1;
            else if (build > 1080)
                code = OSCODE_WIN95_OSR2;
        } else if (minor == 10) {
            if (build == 1998)
                code = OSCODE_WIN98;
            else if (build > 1998 && build <= 2182)
                code = OSCODE_WIN98_SP1;
            else if (build > 2182)
                code = OSCODE_WIN98_SE;
        } else if (minor == 90) {
            code = OSCODE_WINME;
        }
        break;
    case VER_PLATFORM_WIN32_NT:
        if (major == 3 && minor == 51)
            code = OSCODE_NT351;
        else if (major == 4 && minor == 0)
            code = OSCODE_NT4;
        else if (major == 5 && minor == 0)
            code = OSCODE_WIN2000;
        else if (major == 5 && minor == 1)
            code = OSCODE_WINXP;
        else if (major == 6)
            code = OSCODE_VISTA;
        break;
    case 3:  // VER_PLATFORM_WIN32_CE
        code = OSCODE_WINCE;
        break;
    default:
        break;
    }

    name = "unknown Windows version";
    for (const auto& entry : names) {
        if (entry.code == code) {
            name = entry.name;
            break;
        }
    }
}

BOOL GetWindowsVersionName(CString& name, int& code)
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExA(&info)) {
        name = "unknown Windows version";
        code = OSCODE_UNKNOWN;
        return FALSE;
    }
    DescribeWindowsVersion(info, name, code);
    return TRUE;
}

BOOL GetModuleFilePath(LPSTR pszPath)
{
    const DWORD n = GetModuleFileNameA(nullptr, pszPath, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        pszPath[0] = '\0';
        return FALSE;
    }
    return TRUE;
}

CString GetProgramFolder(BOOL bWholePath)
{
    char path[MAX_PATH];
    if (!GetModuleFilePath(path))
        return CString();
    CString text = path;
    if (bWholePath)
        return text;
    return text.Left(text.ReverseFind('\\') + 1);
}

int DecimalToInt(LPCSTR pszText)
{
    if (pszText == nullptr)
        return 0;
    const char* p = pszText;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    const bool negative = (*p == '-');
    if (*p == '-' || *p == '+')
        ++p;
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<int>(value);
}

CString GetEnvironmentText(LPCSTR pszName)
{
    char value[MAX_PATH] = {};
    DWORD length = ::GetEnvironmentVariableA(pszName, value, sizeof value);
    return length > 0 && length < sizeof value ? CString(value) : CString();
}
