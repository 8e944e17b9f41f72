#include "TestSupport.h"
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <shlobj.h>
#include <objbase.h>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace testsupport {

SharedStateLock::SharedStateLock(const char* name)
    : m_hMutex(CreateMutexA(nullptr, FALSE, name))
{
    if (!m_hMutex)
        throw std::runtime_error("CreateMutex failed");
    DWORD rc = WaitForSingleObject(m_hMutex, 600000);
    if (rc != WAIT_OBJECT_0 && rc != WAIT_ABANDONED) {
        CloseHandle(m_hMutex);
        throw std::runtime_error("shared state lock timed out");
    }
}

SharedStateLock::~SharedStateLock()
{
    ReleaseMutex(m_hMutex);
    CloseHandle(m_hMutex);
}

std::string UniqueName(const char* prefix)
{
    static std::atomic<unsigned> counter{0};
    char buf[128];
    snprintf(buf, sizeof buf, "%s_%lu_%lu_%u", prefix, GetCurrentProcessId(), GetTickCount(), counter++);
    return buf;
}

std::string NewGuid()
{
    GUID guid;
    if (FAILED(CoCreateGuid(&guid)))
        throw std::runtime_error("CoCreateGuid failed");
    char text[40];
    snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
             static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
             guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

TempDir::TempDir()
{
    char tmp[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, tmp);
    if (n == 0 || n >= MAX_PATH)
        throw std::runtime_error("GetTempPath failed");
    m_path = std::string(tmp) + UniqueName("kdx");
    if (!CreateDirectoryA(m_path.c_str(), nullptr))
        throw std::runtime_error("CreateDirectory failed: " + m_path);
}

TempDir::~TempDir()
{
    // SHFileOperation wants a double-zero-terminated list.
    std::vector<char> from(m_path.begin(), m_path.end());
    from.push_back('\0');
    from.push_back('\0');
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.data();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&op);
}

TestKey::TestKey(HKEY root) : m_root(root), m_subKey("Software\\KeldrixTests\\" + UniqueName("k"))
{
    CreateKey("");
}

TestKey::~TestKey()
{
    SHDeleteKeyA(m_root, m_subKey.c_str());
}

static std::string Join(const std::string& a, const std::string& rel)
{
    return rel.empty() ? a : a + "\\" + rel;
}

void TestKey::CreateKey(const std::string& rel) const
{
    HKEY h;
    if (RegCreateKeyExA(m_root, Join(m_subKey, rel).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("RegCreateKeyEx failed: " + rel);
    RegCloseKey(h);
}

void TestKey::Set(const std::string& rel, const char* name, DWORD type, const void* data, DWORD size) const
{
    HKEY h;
    if (RegCreateKeyExA(m_root, Join(m_subKey, rel).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("RegCreateKeyEx failed: " + rel);
    LONG rc = RegSetValueExA(h, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS)
        throw std::runtime_error("RegSetValueEx failed");
}

void TestKey::SetString(const std::string& rel, const char* name, const std::string& value) const
{
    Set(rel, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void TestKey::SetDword(const std::string& rel, const char* name, DWORD value) const
{
    Set(rel, name, REG_DWORD, &value, sizeof value);
}

bool TestKey::Exists(const std::string& rel) const
{
    HKEY h;
    if (RegOpenKeyExA(m_root, Join(m_subKey, rel).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

bool TestKey::ValueExists(const std::string& rel, const char* name) const
{
    DWORD type;
    std::string data;
    return Get(rel, name, type, data);
}

bool TestKey::Get(const std::string& rel, const char* name, DWORD& type, std::string& data) const
{
    return ReadValue(m_root, Join(m_subKey, rel), name, type, data);
}

bool KeyExists(HKEY root, const std::string& path)
{
    HKEY h;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

bool ReadValue(HKEY root, const std::string& path, const char* name, DWORD& type, std::string& data)
{
    HKEY h;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(h, name, nullptr, &type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
        data.assign(size, '\0');
        rc = RegQueryValueExA(h, name, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
        data.resize(size);
    }
    RegCloseKey(h);
    return rc == ERROR_SUCCESS;
}

SavedValues::SavedValues(std::vector<std::string> names, HKEY root, std::string path)
    : m_root(root), m_path(std::move(path)), m_names(std::move(names))
{
    for (const std::string& name : m_names) {
        m_saved.emplace_back();
        m_saved.back().present = ReadValue(m_root, m_path, name.c_str(), m_saved.back().type, m_saved.back().data);
    }
}

SavedValues::~SavedValues()
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(m_root, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
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

void SavedValues::Remove() const
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(m_root, m_path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    for (const std::string& name : m_names)
        RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
}

int RunProcess(const std::string& commandLine, DWORD timeoutMs)
{
    std::vector<char> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    else
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

bool ReadFileBytes(const std::string& path, std::string& out)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    out.clear();
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    fclose(f);
    return true;
}

std::string FileBytes(const std::string& path)
{
    std::string out;
    EXPECT_TRUE(ReadFileBytes(path, out)) << path;
    return out;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int CountOf(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        count++;
    return count;
}

std::set<std::string> FilesIn(const std::string& folder)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (strcmp(data.cFileName, ".") != 0 && strcmp(data.cFileName, "..") != 0)
            names.insert(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

CurrentFolder::CurrentFolder(const std::string& folder)
{
    GetCurrentDirectoryA(sizeof m_saved, m_saved);
    if (!SetCurrentDirectoryA(folder.c_str()))
        throw std::runtime_error("cannot change to " + folder);
}

CurrentFolder::~CurrentFolder()
{
    SetCurrentDirectoryA(m_saved);
}

}  // namespace testsupport
