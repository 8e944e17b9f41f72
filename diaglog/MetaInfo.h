#pragma once
#include "LogElement.h"

// The log's first line: its title and the time it is written.
class MetaInfo : public LogElement {
public:
    explicit MetaInfo(LPCSTR pszTitle);
    ~MetaInfo() override;

    // "<Meta info=... time=.../>", stamped with the time of rendering.
    void WriteXml(CString& out) const override;

private:
    CString title;   // escaped
};
