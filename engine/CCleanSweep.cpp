#include "CCleanSweep.h"
#include "CFileStream.h"
#include "CHandle.h"
#include "ContainerKeys.h"
#include "CRegKeyHandle.h"
#include "RegExport.h"
#include "SystemUtils.h"
#include <winnetwk.h>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

const DWORD kShredBlock = 1024;
// The longest user name kept, in bytes.
const DWORD kMaxUserName = 256;

// Keys never deleted: the predefined keys themselves and the hives loaded directly
// below HKEY_LOCAL_MACHINE and HKEY_USERS (SOFTWARE, SYSTEM, a user's SID ...);
// and the containers, with every key above one.
BOOL IsNeverDeleted(HKEY root, const CString& path)
{
    if (*GetRegRootName(root) == '\0' || path.IsEmpty())
        return TRUE;
    return ((root == HKEY_LOCAL_MACHINE || root == HKEY_USERS) && path.Find('\\') < 0) || IsProtectedKey(root, path);
}

BOOL FileExists(const CString& path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// folder + "\\name.ext" (fileName starts with its backslash), or, when that is
// taken, folder + "\\name (n).ext" with the lowest free n; empty when none is free.
CString FreeTargetPath(const CString& folder, const CString& fileName)
{
    CString target = folder + fileName;
    if (!FileExists(target))
        return target;
    const int dot = fileName.ReverseFind('.');
    const CString stem = dot > 1 ? fileName.Left(dot) : fileName;
    const CString extension = dot > 1 ? fileName.Mid(dot) : CString();
    for (int n = 2; n < 10000; n++) {
        target.Format("%s%s (%d)%s", (LPCSTR)folder, (LPCSTR)stem, n, (LPCSTR)extension);
        if (!FileExists(target))
            return target;
    }
    return CString();
}

HANDLE OpenExclusiveWrite(LPCSTR pszPath)
{
    return CreateFileA(pszPath, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

BOOL WriteBlock(HANDLE file, const BYTE* data)
{
    DWORD written = 0;
    return WriteFile(file, data, kShredBlock, &written, nullptr) && written == kShredBlock;
}

// Deletes every subkey of an open key, depth first, counting the keys removed.
// The walk goes past a subkey that cannot be deleted, so it always ends; the
// result is the code of the first failure.
LONG DeleteSubKeys(const CRegKeyHandle& key, int& deletedKeys)
{
    LONG result = ERROR_SUCCESS;
    DWORD index = 0;
    CString name;
    for (;;) {
        LONG rc = key.EnumKey(index, name);
        if (rc == ERROR_NO_MORE_ITEMS || rc == ERROR_KEY_DELETED)
            break;
        if (rc != ERROR_SUCCESS)
            return rc;
        CRegKeyHandle child;
        rc = child.Open(key, name, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE);
        if (rc == ERROR_SUCCESS) {
            rc = DeleteSubKeys(child, deletedKeys);
            child.Close();
        }
        if (rc == ERROR_SUCCESS)
            rc = RegDeleteKeyA(key, name);
        if (rc == ERROR_SUCCESS) {
            deletedKeys++;
        } else {
            if (result == ERROR_SUCCESS)
                result = rc;
            index++;
        }
    }
    return result;
}

}  // namespace

CCleanSweep::CCleanSweep()
{
    char buffer[500];
    const DWORD length = GetLogicalDriveStringsA(sizeof buffer, buffer);
    if (length != 0 && length < sizeof buffer) {
        for (const char* root = buffer; *root != '\0' && m_nDriveCount < MAX_DRIVES; root += strlen(root) + 1)
            m_driveRoots[m_nDriveCount++] = root;
    }
    char user[kMaxUserName + 1] = "";
    DWORD size = kMaxUserName;
    if (WNetGetUserA(nullptr, user, &size) == NO_ERROR)
        m_userName = user;
}

CCleanSweep::~CCleanSweep() = default;

CString CCleanSweep::GetDriveRoot(int index) const
{
    return index >= 0 && index < m_nDriveCount ? m_driveRoots[index] : CString();
}

LONG CCleanSweep::DeleteKeyTree(HKEY root, LPCSTR pszKeyPath, BOOL bDeleteItself)
{
    const CString path = TrimRegKeyPath(pszKeyPath);
    if (IsNeverDeleted(root, path))
        return ERROR_ACCESS_DENIED;
    CRegKeyHandle key;
    LONG rc = key.Open(root, path, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (m_pBackupFile != nullptr && !ExportOpenRegKey(key, root, path, m_pBackupFile))
        return ERROR_CAN_NOT_COMPLETE;

    rc = DeleteSubKeys(key, m_nDeletedKeys);
    key.Close();
    if (rc != ERROR_SUCCESS)
        return rc;
    if (!bDeleteItself)
        return ERROR_NO_MORE_ITEMS;
    rc = RegDeleteKeyA(root, path);
    if (rc != ERROR_SUCCESS)
        return rc;
    m_nDeletedKeys++;
    return kKeyTreeDeleted;
}

BOOL CCleanSweep::ExportValue(HKEY root, LPCSTR pszKeyPath, LPCSTR pszValueName, FILE* stream)
{
    LPCSTR rootName = GetRegRootName(root);
    if (stream == nullptr || *rootName == '\0')
        return FALSE;
    const CString path = TrimRegKeyPath(pszKeyPath);
    const CString name = pszValueName ? pszValueName : "";
    CString fullName = rootName;
    if (!path.IsEmpty())
        fullName += "\\" + path;
    if (!IsRegNameWritable(fullName) || !IsRegNameWritable(name))
        return FALSE;

    CRegKeyHandle key;
    DWORD type = 0;
    std::vector<BYTE> data;
    if (key.Open(root, path, KEY_QUERY_VALUE) != ERROR_SUCCESS || key.QueryValue(name, type, data) != ERROR_SUCCESS)
        return FALSE;
    const CString text = "\n[" + fullName + "]\n" + FormatRegValueLine(name, type, data, " = ");
    const size_t length = static_cast<size_t>(text.GetLength());
    return fwrite(static_cast<LPCSTR>(text), 1, length, stream) == length && fflush(stream) == 0 && !ferror(stream);
}

BOOL CCleanSweep::DeleteValue(HKEY root, LPCSTR pszKeyPath, LPCSTR pszValueName)
{
    const CString path = TrimRegKeyPath(pszKeyPath);
    if (m_pBackupFile != nullptr && !ExportValue(root, path, pszValueName, m_pBackupFile))
        return FALSE;
    CRegKeyHandle key;
    if (key.Open(root, path, KEY_QUERY_VALUE | KEY_SET_VALUE) != ERROR_SUCCESS)
        return FALSE;
    if (RegDeleteValueA(key, pszValueName ? pszValueName : "") != ERROR_SUCCESS)
        return FALSE;
    m_nDeletedValues++;
    return TRUE;
}

BOOL CCleanSweep::RenameToBak(LPCSTR pszFilePath, LPCSTR pszFolder)
{
    const CString oldPath = pszFilePath ? pszFilePath : "";
    CString folder = pszFolder ? pszFolder : "";
    folder.TrimRight('\\');
    const int slash = oldPath.ReverseFind('\\');
    const DWORD folderAttributes = GetFileAttributesA(folder);
    if (slash < 0 || slash + 1 == oldPath.GetLength() || folderAttributes == INVALID_FILE_ATTRIBUTES
        || !(folderAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return FALSE;
    // The rename log is split at commas: a path holding one could not be moved back.
    if (oldPath.Find(',') >= 0 || folder.Find(',') >= 0)
        return FALSE;
    const CString newPath = FreeTargetPath(folder, oldPath.Mid(slash));
    if (newPath.IsEmpty() || newPath.Find(',') >= 0)
        return FALSE;

    CFileStream log(fopen(folder + ".bak", "a"));
    if (log.Get() == nullptr || !MoveFileA(oldPath, newPath))
        return FALSE;
    const CString line = oldPath + "," + newPath + "\n";
    const size_t length = static_cast<size_t>(line.GetLength());
    const bool written = fwrite(static_cast<LPCSTR>(line), 1, length, log.Get()) == length;
    if (!log.Close() || !written) {
        // Without its log line the move could not be undone: take it back.
        MoveFileA(newPath, oldPath);
        return FALSE;
    }
    return TRUE;
}

BOOL CCleanSweep::ShredFile(LPCSTR pszFilePath, int nPasses)
{
    {
        // Another program holding the file open makes this open fail.
        CHandle probe(CreateFileA(pszFilePath, GENERIC_READ, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe.IsValid())
            return FALSE;
    }
    LARGE_INTEGER size{};
    {
        CHandle file(OpenExclusiveWrite(pszFilePath));
        if (!file.IsValid() || !GetFileSizeEx(file, &size))
            return FALSE;
    }
    const ULONGLONG blocks = static_cast<ULONGLONG>(size.QuadPart) / kShredBlock;
    std::vector<BYTE> first(kShredBlock), second(kShredBlock);
    for (int pass = 0; pass < nPasses; pass++) {
        srand(static_cast<unsigned>(time(nullptr)));
        const BYTE a = static_cast<BYTE>(rand() % 256);
        const BYTE b = static_cast<BYTE>(rand() % 256);
        first.assign(kShredBlock, a);
        second.assign(kShredBlock, b);
        CHandle file(OpenExclusiveWrite(pszFilePath));
        if (!file.IsValid())
            continue;
        for (ULONGLONG block = 0; block < blocks; block++) {
            LARGE_INTEGER offset;
            offset.QuadPart = static_cast<LONGLONG>(block * kShredBlock);
            if (!SetFilePointerEx(file, offset, nullptr, FILE_BEGIN) || !WriteBlock(file, first.data())
                || !SetFilePointerEx(file, offset, nullptr, FILE_BEGIN) || !WriteBlock(file, second.data()))
                break;
        }
        FlushFileBuffers(file);
    }
    if (!DeleteFileA(pszFilePath))
        return FALSE;
    m_dwShreddedBytes += static_cast<DWORD>(size.QuadPart);
    m_nShreddedFiles++;
    return TRUE;
}

CString CCleanSweep::GetRegString(HKEY root, LPCSTR pszKeyPath, LPCSTR pszValueName) const
{
    CRegKeyHandle key;
    CString text;
    if (key.Open(root, pszKeyPath, KEY_READ) == ERROR_SUCCESS)
        key.QueryText(pszValueName, text);
    return text;
}

CString CCleanSweep::GetProgramFolder(BOOL bWholePath)
{
    return ::GetProgramFolder(bWholePath);
}
