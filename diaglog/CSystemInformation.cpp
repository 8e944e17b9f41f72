#include "CSystemInformation.h"
#include <cstring>

namespace {

CString ServicePackText(const OSVERSIONINFOA& info)
{
    return CString(info.szCSDVersion, static_cast<int>(strnlen(info.szCSDVersion, sizeof info.szCSDVersion)));
}

}  // namespace

CSystemInformation::~CSystemInformation() = default;

CString CSystemInformation::DetectOperatingSystem(CString& servicePack)
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info))
        return "OS_WIN95A_RETAIL";
#pragma GCC diagnostic pop
    return NameOperatingSystem(info, servicePack);
}

CString CSystemInformation::NameOperatingSystem(const OSVERSIONINFOA& info, CString& servicePack)
{
    DWORD major = info.dwMajorVersion;
    DWORD minor = info.dwMinorVersion;
    switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32s:
        return "OS_WIN31";
    case VER_PLATFORM_WIN32_WINDOWS: {
        DWORD buildMinor = (info.dwBuildNumber >> 16) & 0xFF;
        if (buildMinor > minor)
            minor = buildMinor;
        if (major > 4 || (major == 4 && minor >= 90))
            return "OS_MILLENIUM";
        if (major == 4 && minor >= 1)
            return "OS_WIN98";
        if ((info.dwBuildNumber & 0xFFFF) > 1080)
            return "OS_WIN95B_OSR2";
        return "OS_WIN95A_RETAIL";
    }
    case VER_PLATFORM_WIN32_NT:
        if (major >= 5 && minor >= 1) {
            servicePack = ServicePackText(info);
            return "Win XP";
        }
        if (major == 5 && minor == 0)
            return "OS_WIN2000";
        if (major == 6 && minor == 0) {
            servicePack = ServicePackText(info);
            return "OS_VISTA";
        }
        return "OS_WINNT";
    default:
        return "OS_WIN95A_RETAIL";
    }
}
