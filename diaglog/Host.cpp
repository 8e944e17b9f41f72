#include "Host.h"
#include "LogText.h"

Host::Host(const CString& line)
{
    const char delimiters[] = " \t\r\n";
    int pos = 0;
    ip = line.Tokenize(delimiters, pos);
    if (pos >= 0)
        name = line.Tokenize(delimiters, pos);
    EscapeXml(name);
    EscapeXml(ip);
}

Host::~Host() = default;

void Host::WriteXml(CString& out) const
{
    out += "<Host name=\"";
    out += name;
    out += "\" ip=\"";
    out += ip;
    out += "\"/>\n";
}
