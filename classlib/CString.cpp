#include "CString.h"
#include "CException.h"
#include "CWinApp.h"
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const char kWhitespace[] = " \t\n\v\f\r";

LPCSTR Safe(LPCSTR psz)
{
    return psz ? psz : "";
}

// n limited to 0..max.
size_t Clamp(int n, int max)
{
    return static_cast<size_t>(n < 0 ? 0 : (n > max ? max : n));
}

int Sign(int n)
{
    return n < 0 ? -1 : (n > 0 ? 1 : 0);
}

// Length in bytes of the character that starts at s[i] (2 for a double-byte character).
size_t CharLen(const std::string& s, size_t i)
{
    unsigned char c = static_cast<unsigned char>(s[i]);
    return (c >= 0x80 && i + 1 < s.size() && IsDBCSLeadByteEx(CP_ACP, c)) ? 2 : 1;
}

// Changes the case of every character in the code page. A character whose
// other case does not fit the code page in the same bytes is left alone, so a
// double-byte trail byte is never touched and nothing turns into '?'.
void ChangeCase(std::string& s, bool upper)
{
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            if (upper && c >= 'a' && c <= 'z')
                s[i] = static_cast<char>(c - 'a' + 'A');
            else if (!upper && c >= 'A' && c <= 'Z')
                s[i] = static_cast<char>(c - 'A' + 'a');
            ++i;
            continue;
        }
        size_t n = CharLen(s, i);
        char buf[2] = { s[i], n == 2 ? s[i + 1] : '\0' };
        DWORD done = upper ? CharUpperBuffA(buf, static_cast<DWORD>(n))
                           : CharLowerBuffA(buf, static_cast<DWORD>(n));
        bool lost = (buf[0] == '?') || (n == 2 && buf[1] == '?');
        if (done == n && !lost)
            s.replace(i, n, buf, n);
        i += n;
    }
}

// Case-insensitive order of two texts of the code page, character by character
// (no linguistic expansions: "ss" never equals a sharp s).
int CompareIgnoringCase(LPCSTR a, LPCSTR b)
{
    const unsigned char* pa = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* pb = reinterpret_cast<const unsigned char*>(b);
    for (;; ++pa, ++pb) {
        if (*pa >= 0x80 || *pb >= 0x80)
            break;
        int ca = (*pa >= 'a' && *pa <= 'z') ? *pa - 32 : *pa;
        int cb = (*pb >= 'a' && *pb <= 'z') ? *pb - 32 : *pb;
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
    // Beyond ASCII: compare the rest as Unicode, ignoring case ordinally.
    auto widen = [](const unsigned char* p) {
        std::wstring w;
        int n = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<LPCSTR>(p), -1, nullptr, 0);
        if (n > 0) {
            w.resize(static_cast<size_t>(n));
            MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<LPCSTR>(p), -1, &w[0], n);
            w.resize(static_cast<size_t>(n - 1));
        }
        return w;
    };
    std::wstring wa = widen(pa), wb = widen(pb);
    int r = CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()),
                                 wb.c_str(), static_cast<int>(wb.size()), TRUE);
    if (r == 0)  // not available: fall back on byte order
        return Sign(std::strcmp(reinterpret_cast<LPCSTR>(pa), reinterpret_cast<LPCSTR>(pb)));
    return r - CSTR_EQUAL;
}

// a followed by b, for the operator+ overloads.
template <class A, class B>
CString Joined(const A& a, const B& b)
{
    CString r(a);
    r += b;
    return r;
}

}  // namespace

CString::CString(LPCSTR psz)
{
    if (psz && IS_INTRESOURCE(psz))
        LoadString(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(psz)));
    else
        m_str = Safe(psz);
}

CString::CString(LPCSTR pch, int nLength)
{
    Append(pch, nLength);
}

CString::CString(char ch, int nRepeat)
{
    if (nRepeat > 0)
        m_str.assign(static_cast<size_t>(nRepeat), ch);
}

