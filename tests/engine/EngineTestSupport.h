#pragma once
// Helpers of the engine tests: a window that records the engine's messages,
// the tests' engine, keys, values and files planted where the scanners look,
// the settings a scan writes, and .reg backup streams.
#include <gtest/gtest.h>
#include "CRegScanner.h"
#include "LogFile.h"
#include "TestSupport.h"
#include <aclapi.h>
#include <objbase.h>
#include <shlwapi.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace enginetest {

// One engine message as the window saw it.
struct Event {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::string text;  // WM_SCAN_PATH: the path; WM_PROBLEM_FOUND: "key|name|value"
    int category;      // WM_PROBLEM_FOUND: the record's category
    BOOL scanning;     // what the engine reported while the message was handled
    DWORD tick;        // when it was handled
};

// A hidden message-only window of the calling thread that records every engine
// message. onMessage, when set, runs inside the handler (the worker waits).
class RecordingWindow {
public:
    RecordingWindow()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &RecordingWindow::Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KeldrixScanTestWindow";
        RegisterClassA(&wc);
        m_hWnd = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                 nullptr);
        if (m_hWnd == nullptr)
            throw std::runtime_error("cannot create the recording window");
        SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~RecordingWindow() { DestroyWindow(m_hWnd); }
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;

    HWND Get() const { return m_hWnd; }
    void Watch(const CRegScanner* engine) { m_engine = engine; }

    // Handles messages until the thread has ended; false after timeoutMs.
    static bool PumpUntilEnded(HANDLE thread, DWORD timeoutMs = 120000)
    {
        const DWORD start = GetTickCount();
        for (;;) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            const DWORD elapsed = GetTickCount() - start;
            if (elapsed >= timeoutMs)
                return false;
            const DWORD rc = MsgWaitForMultipleObjects(1, &thread, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
            if (rc == WAIT_OBJECT_0)
                return true;
            if (rc == WAIT_TIMEOUT || rc == WAIT_FAILED)
                return false;
        }
    }

    // The messages of the category sequence and the ends, without paths and problems.
    std::vector<std::pair<UINT, LPARAM>> Sequence() const
    {
        std::vector<std::pair<UINT, LPARAM>> out;
        for (const Event& e : events)
            if (e.message != WM_SCAN_PATH && e.message != WM_PROBLEM_FOUND)
                out.emplace_back(e.message, e.lParam);
        return out;
    }
    int Count(UINT message) const
    {
        int n = 0;
        for (const Event& e : events)
            n += e.message == message;
        return n;
    }

    std::vector<Event> events;
    std::function<void(const Event&)> onMessage;

private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        if (self == nullptr || message < WM_FIX_PROGRESS || message > WM_CATEGORY_SKIPPED)
            return DefWindowProcA(hWnd, message, wParam, lParam);
        Event e{message, wParam, lParam, std::string(), -1, self->m_engine ? self->m_engine->IsScanning() : FALSE,
                GetTickCount()};
        if (message == WM_SCAN_PATH && lParam != 0)
            e.text = reinterpret_cast<LPCSTR>(lParam);
        if (message == WM_PROBLEM_FOUND && lParam != 0) {
            const auto* problem = reinterpret_cast<const CRegistryProblem*>(lParam);
            e.text = std::string(problem->m_key) + "|" + std::string(problem->m_valueName) + "|"
                     + std::string(problem->m_value);
            e.category = problem->m_category;
        }
        self->events.push_back(e);
        if (self->onMessage)
            self->onMessage(self->events.back());
        return 0;
    }

    HWND m_hWnd = nullptr;
    const CRegScanner* m_engine = nullptr;
};

