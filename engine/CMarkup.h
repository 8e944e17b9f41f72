#pragma once
#include "afx.h"

// A small XML reader: keeps the document as one text and indexes its
// elements in place; texts are copied out only when asked for.
class CMarkup {
public:
    CMarkup();
    virtual ~CMarkup();

    // Replaces the document and parses it; TRUE when a root element was parsed.
    BOOL SetDoc(LPCSTR pszDoc);
    // The reason the last SetDoc failed; empty after a successful one.
    const CString& GetError() const { return m_strError; }

    BOOL FindElem(LPCSTR pszName = nullptr);
    BOOL FindChildElem(LPCSTR pszName = nullptr);
    BOOL IntoElem();
    BOOL OutOfElem();
    // The text of the current child element; empty without one.
    CString GetData() const;
    CString GetTagName() const;
    CString GetChildTagName() const;

private:
    // Where one element lies in the text and how it is linked.
    struct ElemPos {
        int nStartL;   // "<" of the start tag
        int nStartR;   // ">" of the start tag
        int nEndL;     // "<" of the end tag ("/" of an empty element)
        int nEndR;     // ">" of the end tag
        int nNext;     // scan position behind the element
        int iElemParent;
        int iElemChild;
        int iElemNext;
    };

    // One token inside a tag: bytes nL..nR; parsing goes on at nNext.
    struct Token {
        int nL = 0;
        int nR = -1;
        int nNext = 0;
        bool bIsString = false;
    };

    void Reset();
    int GetFreePos();
    bool FindToken(Token& token) const;
    CString TokenText(const Token& token) const;
    bool TokenIs(const Token& token, LPCSTR pszText) const;
    int FindText(LPCSTR pszText, int nStart) const;
    int ParseElem(int iPosParent, int& nStart, int nDepth);
    bool Fail(LPCSTR pszFormat, const CString& name = CString());
    bool Matches(int iPos, LPCSTR pszName) const;
    CString GetElemName(int iPos) const;
    CString GetElemText(int iPos) const;

    CString m_strDoc;
    int m_nLevel = 0;
    CString m_strError;
    CArray<ElemPos> m_aPos;
    int m_iPos = 0;
    int m_iPosChild = 0;
    int m_iPosFree = 1;
};
