#pragma once
#include "LogElement.h"

// One file with its MD5 digest: a file of a described folder, a shortcut's
// target, or a file path found in a registry text.
class File : public LogElement {
public:
    // Expands the name's %NAME% references, then as below.
    explicit File(const CString& fileName);
    // Takes the digest of the expanded name; a bare program name is looked up
    // along PATH, and the expanded name becomes the path where it was found.
    File(const CString& fileName, const CString& expandedFileName);
    ~File() override;

    // The digest of the file that expandedName names (arguments after it are
    // ignored), or "could not open file for md5 calculation".
    static CString ComputeMd5(CString& expandedName);

    void WriteXml(CString& out) const override;

private:
    // All three are stored escaped.
    CString name;
    CString expandedName;
    CString md5;
};