// The tests' engine: its own problem array, ignore lists and log; its
// scanners and its notify window within reach; messages to the user recorded
// instead of shown.
class TestScanner : public CRegScanner {
public:
    TestScanner(CRegistryProblemArray& problems, CStringArray* ignoreTexts = nullptr,
                CIgnoreTypeArray* ignoreTypes = nullptr, const CStringArray* keys = nullptr,
                const CStringArray* values = nullptr, const CStringArray* valueNames = nullptr, LogFile* log = nullptr)
        : CRegScanner(log, &problems, ignoreTexts, ignoreTypes, keys, values, valueNames)
    {
    }
    // Reporting to a recording window of the test's thread.
    TestScanner(CRegistryProblemArray& problems, RecordingWindow& window, CStringArray* ignoreTexts = nullptr,
                CIgnoreTypeArray* ignoreTypes = nullptr)
        : TestScanner(problems, ignoreTexts, ignoreTypes)
    {
        SetNotifyWindow(window.Get());
        window.Watch(this);
    }
    void SetNotifyWindow(HWND hWnd) { m_hNotifyWnd = hWnd; }
    using CRegScanner::CreateRestorePoint;
    using CRegScanner::ScanAppPaths;
    using CRegScanner::ScanComActiveX;
    using CRegScanner::ScanEmptyKeys;
    using CRegScanner::ScanFilePaths;
    using CRegScanner::ScanProgramShortcuts;
    using CRegScanner::ScanStartupItems;
    using CRegScanner::ScanUninstallEntries;
    std::vector<std::string> messages;

protected:
    void ShowFixMessage(LPCSTR pszText) override { messages.push_back(pszText); }
};

// The tests' engine, with a step of the test's own run on the scan thread
// right after the scan has decided whether it fixes (before WM_SCAN_DONE).
struct BoundaryScanner : TestScanner {
    using TestScanner::TestScanner;
    std::function<void()> afterDecision;

protected:
    BOOL DecideRepairAfterFind() override
    {
        const BOOL decided = TestScanner::DecideRepairAfterFind();
        if (afterDecision)
            afterDecision();
        return decided;
    }
};

// A problem's texts as "key|value name|value".
inline std::string Text(const CRegistryProblem& problem)
{
    return std::string(problem.m_key) + "|" + std::string(problem.m_valueName) + "|" + std::string(problem.m_value);
}

// The last name of a backslash-separated path.
inline std::string Leaf(const std::string& path)
{
    return path.substr(path.rfind('\\') + 1);
}

// The texts of the problems that mention mark; every problem found must be of
// the category.
inline std::set<std::string> Found(const CRegistryProblemArray& problems, const std::string& mark, int category)
{
    std::set<std::string> found;
    for (INT_PTR i = 0; i < problems.GetSize(); i++) {
        EXPECT_EQ(problems[i]->m_category, category);
        EXPECT_TRUE(problems[i]->m_checked);
        const std::string text = Text(*problems[i]);
        if (text.find(mark) != std::string::npos)
            found.insert(text);
    }
    return found;
}

// Runs a scanner with the engine cancelled at its first stored problem (that
// mentions mark) and returns how many problems and WM_SCAN_PATH messages came
// after that.
template <class Scan>
std::pair<int, int> AfterCancelAtFirstProblem(Scan scan, const std::string& mark = std::string())
{
    RecordingWindow window;
    CRegistryProblemArray problems;
    TestScanner engine(problems, window);
    INT_PTR storedAtCancel = -1;
    int problemsAfter = 0, pathsAfter = 0;
    window.onMessage = [&](const Event& e) {
        if (storedAtCancel >= 0) {
            problemsAfter += e.message == WM_PROBLEM_FOUND;
            pathsAfter += e.message == WM_SCAN_PATH;
        } else if (e.message == WM_PROBLEM_FOUND && e.text.find(mark) != std::string::npos) {
            engine.Cancel();
            storedAtCancel = problems.GetSize();
        }
    };
    scan(engine);
    EXPECT_GE(storedAtCancel, 0) << "the scanner found nothing to cancel at";
    EXPECT_EQ(problems.GetSize(), std::max<INT_PTR>(storedAtCancel, 0));
    return {problemsAfter, pathsAfter};
}

