#include "CRegFileReader.h"
#include "CRegKeyHandle.h"
#include "ReadFileBytes.h"
#include "RegExport.h"
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <string>

namespace {

struct Line {
    const char* text;
    size_t length;
};

// Lines without their LF and the CR before it.
std::vector<Line> SplitLines(const char* text, size_t length)
{
    std::vector<Line> lines;
    size_t start = 0;
    while (start < length) {
        const char* end = static_cast<const char*>(memchr(text + start, '\n', length - start));
        size_t stop = end ? static_cast<size_t>(end - text) : length;
        size_t lineLength = stop - start;
        if (lineLength > 0 && text[start + lineLength - 1] == '\r')
            lineLength--;
        lines.push_back(Line{text + start, lineLength});
        start = stop + 1;
    }
    return lines;
}

// The value of a hexadecimal digit in either case, or -1.
int HexDigit(char c)
{
    static const char kDigits[] = "0123456789abcdef";
    const char* found = c != '\0' ? strchr(kDigits, tolower(static_cast<unsigned char>(c))) : nullptr;
    return found ? static_cast<int>(found - kDigits) : -1;
}

std::string UpperKey(const CString& text)
{
    CString upper = text;
    upper.MakeUpper();
    return upper.str();
}

// Parses one line at a time; the lines of a hex value are joined through
// their continuations. Every failure names the line it was found on.
class Parser {
public:
    explicit Parser(const std::vector<Line>& lines) : m_lines(lines) {}

    size_t m_index = 0;  // current line
    const char* m_at = nullptr;
    const char* m_end = nullptr;
    const char* m_error = nullptr;

    void Begin(size_t line)
    {
        m_index = line;
        m_at = m_lines[line].text;
        m_end = m_at + m_lines[line].length;
    }
    bool Eat(const char* literal)
    {
        const size_t n = strlen(literal);
        if (static_cast<size_t>(m_end - m_at) < n || memcmp(m_at, literal, n) != 0)
            return false;
        m_at += n;
        return true;
    }
    void SkipBlanks()
    {
        while (m_at < m_end && *m_at == ' ')
            m_at++;
    }
    bool Fail(const char* what)
    {
        m_error = what;
        return false;
    }

    // A quoted text with the escapes \\ and \" (the opening quote is current).
    bool QuotedText(std::string& out)
    {
        m_at++;
        out.clear();
        while (m_at < m_end) {
            char c = *m_at++;
            if (c == '"')
                return true;
            if (c == '\\') {
                if (m_at == m_end || (*m_at != '\\' && *m_at != '"'))
                    return Fail("a backslash in a quoted text must be followed by \\ or \"");
                c = *m_at++;
            }
            out += c;
        }
        return Fail("a quoted text has no closing quote");
    }

    // "xx," bytes; a backslash m_at the m_end of a line continues on the next line.
    bool HexBytes(std::vector<BYTE>& data)
    {
        data.clear();
        for (;;) {
            if (m_at == m_end)
                return true;
            if (*m_at == '\\' && m_at + 1 == m_end) {
                if (data.empty() || m_at[-1] != ',')
                    return Fail("a continuation backslash must follow a byte and its comma");
                if (m_index + 1 >= m_lines.size())
                    return Fail("the file ends inside a continued value");
                Begin(m_index + 1);
                while (m_at < m_end && (*m_at == ' ' || *m_at == '\t'))
                    m_at++;
                if (m_at == m_end)
                    return Fail("a continuation line holds no bytes");
                continue;
            }
            const int high = m_end - m_at >= 2 ? HexDigit(m_at[0]) : -1;
            const int low = high >= 0 ? HexDigit(m_at[1]) : -1;
            if (low < 0)
                return Fail("hex data must be two hexadecimal digits per byte");
            data.push_back(static_cast<BYTE>(high * 16 + low));
            m_at += 2;
            if (m_at < m_end && *m_at != ',')
                return Fail("hex bytes must be separated by commas");
            if (m_at < m_end)
                m_at++;
        }
    }

