#include "CHtmlReader.h"
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

const char* const kVoidTags[] = {"br", "img", "input", "hr", "meta", "link", "area", "base", "col", "param", "wbr"};

bool IsVoid(const CString& tag)
{
    for (const char* name : kVoidTags)
        if (tag == name)
            return true;
    return false;
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool IsNameChar(char c)
{
    return !IsSpace(c) && c != '>' && c != '/' && c != '=' && c != '<' && c != '\0';
}

const struct {
    const char* name;
    char value;
} kEntities[] = {
    {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", '\xA0'}, {"copy", '\xA9'},
};

}  // namespace

CString CHtmlReader::DecodeEntities(const char* pText, size_t nLength)
{
    CString out;
    out.Preallocate(static_cast<int>(nLength));
    for (size_t i = 0; i < nLength; ++i) {
        if (pText[i] != '&') {
            out += pText[i];
            continue;
        }
        size_t end = i + 1;
        while (end < nLength && end - i <= 10 && pText[end] != ';' && pText[end] != '&' && !IsSpace(pText[end]))
            ++end;
        if (end >= nLength || pText[end] != ';') {
            out += '&';
            continue;
        }
        CString name(pText + i + 1, static_cast<int>(end - i - 1));
        int value = -1;
        if (name.GetLength() > 1 && name[0] == '#') {
            bool hex = name[1] == 'x' || name[1] == 'X';
            CString digits = name.Mid(hex ? 2 : 1);
            char* stop = nullptr;
            long number = digits.IsEmpty() ? -1 : strtol(digits, &stop, hex ? 16 : 10);
            if (stop && *stop == '\0')
                value = (number > 0 && number < 256) ? static_cast<int>(number) : '?';
        } else {
            for (const auto& entity : kEntities)
                if (name == entity.name)
                    value = static_cast<unsigned char>(entity.value);
        }
        if (value < 0) {
            out += '&';
            continue;
        }
        out += static_cast<char>(value);
        i = end;
    }
    return out;
}

std::unique_ptr<CHtmlElement> CHtmlReader::Read(const char* pText, size_t nLength, int nMaxDepth)
{
    m_maxOpen = static_cast<size_t>(nMaxDepth < 1 ? 1 : nMaxDepth > kMaxDepth ? kMaxDepth : nMaxDepth);
    auto root = std::make_unique<CHtmlElement>("#document");
    m_p = pText ? pText : "";
    m_length = pText ? nLength : 0;
    m_pos = 0;
    m_elements = 0;
    m_style.Empty();
    m_open.assign(1, root.get());
    while (m_pos < m_length) {
        if (m_p[m_pos] != '<') {
            ReadText();
        } else if (At("<!--")) {
            size_t end = Find("-->", m_pos + 4);
            m_pos = end < m_length ? end + 3 : m_length;
        } else if (At("<!") || At("<?")) {
            size_t end = Find(">", m_pos);
            m_pos = end < m_length ? end + 1 : m_length;
        } else if (At("</")) {
            ReadEndTag();
        } else if (m_pos + 1 < m_length && isalpha(static_cast<unsigned char>(m_p[m_pos + 1]))) {
            ReadTag();
        } else {
            ReadText();
        }
    }
    m_open.clear();
    return root;
}

bool CHtmlReader::At(const char* pszLiteral) const
{
    size_t n = strlen(pszLiteral);
    return m_length - m_pos >= n && _strnicmp(m_p + m_pos, pszLiteral, n) == 0;
}

size_t CHtmlReader::Find(const char* pszLiteral, size_t nFrom) const
{
    size_t n = strlen(pszLiteral);
    for (size_t i = nFrom; i + n <= m_length; ++i)
        if (_strnicmp(m_p + i, pszLiteral, n) == 0)
            return i;
    return m_length;
}

void CHtmlReader::SkipSpace()
{
    while (m_pos < m_length && IsSpace(m_p[m_pos]))
        ++m_pos;
}

CString CHtmlReader::ReadName()
{
    size_t start = m_pos;
    while (m_pos < m_length && IsNameChar(m_p[m_pos]))
        ++m_pos;
    size_t n = m_pos - start;
    CString name(m_p + start, static_cast<int>(n < kMaxNameLength ? n : kMaxNameLength));
    return name.MakeLower();
}

void CHtmlReader::ReadText()
{
    size_t start = m_pos++;
    while (m_pos < m_length && m_p[m_pos] != '<')
        ++m_pos;
    CHtmlElement* parent = m_open.back();
    CString text = DecodeEntities(m_p + start, m_pos - start);
    if (!parent->m_children.empty() && parent->m_children.back()->IsText()) {
        parent->m_children.back()->m_text += text;
    } else if (m_elements < kMaxElements) {
        ++m_elements;
        parent->Append(std::make_unique<CHtmlElement>("", text));
    }
}

void CHtmlReader::ReadEndTag()
{
    m_pos += 2;
    CString name = ReadName();
    size_t end = Find(">", m_pos);
    m_pos = end < m_length ? end + 1 : m_length;
    for (size_t i = m_open.size(); i-- > 1;) {
        if (m_open[i]->m_tag == name) {
            m_open.resize(i);
            return;
        }
    }
}

void CHtmlReader::ReadTag()
{
    ++m_pos;
    auto element = std::make_unique<CHtmlElement>(ReadName());
    bool selfClosed = false;
    while (m_pos < m_length) {
        SkipSpace();
        if (m_pos >= m_length)
            break;
        char c = m_p[m_pos];
        if (c == '>') {
            ++m_pos;
            break;
        }
        if (c == '/') {
            ++m_pos;
            selfClosed = m_pos < m_length && m_p[m_pos] == '>';
            continue;
        }
        if (c == '<')
            break;  // a tag left open: the next one starts here
        size_t nameStart = m_pos;
        CString name = ReadName();
        if (m_pos == nameStart)
            ++m_pos;  // a lone '=' or other stray byte
        SkipSpace();
        size_t valueStart = m_pos, valueEnd = m_pos;
        if (m_pos < m_length && m_p[m_pos] == '=') {
            ++m_pos;
            SkipSpace();
            if (m_pos < m_length && (m_p[m_pos] == '"' || m_p[m_pos] == '\'')) {
                char quote = m_p[m_pos++];
                valueStart = m_pos;
                while (m_pos < m_length && m_p[m_pos] != quote)
                    ++m_pos;
                valueEnd = m_pos;
                if (m_pos < m_length)
                    ++m_pos;
            } else {
                valueStart = m_pos;
                while (m_pos < m_length && !IsSpace(m_p[m_pos]) && m_p[m_pos] != '>')
                    ++m_pos;
                valueEnd = m_pos;
            }
        }
        if (!name.IsEmpty() && element->m_attributes.size() < static_cast<size_t>(kMaxAttributes) &&
            !element->HasAttribute(name)) {
            size_t n = valueEnd - valueStart;
            element->m_attributes.emplace_back(
                name, DecodeEntities(m_p + valueStart, n < kMaxAttributeLength ? n : kMaxAttributeLength));
        }
    }

    const CString tag = element->m_tag;
    if (tag == "script" || tag == "style" || tag == "title" || tag == "textarea") {
        if (!selfClosed)
            SkipRaw(tag);
        return;
    }
    if (m_elements >= kMaxElements)
        return;
    ++m_elements;
    CHtmlElement* added = m_open.back()->Append(std::move(element));
    if (!selfClosed && !IsVoid(tag) && m_open.size() < m_maxOpen)
        m_open.push_back(added);
}

void CHtmlReader::SkipRaw(const CString& tag)
{
    size_t end = Find("</" + tag, m_pos);
    if (tag == "style") {
        int left = kMaxStyleLength - m_style.GetLength();
        size_t room = left > 0 ? static_cast<size_t>(left) : 0;
        size_t n = end - m_pos;
        m_style.Append(m_p + m_pos, static_cast<int>(n < room ? n : room));
        m_style += '\n';
    }
    m_pos = end;
    if (m_pos < m_length) {
        size_t close = Find(">", m_pos);
        m_pos = close < m_length ? close + 1 : m_length;
    }
}
