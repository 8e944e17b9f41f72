#pragma once
#include "afx.h"

// Splits a text at every occurrence of a one-character delimiter, keeping
// empty fields.
class CStringTokenizer {
public:
    // A delimiter that is not exactly one character gives a single empty token.
    CStringTokenizer(const CString& text, const CString& delimiter);

    int GetCount() const { return m_count; }
    // The token at index; throws CString("Index out of Bounds") when out of range.
    CString GetAt(int index) const;

private:
    int m_count = 0;
    CStringArray m_tokens;
};
