#pragma once
// Helpers of the backup tests: a .reg stream in a temporary folder, line-end
// conversion for expected texts, and a key whose access is narrowed for a while.
#include "TestSupport.h"
#include <aclapi.h>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace backuptest {

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

}  // namespace backuptest
