#include "LogSettingsDocument.h"
#include "xml_parser.h"
#include <cstring>

namespace {

// An attribute's text; a missing value reads as empty.
CString AttributeText(pug::xml_node& node, LPCSTR name)
{
    LPCSTR value = node.attribute(name).value();
    return CString(value ? value : "");
}

// On only for "true" in any letter case.
BOOL AttributeIsTrue(pug::xml_node& node, LPCSTR name)
{
    LPCSTR value = node.attribute(name).value();
    return (value && _stricmp(value, "true") == 0) ? TRUE : FALSE;
}

}  // namespace

BOOL LogSettingsDocument::LoadLogSettings(LPCSTR path, LogSettingsConfig& settings)
{
    pug::xml_parser parser(pug::all_options);
    parser.parse_file(path, pug::all_options);
    pug::xml_node document = parser.document();

    pug::xml_node switches = document.first_element_by_name("LogSettings");
    settings.m_filesystem = AttributeIsTrue(switches, "filesystem");
    settings.m_processes = AttributeIsTrue(switches, "processes");
    settings.m_hosts = AttributeIsTrue(switches, "hosts");
    settings.m_registry = AttributeIsTrue(switches, "registry");
    settings.m_regsz = AttributeIsTrue(switches, "regsz");
    settings.m_dword = AttributeIsTrue(switches, "dword");
    settings.m_binary = AttributeIsTrue(switches, "binary");

    pug::xml_node key = document.first_element_by_name("RegKey");
    for (BOOL more = !key.empty(); more; more = key.moveto_next_sibling("RegKey")) {
        HKEY root = GetRootKeyFromName(key.attribute("rootKey").value());
        settings.m_keys.AddTail(new LogSettingsKey(root, AttributeText(key, "subKey"),
                                                   AttributeIsTrue(key, "recurse")));
    }

    pug::xml_node folder = document.first_element_by_name("Directory");
    for (BOOL more = !folder.empty(); more; more = folder.moveto_next_sibling("Directory")) {
        settings.m_directories.AddTail(new LogSettingsDirectory(AttributeText(folder, "name"),
                                                                AttributeIsTrue(folder, "recurse")));
    }
    return TRUE;
}

HKEY LogSettingsDocument::GetRootKeyFromName(LPCSTR name)
{
    static const struct {
        LPCSTR name;
        HKEY root;
    } roots[] = {
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
        {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {"HKEY_USERS", HKEY_USERS},
        {"HKEY_DYN_DATA", HKEY_DYN_DATA},
    };
    if (!name)
        name = "";
    for (const auto& entry : roots) {
        if (_stricmp(name, entry.name) == 0)
            return entry.root;
    }
    return nullptr;
}
