#include <gtest/gtest.h>
#include "EngineTestSupport.h"
#include <set>

using enginetest::Event;
using enginetest::RecordingWindow;
using enginetest::TestScanner;

namespace {

// Broken and healthy registrations of every kind the scanner looks at, under
// names of this test's own; the expected problems as "key|value name|value".
class PlantedRegistrations {
public:
    PlantedRegistrations()
    {
        const std::string gone = "C:\\" + tag + "\\";

        // Pass 1: files of classes.
        const std::string broken = "CLSID\\" + badClass;
        Plant(broken, "InprocServer32", "\"" + gone + "x.dll\"");
        Expect("HKEY_CLASSES_ROOT\\" + broken + "\\InprocServer32", "(Default)", gone + "x.dll");
        Plant(broken, "InprocServer", "C:\\" + std::string(1100, 'a') + ".dll");  // too long: skipped
        Plant(broken, "LocalServer32", "x.dll");                                    // no drive path
        Plant(broken, "LocalServer", gone + "rundll32.exe " + gone + "r.dll,Run");   // skipped program
        Plant(broken, "InprocHandler32", "regsvr32.exe /s " + gone + "reg.dll");
        Expect("HKEY_CLASSES_ROOT\\" + broken + "\\InprocHandler32", "(Default)", gone + "reg.dll");
        Plant(broken, "PersistentHandler", gone + "handler.dll");
        Expect("HKEY_CLASSES_ROOT\\" + broken + "\\PersistentHandler", "(Default)", gone + "handler.dll");
        Plant(broken, "DefaultIcon", gone + "icon.ico,2");
        Expect("HKEY_CLASSES_ROOT\\" + broken + "\\DefaultIcon", "(Default)", gone + "icon.ico");

        const std::string healthy = "CLSID\\" + goodClass;
        Plant(healthy, "InprocServer32", "%SystemRoot%\\system32\\kernel32.dll", REG_EXPAND_SZ);
        Plant(healthy, "LocalServer32", "\"%SystemRoot%\\system32\\notepad.exe\" -Embedding");
        Plant(healthy, "DefaultIcon", "C:\\windows\\system32\\shell32.dll,3");
        Plant(healthy, "InprocHandler32", "");
        Plant(healthy, "InprocHandler", gone + "binary.dll", REG_BINARY);  // not a string value

        // Pass 2: classes whose AppID names no AppID key.
        keys.KeyValue(HKEY_CLASSES_ROOT, "AppID\\" + goodAppId, "", "");
        keys.KeyValue(HKEY_CLASSES_ROOT, "CLSID\\" + appIdClass[0], "AppID", missingAppId);
        Expect("HKEY_CLASSES_ROOT\\CLSID\\" + appIdClass[0], "AppID", missingAppId);
        keys.KeyValue(HKEY_CLASSES_ROOT, "CLSID\\" + appIdClass[1], "AppID", bareAppId);
        Expect("HKEY_CLASSES_ROOT\\CLSID\\" + appIdClass[1], "AppID", bareAppId);
        keys.KeyValue(HKEY_CLASSES_ROOT, "CLSID\\" + appIdClass[2], "AppID", goodAppId);
        keys.KeyValue(HKEY_CLASSES_ROOT, "CLSID\\" + appIdClass[3], "AppID", "");

        // Pass 3: named AppIDs; names in braces are not examined.
        keys.KeyValue(HKEY_CLASSES_ROOT, "AppID\\" + tag + "_bad.exe", "AppID", missingNamedAppId);
        Expect("HKEY_CLASSES_ROOT\\AppID\\" + tag + "_bad.exe", "AppID", missingNamedAppId);
        keys.KeyValue(HKEY_CLASSES_ROOT, "AppID\\" + tag + "_good.exe", "AppID", goodAppId);
        keys.KeyValue(HKEY_CLASSES_ROOT, "AppID\\" + bracedAppId, "AppID", testsupport::NewGuid());

        // Pass 4: CLSID references of class-root keys.
        keys.KeyValue(HKEY_CLASSES_ROOT, tag + ".Bad\\CLSID", "", missingClass);
        Expect("HKEY_CLASSES_ROOT\\" + tag + ".Bad\\CLSID", "{Default}", missingClass);
        keys.KeyValue(HKEY_CLASSES_ROOT, tag + ".Good\\CLSID", "", goodClass);
        keys.KeyValue(HKEY_CLASSES_ROOT, tag + ".Bare\\CLSID", "", goodClass.substr(1, 36));
        keys.KeyValue(HKEY_CLASSES_ROOT, tag + ".Empty\\CLSID", "", "");

        // Pass 5: type libraries, two versions of one of them broken.
        const std::string library = "TypeLib\\" + badLibrary;
        keys.KeyValue(HKEY_CLASSES_ROOT, library + "\\1.0\\0\\win32", "", gone + "one.tlb");
        Expect("HKEY_CLASSES_ROOT\\" + library + "\\1.0\\0\\win32", "(Default)", gone + "one.tlb");
        keys.KeyValue(HKEY_CLASSES_ROOT, library + "\\2.0\\409\\win32", "", gone + "two.tlb");
        Expect("HKEY_CLASSES_ROOT\\" + library + "\\2.0\\409\\win32", "(Default)", gone + "two.tlb");
        keys.KeyValue(HKEY_CLASSES_ROOT, library + "\\2.0\\FLAGS", "", "0");
        keys.KeyValue(HKEY_CLASSES_ROOT, "TypeLib\\" + goodLibrary + "\\1.0\\0\\win32", "", "C:\\windows\\system32\\shell32.dll");
    }

