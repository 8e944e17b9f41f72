#pragma once
#include "LogElement.h"

// One kept line of a hosts file: its address and its first host name.
class Host : public LogElement {
public:
    explicit Host(const CString& line);
    ~Host() override;

    void WriteXml(CString& out) const override;

private:
    // Both are stored escaped.
    CString name;
    CString ip;
};
