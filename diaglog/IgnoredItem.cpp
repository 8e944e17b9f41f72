#include "IgnoredItem.h"
#include "CRegistryProblem.h"
#include "LogText.h"

namespace {

// Skips delimiters at pos and returns the text up to the next delimiter; pos
// moves past that delimiter. Once the text is used up, every cut is empty.
CString Cut(const CString& text, int& pos, char delimiter)
{
    int length = text.GetLength();
    while (pos < length && text[pos] == delimiter)
        pos++;
    if (pos >= length)
        return CString();
    int end = text.Find(delimiter, pos);
    if (end < 0)
        end = length;
    CString field = text.Mid(pos, end - pos);
    pos = end + 1;
    return field;
}

}  // namespace

IgnoredItem::IgnoredItem(CString entry, int nCategory) : category(nCategory)
{
    int pos = 0;
    key = Cut(entry, pos, '\\');
    value = Cut(entry, pos, '|');
    valueName = Cut(entry, pos, '|');
    EscapeXml(key);
    EscapeXml(value);
    EscapeXml(valueName);
}

CString IgnoredItem::GetXml() const
{
    CString line;
    line.Format("<IgnoredItem key=\"%s\" value=\"%s\" valuename=\"%s\" type=\"%s\"/>\n", (LPCSTR)key,
                (LPCSTR)value, (LPCSTR)valueName, (LPCSTR)GetCategoryName(category));
    return line;
}
