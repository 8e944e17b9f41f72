#pragma once
#include "afx.h"
#include "LogSettingsKey.h"
#include "LogSettingsDirectory.h"

// The log settings as read from "LogSettings.xml" at start-up: the seven
// switches and the keys and folders to describe, in document order. Owns the
// entries of both lists (LogSettingsKey* and LogSettingsDirectory*).
class LogSettingsConfig {
public:
    LogSettingsConfig() = default;
    ~LogSettingsConfig();
    LogSettingsConfig(const LogSettingsConfig&) = delete;
    LogSettingsConfig& operator=(const LogSettingsConfig&) = delete;

    // Deletes every entry and turns every switch off.
    void RemoveAll();

    BOOL m_filesystem = FALSE;
    BOOL m_processes = FALSE;
    BOOL m_hosts = FALSE;
    BOOL m_registry = FALSE;
    BOOL m_regsz = FALSE;
    BOOL m_dword = FALSE;
    BOOL m_binary = FALSE;
    CPtrList m_keys;          // LogSettingsKey*
    CPtrList m_directories;   // LogSettingsDirectory*
};
