#include <gtest/gtest.h>
#include "LogSettingsDocument.h"
#include "TestSupport.h"
#include <string>

namespace {

// Loads a document written to a temporary file into a fresh configuration.
struct Loaded {
    explicit Loaded(const std::string& doc)
    {
        testsupport::TempDir dir;
        std::string path = dir.File("LogSettings.xml");
        EXPECT_TRUE(testsupport::WriteFileBytes(path, doc));
        EXPECT_TRUE(LogSettingsDocument::LoadLogSettings(path.c_str(), settings));
    }
    // The switches as 0/1 digits: filesystem, processes, hosts, registry, regsz, dword, binary.
    std::string Switches() const
    {
        std::string t;
        for (BOOL on : {settings.m_filesystem, settings.m_processes, settings.m_hosts, settings.m_registry,
                        settings.m_regsz, settings.m_dword, settings.m_binary})
            t += on ? '1' : '0';
        return t;
    }
    // Keys as "root:subkey[+];" (root 0 when unknown, + when recursive), folders likewise.
    std::string Entries() const
    {
        std::string text;
        for (POSITION pos = settings.m_keys.GetHeadPosition(); pos;) {
            auto* k = static_cast<LogSettingsKey*>(settings.m_keys.GetNext(pos));
            text += std::to_string(reinterpret_cast<ULONG_PTR>(k->m_root) & 0xF) + ":" + std::string(k->m_subKey)
                    + (k->m_recurse ? "+" : "") + ";";
        }
        for (POSITION pos = settings.m_directories.GetHeadPosition(); pos;) {
            auto* d = static_cast<LogSettingsDirectory*>(settings.m_directories.GetNext(pos));
            text += "dir:" + std::string(d->m_path) + (d->m_recurse ? "+" : "") + ";";
        }
        return text;
    }
    LogSettingsConfig settings;
};

TEST(LogSettingsDocument, DocumentsTable)
{
    const struct {
        const char* doc;
        const char* switches;
        const char* entries;
    } cases[] = {
        {"<LogSettings filesystem='true' processes='TRUE' hosts='tRuE' registry='1' regsz='yes' dword='' />",
         "1110000", ""},
        // Unquoted is no value; white space is trimmed.
        {"<LogSettings registry=true binary=\" true \" dword='false'/>", "0000001", ""},
        {"<Other registry='true'/><LogSettings regsz='true'/><LogSettings registry='true'/>", "0000100", ""},
        {"<LogSettings REGISTRY='true' Hosts='true'/>", "0000000", ""},  // attribute names keep their case
        {"<root><LogSettings registry='true'></Other><RegKey subKey='k'/></root>", "0001000", "0:k;"},
        {"", "0000000", ""},
        {"<Settings registry='true'/>", "0000000", ""},
        {"<!DOCTYPE x [<!ENTITY a 'b'>]><LogSettings registry='true'><RegKey/></LogSettings>", "0000000", ""},
        // Entries nested or beside the settings; only the first group of nested ones.
        {"<LogSettings registry='true'><RegKey subKey='a' recurse='True'/><x/><RegKey subKey='b'></RegKey>"
         "<RegKey subKey='c' recurse='yes'/></LogSettings>",
         "0001000", "0:a+;0:b;0:c;"},
        {"<RegKey subKey='a' recurse='TRUE'/><RegKey subKey='b'/><LogSettings registry='true'/>"
         "<RegKey subKey='c' recurse='1'/>",
         "0001000", "0:a+;0:b;0:c;"},
        {"<LogSettings><g><x><RegKey subKey='one'/></x><RegKey subKey='two'/></g><RegKey subKey='three'/>"
         "</LogSettings>",
         "0000000", "0:one;"},
        // Entities are not decoded.
        {"<LogSettings filesystem='true'><a><b><Directory name='%windir%\\Temp' recurse='TRUE'/><Directory/>"
         "<Directory name='C:\\A &amp; B'/></b></a></LogSettings>",
         "1000000", "dir:%windir%\\Temp+;dir:;dir:C:\\A &amp; B;"},
        // Root names in any case, full names only.
        {"<LogSettings><RegKey rootKey='hkey_current_user' subKey='s'/><RegKey rootKey='HKLM'/><RegKey/>"
         "<RegKey rootKey='HKEY_LOCAL_MACHINE'/><RegKey rootKey='Hkey_Users'/><RegKey rootKey='HKEY_USERS '/>"
         "</LogSettings>",
         "0000000", "1:s;0:;0:;2:;3:;3:;"},  // the attribute parser trims the blank
    };
    for (const auto& c : cases) {
        Loaded l(c.doc);
        EXPECT_EQ(l.Switches(), c.switches) << c.doc;
        EXPECT_EQ(l.Entries(), c.entries) << c.doc;
    }
    EXPECT_EQ(LogSettingsDocument::GetRootKeyFromName("HKEY_CLASSES_ROOT"), HKEY_CLASSES_ROOT);
    EXPECT_EQ(LogSettingsDocument::GetRootKeyFromName("HKEY_CURRENT_CONFIG"), HKEY_CURRENT_CONFIG);
    EXPECT_EQ(LogSettingsDocument::GetRootKeyFromName("HKEY_DYN_DATA"), HKEY_DYN_DATA);
    EXPECT_EQ(LogSettingsDocument::GetRootKeyFromName(nullptr), nullptr);
    EXPECT_EQ(LogSettingsDocument::GetRootKeyFromName("HKEY_USERS "), nullptr);
}

TEST(LogSettingsDocument, MissingDocumentTurnsEverythingOff)
{
    testsupport::TempDir dir;
    LogSettingsConfig settings;
    settings.m_filesystem = settings.m_processes = settings.m_hosts = settings.m_registry = TRUE;
    settings.m_regsz = settings.m_dword = settings.m_binary = TRUE;
    EXPECT_TRUE(LogSettingsDocument::LoadLogSettings(dir.File("missing.xml").c_str(), settings));
    EXPECT_FALSE(settings.m_filesystem || settings.m_processes || settings.m_hosts || settings.m_registry
                 || settings.m_regsz || settings.m_dword || settings.m_binary);
    EXPECT_TRUE(settings.m_keys.IsEmpty());
    EXPECT_TRUE(settings.m_directories.IsEmpty());
}

}  // namespace