// Values and keys planted in fixed registry locations. Planted keys go with
// their trees; planted values go alone, and a fixed key that did not exist
// before goes too when nothing else is left in it. Hold the FixedKeysLock
// while planting and removing in keys that may be missing.
class Planted {
public:
    Planted() = default;
    ~Planted()
    {
        for (auto it = m_values.rbegin(); it != m_values.rend(); ++it) {
            HKEY key = nullptr;
            if (RegOpenKeyExA(it->root, it->path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
                RegDeleteValueA(key, it->name.c_str());
                RegCloseKey(key);
            }
        }
        for (auto it = m_keys.rbegin(); it != m_keys.rend(); ++it)
            SHDeleteKeyA(it->root, it->path.c_str());
        for (auto it = m_created.rbegin(); it != m_created.rend(); ++it)
            DeleteIfEmpty(it->root, it->path);
    }
    Planted(const Planted&) = delete;
    Planted& operator=(const Planted&) = delete;

    // A value of an existing or missing fixed key, removed alone at the end.
    void Value(HKEY root, const std::string& path, const std::string& name, const std::string& data,
               DWORD type = REG_SZ)
    {
        Create(root, path, true);
        m_values.push_back({root, path, name});
        Write(root, path, name.c_str(), type, data.c_str(), static_cast<DWORD>(data.size() + 1));
    }
    void Dword(HKEY root, const std::string& path, const std::string& name, DWORD data)
    {
        Create(root, path, true);
        m_values.push_back({root, path, name});
        Write(root, path, name.c_str(), REG_DWORD, &data, sizeof data);
    }
    // A key of the test's own (path below root), removed with its tree at the
    // end; missing fixed keys above it are made and removed like those of values.
    void Key(HKEY root, const std::string& path)
    {
        const size_t parent = path.rfind('\\');
        if (parent != std::string::npos)
            Create(root, path.substr(0, parent), true);
        m_keys.push_back({root, path, std::string()});
        Create(root, path, false);
    }
    // A string value (empty name: the default value) of a key of the test's own.
    void KeyValue(HKEY root, const std::string& path, const std::string& name, const std::string& data,
                  DWORD type = REG_SZ)
    {
        Key(root, path);
        Write(root, path, name.empty() ? nullptr : name.c_str(), type, data.c_str(),
              static_cast<DWORD>(data.size() + 1));
    }

private:
    struct Entry {
        HKEY root;
        std::string path;
        std::string name;
    };

    // Creates the key level by level; the fixed keys that were missing are remembered.
    void Create(HKEY root, const std::string& path, bool fixed)
    {
        for (size_t end = path.find('\\');; end = path.find('\\', end + 1)) {
            const std::string level = path.substr(0, end);
            HKEY key = nullptr;
            DWORD disposition = 0;
            if (RegCreateKeyExA(root, level.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition)
                != ERROR_SUCCESS)
                throw std::runtime_error("cannot create the key " + level);
            RegCloseKey(key);
            if (fixed && disposition == REG_CREATED_NEW_KEY)
                m_created.push_back({root, level, std::string()});
            if (end == std::string::npos)
                return;
        }
    }
    static void Write(HKEY root, const std::string& path, const char* name, DWORD type, const void* data, DWORD size)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
            throw std::runtime_error("cannot open the key " + path);
        const LONG rc = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS)
            throw std::runtime_error("cannot set a value of " + path);
    }
    static void DeleteIfEmpty(HKEY root, const std::string& path)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return;
        DWORD subKeys = 1, values = 1;
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr);
        RegCloseKey(key);
        if (subKeys == 0 && values == 0)
            RegDeleteKeyA(root, path.c_str());
    }

    std::vector<Entry> m_values;
    std::vector<Entry> m_keys;
    std::vector<Entry> m_created;
};

// Serialises the scanner tests that plant in fixed keys a fresh prefix may
// lack, so that one test never removes such a key under another.
class FixedKeysLock : public testsupport::SharedStateLock {
public:
    FixedKeysLock() : SharedStateLock("KeldrixScannerFixedKeys") {}
};

