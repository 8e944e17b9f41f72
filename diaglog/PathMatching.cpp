#include "PathMatching.h"

namespace {

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A character of the folder part of a path.
bool IsFolderChar(char c)
{
    switch (c) {
    case ':': case '/': case '<': case '>': case '|': case '*': case '?':
        return false;
    default:
        return true;
    }
}

// A character of a file name: a folder character but no backslash.
bool IsNameChar(char c)
{
    return c != '\\' && IsFolderChar(c);
}

// A character of an extension: a name character but no dot and no blank.
bool IsExtensionChar(char c)
{
    return c != '.' && !IsBlank(c) && IsNameChar(c);
}

// Length of a leading "letters:" drive part, 0 when the text has none.
int DriveLength(const std::string& s)
{
    size_t k = 0;
    while (k < s.size() && IsLetter(s[k]))
        k++;
    return (k > 0 && k < s.size() && s[k] == ':') ? static_cast<int>(k + 1) : 0;
}

// Where a file name with an extension can end in a text.
struct NameEnds {
    int atEnd = -1;          // a name whose extension ends the text: its end
    int beforeBlank = -1;    // the last name followed by a blank: its end
};

// Looks for "name.ext" ending either at the end of the text or before a
// blank. The text before the dot, from `start` on, must consist of folder
// characters (withFolders) or name characters, and the character right
// before the dot must be a name character. One pass: every character is
// looked at a bounded number of times.
NameEnds FindNameEnds(const std::string& s, size_t start, bool withFolders)
{
    NameEnds ends;
    size_t n = s.size();
    size_t p = start + 1;
    while (p < n) {
        char c = s[p - 1];
        if (!(withFolders ? IsFolderChar(c) : IsNameChar(c)))
            break;   // no dot further on can be preceded by allowed text only
        if (s[p] != '.' || !IsNameChar(c)) {
            p++;
            continue;
        }
        size_t q = p + 1;
        while (q < n && IsExtensionChar(s[q]))
            q++;
        if (q > p + 1) {
            if (q == n)
                ends.atEnd = static_cast<int>(q);
            else if (IsBlank(s[q]))
                ends.beforeBlank = static_cast<int>(q);
        }
        // The extension holds no dot: the next dot lies at q or beyond, and
        // the characters up to q are allowed ones (extension characters are).
        p = q > p + 1 ? q : p + 1;
    }
    return ends;
}

bool IsClassIdAt(const std::string& s, size_t i)
{
    static const char kShape[] = "{hhhhhhhh-hhhh-hhhh-hhhh-hhhhhhhhhhhh}";
    const size_t length = sizeof kShape - 1;
    if (i + length > s.size())
        return false;
    for (size_t k = 0; k < length; k++) {
        char c = s[i + k];
        if (kShape[k] == 'h' ? !IsHexDigit(c) : c != kShape[k])
            return false;
    }
    return true;
}

CString GetEnvironmentText(const CString& name, bool& found)
{
    found = false;
    if (name.IsEmpty())
        return CString();
    DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
    while (size > 0) {
        CString value;
        LPSTR buffer = value.GetBuffer(static_cast<int>(size));
        DWORD length = GetEnvironmentVariableA(name, buffer, size);
        if (length < size) {
            value.ReleaseBuffer(static_cast<int>(length));
            found = true;
            return value;
        }
        value.ReleaseBuffer(0);
        size = length;   // the variable grew meanwhile
    }
    return CString();
}

}  // namespace

void ExpandEnvironmentPath(const CString& path, CString& expanded)
{
    CString out;
    int pos = 0;
    for (CString part = path.Tokenize("\\", pos); pos >= 0; part = path.Tokenize("\\", pos)) {
        if (part.GetLength() > 0 && part[0] == '%' && part[part.GetLength() - 1] == '%') {
            CString name = part;
            name.Trim('%');
            bool found = false;
            CString value = GetEnvironmentText(name, found);
            if (found) {
                out += value;
                out += '\\';
            } else {
                out += '%';
                out += name;
                out += "%\\";
            }
        } else {
            out += part;
            out += '\\';
        }
    }
    out.TrimRight('\\');
    expanded = out;
}

BOOL MatchClassIdInValue(const CString& text)
{
    const std::string& s = text.str();
    for (size_t i = s.find('{'); i != std::string::npos; i = s.find('{', i + 1)) {
        if (IsClassIdAt(s, i))
            return TRUE;
    }
    return FALSE;
}

void ExtractClassId(const CString& text, CString& classId)
{
    const std::string& s = text.str();
    classId.Empty();
    for (size_t i = s.rfind('{'); i != std::string::npos; i = i == 0 ? std::string::npos : s.rfind('{', i - 1)) {
        if (IsClassIdAt(s, i)) {
            classId = CString(s.data() + i, 38);
            return;
        }
    }
}

BOOL MatchFilePathInValue(const CString& text)
{
    const std::string& s = text.str();
    if (s.empty())
        return FALSE;
    NameEnds bare = FindNameEnds(s, 0, false);
    if (bare.atEnd >= 0 || bare.beforeBlank >= 0)
        return TRUE;
    int drive = DriveLength(s);
    if (drive == 0)
        return FALSE;
    NameEnds full = FindNameEnds(s, static_cast<size_t>(drive), true);
    return full.atEnd >= 0 || full.beforeBlank >= 0;
}

BOOL MatchFullFilePath(const CString& text)
{
    const std::string& s = text.str();
    int drive = DriveLength(s);
    return drive > 0 && FindNameEnds(s, static_cast<size_t>(drive), true).atEnd >= 0;
}

void StripArguments(const CString& path, CString& stripped)
{
    const std::string& s = path.str();
    int drive = DriveLength(s);
    if (drive > 0) {
        NameEnds full = FindNameEnds(s, static_cast<size_t>(drive), true);
        if (full.beforeBlank >= 0) {
            stripped = path.Left(full.beforeBlank);
            return;
        }
    }
    NameEnds bare = FindNameEnds(s, 0, false);
    if (bare.beforeBlank >= 0) {
        stripped = path.Left(bare.beforeBlank);
        return;
    }
    stripped = path;
}
