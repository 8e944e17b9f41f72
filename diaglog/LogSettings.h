#pragma once
#include "afx.h"

class SysInfo;

// The record the diagnostic log works from, built once per run from the
// configuration's log settings. The list pointers (CPtrList of
// LogSettingsDirectory* and of LogSettingsKey*) belong to whoever filled the
// record; the log never frees them.
class LogSettings {
public:
    LogSettings() = default;

    BOOL m_registry = FALSE;
    BOOL m_hosts = FALSE;
    BOOL m_processes = FALSE;
    BOOL m_filesystem = FALSE;
    BOOL m_binary = FALSE;
    BOOL m_dword = FALSE;
    BOOL m_regsz = FALSE;
    CPtrList* m_pDirectories = nullptr;
    CPtrList* m_pKeys = nullptr;
    SysInfo* m_pSysInfo = nullptr;
};
