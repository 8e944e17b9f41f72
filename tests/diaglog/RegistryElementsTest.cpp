#include "ClassID.h"
#include "CMD5.h"
#include "DiaglogTestSupport.h"
#include "LogFile.h"
#include "LogSettingsKey.h"
#include "RegKey.h"
#include "RegValue.h"
#include "RegistryText.h"
#include "TestSupport.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include <objbase.h>
#include <shlwapi.h>

using diaglogtest::Render;
using diaglogtest::SampleBytes;
using diaglogtest::SampleDigestOf;
using testsupport::TempDir;
using testsupport::TestKey;

namespace {

std::string RenderValue(const char* name, DWORD type, const std::string& bytes, BOOL on = TRUE)
{
    RegValue value(name, type, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), on,
                   on, on);
    return Render(value);
}

std::string ValueLine(const std::string& name, const std::string& type, const std::string& data)
{
    return "<RegValue name=\"" + name + "\" type=\"" + type + "\" data=\"" + data + "\">\n";
}

std::string Plain(const std::string& name, const std::string& type, const std::string& data)
{
    return ValueLine(name, type, data) + "</RegValue>\n";
}

std::string FileXml(const std::string& name, const std::string& expanded, const std::string& md5)
{
    return "<File name=\"" + name + "\" expanded-name=\"" + expanded + "\" md5=\"" + md5 + "\"/>\n";
}

std::string Repeat(const std::string& part, int count)
{
    std::string text;
    for (int i = 0; i < count; i++)
        text += part;
    return text;
}

std::string Dword(DWORD value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

// A class registered under HKEY_CLASSES_ROOT\CLSID for the test's lifetime.
class PlantedClass {
public:
    // An empty server leaves InProcServer32 without a default value.
    PlantedClass(const std::string& title, const std::string& server, bool withServerKey = true)
        : m_id(testsupport::NewGuid())
    {
        std::string key = "CLSID\\" + m_id;
        SetDefault(key, &title);
        if (withServerKey)
            SetDefault(key + "\\InProcServer32", server.empty() ? nullptr : &server);
    }
    ~PlantedClass() { SHDeleteKeyA(HKEY_CLASSES_ROOT, ("CLSID\\" + m_id).c_str()); }
    PlantedClass(const PlantedClass&) = delete;
    PlantedClass& operator=(const PlantedClass&) = delete;
    const std::string& Id() const { return m_id; }

private:
    static void SetDefault(const std::string& key, const std::string* value)
    {
        HKEY h = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &h, nullptr));
        if (value != nullptr)
            RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                           static_cast<DWORD>(value->size() + 1));
        RegCloseKey(h);
    }

    std::string m_id;
};

// Log settings that describe a list of keys.
class RegistrySettings {
public:
    RegistrySettings(BOOL binary = TRUE, BOOL dword = TRUE, BOOL regsz = TRUE)
    {
        settings.m_registry = TRUE;
        settings.m_binary = binary;
        settings.m_dword = dword;
        settings.m_regsz = regsz;
        settings.m_pKeys = &keys;
    }
    ~RegistrySettings()
    {
        while (!keys.IsEmpty())
            delete static_cast<LogSettingsKey*>(keys.RemoveHead());
    }
    void Add(HKEY root, const std::string& path, BOOL recurse)
    {
        keys.AddTail(new LogSettingsKey(root, path.c_str(), recurse));
    }
    std::string Gather()
    {
        LogFile log(settings);
        log.GatherRegistry();
        return std::string(*log.GetXml());
    }

    LogSettings settings;
    CPtrList keys;
};

}  // namespace

