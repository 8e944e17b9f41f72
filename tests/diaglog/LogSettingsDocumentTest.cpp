#include <gtest/gtest.h>
#include "LogSettingsDocument.h"
#include "TestSupport.h"
#include <string>
#include <vector>

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
    std::vector<LogSettingsKey*> Keys() const
    {
        std::vector<LogSettingsKey*> keys;
        for (POSITION pos = settings.m_keys.GetHeadPosition(); pos;)
            keys.push_back(static_cast<LogSettingsKey*>(settings.m_keys.GetNext(pos)));
        return keys;
    }
    std::vector<LogSettingsDirectory*> Folders() const
    {
        std::vector<LogSettingsDirectory*> folders;
        for (POSITION pos = settings.m_directories.GetHeadPosition(); pos;)
            folders.push_back(static_cast<LogSettingsDirectory*>(settings.m_directories.GetNext(pos)));
        return folders;
    }
    std::string KeyText() const
    {
        std::string text;
        for (LogSettingsKey* k : Keys())
            text += std::string(k->m_subKey) + (k->m_recurse ? "+" : "") + ";";
        return text;
    }
    LogSettingsConfig settings;
};

std::string Switches(const LogSettingsConfig& s)
{
    std::string t;
    for (BOOL on : {s.m_filesystem, s.m_processes, s.m_hosts, s.m_registry, s.m_regsz, s.m_dword, s.m_binary})
        t += on ? '1' : '0';
    return t;
}

TEST(LogSettingsDocument, SwitchesAreOnOnlyForTrue)
{
    Loaded a("<LogSettings filesystem='true' processes='TRUE' hosts='tRuE' registry='1' regsz='yes' dword='' />");
    EXPECT_EQ(Switches(a.settings), "1110000");
    Loaded b("<LogSettings registry=true binary=\" true \" dword='false'/>");
    EXPECT_EQ(Switches(b.settings), "0000001");   // unquoted is no value; white space is trimmed
    Loaded c("<Other registry='true'/><LogSettings regsz='true'/><LogSettings registry='true'/>");
    EXPECT_EQ(Switches(c.settings), "0000100");   // the first LogSettings only
    Loaded d("<LogSettings REGISTRY='true' Hosts='true'/>");
    EXPECT_EQ(Switches(d.settings), "0000000");   // attribute names keep their case
    Loaded e("<root><LogSettings registry='true'></Other><RegKey subKey='k'/></root>");
    EXPECT_EQ(Switches(e.settings), "0001000");   // a mismatched end tag still closes
    EXPECT_EQ(e.KeyText(), "k;");
}

TEST(LogSettingsDocument, MissingOrEmptyDocumentTurnsEverythingOff)
{
    for (const char* doc : {"", "<Settings registry='true'/>",
                            "<!DOCTYPE x [<!ENTITY a 'b'>]><LogSettings registry='true'><RegKey/></LogSettings>"}) {
        SCOPED_TRACE(doc);
        Loaded l(doc);
        EXPECT_EQ(Switches(l.settings), "0000000");
        EXPECT_TRUE(l.Keys().empty());
    }

    testsupport::TempDir dir;
    LogSettingsConfig settings;
    settings.m_filesystem = settings.m_processes = settings.m_hosts = settings.m_registry = TRUE;
    settings.m_regsz = settings.m_dword = settings.m_binary = TRUE;
    EXPECT_TRUE(LogSettingsDocument::LoadLogSettings(dir.File("missing.xml").c_str(), settings));
    EXPECT_EQ(Switches(settings), "0000000");
    EXPECT_TRUE(settings.m_keys.IsEmpty());
    EXPECT_TRUE(settings.m_directories.IsEmpty());
}

