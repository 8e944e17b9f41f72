#pragma once
#include <windows.h>
#include <memory>
#include <utility>
#include <vector>
#include <ocidl.h>
#include "CComPtr.h"
#include "CString.h"

// One node of a page read by CHtmlReader: an element with its lower-case tag
// name, attributes and children, or a run of text (an empty tag name). The
// HTML dialog keeps its control window, picture and computed style here.
class CHtmlElement {
public:
    // A text node when pszTag is empty.
    explicit CHtmlElement(LPCSTR pszTag, LPCSTR pszText = "");
    ~CHtmlElement() = default;
    CHtmlElement(const CHtmlElement&) = delete;
    CHtmlElement& operator=(const CHtmlElement&) = delete;

    BOOL IsText() const { return m_tag.IsEmpty(); }
    const CString& GetTagName() const { return m_tag; }
    CString GetId() const { return GetAttribute("id"); }
    CString GetAttribute(LPCSTR pszName) const;
    BOOL HasAttribute(LPCSTR pszName) const;
    void SetAttribute(LPCSTR pszName, LPCSTR pszValue);
    void RemoveAttribute(LPCSTR pszName);
    CHtmlElement* GetParent() const { return m_pParent; }
    // The text of the node and all below it, without markup.
    CString GetInnerText() const;
    // True when this node is pAncestor or lies below it.
    BOOL IsWithin(const CHtmlElement* pAncestor) const;
    // The first element of this subtree (in document order) with the id.
    CHtmlElement* FindById(LPCSTR pszId);

    // Appends a child; returns it.
    CHtmlElement* Append(std::unique_ptr<CHtmlElement> child);
    // Takes all children out (their parent link is cleared).
    std::vector<std::unique_ptr<CHtmlElement>> TakeChildren();

    CString m_tag;
    CString m_text;
    std::vector<std::pair<CString, CString>> m_attributes;
    std::vector<std::unique_ptr<CHtmlElement>> m_children;
    CHtmlElement* m_pParent = nullptr;

    // Kept by the HTML dialog.
    HWND m_hWnd = nullptr;             // the control showing an input or button
    CComPtr<IPicture> m_picture;       // the picture of an img
    SIZE m_size = {0, 0};              // the size of a control or picture
    COLORREF m_color = 0;              // text colour
    COLORREF m_background = CLR_INVALID;  // own background colour, if any
    bool m_bold = false;
    bool m_italic = false;
    bool m_underline = false;
    int m_heading = 0;                 // 1..3 inside h1..h3
};
