#include "RegExport.h"
#include "CRegKeyHandle.h"
#include <cstring>
#include <vector>

namespace {

struct RootName {
    HKEY root;
    LPCSTR name;
};

const RootName kRootNames[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
    {HKEY_USERS, "HKEY_USERS"},
    {HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
    {HKEY_DYN_DATA, "HKEY_DYN_DATA"},
};

// Marks, as a comment the registry editor skips, the place of something that
// could not be exported.
const char kErrorLine[] = "\n;Error\n";

// Backslash and double quote get a backslash in front, as the editor expects.
CString EscapeRegText(const char* text, DWORD length)
{
    CString escaped;
    escaped.Preallocate(static_cast<int>(length) + 8);
    for (DWORD i = 0; i < length; i++) {
        if (text[i] == '\\' || text[i] == '"')
            escaped += '\\';
        escaped += text[i];
    }
    return escaped;
}

// A REG_SZ goes between quotes only when that restores it exactly: one
// terminating zero at its end and no byte below 0x20 (no zero, CR or LF) before.
BOOL IsQuotableString(const BYTE* data, DWORD length)
{
    if (length == 0 || data[length - 1] != 0)
        return FALSE;
    for (DWORD i = 0; i + 1 < length; i++) {
        if (data[i] < 0x20)
            return FALSE;
    }
    return TRUE;
}

// "%02x," per byte; a continuation line after every 21st byte past the first
// (22 bytes on the first line, 21 on the others) while more bytes follow.
void AppendHexBytes(CString& text, const BYTE* data, DWORD length)
{
    static const char kDigits[] = "0123456789abcdef";
    text.Preallocate(text.GetLength() + static_cast<int>(length) * 3 + static_cast<int>(length / 21) * 4 + 2);
    for (DWORD i = 0; i < length; i++) {
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 0x0f];
        text += ',';
        if (i != 0 && i % 21 == 0 && i + 1 < length)
            text += "\\\n  ";
    }
    text += '\n';
}

BOOL WriteText(FILE* stream, const CString& text)
{
    const size_t length = static_cast<size_t>(text.GetLength());
    return fwrite(static_cast<LPCSTR>(text), 1, length, stream) == length;
}

BOOL FlushStream(FILE* stream)
{
    return fflush(stream) == 0 && !ferror(stream);
}

// "\n[full name]\n" and one line per value of an open key.
BOOL WriteKeyBlock(const CRegKeyHandle& key, const CString& fullName, FILE* stream)
{
    BOOL ok = WriteText(stream, "\n[" + fullName + "]\n");
    CString name;
    DWORD type = 0;
    std::vector<BYTE> bytes;
    for (DWORD index = 0;; index++) {
        LONG rc = key.EnumValue(index, name, type, bytes);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc != ERROR_SUCCESS) {
            WriteText(stream, kErrorLine);
            return FALSE;
        }
        if (!IsRegNameWritable(name)) {
            WriteText(stream, kErrorLine);
            ok = FALSE;
            continue;
        }
        ok = WriteText(stream, FormatRegValueLine(name, type, bytes, "=")) && ok;
    }
    return ok;
}

}  // namespace

LPCSTR GetRegRootName(HKEY root)
{
    for (const RootName& entry : kRootNames) {
        if (entry.root == root)
            return entry.name;
    }
    return "";
}

HKEY GetRegRootKey(LPCSTR pszRootName)
{
    if (pszRootName == nullptr)
        return nullptr;
    for (const RootName& entry : kRootNames) {
        if (strcmp(entry.name, pszRootName) == 0)
            return entry.root;
    }
    return nullptr;
}

CString TrimRegKeyPath(LPCSTR pszKeyPath)
{
    CString path = pszKeyPath ? pszKeyPath : "";
    path.Trim('\\');
    return path;
}

BOOL IsRegNameWritable(const CString& name)
{
    for (int i = 0; i < name.GetLength(); i++) {
        if (static_cast<BYTE>(name[i]) < 0x20)
            return FALSE;
    }
    return TRUE;
}

CString FormatRegValueName(const CString& name)
{
    if (name.IsEmpty())
        return "@";
    return "\"" + EscapeRegText(name, static_cast<DWORD>(name.GetLength())) + "\"";
}

