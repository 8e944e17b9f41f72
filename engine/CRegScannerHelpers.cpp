#include "CRegScanner.h"
#include "CComPtr.h"
#include "CComScope.h"
#include "CRegKeyHandle.h"
#include <msi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <cstring>
#include <string>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsAsciiLetterOrDigit(char c)
{
    return IsAsciiLetter(c) || (c >= '0' && c <= '9');
}

// "Folder:C:\Docs" gives C:\Docs: the text after the last colon, except that
// a drive letter standing right before that colon is kept.
CString FolderPart(const CString& text)
{
    const int colon = text.ReverseFind(':');
    int start = colon + 1;
    if (colon >= 1 && IsAsciiLetter(text[colon - 1]) && (colon == 1 || !IsAsciiLetterOrDigit(text[colon - 2])))
        start = colon - 1;
    CString part = text.Mid(start);
    part.Trim('"');
    return part;
}

// A regsvr32 command line: the file it registers, after the program (with
// any path, ".exe" and quotes) and its switches. FALSE when "regsvr32" does
// not stand in the text as the program's name.
BOOL RegisteredFile(const CString& text, CString& file)
{
    const int length = text.GetLength();
    for (int at = text.Find("regsvr32"); at >= 0; at = text.Find("regsvr32", at + 1)) {
        if (at > 0 && strchr(" \t\"\\/", text[at - 1]) == nullptr)
            continue;
        int pos = at + 8;
        if (text.Mid(pos, 4).CompareNoCase(".exe") == 0)
            pos += 4;
        if (pos < length && text[pos] == '"')
            pos++;
        if (pos < length && !IsBlank(text[pos]))
            continue;
        // Switches such as /s, /u, /n or /i:"text with blanks".
        for (;;) {
            while (pos < length && IsBlank(text[pos]))
                pos++;
            if (pos >= length || (text[pos] != '/' && text[pos] != '-'))
                break;
            bool quoted = false;
            while (pos < length && (quoted || !IsBlank(text[pos]))) {
                if (text[pos] == '"')
                    quoted = !quoted;
                pos++;
            }
        }
        CString rest = text.Mid(pos);
        rest.TrimRight(" \t");
        if (!rest.IsEmpty() && rest[0] == '"') {
            const int close = rest.Find('"', 1);
            rest = close < 0 ? rest.Mid(1) : rest.Mid(1, close - 1);
        }
        rest.Trim('"');
        file = rest;
        return TRUE;
    }
    return FALSE;
}

// The target of an installer shortcut: TRUE when it could be asked (then
// bExists says whether the component's file is there).
BOOL ResolveInstallerShortcut(LPCSTR pszShortcut, LPSTR pszTarget, BOOL& bExists,
                               const CRegScanner::InstallerCalls& installer)
{
    char product[39] = "";
    char component[39] = "";
    if (installer.getShortcutTarget(pszShortcut, product, nullptr, component) != ERROR_SUCCESS
        || component[0] == '\0')
        return FALSE;
    char path[CRegScanner::PATH_BUFFER] = "";
    DWORD length = MAX_PATH;
    const INSTALLSTATE state = installer.getComponentPath(product, component, path, &length);
    bExists = FALSE;
    if (state != INSTALLSTATE_LOCAL && state != INSTALLSTATE_SOURCE && state != INSTALLSTATE_NOTUSED)
        return TRUE;
    char file[CRegScanner::PATH_BUFFER];
    CRegScanner::ExtractFilePath(path, file);
    if (file[0] != '\0' && PathFileExistsA(file)) {
        lstrcpynA(pszTarget, path, MAX_PATH);
        bExists = TRUE;
    }
    return TRUE;
}

// The target of a shell link: TRUE when the link could be read (then bExists
// says whether its file is there and pszTarget holds its path).
BOOL ResolveShellLink(LPCSTR pszShortcut, LPSTR pszTarget, BOOL& bExists)
{
    CComPtr<IShellLinkA> link;
    CComPtr<IPersistFile> persist;
    WCHAR widePath[MAX_PATH];
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.Out()))
        || FAILED(link->QueryInterface(IID_IPersistFile, persist.Out()))
        || MultiByteToWideChar(CP_ACP, 0, pszShortcut, -1, widePath, MAX_PATH) == 0
        || FAILED(persist->Load(widePath, STGM_READ))
        || FAILED(link->Resolve(nullptr, SLR_NO_UI | SLR_UPDATE)))
        return FALSE;
    char path[CRegScanner::PATH_BUFFER] = "";
    if (link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH) != S_OK)
        return FALSE;
    char file[CRegScanner::PATH_BUFFER];
    CRegScanner::ExtractFilePath(path, file);
    bExists = file[0] != '\0' && PathFileExistsA(file);
    lstrcpynA(pszTarget, path, MAX_PATH);
    return TRUE;
}

}  // namespace

BOOL CRegScanner::IsSkippedProgram(const CString& name) const
{
    CString lower = name;
    lower.MakeLower();
    CObject* unused = nullptr;
    return m_appPathNames.Lookup(lower, unused) || lower.Find("rundll32") >= 0;
}

