#include "LogSettingsKey.h"

LogSettingsKey::LogSettingsKey(HKEY root, const CString& subKey, BOOL recurse)
    : m_root(root), m_subKey(subKey), m_recurse(recurse)
{
}
