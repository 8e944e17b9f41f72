#include "CBackupFolder.h"
#include "CCleanSweep.h"
#include "CFileFind.h"
#include "CHandle.h"
#include "CRegFileReader.h"
#include "ReadFileBytes.h"
#include <shellapi.h>
#include <algorithm>
#include <cstring>

namespace {

// Rename logs are short; a longer file is no log of ours.
const DWORD kMaxRenameLog = 16u * 1024 * 1024;

BOOL IsFile(const CString& path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

BOOL Exists(const CString& path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// The absolute form of a path without a trailing backslash; empty on failure.
CString FullPath(const CString& path)
{
    char buffer[MAX_PATH];
    const DWORD length = path.IsEmpty() ? 0 : GetFullPathNameA(path, MAX_PATH, buffer, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return CString();
    CString full(buffer, static_cast<int>(length));
    full.TrimRight('\\');
    return full;
}

// Deletes a folder and everything in it; folder links are removed, not followed.
BOOL DeleteTree(const CString& folder)
{
    CFileFind finder;
    BOOL more = finder.FindFile(folder + "\\*");
    if (!more)
        return FALSE;
    while (more) {
        more = finder.FindNextFile();
        if (finder.IsDots())
            continue;
        const CString path = finder.GetFilePath();
        BOOL done;
        if (finder.IsDirectory())
            done = finder.IsReparsePoint() ? RemoveDirectoryA(path) : DeleteTree(path);
        else
            done = DeleteFileA(path);
        if (!done)
            return FALSE;
    }
    finder.Close();
    return RemoveDirectoryA(folder);
}

BOOL IsBackupName(const CString& name)
{
    // Names made only of dots and blanks would name the folder or its parent.
    CString plain = name;
    plain.Trim(". ");
    return !plain.IsEmpty() && name.FindOneOf("\\/:*?\"<>|") < 0;
}

}  // namespace

CBackupFolder::CBackupFolder() : CBackupFolder(CCleanSweep::GetProgramFolder() + "Backup") {}

CBackupFolder::CBackupFolder(const CString& folder) : m_folder(folder)
{
    m_folder.TrimRight('\\');
}

std::vector<BackupListItemData> CBackupFolder::List() const
{
    std::vector<BackupListItemData> rows;
    CFileFind finder;
    BOOL more = finder.FindFile(m_folder + "\\*.*");
    while (more) {
        more = finder.FindNextFile();
        if (finder.IsDirectory() || finder.GetLength() == 0)
            continue;
        const CString fileName = finder.GetFileName();
        const int dot = fileName.ReverseFind('.');
        const CString name = dot < 0 ? CString() : fileName.Left(dot);
        const bool known = std::any_of(rows.begin(), rows.end(), [&name](const BackupListItemData& row) {
            return row.name.CompareNoCase(name) == 0;
        });
        if (known)
            continue;
        CTime created;
        finder.GetCreationTime(created);
        rows.push_back(BackupListItemData{name, created.Format("%Y%m%d%H%M%S"), created.Format("%B %d, %Y (%H:%M:%S)")});
    }
    std::reverse(rows.begin(), rows.end());
    return rows;
}

int CBackupFolder::Compare(const BackupListItemData& a, const BackupListItemData& b, int column)
{
    int result = 0;
    if (column == 0)
        result = strcmp(a.name, b.name);
    else if (column == 1)
        result = strcmp(a.sortKey, b.sortKey);
    return result < 0 ? -1 : result > 0 ? 1 : 0;
}

BOOL CBackupFolder::Restore(const CString& name, CString& failure) const
{
    failure.Empty();
    if (!IsBackupName(name)) {
        failure = "\"" + name + "\" names no backup";
        return FALSE;
    }
    const CString base = m_folder + "\\" + name;
    const BOOL hasRegistry = IsFile(base + ".reg");
    const BOOL hasShortcuts = IsFile(base + ".bak");
    if (!hasRegistry && !hasShortcuts) {
        failure = name + ": nothing of this backup is left to restore";
        return FALSE;
    }
    CString registryFailure, shortcutFailure;
    const BOOL registryBack = !hasRegistry || ImportRegFile(base + ".reg", registryFailure);
    const BOOL shortcutsBack = !hasShortcuts || UndoShortcutRenames(base + ".bak", shortcutFailure);
    if (!registryBack)
        failure = name + ": " + registryFailure;
    if (!shortcutsBack)
        failure += (failure.IsEmpty() ? name + ": " : CString("; ")) + shortcutFailure;
    return registryBack && shortcutsBack;
}

BOOL CBackupFolder::ImportRegFile(const CString& path, CString& failure) const
{
    CRegFileReader backup;
    if (!backup.ReadFile(path)) {
        failure = "the registry backup is damaged and was not imported (" + backup.GetError() + ")";
        return FALSE;
    }
    if (!backup.GetKeys().empty()) {
        const CString parameters = "/S \"" + path + "\"";
        SHELLEXECUTEINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        info.lpFile = "regedit.exe";
        info.lpParameters = parameters;
        info.nShow = SW_SHOWNORMAL;
        if (!ShellExecuteExA(&info) || info.hProcess == nullptr) {
            failure = "the registry editor could not be started";
            return FALSE;
        }
        const CHandle editor(info.hProcess);
        if (WaitForSingleObject(editor, kImportTimeoutMs) != WAIT_OBJECT_0) {
            failure = "the registry editor did not finish in time";
            return FALSE;
        }
    }
    CString difference;
    if (!backup.MatchesRegistry(difference)) {
        failure = "the registry was not restored (" + difference + ")";
        return FALSE;
    }
    // Everything is back; a file that will not go only imports the same again.
    DeleteFileA(path);
    return TRUE;
}

BOOL CBackupFolder::SplitRenameLine(const CString& line, const CString& folder, CString& oldPath, CString& newPath)
{
    CString upperLine = line;
    CString marker = "," + folder + "\\";
    upperLine.MakeUpper();
    marker.MakeUpper();
    // The new path is a file directly in the folder: its comma is the last such.
    int at = -1;
    for (int next = upperLine.Find(marker); next >= 0; next = upperLine.Find(marker, next + 1))
        at = next;
    if (at <= 0)
        return FALSE;
    const CString fileName = line.Mid(at + marker.GetLength());
    if (fileName.IsEmpty() || fileName.Find('\\') >= 0)
        return FALSE;
    oldPath = line.Left(at);
    newPath = line.Mid(at + 1);
    return TRUE;
}

BOOL CBackupFolder::UndoShortcutRenames(const CString& logPath, CString& failure)
{
    const int dot = logPath.ReverseFind('.');
    const int slash = logPath.ReverseFind('\\');
    std::string bytes;
    if (dot <= slash || !ReadFileBytes(logPath, kMaxRenameLog, bytes)) {
        failure = "the shortcut log " + logPath + " cannot be read";
        return FALSE;
    }
    const CString folder = logPath.Left(dot);
    int lines = 0, failed = 0;
    CString firstFailure;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        CString line(bytes.data() + start, static_cast<int>(end - start));
        start = end + 1;
        line.TrimRight('\r');
        if (line.IsEmpty())
            continue;
        lines++;
        CString oldPath, newPath, problem;
        if (!SplitRenameLine(line, folder, oldPath, newPath))
            problem = "the line \"" + line + "\" names no shortcut of this backup";
        else if (!Exists(newPath) && Exists(oldPath))
            continue;  // moved back by an earlier restore
        else if (Exists(oldPath))
            problem = oldPath + " is taken by another file";
        else if (!MoveFileA(newPath, oldPath))
            problem = oldPath + " could not be moved back";
        if (!problem.IsEmpty() && failed++ == 0)
            firstFailure = problem;
    }
    if (failed > 0) {
        failure.Format("%d of %d shortcuts were not restored (%s)", failed, lines, (LPCSTR)firstFailure);
        return FALSE;
    }
    DeleteFileA(logPath);
    RemoveDirectoryA(folder);
    return TRUE;
}

BOOL CBackupFolder::Remove(const CString& name) const
{
    if (!IsBackupName(name))
        return FALSE;
    const CString base = m_folder + "\\" + name;
    BOOL ok = TRUE;
    for (LPCSTR extension : {".reg", ".bak"}) {
        if (Exists(base + extension) && !DeleteFileA(base + extension))
            ok = FALSE;
    }
    if (Exists(base) && !DeleteBackupFolder(base))
        ok = FALSE;
    return ok;
}

BOOL CBackupFolder::DeleteBackupFolder(const CString& path) const
{
    const CString full = FullPath(path);
    const CString root = FullPath(m_folder);
    if (full.IsEmpty() || root.IsEmpty() || full.GetLength() <= root.GetLength() + 1
        || full.Left(root.GetLength() + 1).CompareNoCase(root + "\\") != 0)
        return FALSE;
    return DeleteTree(full);
}