TEST(RegistryElements, ValueDataTexts)
{
    EXPECT_EQ(Plain("bin", "REG_BINARY", "030201"), RenderValue("bin", REG_BINARY, "\x01\x02\x03"));
    EXPECT_EQ(Plain("empty", "REG_BINARY", ""), RenderValue("empty", REG_BINARY, ""));
    EXPECT_EQ(Plain("n", "REG_DWORD", "0x00001a2b"), RenderValue("n", REG_DWORD, Dword(6699)));
    EXPECT_EQ(Plain("one", "REG_DWORD", "0x00000001"), RenderValue("one", REG_DWORD, Dword(1)));
    EXPECT_EQ(Plain("", "REG_SZ", "text"), RenderValue("", REG_SZ, std::string("text\0", 5)));
    // Only the returned bytes count, and text stops at the first zero.
    EXPECT_EQ(Plain("s", "REG_SZ", "abc"), RenderValue("s", REG_SZ, "abc"));
    EXPECT_EQ(Plain("m", "REG_MULTI_SZ", "first"), RenderValue("m", REG_MULTI_SZ, std::string("first\0second\0\0", 14)));
    EXPECT_EQ(Plain("x", "REG_EXPAND_SZ", "%NOWHERE%"), RenderValue("x", REG_EXPAND_SZ, std::string("%NOWHERE%\0", 10)));
    // Markup and control bytes are escaped in names and data.
    EXPECT_EQ(Plain("n&amp;&apos;&quot;&lt;", "REG_SZ", "a&amp;b&lt;c&gt;?d"),
              RenderValue("n&'\"<", REG_SZ, std::string("a&b<c>\x01" "d\0", 9)));
    // Text with a byte of 0x80 or above is not shown.
    EXPECT_EQ(Plain("hi", "REG_SZ", "N/A"), RenderValue("hi", REG_SZ, std::string("caf\x80\0", 5)));
    EXPECT_EQ(Plain("hi", "REG_SZ", "N/A"), RenderValue("hi", REG_SZ, std::string("\xff", 1)));
    // Other types, and hidden types.
    EXPECT_EQ(Plain("u", "Undefined reg type: 5", "N/A"), RenderValue("u", 5, Dword(7)));
    EXPECT_EQ(Plain("q", "REG_QWORD", "N/A"), RenderValue("q", REG_QWORD, std::string(8, '\x01')));
    EXPECT_EQ(Plain("z", "REG_NONE", "N/A"), RenderValue("z", REG_NONE, "abc"));
    EXPECT_EQ(Plain("bin", "REG_BINARY", "N/A"), RenderValue("bin", REG_BINARY, "\x01", FALSE));
    EXPECT_EQ(Plain("n", "REG_DWORD", "N/A"), RenderValue("n", REG_DWORD, Dword(1), FALSE));
    EXPECT_EQ(Plain("s", "REG_SZ", "N/A"), RenderValue("s", REG_SZ, std::string("abc\0", 4), FALSE));

}

