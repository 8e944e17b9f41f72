#pragma once
#include <windows.h>
#include <cstdarg>
#include <string>

// 8-bit text in the system code page. Holds its bytes in a std::string, so it
// is safe to construct and destroy during static initialisation and exit.
class CString {
public:
    CString() = default;
    CString(const CString& s) = default;
    CString(CString&& s) noexcept = default;
    CString(LPCSTR psz);
    CString(LPCSTR pch, int nLength);
    CString(char ch, int nRepeat = 1);
    ~CString() = default;

    CString& operator=(const CString& s) = default;
    CString& operator=(CString&& s) noexcept = default;
    CString& operator=(LPCSTR psz);
    CString& operator=(char ch);

    int GetLength() const { return static_cast<int>(m_str.size()); }
    BOOL IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    operator LPCSTR() const { return m_str.c_str(); }
    LPCSTR GetString() const { return m_str.c_str(); }
    char GetAt(int nIndex) const;
    void SetAt(int nIndex, char ch);
    char operator[](int nIndex) const { return GetAt(nIndex); }

    CString& operator+=(const CString& s) { m_str += s.m_str; return *this; }
    CString& operator+=(LPCSTR psz);
    CString& operator+=(char ch) { m_str += ch; return *this; }
    void Append(LPCSTR pch, int nLength);

    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, LPCSTR b);
    friend CString operator+(LPCSTR a, const CString& b);
    friend CString operator+(const CString& a, char b);
    friend CString operator+(char a, const CString& b);

    int Compare(LPCSTR psz) const;          // byte order, like strcmp
    int CompareNoCase(LPCSTR psz) const;    // case-insensitive in the code page
    int Collate(LPCSTR psz) const;          // locale order

    // Searching; every result is a byte index or -1.
    int Find(char ch, int nStart = 0) const;
    int Find(LPCSTR pszSub, int nStart = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(LPCSTR pszCharSet) const;

    // Extraction; counts are clamped to the text.
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString SpanIncluding(LPCSTR pszCharSet) const;
    CString SpanExcluding(LPCSTR pszCharSet) const;
    // Next token after position iStart, skipping leading delimiters; iStart is -1 at the end.
    CString Tokenize(LPCSTR pszTokens, int& iStart) const;

    // Case changes (double-byte aware through the system's conversion).
    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();

    CString& Trim();
    CString& Trim(char chTarget);
    CString& Trim(LPCSTR pszTargets);
    CString& TrimLeft();
    CString& TrimLeft(char chTarget);
    CString& TrimLeft(LPCSTR pszTargets);
    CString& TrimRight();
    CString& TrimRight(char chTarget);
    CString& TrimRight(LPCSTR pszTargets);

    int Replace(char chOld, char chNew);
    int Replace(LPCSTR pszOld, LPCSTR pszNew);
    int Remove(char ch);
    int Insert(int nIndex, char ch);
    int Insert(int nIndex, LPCSTR psz);
    int Delete(int nIndex, int nCount = 1);

    // printf-style formatting of any length.
    void Format(LPCSTR pszFormat, ...);
    void FormatV(LPCSTR pszFormat, va_list args);
    void AppendFormat(LPCSTR pszFormat, ...);
    // FormatMessageA-style inserts %1..%n taken from the arguments as strings.
    void FormatMessage(LPCSTR pszFormat, ...);
    void FormatMessage(UINT nFormatID, ...);
    // Loads a string-table entry of the running module; FALSE if it has none.
    BOOL LoadString(UINT nID);
    BOOL LoadString(HINSTANCE hInstance, UINT nID);

    // Direct access: the buffer has room for nMinBufLength bytes plus a zero.
    LPSTR GetBuffer(int nMinBufLength);
    LPSTR GetBuffer();
    LPSTR GetBufferSetLength(int nNewLength);
    // Ends direct access; -1 takes the length up to the first zero byte.
    void ReleaseBuffer(int nNewLength = -1);
    void Preallocate(int nLength) { m_str.reserve(nLength > 0 ? static_cast<size_t>(nLength) : 0); }

    const std::string& str() const { return m_str; }

private:
    std::string m_str;
};

bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, LPCSTR b);
bool operator==(LPCSTR a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, LPCSTR b);
bool operator!=(LPCSTR a, const CString& b);
bool operator<(const CString& a, const CString& b);
bool operator>(const CString& a, const CString& b);
bool operator<=(const CString& a, const CString& b);
bool operator>=(const CString& a, const CString& b);
