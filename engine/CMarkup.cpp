#include "CMarkup.h"
#include <cstring>

namespace {

// Deeper nesting is refused rather than risking the stack.
const int kMaxDepth = 1000;

bool IsBlank(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r';
}

bool IsSpecial(char ch)
{
    return ch != '\0' && std::strchr("<>=\\/?!", ch) != nullptr;
}

// The position of the character after the one at n, stepping over a
// double-byte character as one, never past len.
int NextChar(const char* s, int n, int len)
{
    if (IsDBCSLeadByte(static_cast<BYTE>(s[n])) && n + 1 < len)
        return n + 2;
    return n + 1;
}

}  // namespace

CMarkup::CMarkup()
{
    Reset();
}

CMarkup::~CMarkup() = default;

void CMarkup::Reset()
{
    m_aPos.RemoveAll();
    m_iPos = 0;
    m_iPosChild = 0;
    m_nLevel = 0;
    m_iPosFree = 1;
}

BOOL CMarkup::SetDoc(LPCSTR pszDoc)
{
    m_strDoc = (pszDoc != nullptr) ? pszDoc : "";
    m_strError.Empty();
    Reset();
    m_aPos.SetSize(m_strDoc.GetLength() / 64 + 8);

    int nStart = 0;
    const int iRoot = ParseElem(0, nStart, 0);
    if (iRoot > 0) {
        m_aPos[0].iElemChild = iRoot;
        return TRUE;
    }
    if (m_strError.IsEmpty())
        m_strError = "Element tag not found";
    Reset();
    return FALSE;
}

int CMarkup::GetFreePos()
{
    const INT_PTR size = m_aPos.GetSize();
    if (m_iPosFree >= size)
        m_aPos.SetSize(size + size / 2 + 1);
    m_aPos[m_iPosFree] = ElemPos{};
    return m_iPosFree++;
}

bool CMarkup::FindToken(Token& token) const
{
    const char* s = m_strDoc;
    const int len = m_strDoc.GetLength();
    int n = token.nNext;
    while (n < len && IsBlank(s[n]))
        ++n;
    if (n >= len) {
        token.nNext = len;
        return false;
    }
    token.bIsString = false;
    if (s[n] == '"') {
        token.bIsString = true;
        token.nL = n + 1;
        const int nQuote = FindText("\"", token.nL);
        token.nR = (nQuote < 0 ? len : nQuote) - 1;
        token.nNext = (nQuote < 0) ? len : nQuote + 1;
        return true;
    }
    token.nL = n;
    while (n < len && !IsBlank(s[n]) && !IsSpecial(s[n]))
        n = NextChar(s, n, len);
    if (n == token.nL)
        ++n;  // the special character alone is the token
    token.nR = n - 1;
    token.nNext = n;
    return true;
}

CString CMarkup::TokenText(const Token& token) const
{
    if (token.nR < token.nL)
        return CString();
    return m_strDoc.Mid(token.nL, token.nR - token.nL + 1);
}

bool CMarkup::TokenIs(const Token& token, LPCSTR pszText) const
{
    const int n = lstrlenA(pszText);
    return !token.bIsString && token.nR - token.nL + 1 == n &&
           std::strncmp(static_cast<LPCSTR>(m_strDoc) + token.nL, pszText, n) == 0;
}

int CMarkup::FindText(LPCSTR pszText, int nStart) const
{
    if (nStart < 0 || nStart >= m_strDoc.GetLength())
        return -1;
    return m_strDoc.Find(pszText, nStart);
}

bool CMarkup::Fail(LPCSTR pszMessage, const CString& name)
{
    m_strError = pszMessage;
    m_strError.Replace("%s", name);
    return false;
}

// Parses one element from nStart. Returns its record index; 0 when an end tag
// came first (nStart is then at its "<"); -1 on an error; -2 when no tag follows.
int CMarkup::ParseElem(int iPosParent, int& nStart, int nDepth)
{
    if (nDepth > kMaxDepth) {
        Fail("Element nesting too deep");
        return -1;
    }
    const char* s = m_strDoc;
    const int len = m_strDoc.GetLength();
    const int iPos = GetFreePos();
    m_aPos[iPos].iElemParent = iPosParent;

    CString name;
    for (;;) {
        const int nLess = FindText("<", nStart);
        if (nLess < 0) {
            --m_iPosFree;
            return -2;
        }
        m_aPos[iPos].nStartL = nLess;
        Token token;
        token.nNext = nLess + 1;
        if (!FindToken(token))
            return Fail("Abrupt end within tag"), -1;
        if (token.bIsString)
            return Fail("Tag starts with quote"), -1;

        LPCSTR pszSkipTo = nullptr;
        const char ch = s[token.nL];
        if (ch == '?') {
            pszSkipTo = "?>";
        } else if (ch == '!') {
            const char next = (token.nL + 1 < len) ? s[token.nL + 1] : '\0';
            pszSkipTo = (next == '[') ? "]]>" : (next == '-') ? "-->" : ">";
        } else if (ch == '/') {
            --m_iPosFree;
            nStart = nLess;
            return 0;
        }
        if (pszSkipTo != nullptr) {
            const int nEnd = FindText(pszSkipTo, token.nNext);
            if (nEnd < 0)
                return Fail("End of tag not found"), -1;
            nStart = nEnd + lstrlenA(pszSkipTo);
            continue;
        }
        name = TokenText(token);
        const int nGreater = FindText(">", token.nNext);
        if (nGreater < 0)
            return Fail("End of tag not found"), -1;
        m_aPos[iPos].nStartR = nGreater;
        break;
    }

    const int nStartR = m_aPos[iPos].nStartR;
    if (s[nStartR - 1] == '/') {
        m_aPos[iPos].nEndL = nStartR - 1;
        m_aPos[iPos].nEndR = nStartR;
    } else {
        int nChild = nStartR + 1;
        int iPrev = 0;
        for (;;) {
            const int iChild = ParseElem(iPos, nChild, nDepth + 1);
            if (iChild == -1)
                return -1;
            if (iChild == -2)
                return Fail("End tag of %s element not found", name), -1;
            if (iChild == 0)
                break;
            if (iPrev != 0)
                m_aPos[iPrev].iElemNext = iChild;
            else
                m_aPos[iPos].iElemChild = iChild;
            iPrev = iChild;
            nChild = m_aPos[iChild].nEndR + 1;
        }
        Token token;
        token.nNext = nChild + 1;
        if (!FindToken(token) || !TokenIs(token, "/"))
            return Fail("Expecting end tag of element %s", name), -1;
        if (!FindToken(token) || token.bIsString || TokenText(token) != name)
            return Fail("End tag does not correspond to %s", name), -1;
        const int nGreater = FindText(">", token.nNext);
        if (nGreater < 0)
            return Fail("End tag not completed for element %s", name), -1;
        m_aPos[iPos].nEndL = nChild;
        m_aPos[iPos].nEndR = nGreater;
    }

    const int nNext = FindText("<", m_aPos[iPos].nEndR + 1);
    m_aPos[iPos].nNext = (nNext < 0) ? len : nNext;
    nStart = m_aPos[iPos].nEndR + 1;
    return iPos;
}