BOOL WriteRegBackupHeader(FILE* stream, int osCode)
{
    if (stream == nullptr)
        return FALSE;
    const BOOL version5 = osCode >= 103 && osCode <= 105;
    return WriteText(stream, version5 ? "Windows Registry Editor Version 5.00\n" : "REGEDIT4\n")
           && FlushStream(stream);
}

void FormatRegValueData(DWORD type, const BYTE* data, DWORD length, CString& text)
{
    if (type == REG_SZ && IsQuotableString(data, length)) {
        text = "\"" + EscapeRegText(reinterpret_cast<const char*>(data), length - 1) + "\"\n";
        return;
    }
    if (type == REG_DWORD && length == sizeof(DWORD)) {
        DWORD value;
        memcpy(&value, data, sizeof value);
        text.Format("dword:%08lx\n", value);
        return;
    }
    if (type == REG_BINARY)
        text = "hex:";
    else
        text.Format("hex(%lx):", type);
    AppendHexBytes(text, data, length);
}

CString FormatRegValueLine(const CString& name, DWORD type, const std::vector<BYTE>& data, LPCSTR pszSeparator)
{
    CString text;
    FormatRegValueData(type, data.data(), static_cast<DWORD>(data.size()), text);
    return FormatRegValueName(name) + pszSeparator + text;
}

BOOL ExportRegKey(HKEY root, LPCSTR pszKeyPath, FILE* stream)
{
    LPCSTR rootName = GetRegRootName(root);
    if (*rootName == '\0')
        return FALSE;
    return ExportRegKeyTree(rootName, pszKeyPath, stream);
}

BOOL ExportRegKeyTree(LPCSTR pszRootName, LPCSTR pszKeyPath, FILE* stream)
{
    HKEY root = GetRegRootKey(pszRootName);
    if (root == nullptr || stream == nullptr)
        return FALSE;
    CRegKeyHandle top;
    if (top.Open(root, TrimRegKeyPath(pszKeyPath), KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return FALSE;
    return ExportOpenRegKey(top, root, pszKeyPath, stream);
}

BOOL ExportOpenRegKey(const CRegKeyHandle& top, HKEY root, LPCSTR pszKeyPath, FILE* stream)
{
    LPCSTR rootName = GetRegRootName(root);
    if (*rootName == '\0' || stream == nullptr)
        return FALSE;
    const CString path = TrimRegKeyPath(pszKeyPath);
    CString topName = rootName;
    if (!path.IsEmpty())
        topName += "\\" + path;
    if (!IsRegNameWritable(topName))
        return FALSE;

    BOOL ok = WriteText(stream, "[" + topName + "]\n");
    // Depth-first, parents before their subkeys, on a stack of our own. The
    // top key is the caller's; the keys below it are opened here.
    struct Level {
        CRegKeyHandle owned;
        const CRegKeyHandle* borrowed;
        DWORD index;
        CString fullName;
        const CRegKeyHandle& Key() const { return borrowed != nullptr ? *borrowed : owned; }
    };
    std::vector<Level> stack;
    stack.push_back(Level{CRegKeyHandle(), &top, 0, topName});
    while (!stack.empty()) {
        Level& level = stack.back();
        CString name;
        LONG rc = level.Key().EnumKey(level.index, name);
        if (rc != ERROR_SUCCESS) {
            if (rc != ERROR_NO_MORE_ITEMS) {
                WriteText(stream, kErrorLine);
                ok = FALSE;
            }
            stack.pop_back();
            continue;
        }
        level.index++;
        CString childName = level.fullName + "\\" + name;
        CRegKeyHandle child;
        if (!IsRegNameWritable(name)
            || child.Open(level.Key(), name, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE) != ERROR_SUCCESS) {
            WriteText(stream, kErrorLine);
            ok = FALSE;
            continue;
        }
        ok = WriteKeyBlock(child, childName, stream) && ok;
        stack.push_back(Level{std::move(child), nullptr, 0, childName});
    }
    ok = WriteKeyBlock(top, topName, stream) && ok;
    return FlushStream(stream) && ok;
}

BOOL ExportRegKeyValues(HKEY key, LPCSTR pszSubPath, FILE* stream, LPCSTR pszFullName)
{
    const CString fullName = pszFullName ? pszFullName : "";
    if (stream == nullptr || !IsRegNameWritable(fullName))
        return FALSE;
    CRegKeyHandle handle;
    if (handle.Open(key, pszSubPath, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return FALSE;
    return WriteKeyBlock(handle, fullName, stream);
}
