#pragma once
#include <windows.h>
#include <memory>
#include "CHtmlElement.h"

// A small, forgiving HTML reader for the pages of the HTML dialog. It never
// fails: whatever the bytes, it gives a tree (under a "#document" root) of
// what it could read. It reads only the bytes it is given and keeps within
// fixed bounds: nesting deeper than kMaxDepth goes on at that depth, elements
// past kMaxElements are dropped, attribute values are cut at
// kMaxAttributeLength. Void elements (br, img, input...) take no children;
// an end tag closes the nearest open element of its name and is otherwise
// ignored. Comments, declarations and scripts are skipped; the texts of
// <style> elements are kept for the style sheet.
class CHtmlReader {
public:
    static constexpr int kMaxDepth = 64;
    static constexpr int kMaxElements = 20000;
    static constexpr int kMaxAttributes = 32;
    static constexpr int kMaxAttributeLength = 4096;
    static constexpr int kMaxNameLength = 32;
    static constexpr int kMaxStyleLength = 64 * 1024;

    // nMaxDepth (at most kMaxDepth) bounds the nesting below the root.
    std::unique_ptr<CHtmlElement> Read(const char* pText, size_t nLength, int nMaxDepth = kMaxDepth);
    // The texts of the <style> elements of the last Read, one after the other.
    const CString& GetStyleText() const { return m_style; }

    // Replaces the character references (&amp; &lt; &#65; ...) of a text.
    static CString DecodeEntities(const char* pText, size_t nLength);

private:
    bool At(const char* pszLiteral) const;
    size_t Find(const char* pszLiteral, size_t nFrom) const;
    CString ReadName();
    void ReadTag();
    void ReadEndTag();
    void ReadText();
    void SkipRaw(const CString& tag);
    void SkipSpace();

    const char* m_p = nullptr;
    size_t m_length = 0;
    size_t m_pos = 0;
    size_t m_maxOpen = kMaxDepth;
    int m_elements = 0;
    std::vector<CHtmlElement*> m_open;
    CString m_style;
};
