#include "CZipper.h"
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const DWORD kReadChunk = 2048;

// Closes a file handle when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : m_h(h) {}
    ~FileHandle() { if (IsValid()) CloseHandle(m_h); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool IsValid() const { return m_h != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_h; }
    void Reset(HANDLE h)
    {
        if (IsValid())
            CloseHandle(m_h);
        m_h = h;
    }

private:
    HANDLE m_h;
};

// Deletes a temporary copy when it goes out of scope.
class CopyRemover {
public:
    CopyRemover() = default;
    ~CopyRemover() { if (!m_path.empty()) DeleteFileA(m_path.c_str()); }
    CopyRemover(const CopyRemover&) = delete;
    CopyRemover& operator=(const CopyRemover&) = delete;
    void Set(const std::string& path) { m_path = path; }

private:
    std::string m_path;
};

HANDLE OpenExclusive(LPCSTR path)
{
    return CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_READONLY, nullptr);
}

bool StartsWith(LPCSTR text, LPCSTR prefix)
{
    return strncmp(text, prefix, strlen(prefix)) == 0;
}

}  // namespace

CZipper::CZipper()
    : m_hZip(nullptr), m_nFileCount(0), m_nFolderCount(0), m_dwUncompressedSize(0)
{
    m_szRootFolder[0] = '\0';
}

CZipper::~CZipper()
{
    CloseZip();
}

bool CZipper::OpenZip(LPCSTR pszZipPath)
{
    CloseZip();
    m_hZip = zipOpen(pszZipPath, APPEND_STATUS_CREATE);
    m_nFileCount = 0;
    m_nFolderCount = 0;
    m_dwUncompressedSize = 0;
    if (m_hZip == nullptr)
        return false;
    char drive[_MAX_DRIVE], dir[_MAX_DIR], name[_MAX_FNAME], ext[_MAX_EXT];
    _splitpath(pszZipPath, drive, dir, name, ext);
    if (strlen(drive) + strlen(dir) < MAX_PATH)
        _makepath(m_szRootFolder, drive, dir, nullptr, nullptr);
    return true;
}

bool CZipper::CloseZip()
{
    if (m_hZip == nullptr)
        return true;
    bool ok = zipClose(m_hZip, nullptr) == ZIP_OK;
    m_hZip = nullptr;
    m_szRootFolder[0] = '\0';
    return ok;
}

bool CZipper::ZipFile(LPCSTR pszFilePath)
{
    // Everything about the source is checked before an archive is created.
    if (pszFilePath == nullptr || *pszFilePath == '\0' || strlen(pszFilePath) >= MAX_PATH)
        return false;
    if (StartsWith(pszFilePath, "..\\") || StartsWith(pszFilePath, "../"))
        return false;
    DWORD attributes = GetFileAttributesA(pszFilePath);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;

    char drive[_MAX_DRIVE], dir[_MAX_DIR], name[_MAX_FNAME], ext[_MAX_EXT];
    _splitpath(pszFilePath, drive, dir, name, ext);
    if (strlen(drive) + strlen(dir) + strlen(name) + 5 >= MAX_PATH || name[0] == '\0')
        return false;
    if (_stricmp(ext, ".zip") == 0)
        return false;   // the archive would overwrite the file itself
    char zipPath[MAX_PATH];
    _makepath(zipPath, drive, dir, name, "zip");

    // The file is stored under its own name: the archive lies beside it.
    std::string entryName = std::string(name) + ext;

    // A file that another process holds open is packed from a copy; the copy
    // goes after its handle is closed.
    CopyRemover copy;
    FileHandle file(OpenExclusive(pszFilePath));
    if (!file.IsValid()) {
        std::string copyPath = pszFilePath;
        if (copyPath.back() == '2')
            return false;   // the copy would be the file itself
        copyPath.back() = '2';
        if (!CopyFileA(pszFilePath, copyPath.c_str(), FALSE))
            return false;
        copy.Set(copyPath);
        file.Reset(OpenExclusive(copyPath.c_str()));
        if (!file.IsValid())
            return false;
        entryName.back() = '2';
    }

    CZipper zipper;
    if (!zipper.OpenZip(zipPath))
        return false;
    bool ok = zipOpenNewFileInZip(zipper.m_hZip, entryName.c_str(), nullptr, nullptr, 0, nullptr, 0,
                                  nullptr, ZIP_DEFLATED, -1) == ZIP_OK;
    if (ok) {
        zipper.m_nFileCount++;
        char buffer[kReadChunk];
        for (;;) {
            DWORD read = 0;
            if (!ReadFile(file.Get(), buffer, kReadChunk, &read, nullptr)) {
                ok = false;
                break;
            }
            if (read == 0)
                break;
            zipper.m_dwUncompressedSize += read;
            if (zipWriteInFileInZip(zipper.m_hZip, buffer, read) != ZIP_OK) {
                ok = false;
                break;
            }
        }
        if (zipCloseFileInZip(zipper.m_hZip) != ZIP_OK)
            ok = false;
    }
    if (!zipper.CloseZip())
        ok = false;
    if (!ok)
        DeleteFileA(zipPath);
    return ok;
}