TEST(RegistryElements, FilePathsInTextsGetDigests)
{
    TempDir temp;
    const std::string sample = temp.File("sample.bin");
    ASSERT_TRUE(testsupport::WriteFileBytes(sample, SampleBytes(1025)));
    const std::string md5 = SampleDigestOf(1025);
    diaglogtest::ScopedEnvironment dir("KELDRIX_GATHER_DIR", temp.Path());

    // An expandable path: the name stays unexpanded.
    std::string text = "%KELDRIX_GATHER_DIR%\\sample.bin";
    EXPECT_EQ(ValueLine("p", "REG_EXPAND_SZ", text) + FileXml(text, sample, md5) + "</RegValue>\n",
              RenderValue("p", REG_EXPAND_SZ, text + '\0'));

    // A quoted path loses its quotes before matching; arguments are kept in
    // the expanded name but not read.
    text = "\"" + sample + "\"";
    EXPECT_EQ(ValueLine("q", "REG_SZ", "&quot;" + sample + "&quot;") +
                  FileXml("&quot;" + sample + "&quot;", sample, md5) + "</RegValue>\n",
              RenderValue("q", REG_SZ, text + '\0'));
    text = sample + " /s /q";
    EXPECT_EQ(ValueLine("a", "REG_SZ", text) + FileXml(text, text, md5) + "</RegValue>\n",
              RenderValue("a", REG_SZ, text + '\0'));

    // Several pieces; a missing file still gets its element.
    text = sample + ";;C:\\nowhere\\gone.dll," + sample;
    std::string xml = RenderValue("list", REG_SZ, text + '\0');
    EXPECT_EQ(2, testsupport::CountOf(xml, FileXml(sample, sample, md5)));
    EXPECT_EQ(1, testsupport::CountOf(xml, FileXml("C:\\nowhere\\gone.dll", "C:\\nowhere\\gone.dll",
                                                    "could not open file for md5 calculation")));

    // A bare program name is looked up along PATH.
    CreateDirectoryA(temp.File("bin").c_str(), nullptr);
    ASSERT_TRUE(testsupport::WriteFileBytes(temp.File("bin\\tool.exe"), SampleBytes(64)));
    {
        diaglogtest::ScopedEnvironment path("PATH", "C:\\nowhere;%KELDRIX_GATHER_DIR%\\bin");
        EXPECT_EQ(ValueLine("r", "REG_SZ", "tool.exe /q") +
                      FileXml("tool.exe /q", temp.File("bin\\tool.exe"), SampleDigestOf(64)) + "</RegValue>\n",
                  RenderValue("r", REG_SZ, "tool.exe /q"));
        EXPECT_EQ(ValueLine("r", "REG_SZ", "absent.exe") +
                      FileXml("absent.exe", "absent.exe", "could not open file for md5 calculation") +
                      "</RegValue>\n",
                  RenderValue("r", REG_SZ, "absent.exe"));
    }

    // A system file named through %SystemRoot%.
    xml = RenderValue("s", REG_EXPAND_SZ, "%SystemRoot%\\system32\\kernel32.dll");
    char windows[MAX_PATH];
    GetEnvironmentVariableA("SystemRoot", windows, MAX_PATH);
    std::string kernel = std::string(windows) + "\\system32\\kernel32.dll";
    CString kernelMd5;
    CMD5::GetFileDigest(kernel.c_str(), kernelMd5);
    ASSERT_EQ(32, kernelMd5.GetLength());
    EXPECT_NE(std::string::npos,
              xml.find(FileXml("%SystemRoot%\\system32\\kernel32.dll", kernel, std::string(kernelMd5))));
}

TEST(RegistryElements, ClassIdentifiersResolveToTheirServers)
{
    TempDir temp;
    const std::string server = temp.File("server.dll");
    ASSERT_TRUE(testsupport::WriteFileBytes(server, SampleBytes(65)));
    PlantedClass planted("Keldrix & Test <Class>", server);
    const std::string& id = planted.Id();

    EXPECT_EQ(ValueLine("c", "REG_SZ", id) + "<ClassID value=\"" + id +
                  "\" title=\"Keldrix &amp; Test &lt;Class&gt;\" resolved-symbol=\"" + server + "\">\n" +
                  FileXml(server, server, SampleDigestOf(65)) + "</ClassID>\n</RegValue>\n",
              RenderValue("c", REG_SZ, id + '\0'));

    // A value naming a class and a file lists the files first, whatever their order in the text.
    const std::string both = RenderValue("b", REG_SZ, id + ";" + server + '\0');
    EXPECT_NE(std::string::npos, both.find("<ClassID ")) << both;
    EXPECT_LT(both.find(FileXml(server, server, SampleDigestOf(65))), both.find("<ClassID ")) << both;

    // In a key path, the identifier alone is taken.
    RegKey key(("HKEY_CLASSES_ROOT\\CLSID\\" + id + "\\InprocServer32").c_str());
    std::string xml = Render(key);
    EXPECT_EQ(0u, xml.find("<RegKey name=\"HKEY_CLASSES_ROOT\\CLSID\\" + id + "\\InprocServer32\">\n<ClassID value=\"" +
                           id + "\""));
    EXPECT_EQ(1, testsupport::CountOf(xml, "<ClassID "));

    // Missing registrations still give an element, with the failure texts.
    const std::string missing = testsupport::NewGuid();
    EXPECT_EQ("<ClassID value=\"" + missing + "\" title=\"Could not resolve title for ClassID " + missing +
                  ", key does not exist\" resolved-symbol=\"Could not resolve ClassID " + missing +
                  ", key does not exist\">\n</ClassID>\n",
              Render(*std::make_unique<ClassID>(missing.c_str())));
    PlantedClass noServer("Titled", "", true);
    EXPECT_EQ("<ClassID value=\"" + noServer.Id() + "\" title=\"Titled\" resolved-symbol=\"Could not resolve ClassID " +
                  noServer.Id() + ", error querying default value\">\n</ClassID>\n",
              Render(*std::make_unique<ClassID>(noServer.Id().c_str())));
}

