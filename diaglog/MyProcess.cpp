#include "MyProcess.h"
#include "LogText.h"

MyProcess::MyProcess(const CString& path, const CString& digest) : name(path), md5(digest)
{
    EscapeXml(name);
    EscapeXml(md5);
}

MyProcess::~MyProcess() = default;

BOOL MyProcess::IsListed(const CString& path)
{
    return path != "-" && path.Find("SystemRoot") < 0 && path.Left(4) != "\\??\\";
}

void MyProcess::WriteXml(CString& out) const
{
    out += "<Process name=\"";
    out += name;
    out += "\" md5=\"";
    out += md5;
    out += "\"/>\n";
}
