#include "CZipper.h"
#include "CHandle.h"
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const DWORD kReadChunk = 2048;

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
    CHandle file(OpenExclusive(pszFilePath));
    if (file.IsValid())
        return ZipOpenFile(file, entryName.c_str(), zipPath);
    std::string copyPath = pszFilePath;
    if (copyPath.back() == '2')
        return false;   // the copy would be the file itself
    copyPath.back() = '2';
    if (!CopyFileA(pszFilePath, copyPath.c_str(), FALSE))
        return false;
    file.Attach(OpenExclusive(copyPath.c_str()));
    entryName.back() = '2';
    const bool ok = file.IsValid() && ZipOpenFile(file, entryName.c_str(), zipPath);
    file.Close();
    DeleteFileA(copyPath.c_str());
    return ok;
}

bool CZipper::ZipOpenFile(HANDLE file, LPCSTR pszEntryName, LPCSTR pszZipPath)
{
    CZipper zipper;
    if (!zipper.OpenZip(pszZipPath))
        return false;
    bool ok = zipOpenNewFileInZip(zipper.m_hZip, pszEntryName, nullptr, nullptr, 0, nullptr, 0,
                                  nullptr, ZIP_DEFLATED, -1) == ZIP_OK;
    if (ok) {
        zipper.m_nFileCount++;
        char buffer[kReadChunk];
        for (;;) {
            DWORD read = 0;
            if (!ReadFile(file, buffer, kReadChunk, &read, nullptr)) {
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
        DeleteFileA(pszZipPath);
    return ok;
}