TEST(RegistryElements, GatherDescribesPlantedKeys)
{
    TempDir temp;
    const std::string sample = temp.File("sample.bin");
    ASSERT_TRUE(testsupport::WriteFileBytes(sample, SampleBytes(1025)));
    diaglogtest::ScopedEnvironment dir("KELDRIX_GATHER_DIR", temp.Path());
    const std::string server = temp.File("server.dll");
    ASSERT_TRUE(testsupport::WriteFileBytes(server, SampleBytes(56)));
    PlantedClass planted("Planted", server);

    TestKey key;
    const std::string longText(3000, 'L');
    key.Set("", "a_long", REG_SZ, longText.c_str(), static_cast<DWORD>(longText.size() + 1));
    key.Set("", "b_short", REG_SZ, "ab", 3);
    key.Set("", "c_longbin", REG_BINARY, longText.data(), 40);
    key.Set("", "d_shortbin", REG_BINARY, "\x05", 1);
    key.SetDword("", "e_dword", 6699);
    key.Set("", "f_odd", 5, "\x01\x02\x03\x04", 4);
    const std::string expandable = "%KELDRIX_GATHER_DIR%\\sample.bin";
    key.Set("", "g_path", REG_EXPAND_SZ, expandable.c_str(), static_cast<DWORD>(expandable.size() + 1));
    key.SetString("", "h_class", planted.Id());
    key.SetString("child", "v", "child value");
    key.SetString("child\\grand", "w", "grand value");

    const std::string root = "HKEY_CURRENT_USER\\" + key.SubKey();
    const std::vector<std::string> values = {
        Plain("a_long", "REG_SZ", longText),
        Plain("b_short", "REG_SZ", "ab"),
        Plain("c_longbin", "REG_BINARY", Repeat("4c", 40)),
        Plain("d_shortbin", "REG_BINARY", "05"),
        Plain("e_dword", "REG_DWORD", "0x00001a2b"),
        Plain("f_odd", "Undefined reg type: 5", "N/A"),
        ValueLine("g_path", "REG_EXPAND_SZ", expandable) + FileXml(expandable, sample, SampleDigestOf(1025)) +
            "</RegValue>\n",
        ValueLine("h_class", "REG_SZ", planted.Id()) + "<ClassID value=\"" + planted.Id() +
            "\" title=\"Planted\" resolved-symbol=\"" + server + "\">\n" + FileXml(server, server, SampleDigestOf(56)) +
            "</ClassID>\n</RegValue>\n",
    };

    RegistrySettings flat;
    flat.Add(HKEY_CURRENT_USER, key.SubKey(), FALSE);
    flat.Add(HKEY_CURRENT_USER, key.Sub("missing"), TRUE);
    flat.Add(nullptr, key.SubKey(), TRUE);
    std::string xml = flat.Gather();
    std::string start = "<Registry>\n<RegKey name=\"" + root + "\">\n";
    ASSERT_NE(std::string::npos, xml.find(start)) << xml;
    size_t end = xml.find("</RegKey>\n</Registry>\n");
    ASSERT_NE(std::string::npos, end);
    std::string body = xml.substr(xml.find(start) + start.size(), end - xml.find(start) - start.size());
    EXPECT_EQ(1, testsupport::CountOf(xml, "<RegKey "));
    size_t length = 0;
    for (const std::string& value : values) {
        EXPECT_EQ(1, testsupport::CountOf(body, value)) << value;
        length += value.size();
    }
    EXPECT_EQ(length, body.size()) << body;

    RegistrySettings deep;
    deep.Add(HKEY_CURRENT_USER, key.SubKey(), TRUE);
    xml = deep.Gather();
    size_t child = xml.find("<RegKey name=\"" + root + "\\child\">\n" + Plain("v", "REG_SZ", "child value"));
    size_t grand = xml.find("<RegKey name=\"" + root + "\\child\\grand\">\n" + Plain("w", "REG_SZ", "grand value") +
                            "</RegKey>\n</RegKey>\n</RegKey>\n</Registry>\n");
    EXPECT_NE(std::string::npos, child) << xml;
    EXPECT_NE(std::string::npos, grand) << xml;
    EXPECT_LT(child, grand);
    for (const std::string& value : values)
        EXPECT_EQ(1, testsupport::CountOf(xml, value)) << value;

    RegistrySettings hidden(FALSE, FALSE, FALSE);
    hidden.Add(HKEY_CURRENT_USER, key.SubKey(), FALSE);
    xml = hidden.Gather();
    EXPECT_EQ(1, testsupport::CountOf(xml, Plain("a_long", "REG_SZ", "N/A")));
    EXPECT_EQ(1, testsupport::CountOf(xml, Plain("c_longbin", "REG_BINARY", "N/A")));
    EXPECT_EQ(1, testsupport::CountOf(xml, Plain("e_dword", "REG_DWORD", "N/A")));
    EXPECT_EQ(0, testsupport::CountOf(xml, "<File "));

    RegistrySettings none;
    none.Add(HKEY_CURRENT_USER, key.Sub("missing"), TRUE);
    xml = none.Gather();
    EXPECT_EQ(std::string::npos, xml.find("<Registry>"));
}

