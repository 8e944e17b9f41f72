#include "CHostFileScanner.h"
#include <shlobj.h>

namespace {

CString GetShellFolder(int csidl)
{
    char path[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path)))
        return CString();
    return path;
}

bool IsKept(const CString& line)
{
    if (line.IsEmpty() || line[0] == '#')
        return false;
    CString trimmed = line;
    trimmed.TrimLeft();
    return trimmed.Left(4) != "127.";
}

}  // namespace

CHostFileScanner::~CHostFileScanner() = default;

void CHostFileScanner::Scan()
{
    ScanFolders(GetShellFolder(CSIDL_WINDOWS), GetShellFolder(CSIDL_SYSTEM));
}

void CHostFileScanner::ScanFolders(const CString& windowsFolder, const CString& systemFolder)
{
    candidates.RemoveAll();
    lines.RemoveAll();
    const CString paths[] = {
        windowsFolder + "\\hosts",
        windowsFolder + "\\hosts.new",
        systemFolder + "\\drivers\\etc\\hosts",
        systemFolder + "\\drivers\\etc\\hosts.new",
    };
    for (const CString& path : paths) {
        DWORD attributes = GetFileAttributesA(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            candidates.Add(path);
    }
    for (INT_PTR i = 0; i < candidates.GetSize(); i++)
        ReadFile(candidates[i]);
}

void CHostFileScanner::ReadFile(const CString& path)
{
    CStdioFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyNone | CFile::typeText))
        return;
    try {
        CString line;
        while (file.ReadString(line)) {
            if (IsKept(line))
                lines.Add(line);
        }
    } catch (CFileException* e) {
        e->Delete();   // a read error ends this file; what was read stays
    }
    file.Abort();
}