// A file of the test's own, written now and deleted at the end.
class PlantedFile {
public:
    explicit PlantedFile(const std::string& path) : m_path(path)
    {
        if (!testsupport::WriteFileBytes(path, "keldrix test file\r\n"))
            throw std::runtime_error("cannot write " + path);
    }
    ~PlantedFile() { DeleteFileA(m_path.c_str()); }
    PlantedFile(const PlantedFile&) = delete;
    PlantedFile& operator=(const PlantedFile&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// A folder of the test's own, made now and removed at the end (it must be empty then).
class PlantedFolder {
public:
    explicit PlantedFolder(const std::string& path) : m_path(path)
    {
        if (!CreateDirectoryA(path.c_str(), nullptr))
            throw std::runtime_error("cannot create " + path);
    }
    ~PlantedFolder() { RemoveDirectoryA(m_path.c_str()); }
    PlantedFolder(const PlantedFolder&) = delete;
    PlantedFolder& operator=(const PlantedFolder&) = delete;

private:
    std::string m_path;
};

// The name of the current user's hive under HKEY_USERS.
inline std::string UserHiveName()
{
    HKEY users = nullptr;
    std::string sid;
    if (RegOpenKeyExA(HKEY_USERS, nullptr, 0, KEY_READ, &users) != ERROR_SUCCESS)
        throw std::runtime_error("cannot open HKEY_USERS");
    char name[300];
    for (DWORD i = 0; sid.empty() && RegEnumKeyA(users, i, name, sizeof name) == ERROR_SUCCESS; i++)
        if (strncmp(name, "S-1-5-21-", 9) == 0 && strstr(name, "_Classes") == nullptr)
            sid = name;
    RegCloseKey(users);
    if (sid.empty())
        throw std::runtime_error("no user hive under HKEY_USERS");
    return sid;
}

// "\n" as the text-mode stream stores it.
inline std::string Crlf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

// A backup stream opened as the fix opens it (text mode, "w+").
class BackupStream {
public:
    BackupStream() : m_path(m_dir.File("backup.reg")), m_stream(fopen(m_path.c_str(), "w+"))
    {
        if (!m_stream)
            throw std::runtime_error("cannot open " + m_path);
    }
    ~BackupStream() { Close(); }
    FILE* Get() const { return m_stream; }
    const std::string& Path() const { return m_path; }
    const testsupport::TempDir& Dir() const { return m_dir; }
    void Close()
    {
        if (m_stream)
            fclose(m_stream);
        m_stream = nullptr;
    }
    // Closes the stream and returns the file's bytes.
    std::string Text()
    {
        Close();
        std::string bytes;
        testsupport::ReadFileBytes(m_path, bytes);
        return bytes;
    }

private:
    testsupport::TempDir m_dir;
    std::string m_path;
    FILE* m_stream;
};

// Grants everyone only `allowed` on a key until destroyed; then any access again.
class NarrowedKey {
public:
    NarrowedKey(HKEY root, const std::string& path, REGSAM allowed)
    {
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &m_key) != ERROR_SUCCESS)
            throw std::runtime_error("cannot open " + path);
        BYTE sid[SECURITY_MAX_SID_SIZE];
        DWORD sidSize = sizeof sid;
        BYTE aclBuffer[256];
        PACL acl = reinterpret_cast<PACL>(aclBuffer);
        CreateWellKnownSid(WinWorldSid, nullptr, sid, &sidSize);
        InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION);
        AddAccessAllowedAce(acl, ACL_REVISION, allowed, sid);
        if (!SetDacl(acl))
            throw std::runtime_error("RegSetKeySecurity failed");
    }
    ~NarrowedKey()
    {
        SetDacl(nullptr);
        RegCloseKey(m_key);
    }
    NarrowedKey(const NarrowedKey&) = delete;
    NarrowedKey& operator=(const NarrowedKey&) = delete;