    // The data after "name=": a string, dword: or hex data.
    bool ValueData(DWORD& type, std::vector<BYTE>& data)
    {
        if (m_at < m_end && *m_at == '"') {
            std::string text;
            if (!QuotedText(text))
                return false;
            if (m_at != m_end)
                return Fail("text follows the closing quote of a string");
            type = REG_SZ;
            data.assign(text.begin(), text.end());
            data.push_back(0);
            return true;
        }
        if (Eat("dword:")) {
            if (m_end - m_at != 8)
                return Fail("dword data must be eight hexadecimal digits");
            DWORD value = 0;
            for (int i = 0; i < 8; i++) {
                const int digit = HexDigit(m_at[i]);
                if (digit < 0)
                    return Fail("dword data must be eight hexadecimal digits");
                value = value * 16 + static_cast<DWORD>(digit);
            }
            type = REG_DWORD;
            data.assign(reinterpret_cast<const BYTE*>(&value), reinterpret_cast<const BYTE*>(&value) + 4);
            return true;
        }
        if (Eat("hex:")) {
            type = REG_BINARY;
            return HexBytes(data);
        }
        if (Eat("hex(")) {
            DWORD value = 0;
            int digits = 0;
            for (; m_at < m_end && HexDigit(*m_at) >= 0; m_at++, digits++)
                value = value * 16 + static_cast<DWORD>(HexDigit(*m_at));
            if (digits == 0 || digits > 8 || !Eat("):"))
                return Fail("hex(N): needs a hexadecimal type number of one to eight digits");
            type = value;
            return HexBytes(data);
        }
        if (m_at < m_end && *m_at == '-')
            return Fail("value deletions are not part of a backup");
        return Fail("unknown value data (expected a quoted string, dword: or hex data)");
    }

private:
    const std::vector<Line>& m_lines;
};

}  // namespace

BOOL CRegFileReader::Fail(int line, LPCSTR pszWhat)
{
    m_keys.clear();
    m_error.Format("line %d: %s", line, pszWhat);
    return FALSE;
}

size_t CRegFileReader::GetValueCount() const
{
    size_t count = 0;
    for (const Key& key : m_keys)
        count += key.values.size();
    return count;
}

BOOL CRegFileReader::ReadFile(LPCSTR pszPath)
{
    m_keys.clear();
    m_error.Empty();
    std::string bytes;
    if (!ReadFileBytes(pszPath, kMaxFileSize, bytes)) {
        m_error = "cannot read the file whole (or it is larger than 128 MB)";
        return FALSE;
    }
    return Parse(bytes.data(), bytes.size());
}

