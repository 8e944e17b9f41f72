#pragma once
#include "LogElement.h"

// One running process: its program file and that file's digest.
class MyProcess : public LogElement {
public:
    // The digest is empty when the program file could not be read.
    MyProcess(const CString& path, const CString& digest);
    ~MyProcess() override;

    // FALSE for the entries the log leaves out: "-" (no file name), paths
    // holding "SystemRoot" and paths in the "\??\" form.
    static BOOL IsListed(const CString& path);

    void WriteXml(CString& out) const override;

private:
    // Both are stored escaped.
    CString name;
    CString md5;
};
