#include "ClassID.h"
#include "File.h"
#include "LogText.h"
#include "PathMatching.h"
#include "RegistryText.h"

ClassID::ClassID(const CString& classId) : value(classId)
{
    ResolveClassIdServerPath(classId, resolvedSymbol);
    ResolveClassIdTitle(classId, title);
    EscapeXml(title);
    EscapeXml(value);
    CString expanded;
    ExpandEnvironmentPath(resolvedSymbol, expanded);
    if (MatchFilePathInValue(expanded))
        files.AddTail(new File(expanded));
    EscapeXml(resolvedSymbol);
}

ClassID::~ClassID() = default;

void ClassID::WriteXml(CString& out) const
{
    out += "<ClassID value=\"";
    out += value;
    out += "\" title=\"";
    out += title;
    out += "\" resolved-symbol=\"";
    out += resolvedSymbol;
    out += "\">\n";
    WriteList(files, out);
    out += "</ClassID>\n";
}