private:
    bool SetDacl(PACL acl)
    {
        SECURITY_DESCRIPTOR sd;
        InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
        return RegSetKeySecurity(m_key, DACL_SECURITY_INFORMATION, &sd) == ERROR_SUCCESS;
    }
    HKEY m_key = nullptr;
};

// Every key below a key ("rel|") and every value ("rel|name") with its type
// and bytes, read by the plain API.
using Tree = std::map<std::string, std::pair<DWORD, std::string>>;

inline void ReadTree(const std::string& path, const std::string& rel, Tree& tree)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    tree[rel + "|"] = {0, ""};
    char name[16384], sub[512];
    std::vector<char> data(65536);
    DWORD nameLength = sizeof name, dataLength = static_cast<DWORD>(data.size()), type = 0;
    for (DWORD i = 0; RegEnumValueA(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                                    &dataLength) == ERROR_SUCCESS;
         i++, nameLength = sizeof name, dataLength = static_cast<DWORD>(data.size()))
        tree[rel + "|" + std::string(name, nameLength)] = {type, std::string(data.data(), dataLength)};
    for (DWORD i = 0, length = sizeof sub; RegEnumKeyExA(key, i, sub, &length, nullptr, nullptr, nullptr, nullptr)
                                           == ERROR_SUCCESS;
         i++, length = sizeof sub)
        ReadTree(path + "\\" + sub, rel + "\\" + sub, tree);
    RegCloseKey(key);
}

inline Tree Snapshot(const testsupport::TestKey& key)
{
    Tree tree;
    ReadTree(key.SubKey(), "", tree);
    return tree;
}

// The round-trip fixture of the backup tests: a key tree holding every kind
// of value the backup must carry, hostile names and a deep chain.
inline void PlantEveryType(const testsupport::TestKey& key)
{
    const std::string tree = "tree";
    key.SetString(tree, "path", "C:\\Dir\\\"quoted\"\\x \xe9\xfc\x80\xff");
    key.Set(tree, "expand", REG_EXPAND_SZ, "%SystemRoot%\\x", 15);
    key.Set(tree, "multi", REG_MULTI_SZ, "one\0two\0\0", 9);
    std::string binary(5000, '\0');
    for (size_t i = 0; i < binary.size(); i++)
        binary[i] = static_cast<char>(i * 7);
    for (DWORD size : {0, 1, 22, 44, 5000})  // hex lines carry 22 bytes, then 21
        key.Set(tree, ("bin" + std::to_string(size)).c_str(), REG_BINARY, binary.data(), size);
    key.SetDword(tree, "dword", 0xdeadbeef);
    const ULONGLONG qword = 0x0102030405060708ULL;
    key.Set(tree, "qword", REG_QWORD, &qword, sizeof qword);
    key.Set(tree, "none", REG_NONE, "\x01\x02\x03", 3);
    key.Set(tree, "none0", REG_NONE, "", 0);
    key.Set(tree, "resreq", REG_RESOURCE_REQUIREMENTS_LIST, "\x05\x06", 2);
    key.Set(tree, "noterm", REG_SZ, "abc", 3);  // Wine adds the missing terminator; Windows keeps it out
    key.Set(tree, "lines", REG_SZ, "one\r\ntwo\tthree", 15);
    key.Set(tree, "innerzero", REG_SZ, "ab\0cd", 6);
    key.SetString(tree, "", "default value");
    key.SetString(tree, "na\"me\\with \"quotes\"", "v");
    key.SetString(tree, std::string(300, 'n').c_str(), "long name");
    key.SetString(tree + "\\" + std::string(200, 'k'), "in", "long key");
    key.CreateKey(tree + "\\empty");
    std::string chain = tree;
    for (int level = 1; level <= 20; level++) {
        chain += "\\L" + std::to_string(level);
        key.SetDword(chain, "depth", static_cast<DWORD>(level));
    }
}

}  // namespace enginetest