namespace {

struct WalkJob {
    std::string path;
    LogSettings settings;
    size_t keys = 0;
};

DWORD WINAPI WalkOnSmallStack(LPVOID param)
{
    WalkJob* job = static_cast<WalkJob*>(param);
    std::unique_ptr<RegKey> key(ReadRegKey(HKEY_CURRENT_USER, job->path.c_str(), TRUE, job->settings));
    if (key)
        job->keys = testsupport::CountOf(std::string(*key->GetXml()), "<RegKey ");
    return 0;
}

}  // namespace

// Deep trees are walked on a thread with a small stack: each level keeps
// little on the stack, and the walk stops at the registry's own depth limit
// of 512 levels below the described key.
TEST(RegistryElements, DeepTreeOnSmallStack)
{
    TestKey key;
    const int depth = 600;
    HKEY parent = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, key.SubKey().c_str(), 0, KEY_ALL_ACCESS, &parent));
    for (int i = 0; i < depth; i++) {
        HKEY child = nullptr;
        LONG rc = RegCreateKeyExA(parent, "d", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr);
        RegCloseKey(parent);
        ASSERT_EQ(ERROR_SUCCESS, rc) << "level " << i;
        parent = child;
    }
    RegCloseKey(parent);

    WalkJob job;
    job.path = key.SubKey();
    HANDLE thread = CreateThread(nullptr, 256 * 1024, WalkOnSmallStack, &job, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    ASSERT_NE(nullptr, thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 120000));
    DWORD code = 1;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    EXPECT_EQ(0u, code);
    EXPECT_EQ(513u, job.keys);
}
