#pragma once
// Helpers of the scan engine tests: a window that records the engine's
// messages, an engine that lets the tests reach its scanners, planted keys
// under HKEY_CLASSES_ROOT, and the settings values a scan writes.
#include "CRegScanner.h"
#include "TestSupport.h"
#include <objbase.h>
#include <shlwapi.h>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace scantest {

// One engine message as the window saw it.
struct Event {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::string text;  // WM_SCAN_PATH: the path; WM_PROBLEM_FOUND: "key|name|value"
    int category;      // WM_PROBLEM_FOUND: the record's category
    BOOL scanning;     // what the engine reported while the message was handled
    DWORD tick;        // GetTickCount when it arrived
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

// An engine with its own problem array and ignore lists, whose scanners and
// notify window the tests can reach.
class TestScanner : public CRegScanner {
public:
    TestScanner(CRegistryProblemArray& problems, CStringArray* ignoreTexts = nullptr,
                CIgnoreTypeArray* ignoreTypes = nullptr, const CStringArray* keys = nullptr,
                const CStringArray* values = nullptr, const CStringArray* valueNames = nullptr)
        : CRegScanner(nullptr, &problems, ignoreTexts, ignoreTypes, keys, values, valueNames)
    {
    }
    using CRegScanner::ScanComActiveX;
    void SetNotifyWindow(HWND hWnd) { m_hNotifyWnd = hWnd; }
};

// Keys planted under HKEY_CLASSES_ROOT, removed with their trees at the end.
class ClassesKeys {
public:
    ClassesKeys() = default;
    ~ClassesKeys()
    {
        for (auto it = m_roots.rbegin(); it != m_roots.rend(); ++it)
            SHDeleteKeyA(HKEY_CLASSES_ROOT, it->c_str());
    }
    ClassesKeys(const ClassesKeys&) = delete;
    ClassesKeys& operator=(const ClassesKeys&) = delete;

    // Sets a string value (NULL name: the default value) of path, creating the key;
    // root is the key to remove at the end (path itself when empty).
    void Set(const std::string& path, const char* name, const std::string& value, DWORD type = REG_SZ,
             const std::string& root = std::string())
    {
        Track(root.empty() ? path : root);
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)
            != ERROR_SUCCESS)
            throw std::runtime_error("cannot create HKEY_CLASSES_ROOT\\" + path);
        const LONG rc = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>(value.size() + 1));
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS)
            throw std::runtime_error("cannot set a value of HKEY_CLASSES_ROOT\\" + path);
    }

private:
    void Track(const std::string& root)
    {
        for (const std::string& known : m_roots)
            if (known == root)
                return;
        m_roots.push_back(root);
    }
    std::vector<std::string> m_roots;
};

// A new GUID in registry form, "{...}" in upper case.
inline std::string NewGuid()
{
    GUID guid;
    if (FAILED(CoCreateGuid(&guid)))
        throw std::runtime_error("CoCreateGuid failed");
    char text[40];
    snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1, guid.Data2,
             guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
             guid.Data4[6], guid.Data4[7]);
    return text;
}

// Values of HKEY_LOCAL_MACHINE\SOFTWARE\Keldrix saved now and put back (or
// removed again) at the end. Hold the shared-state lock around it.
class SavedSettings {
public:
    explicit SavedSettings(std::vector<std::string> names) : m_names(std::move(names))
    {
        for (const std::string& name : m_names) {
            Saved saved;
            saved.present = Read(name, saved.type, saved.data);
            m_saved.push_back(saved);
        }
    }
    ~SavedSettings()
    {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Keldrix", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr)
            != ERROR_SUCCESS)
            return;
        for (size_t i = 0; i < m_names.size(); i++) {
            if (m_saved[i].present)
                RegSetValueExA(key, m_names[i].c_str(), 0, m_saved[i].type,
                               reinterpret_cast<const BYTE*>(m_saved[i].data.data()),
                               static_cast<DWORD>(m_saved[i].data.size()));
            else
                RegDeleteValueA(key, m_names[i].c_str());
        }
        RegCloseKey(key);
    }
    SavedSettings(const SavedSettings&) = delete;
    SavedSettings& operator=(const SavedSettings&) = delete;

    static bool Read(const std::string& name, DWORD& type, std::string& data)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Keldrix", 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        DWORD size = 0;
        bool ok = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
        if (ok) {
            data.assign(size, '\0');
            ok = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size)
                 == ERROR_SUCCESS;
            data.resize(size);
        }
        RegCloseKey(key);
        return ok;
    }

private:
    struct Saved {
        bool present = false;
        DWORD type = REG_SZ;
        std::string data;
    };
    std::vector<std::string> m_names;
    std::vector<Saved> m_saved;
};

}  // namespace scantest
