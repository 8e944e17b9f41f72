#pragma once
#include "LogElement.h"

// A class identifier found in a registry text, with the title and the server
// its registration names; the server's file, when it looks like one, is the
// element's one file child.
class ClassID : public LogElement {
public:
    explicit ClassID(const CString& classId);
    ~ClassID() override;

    void WriteXml(CString& out) const override;

private:
    // All three are stored escaped.
    CString value;
    CString title;
    CString resolvedSymbol;
};