void CRegScanner::CleanCommand(LPCSTR pszText, LPSTR pszOut, int nOutSize)
{
    if (pszOut == nullptr || nOutSize <= 0)
        return;
    const CString text = pszText != nullptr ? pszText : "";
    CString result;
    if (text.Find("Folder:") >= 0 || text.Find("folder:") >= 0)
        result = FolderPart(text);
    else if (!RegisteredFile(text, result))
        result = text;
    lstrcpynA(pszOut, result, nOutSize);
}

DWORD CRegScanner::ExtractFilePath(LPSTR pszText, LPSTR pszResult)
{
    pszResult[0] = '\0';
    LPSTR text = pszText;
    while (*text == '"')
        text++;
    if (LPSTR quote = strchr(text, '"'))
        *quote = '\0';

    // End the text after the first of the three extensions, in any case.
    std::string upper(text);
    if (!upper.empty())
        CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    static const char* const kExtensions[] = {".EXE", ".DLL", ".OCX"};
    for (const char* extension : kExtensions) {
        const size_t at = upper.find(extension);
        if (at != std::string::npos)
            text[at + 4] = '\0';
    }

    const DWORD length = ExpandEnvironmentStringsA(text, pszResult, PATH_BUFFER);
    if (length == 0 || length > PATH_BUFFER) {
        // A cut path would name another file: give none.
        pszResult[0] = '\0';
        return 0;
    }
    return length;
}

const CRegScanner::InstallerCalls CRegScanner::s_systemInstaller = {&MsiGetShortcutTargetA, &MsiGetComponentPathA};

BOOL CRegScanner::ResolveShortcut(LPCSTR pszShortcut, LPSTR pszTarget)
{
    return ResolveShortcut(pszShortcut, pszTarget, s_systemInstaller);
}

BOOL CRegScanner::ResolveShortcut(LPCSTR pszShortcut, LPSTR pszTarget, const InstallerCalls& installer)
{
    BOOL bExists = FALSE;
    if (ResolveInstallerShortcut(pszShortcut, pszTarget, bExists, installer))
        return bExists;

    pszTarget[0] = '\0';
    CComScope com;
    // A shortcut that cannot be read is never reported.
    return ResolveShellLink(pszShortcut, pszTarget, bExists) ? bExists : TRUE;
}

BOOL CRegScanner::ReadRegText(HKEY key, LPCSTR pszName, LPSTR pszBuffer, DWORD nSize)
{
    if (nSize == 0)
        return FALSE;
    CString text;
    const BOOL ok = CRegKeyHandle::QueryText(key, pszName, text, nSize - 1);
    lstrcpynA(pszBuffer, text, static_cast<int>(nSize));
    return ok;
}

BOOL CRegScanner::FindOnPath(LPCSTR pszFile)
{
    // PathFindOnPathA writes what it finds into its argument, which must hold MAX_PATH.
    char path[MAX_PATH];
    if (pszFile == nullptr || lstrlenA(pszFile) >= MAX_PATH)
        return FALSE;
    lstrcpyA(path, pszFile);
    return PathFindOnPathA(path, nullptr);
}

namespace {

// TRUE when the command names an existing file under a reading the first cut
// misses: a program given without ".exe" (it runs as name.exe), or a folder
// whose name holds ".exe", ".dll" or ".ocx" (the file ends at a later one).
// pszFile, the first reading, has been tested already and is not again.
BOOL ExistsUnderAnotherReading(const char* pszCommand, const char* pszFile)
{
    if (*PathFindExtensionA(pszFile) == '\0') {
        const std::string withExe = std::string(pszFile) + ".exe";
        if (withExe.size() < MAX_PATH && PathFileExistsA(withExe.c_str()))
            return TRUE;
    }
    std::string text(pszCommand);
    const size_t first = text.find_first_not_of('"');
    text = first == std::string::npos ? std::string() : text.substr(first);
    text = text.substr(0, text.find('"'));
    std::string upper(text);
    if (!upper.empty())
        CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    for (size_t at = 0; at + 4 <= upper.size(); ++at) {
        const std::string ext = upper.substr(at, 4);
        if (ext != ".EXE" && ext != ".DLL" && ext != ".OCX")
            continue;
        char expanded[CRegScanner::PATH_BUFFER];
        const DWORD length = ExpandEnvironmentStringsA(text.substr(0, at + 4).c_str(), expanded, sizeof expanded);
        if (length > 0 && length <= sizeof expanded && lstrlenA(expanded) < MAX_PATH && lstrcmpA(expanded, pszFile) != 0
            && PathFileExistsA(expanded))
            return TRUE;
    }
    return FALSE;
}

}  // namespace

BOOL CRegScanner::IsMissingFile(LPCSTR pszValue, BOOL bCutIconIndex, CString& tested) const
{
    char command[PATH_BUFFER];
    char file[PATH_BUFFER];
    CleanCommand(pszValue, command, sizeof command);
    const std::string cleaned(command);
    ExtractFilePath(command, file);
    // Only drive paths are judged; one too long for the path functions is not.
    if (file[0] == '\0' || file[1] != ':' || lstrlenA(file) >= MAX_PATH)
        return FALSE;
    if (IsSkippedProgram(file) || FindOnPath(file))
        return FALSE;
    if (bCutIconIndex) {
        if (LPSTR comma = strchr(file, ','))
            *comma = '\0';
    }
    if (PathFileExistsA(file) || ExistsUnderAnotherReading(cleaned.c_str(), file))
        return FALSE;
    tested = file;
    return TRUE;
}