CString& CString::operator=(LPCSTR psz)
{
    m_str = Safe(psz);
    return *this;
}

CString& CString::operator=(char ch)
{
    m_str.assign(1, ch);
    return *this;
}

char CString::GetAt(int nIndex) const
{
    // The index of the terminating zero is allowed, as in the C string.
    if (nIndex < 0 || nIndex > GetLength())
        AfxThrowInvalidArgException();
    return m_str.c_str()[nIndex];
}

void CString::SetAt(int nIndex, char ch)
{
    if (nIndex < 0 || nIndex >= GetLength())
        AfxThrowInvalidArgException();
    m_str[static_cast<size_t>(nIndex)] = ch;
}

CString& CString::operator+=(LPCSTR psz)
{
    m_str += Safe(psz);
    return *this;
}

void CString::Append(LPCSTR pch, int nLength)
{
    if (nLength < 0 || (!pch && nLength > 0))
        AfxThrowInvalidArgException();
    if (nLength > 0)
        m_str.append(pch, static_cast<size_t>(nLength));
}

CString operator+(const CString& a, const CString& b) { return Joined(a, b); }
CString operator+(const CString& a, LPCSTR b) { return Joined(a, b); }
CString operator+(LPCSTR a, const CString& b) { return Joined(a, b); }
CString operator+(const CString& a, char b) { return Joined(a, b); }
CString operator+(char a, const CString& b) { return Joined(a, b); }

int CString::Compare(LPCSTR psz) const
{
    return Sign(std::strcmp(m_str.c_str(), Safe(psz)));
}

int CString::CompareNoCase(LPCSTR psz) const
{
    return CompareIgnoringCase(m_str.c_str(), Safe(psz));
}

int CString::Collate(LPCSTR psz) const
{
    int r = CompareStringA(LOCALE_USER_DEFAULT, 0, m_str.c_str(), -1, Safe(psz), -1);
    return r == 0 ? Compare(psz) : r - CSTR_EQUAL;
}