TEST(LogSettingsDocument, EntriesNestedOrSiblingsAndFirstGroupOnly)
{
    Loaded nested("<LogSettings registry='true'><RegKey subKey='a' recurse='True'/><x/>"
                  "<RegKey subKey='b'></RegKey><RegKey subKey='c' recurse='yes'/></LogSettings>");
    Loaded siblings("<RegKey subKey='a' recurse='TRUE'/><RegKey subKey='b'/><LogSettings registry='true'/>"
                    "<RegKey subKey='c' recurse='1'/>");
    EXPECT_EQ(nested.KeyText(), "a+;b;c;");
    EXPECT_EQ(siblings.KeyText(), "a+;b;c;");
    EXPECT_EQ(Switches(siblings.settings), "0001000");

    Loaded groups("<LogSettings><g><x><RegKey subKey='one'/></x><RegKey subKey='two'/></g>"
                  "<RegKey subKey='three'/></LogSettings>");
    EXPECT_EQ(groups.KeyText(), "one;");

    Loaded dirs("<LogSettings filesystem='true'><a><b><Directory name='%windir%\\Temp' recurse='TRUE'/>"
                "<Directory/><Directory name='C:\\A &amp; B'/></b></a></LogSettings>");
    auto folders = dirs.Folders();
    ASSERT_EQ(folders.size(), 3u);
    EXPECT_STREQ(folders[0]->m_path, "%windir%\\Temp");
    EXPECT_TRUE(folders[0]->m_recurse);
    EXPECT_STREQ(folders[1]->m_path, "");
    EXPECT_FALSE(folders[1]->m_recurse);
    EXPECT_STREQ(folders[2]->m_path, "C:\\A &amp; B");   // entities are not decoded

    Loaded noDirs("<LogSettings filesystem='true'/>");
    EXPECT_TRUE(noDirs.Folders().empty());
}

TEST(LogSettingsDocument, RootNames)
{
    Loaded l("<LogSettings><RegKey rootKey='hkey_current_user' subKey='s'/><RegKey rootKey='HKLM'/>"
             "<RegKey/><RegKey rootKey='HKEY_LOCAL_MACHINE'/></LogSettings>");
    auto keys = l.Keys();
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[0]->m_root, HKEY_CURRENT_USER);
    EXPECT_STREQ(keys[0]->m_subKey, "s");
    EXPECT_EQ(keys[1]->m_root, nullptr);
    EXPECT_EQ(keys[2]->m_root, nullptr);
    EXPECT_STREQ(keys[2]->m_subKey, "");
    EXPECT_EQ(keys[3]->m_root, HKEY_LOCAL_MACHINE);

    const struct { const char* name; HKEY root; } roots[] = {
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}, {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG}, {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {"Hkey_Users", HKEY_USERS}, {"HKEY_DYN_DATA", HKEY_DYN_DATA}, {"HKEY_USERS ", nullptr},
        {"", nullptr}, {nullptr, nullptr},
    };
    for (const auto& r : roots)
        EXPECT_EQ(LogSettingsDocument::GetRootKeyFromName(r.name), r.root) << (r.name ? r.name : "(null)");
}

// The document shipped beside the program.
TEST(LogSettingsDocument, ShippedDocument)
{
    std::string source = __FILE__;
    size_t cut = source.rfind("/tests/");
    ASSERT_NE(cut, std::string::npos);
    std::string path = "Z:" + source.substr(0, cut) + "/res/LogSettings.xml";
    for (char& ch : path)
        if (ch == '/')
            ch = '\\';
    LogSettingsConfig settings;
    LogSettingsDocument::LoadLogSettings(path.c_str(), settings);
    EXPECT_EQ(Switches(settings), "1111111");
    ASSERT_EQ(settings.m_keys.GetCount(), 2);
    auto* hklm = static_cast<LogSettingsKey*>(settings.m_keys.GetHead());
    auto* hkcu = static_cast<LogSettingsKey*>(settings.m_keys.GetTail());
    EXPECT_EQ(hklm->m_root, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(hkcu->m_root, HKEY_CURRENT_USER);
    for (auto* key : {hklm, hkcu}) {
        EXPECT_STREQ(key->m_subKey, "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
        EXPECT_FALSE(key->m_recurse);
    }
    ASSERT_EQ(settings.m_directories.GetCount(), 1);
    auto* temp = static_cast<LogSettingsDirectory*>(settings.m_directories.GetHead());
    EXPECT_STREQ(temp->m_path, "%windir%\\Temp");
    EXPECT_FALSE(temp->m_recurse);
}

}  // namespace