BOOL CRegFileReader::Parse(const char* text, size_t length)
{
    m_keys.clear();
    m_error.Empty();
    const std::vector<Line> lines = SplitLines(text, length);
    if (lines.empty())
        return Fail(1, "the file is empty");
    const std::string header(lines[0].text, lines[0].length);
    if (header != "REGEDIT4" && header != "Windows Registry Editor Version 5.00")
        return Fail(1, "the file does not start with a registry file header");

    std::map<std::string, size_t> keyIndex;
    std::map<std::string, size_t> valueIndex;  // upper-cased key name, NUL, value name
    Key* current = nullptr;
    Parser parser(lines);
    for (size_t i = 1; i < lines.size(); i = parser.m_index + 1) {
        parser.Begin(i);
        const int lineNumber = static_cast<int>(i) + 1;
        for (size_t k = 0; k < lines[i].length; k++) {
            if (static_cast<BYTE>(lines[i].text[k]) < 0x20)
                return Fail(lineNumber, "a control character stands in the line");
        }
        if (lines[i].length == 0 || lines[i].text[0] == ';')
            continue;

        if (lines[i].text[0] == '[') {
            if (lines[i].length < 3 || lines[i].text[lines[i].length - 1] != ']')
                return Fail(lineNumber, "a key line must end with ]");
            const CString fullName(lines[i].text + 1, static_cast<int>(lines[i].length) - 2);
            if (fullName[0] == '-')
                return Fail(lineNumber, "key deletions are not part of a backup");
            const int slash = fullName.Find('\\');
            const CString rootName = slash < 0 ? fullName : fullName.Left(slash);
            const CString path = slash < 0 ? CString() : fullName.Mid(slash + 1);
            HKEY root = GetRegRootKey(rootName);
            if (root == nullptr)
                return Fail(lineNumber, "the key line names no known root key");
            if (slash >= 0 && (path.IsEmpty() || path.Find("\\\\") >= 0 || path[path.GetLength() - 1] == '\\'))
                return Fail(lineNumber, "the key line holds an empty key name");
            const std::string upper = UpperKey(fullName);
            auto found = keyIndex.find(upper);
            if (found == keyIndex.end()) {
                found = keyIndex.emplace(upper, m_keys.size()).first;
                m_keys.push_back(Key{fullName, root, path, {}});
            }
            current = &m_keys[found->second];
            continue;
        }

        Value value;
        if (parser.Eat("@")) {
            value.name.Empty();
        } else if (*parser.m_at == '"') {
            std::string name;
            if (!parser.QuotedText(name))
                return Fail(lineNumber, parser.m_error);
            value.name = CString(name.data(), static_cast<int>(name.size()));
        } else {
            return Fail(lineNumber, "a line must be a key, a value, a comment or empty");
        }
        if (current == nullptr)
            return Fail(lineNumber, "a value stands before the first key line");
        parser.SkipBlanks();
        if (!parser.Eat("="))
            return Fail(lineNumber, "a value name must be followed by =");
        parser.SkipBlanks();
        if (!parser.ValueData(value.type, value.data))
            return Fail(static_cast<int>(parser.m_index) + 1, parser.m_error);

        const std::string slot = UpperKey(current->fullName) + '\0' + UpperKey(value.name);
        auto found = valueIndex.find(slot);
        if (found == valueIndex.end())
            valueIndex.emplace(slot, current->values.size()), current->values.push_back(std::move(value));
        else
            current->values[found->second] = std::move(value);
    }
    return TRUE;
}

BOOL CRegFileReader::MatchesRegistry(CString& difference) const
{
    for (const Key& key : m_keys) {
        // One level at a time: long absolute paths do not open in one call.
        CRegKeyHandle open;
        HKEY parent = key.root;
        int start = 0;
        BOOL found = TRUE;
        while (found && start < key.path.GetLength()) {
            int slash = key.path.Find('\\', start);
            if (slash < 0)
                slash = key.path.GetLength();
            CRegKeyHandle child;
            found = child.Open(parent, key.path.Mid(start, slash - start), KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS)
                    == ERROR_SUCCESS;
            open = std::move(child);
            parent = open;
            start = slash + 1;
        }
        if (!found) {
            difference = "the key " + key.fullName + " is missing";
            return FALSE;
        }
        CRegKeyHandle reader;
        if (reader.Open(parent, "", KEY_QUERY_VALUE) != ERROR_SUCCESS) {
            difference = "the key " + key.fullName + " cannot be read";
            return FALSE;
        }
        for (const Value& value : key.values) {
            DWORD type = 0;
            std::vector<BYTE> data;
            const CString shown = value.name.IsEmpty() ? CString("@") : "\"" + value.name + "\"";
            const LONG rc = reader.QueryValue(value.name, type, data);
            if (rc != ERROR_SUCCESS) {
                difference = "the value " + shown + " of " + key.fullName
                             + (rc == ERROR_FILE_NOT_FOUND ? " is missing" : " cannot be read");
                return FALSE;
            }
            const BOOL isString = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
            const BOOL padded = isString && data.size() == value.data.size() + 1 && data.back() == 0
                                && std::equal(value.data.begin(), value.data.end(), data.begin());
            if (type != value.type || (data != value.data && !padded)) {
                difference = "the value " + shown + " of " + key.fullName + " differs from the backup";
                return FALSE;
            }
        }
    }
    return TRUE;
}
