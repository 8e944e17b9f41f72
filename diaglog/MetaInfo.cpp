#include "MetaInfo.h"
#include "LogText.h"
#include <ctime>

MetaInfo::MetaInfo(LPCSTR pszTitle) : title(pszTitle)
{
    EscapeXml(title);
}

MetaInfo::~MetaInfo() = default;

void MetaInfo::WriteXml(CString& out) const
{
    char stamp[64] = "";
    time_t now = time(nullptr);
    const struct tm* local = localtime(&now);
    if (local != nullptr)
        strftime(stamp, sizeof stamp, "%d-%m-%Y-%H-%M-%S", local);
    out.AppendFormat("<Meta info=\"%s\" time=\"%s\"/>\n", (LPCSTR)title, stamp);
}
