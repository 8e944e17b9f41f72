#include "CRegScanner.h"
#include "CRegKeyHandle.h"
#include "ScanWalk.h"
#include <shlwapi.h>
#include <cstring>

// The file path scanner: every text value of HKEY_LOCAL_MACHINE and of
// HKEY_USERS that begins with a drive path naming nothing that exists.

namespace {

// A candidate exists as it stands or as a program without its extension.
BOOL CandidateExists(const CString& candidate)
{
    return PathFileExistsA(candidate) || PathFileExistsA(candidate + ".exe");
}

// TRUE when the text names something that exists, or cannot be judged.
BOOL FindExecutable(const CString& text)
{
    // The path functions cannot judge longer texts.
    if (text.GetLength() >= MAX_PATH || PathFileExistsA(text))
        return TRUE;
    // Wildcards, unexpanded references and further colons: not a plain path.
    if (text.FindOneOf("*?%") >= 0 || text.Find(':', 3) >= 0)
        return TRUE;

    // The file part ends at a separator of arguments or of a list.
    const int start = text[0] == '"' ? 1 : 0;
    int limit = text.GetLength();
    const auto lowerTo = [&limit](int at) {
        if (at > 0 && at < limit)
            limit = at;
    };
    // A backslash right after a program's extension (an index or a resource follows).
    CString lower = text;
    lower.MakeLower();
    for (const char* marker : {"exe\\", "dll\\"}) {
        const int at = lower.Find(marker);
        if (at >= 0)
            lowerTo(at + 3);
    }
    lowerTo(text.Find(';', start + 1));
    lowerTo(text.Find('"', start + 1));
    lowerTo(text.Find(',', start + 1));
    if (start >= limit)
        return FALSE;

    // The program may stand before any blank, its arguments after it; last
    // the whole text up to the limit.
    for (int blank = text.Find(' ', start + 1); blank > 0 && blank < limit; blank = text.Find(' ', blank + 1)) {
        if (CandidateExists(text.Mid(start, blank - start)))
            return TRUE;
    }
    return CandidateExists(text.Mid(start, limit - start));
}

// The drive path a registry text begins with (after expanding a leading
// environment reference), cut before its last double quote and without a
// final backslash; empty when the text begins with no drive path.
CString LeadingPath(LPCSTR pszData)
{
    char expanded[1024];
    LPCSTR text = pszData;
    if (text[0] == '%' || (text[0] == '"' && text[1] == '%')) {
        const DWORD length = ExpandEnvironmentStringsA(pszData, expanded, sizeof expanded);
        if (length == 0 || length > sizeof expanded)
            return CString();
        text = expanded;
    }
    if (text[0] == '"' && text[1] != '\0' && text[2] == ':' && text[3] == '\\')
        text++;
    else if (text[0] == '\0' || text[1] != ':' || text[2] != '\\')
        return CString();

    CString path = text;
    const int quote = path.ReverseFind('"');
    if (quote >= 0)
        path = path.Left(quote);
    if (!path.IsEmpty() && path[path.GetLength() - 1] == '\\')
        path = path.Left(path.GetLength() - 1);
    return path;
}

}  // namespace

void CRegScanner::ScanFilePaths()
{
    // The walk of one key and all keys below it, subkeys first, then the
    // key's own values. One value buffer serves every level.
    struct Walk {
        CRegScanner& engine;
        scanwalk::Value value;
        void Key(HKEY parent, const CString& name, const CString& displayPath)
        {
            if (engine.IsCancelled())
                return;
            engine.SendScanPath(displayPath);
            CRegKeyHandle key;
            if (key.Open(parent, name.IsEmpty() ? nullptr : (LPCSTR)name, KEY_READ) != ERROR_SUCCESS)
                return;
            const BOOL bUsersRoot = parent == HKEY_USERS && name.IsEmpty();
            CString child;
            for (DWORD index = 0; !engine.IsCancelled() && key.EnumKey(index, child) == ERROR_SUCCESS; index++) {
                // The default user's profile is not walked, whatever the case of its name.
                if (bUsersRoot && child.CompareNoCase(".DEFAULT") == 0)
                    continue;
                Key(key, child, displayPath + "\\" + child);
            }
            Values(key, displayPath);
        }
        void Values(HKEY key, const CString& displayPath)
        {
            for (DWORD index = 0; !engine.IsCancelled() && scanwalk::NextValue(key, index, value);) {
                if (!value.IsText() || strlen(value.data) < 3)
                    continue;
                const CString path = LeadingPath(value.data);
                if (path.IsEmpty() || engine.IsSkippedProgram(path) || FindOnPath(path) || FindExecutable(path))
                    continue;
                engine.AddProblem(new CRegistryProblem(displayPath, value.name, path, REGPROBLEM_FILEPATH));
            }
        }
    } walk{*this, {}};
    walk.Key(HKEY_LOCAL_MACHINE, "", "HKEY_LOCAL_MACHINE");
    walk.Key(HKEY_USERS, "", "HKEY_USERS");
}