int CString::Find(char ch, int nStart) const
{
    if (nStart < 0 || nStart >= GetLength())
        return -1;
    size_t pos = m_str.find(ch, static_cast<size_t>(nStart));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(LPCSTR pszSub, int nStart) const
{
    if (nStart < 0 || nStart > GetLength())
        return -1;
    size_t pos = m_str.find(Safe(pszSub), static_cast<size_t>(nStart));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(char ch) const
{
    size_t pos = m_str.rfind(ch);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::FindOneOf(LPCSTR pszCharSet) const
{
    size_t pos = m_str.find_first_of(Safe(pszCharSet));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

CString CString::Mid(int nFirst) const
{
    return Mid(nFirst, GetLength());
}

CString CString::Mid(int nFirst, int nCount) const
{
    int len = GetLength();
    if (nFirst < 0)
        nFirst = 0;
    if (nFirst > len)
        nFirst = len;
    if (nCount < 0)
        nCount = 0;
    if (nCount > len - nFirst)
        nCount = len - nFirst;
    return CString(m_str.data() + nFirst, nCount);
}

CString CString::Left(int nCount) const
{
    return Mid(0, nCount);
}

CString CString::Right(int nCount) const
{
    int len = GetLength();
    if (nCount < 0)
        nCount = 0;
    if (nCount > len)
        nCount = len;
    return Mid(len - nCount, nCount);
}

CString CString::SpanIncluding(LPCSTR pszCharSet) const
{
    return Left(static_cast<int>(std::strspn(m_str.c_str(), Safe(pszCharSet))));
}

CString CString::SpanExcluding(LPCSTR pszCharSet) const
{
    return Left(static_cast<int>(std::strcspn(m_str.c_str(), Safe(pszCharSet))));
}

CString CString::Tokenize(LPCSTR pszTokens, int& iStart) const
{
    int len = GetLength();
    if (iStart >= 0 && iStart < len) {
        const char* place = m_str.c_str() + iStart;
        if (!pszTokens || !*pszTokens) {
            // No delimiters: the rest is one token.
            CString rest = Mid(iStart);
            iStart = len;
            return rest;
        }
        int skip = static_cast<int>(std::strspn(place, pszTokens));
        if (iStart + skip < len) {
            int from = iStart + skip;
            int count = static_cast<int>(std::strcspn(place + skip, pszTokens));
            iStart = from + count + 1;
            return Mid(from, count);
        }
    }
    iStart = -1;
    return CString();
}

CString& CString::MakeUpper()
{
    ChangeCase(m_str, true);
    return *this;
}

CString& CString::MakeLower()
{
    ChangeCase(m_str, false);
    return *this;
}

CString& CString::MakeReverse()
{
    // Reverse by characters so that a double-byte character keeps its byte order.
    std::string out(m_str.size(), '\0');
    size_t end = m_str.size();
    for (size_t i = 0; i < m_str.size();) {
        size_t n = CharLen(m_str, i);
        end -= n;
        out.replace(end, n, m_str, i, n);
        i += n;
    }
    m_str.swap(out);
    return *this;
}

CString& CString::Trim()
{
    return TrimRight().TrimLeft();
}

CString& CString::Trim(char chTarget)
{
    return TrimRight(chTarget).TrimLeft(chTarget);
}

CString& CString::Trim(LPCSTR pszTargets)
{
    return TrimRight(pszTargets).TrimLeft(pszTargets);
}

CString& CString::TrimLeft()
{
    return TrimLeft(kWhitespace);
}

CString& CString::TrimLeft(char chTarget)
{
    const char set[2] = { chTarget, '\0' };
    return chTarget ? TrimLeft(set) : *this;
}

CString& CString::TrimLeft(LPCSTR pszTargets)
{
    m_str.erase(0, m_str.find_first_not_of(Safe(pszTargets)));
    return *this;
}

CString& CString::TrimRight()
{
    return TrimRight(kWhitespace);
}

CString& CString::TrimRight(char chTarget)
{
    const char set[2] = { chTarget, '\0' };
    return chTarget ? TrimRight(set) : *this;
}

CString& CString::TrimRight(LPCSTR pszTargets)
{
    size_t last = m_str.find_last_not_of(Safe(pszTargets));
    m_str.erase(last == std::string::npos ? 0 : last + 1);
    return *this;
}

int CString::Replace(char chOld, char chNew)
{
    if (chOld == chNew)
        return 0;
    int count = 0;
    for (char& c : m_str) {
        if (c == chOld) {
            c = chNew;
            ++count;
        }
    }
    return count;
}

int CString::Replace(LPCSTR pszOld, LPCSTR pszNew)
{
    size_t oldLen = pszOld ? std::strlen(pszOld) : 0;
    if (oldLen == 0)
        return 0;
    std::string out;
    int count = 0;
    size_t from = 0;
    for (size_t pos; (pos = m_str.find(pszOld, from, oldLen)) != std::string::npos; from = pos + oldLen) {
        out.append(m_str, from, pos - from);
        out += Safe(pszNew);
        ++count;
    }
    if (count) {
        out.append(m_str, from, std::string::npos);
        m_str.swap(out);
    }
    return count;
}

int CString::Remove(char ch)
{
    size_t before = m_str.size();
    m_str.erase(std::remove(m_str.begin(), m_str.end(), ch), m_str.end());
    return static_cast<int>(before - m_str.size());
}

int CString::Insert(int nIndex, char ch)
{
    m_str.insert(Clamp(nIndex, GetLength()), 1, ch);
    return GetLength();
}

int CString::Insert(int nIndex, LPCSTR psz)
{
    m_str.insert(Clamp(nIndex, GetLength()), Safe(psz));
    return GetLength();
}

int CString::Delete(int nIndex, int nCount)
{
    if (nIndex < 0)
        nIndex = 0;
    if (nCount > 0 && nIndex < GetLength())
        m_str.erase(static_cast<size_t>(nIndex), static_cast<size_t>(nCount));
    return GetLength();
}

void CString::Format(LPCSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(LPCSTR pszFormat, va_list args)
{
    // Formats into a fresh buffer, so the arguments may point into this text.
    va_list probe;
    va_copy(probe, args);
    int n = std::vsnprintf(nullptr, 0, Safe(pszFormat), probe);
    va_end(probe);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<size_t>(n));
        va_list fill;
        va_copy(fill, args);
        std::vsnprintf(&out[0], out.size() + 1, Safe(pszFormat), fill);
        va_end(fill);
    }
    m_str.swap(out);
}

void CString::AppendFormat(LPCSTR pszFormat, ...)
{
    CString more;
    va_list args;
    va_start(args, pszFormat);
    more.FormatV(pszFormat, args);
    va_end(args);
    m_str += more.m_str;
}

namespace {

std::string FormatMessageV(LPCSTR pszFormat, va_list* args)
{
    LPSTR buf = nullptr;
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                               pszFormat, 0, 0, reinterpret_cast<LPSTR>(&buf), 0, args);
    std::string out;
    if (n && buf)
        out.assign(buf, n);
    if (buf)
        LocalFree(buf);
    return out;
}

}  // namespace

void CString::FormatMessage(LPCSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    m_str = FormatMessageV(Safe(pszFormat), &args);
    va_end(args);
}

void CString::FormatMessage(UINT nFormatID, ...)
{
    CString format;
    format.LoadString(nFormatID);
    va_list args;
    va_start(args, nFormatID);
    m_str = FormatMessageV(format, &args);
    va_end(args);
}

BOOL CString::LoadString(UINT nID)
{
    return LoadString(AfxGetResourceHandle(), nID);
}

BOOL CString::LoadString(HINSTANCE hInstance, UINT nID)
{
    // With a zero buffer size the system hands back the resource text itself,
    // so a text of any length is read whole.
    const WCHAR* text = nullptr;
    int n = LoadStringW(hInstance, nID, reinterpret_cast<LPWSTR>(&text), 0);
    if (n <= 0 || !text)
        return FALSE;
    int bytes = WideCharToMultiByte(CP_ACP, 0, text, n, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return FALSE;
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, n, &out[0], bytes, nullptr, nullptr);
    m_str.swap(out);
    return TRUE;
}

LPSTR CString::GetBuffer(int nMinBufLength)
{
    if (nMinBufLength > GetLength())
        m_str.resize(static_cast<size_t>(nMinBufLength));
    return &m_str[0];
}

LPSTR CString::GetBuffer()
{
    return &m_str[0];
}

LPSTR CString::GetBufferSetLength(int nNewLength)
{
    m_str.resize(static_cast<size_t>(nNewLength < 0 ? 0 : nNewLength));
    return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength)
{
    size_t len = nNewLength < 0 ? strnlen(m_str.c_str(), m_str.size())
                                : static_cast<size_t>(nNewLength);
    m_str.resize(len < m_str.size() ? len : m_str.size());
}

bool operator==(const CString& a, const CString& b) { return a.str() == b.str(); }
bool operator==(const CString& a, LPCSTR b) { return a.Compare(b) == 0; }
bool operator==(LPCSTR a, const CString& b) { return b.Compare(a) == 0; }
bool operator!=(const CString& a, const CString& b) { return !(a == b); }
bool operator!=(const CString& a, LPCSTR b) { return !(a == b); }
bool operator!=(LPCSTR a, const CString& b) { return !(a == b); }
bool operator<(const CString& a, const CString& b) { return a.str() < b.str(); }
bool operator>(const CString& a, const CString& b) { return b < a; }
bool operator<=(const CString& a, const CString& b) { return !(b < a); }
bool operator>=(const CString& a, const CString& b) { return !(a < b); }
