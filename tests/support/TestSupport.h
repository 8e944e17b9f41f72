#pragma once
#include <windows.h>
#include <set>
#include <string>
#include <vector>

// Helpers shared by the test programs. Every helper cleans up what it made.
namespace testsupport {

// Holds a machine-wide named mutex for the scope: tests that touch fixed,
// shared state (the settings key, the program folder's files) take it so that
// test processes running side by side do not disturb each other.
class SharedStateLock {
public:
    explicit SharedStateLock(const char* name = "KeldrixTestSharedState");
    ~SharedStateLock();
    SharedStateLock(const SharedStateLock&) = delete;
    SharedStateLock& operator=(const SharedStateLock&) = delete;

private:
    HANDLE m_hMutex;
};

// A fresh folder under the temporary folder, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // The folder's path, without a trailing backslash.
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
};

// A registry key of the test's own: HKCU\Software\KeldrixTests\<unique> (or under
// another root), deleted with its whole tree on destruction.
class TestKey {
public:
    explicit TestKey(HKEY root = HKEY_CURRENT_USER);
    ~TestKey();
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    HKEY Root() const { return m_root; }
    // Subkey path below the root, without a leading backslash.
    const std::string& SubKey() const { return m_subKey; }
    std::string Sub(const std::string& rel) const { return m_subKey + "\\" + rel; }

    // Creates rel (below this key) and sets a value; type REG_SZ etc.
    void Set(const std::string& rel, const char* name, DWORD type, const void* data, DWORD size) const;
    void SetString(const std::string& rel, const char* name, const std::string& value) const;
    void SetDword(const std::string& rel, const char* name, DWORD value) const;
    void CreateKey(const std::string& rel) const;
    bool Exists(const std::string& rel) const;
    bool ValueExists(const std::string& rel, const char* name) const;
    // Reads a value's type and bytes; false when it is missing.
    bool Get(const std::string& rel, const char* name, DWORD& type, std::string& data) const;

private:
    HKEY m_root;
    std::string m_subKey;
};

// Values of a key saved now and put back, or removed again, at the end (by
// default of the program's settings key). Hold the shared-state lock around it.
class SavedValues {
public:
    explicit SavedValues(std::vector<std::string> names, HKEY root = HKEY_LOCAL_MACHINE,
                         std::string path = "SOFTWARE\\Keldrix");
    ~SavedValues();
    SavedValues(const SavedValues&) = delete;
    SavedValues& operator=(const SavedValues&) = delete;
    // Takes the values away until the end.
    void Remove() const;

private:
    struct Saved {
        bool present = false;
        DWORD type = REG_SZ;
        std::string data;
    };
    HKEY m_root;
    std::string m_path;
    std::vector<std::string> m_names;
    std::vector<Saved> m_saved;
};

// Whether a key below root is there.
bool KeyExists(HKEY root, const std::string& path);
// Reads a value's type and bytes below root; false when it is missing.
bool ReadValue(HKEY root, const std::string& path, const char* name, DWORD& type, std::string& data);

// Runs a command line, waits up to timeoutMs and returns the exit code (-1 on failure).
int RunProcess(const std::string& commandLine, DWORD timeoutMs = 120000);

// Reads and writes a whole file as bytes.
bool ReadFileBytes(const std::string& path, std::string& out);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// A whole file's bytes; a file that cannot be read fails the test (and gives "").
std::string FileBytes(const std::string& path);

// Whether a file or folder is there.
bool FileExists(const std::string& path);
// How many times part occurs in text (overlapping occurrences count).
int CountOf(const std::string& text, const std::string& part);
// The names in a folder, without "." and "..".
std::set<std::string> FilesIn(const std::string& folder);

// Sets the current folder for the scope; throws when it cannot.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder);
    ~CurrentFolder();
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    char m_saved[MAX_PATH] = "";
};

// A new GUID in registry form, "{...}" in upper case.
std::string NewGuid();

// A text unique to this process and call, for names of planted things.
std::string UniqueName(const char* prefix);

}  // namespace testsupport