CString CMarkup::GetElemName(int iPos) const
{
    if (iPos <= 0 || iPos >= m_iPosFree)
        return CString();
    Token token;
    token.nNext = m_aPos[iPos].nStartL + 1;
    return FindToken(token) ? TokenText(token) : CString();
}

bool CMarkup::Matches(int iPos, LPCSTR pszName) const
{
    if (pszName == nullptr || *pszName == '\0')
        return true;
    return GetElemName(iPos) == pszName;
}

BOOL CMarkup::FindElem(LPCSTR pszName)
{
    if (m_aPos.IsEmpty())
        return FALSE;
    int i = (m_iPos != 0) ? m_aPos[m_iPos].iElemNext : m_aPos[0].iElemChild;
    for (; i != 0; i = m_aPos[i].iElemNext) {
        if (Matches(i, pszName)) {
            m_iPos = i;
            m_iPosChild = 0;
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CMarkup::FindChildElem(LPCSTR pszName)
{
    if (m_iPos == 0)
        FindElem(nullptr);
    if (m_iPos == 0)
        return FALSE;
    int i = (m_iPosChild != 0) ? m_aPos[m_iPosChild].iElemNext : m_aPos[m_iPos].iElemChild;
    for (; i != 0; i = m_aPos[i].iElemNext) {
        if (Matches(i, pszName)) {
            m_iPosChild = i;
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CMarkup::IntoElem()
{
    if (m_iPosChild == 0)
        FindChildElem(nullptr);
    if (m_iPosChild == 0)
        return FALSE;
    m_iPos = m_iPosChild;
    m_iPosChild = 0;
    ++m_nLevel;
    return TRUE;
}

BOOL CMarkup::OutOfElem()
{
    if (m_nLevel == 0 || m_iPos == 0)
        return FALSE;
    m_iPosChild = m_iPos;
    m_iPos = m_aPos[m_iPos].iElemParent;
    --m_nLevel;
    return TRUE;
}

CString CMarkup::GetData() const
{
    return (m_iPosChild != 0) ? GetElemText(m_iPosChild) : CString();
}

CString CMarkup::GetTagName() const
{
    return GetElemName(m_iPos);
}

CString CMarkup::GetChildTagName() const
{
    return GetElemName(m_iPosChild);
}

CString CMarkup::GetElemText(int iPos) const
{
    const ElemPos& elem = m_aPos[iPos];
    if (elem.iElemChild != 0 || elem.nStartR == elem.nEndL + 1)
        return CString();
    const char* s = m_strDoc;
    const int len = m_strDoc.GetLength();
    const int nFirst = elem.nStartR + 1;
    const int nLast = elem.nEndL;  // content is [nFirst, nLast)

    Token token;
    token.nNext = nFirst;
    if (FindToken(token) && token.nL < nLast && TokenIs(token, "<") && token.nL + 9 <= len &&
        std::strncmp(s + token.nL + 1, "![CDATA[", 8) == 0) {
        const int nData = token.nL + 9;
        const int nClose = FindText("]]>", nData);
        if (nClose >= 0 && nClose < nLast)
            return m_strDoc.Mid(nData, nClose - nData);
    }

    static const struct { const char* entity; char ch; } entities[] = {
        {"&lt;", '<'}, {"&amp;", '&'}, {"&gt;", '>'}, {"&apos;", '\''}, {"&quot;", '"'},
    };
    CString text;
    text.Preallocate(nLast - nFirst);
    for (int i = nFirst; i < nLast;) {
        bool decoded = false;
        if (s[i] == '&') {
            for (const auto& e : entities) {
                const int n = static_cast<int>(std::strlen(e.entity));
                if (i + n <= nLast && std::strncmp(s + i, e.entity, n) == 0) {
                    text += e.ch;
                    i += n;
                    decoded = true;
                    break;
                }
            }
        }
        if (!decoded)
            text += s[i++];
    }
    return text;
}
