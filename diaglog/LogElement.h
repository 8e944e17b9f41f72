#pragma once
#include "afx.h"

class LogElement;
typedef CTypedPtrList<CPtrList, LogElement*> LogElementList;

// Base of the diagnostic log's elements. An element renders its own tag, its
// children and its closing tag; rendering appends to one shared text, so a
// document of any depth renders in time linear in its size.
class LogElement {
public:
    LogElement() = default;
    virtual ~LogElement();
    LogElement(const LogElement&) = delete;
    LogElement& operator=(const LogElement&) = delete;

    // Renders the element into its own text buffer and returns it; the text
    // stays valid until the next GetXml of the same element.
    virtual CString* GetXml();
    // Appends the element's text, children included, to out.
    virtual void WriteXml(CString& out) const = 0;

protected:
    // Appends the file children, then the class-identifier children.
    void WriteChildren(CString& out) const;
    static void WriteList(const LogElementList& list, CString& out);
    static void DeleteList(LogElementList& list);

    CString text;
    LogElementList classIds;   // ClassID elements, owned
    LogElementList files;      // File elements, owned
};
