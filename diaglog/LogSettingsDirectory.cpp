#include "LogSettingsDirectory.h"

LogSettingsDirectory::LogSettingsDirectory(const CString& path, BOOL recurse)
    : m_path(path), m_recurse(recurse)
{
}
