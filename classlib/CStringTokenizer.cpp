#include "CStringTokenizer.h"

CStringTokenizer::CStringTokenizer(const CString& text, const CString& delimiter)
{
    if (delimiter.GetLength() != 1) {
        m_tokens.Add(CString());
    } else {
        const char delim = delimiter.GetAt(0);
        CString token;
        for (int i = 0; i < text.GetLength(); ++i) {
            const char ch = text.GetAt(i);
            if (ch == delim) {
                m_tokens.Add(token);
                token.Empty();
            } else {
                token += ch;
            }
        }
        m_tokens.Add(token);
    }
    m_count = static_cast<int>(m_tokens.GetSize());
}

CString CStringTokenizer::GetAt(int index) const
{
    if (index < 0 || index >= m_count)
        throw CString("Index out of Bounds");
    return m_tokens.GetAt(index);
}