    // TRUE for a text that names one of the planted registrations.
    bool IsOurs(const std::string& text) const
    {
        for (const std::string& name : names)
            if (text.find(name) != std::string::npos)
                return true;
        return false;
    }

    const std::string tag = testsupport::UniqueName("KdxCom");
    const std::string badClass = testsupport::NewGuid(), goodClass = testsupport::NewGuid(), missingClass = testsupport::NewGuid();
    const std::string appIdClass[4] = {testsupport::NewGuid(), testsupport::NewGuid(), testsupport::NewGuid(), testsupport::NewGuid()};
    const std::string goodAppId = testsupport::NewGuid(), missingAppId = testsupport::NewGuid(), missingNamedAppId = testsupport::NewGuid();
    const std::string bareAppId = tag + "_abc", bracedAppId = testsupport::NewGuid();
    const std::string badLibrary = testsupport::NewGuid(), goodLibrary = testsupport::NewGuid();
    const std::vector<std::string> names = {tag, badClass, goodClass, missingClass, appIdClass[0], appIdClass[1],
                                            appIdClass[2], appIdClass[3], goodAppId, missingAppId,
                                            missingNamedAppId, bracedAppId, badLibrary, goodLibrary};
    std::set<std::string> expected;

private:
    void Plant(const std::string& classKey, const char* subKey, const std::string& value, DWORD type = REG_SZ)
    {
        keys.KeyValue(HKEY_CLASSES_ROOT, classKey + "\\" + subKey, "", value, type);
    }
    void Expect(const std::string& key, const std::string& valueName, const std::string& value)
    {
        expected.insert(key + "|" + valueName + "|" + value);
    }

    enginetest::Planted keys;  // parents made for them go again once empty
};

}  // namespace

TEST(ComScanner, EachPassFindsItsPlantedFaultAndPassesTheHealthyEntries)
{
    testsupport::SharedStateLock lock;  // no other class walk while ours plants and walks
    PlantedRegistrations planted;
    RecordingWindow window;
    CRegistryProblemArray problems;
    TestScanner engine(problems);
    engine.SetNotifyWindow(window.Get());

    engine.ScanComActiveX();

    std::set<std::string> found;
    for (INT_PTR i = 0; i < problems.GetSize(); i++) {
        const CRegistryProblem* p = problems[i];
        EXPECT_EQ(p->m_category, 0);
        EXPECT_TRUE(p->m_checked);
        const std::string text = std::string(p->m_key) + "|" + std::string(p->m_valueName) + "|"
                                 + std::string(p->m_value);
        if (planted.IsOurs(text)) {
            EXPECT_TRUE(found.insert(text).second) << "reported twice: " << text;
        }
    }
    EXPECT_EQ(found, planted.expected);

    // Each stored problem was announced with its record; the walk's first
    // path came before anything else.
    std::set<std::string> announced;
    for (const Event& e : window.events) {
        if (e.message == WM_PROBLEM_FOUND && planted.IsOurs(e.text))
            announced.insert(e.text);
    }
    EXPECT_EQ(announced, planted.expected);
    ASSERT_FALSE(window.events.empty());
    EXPECT_EQ(window.events.front().message, static_cast<UINT>(WM_SCAN_PATH));
}

TEST(ComScanner, ACancelledScanWalksNothing)
{
    testsupport::SharedStateLock lock;  // no other class walk while ours plants and walks
    PlantedRegistrations planted;
    RecordingWindow window;
    CRegistryProblemArray problems;
    TestScanner engine(problems);
    engine.SetNotifyWindow(window.Get());

    engine.Cancel();
    engine.ScanComActiveX();

    EXPECT_EQ(problems.GetSize(), 0);
    EXPECT_TRUE(window.events.empty());
}
