#include "LogSettingsConfig.h"

LogSettingsConfig::~LogSettingsConfig()
{
    RemoveAll();
}

void LogSettingsConfig::RemoveAll()
{
    while (!m_keys.IsEmpty())
        delete static_cast<LogSettingsKey*>(m_keys.RemoveHead());
    while (!m_directories.IsEmpty())
        delete static_cast<LogSettingsDirectory*>(m_directories.RemoveHead());
    m_filesystem = m_processes = m_hosts = m_registry = FALSE;
    m_regsz = m_dword = m_binary = FALSE;
}
