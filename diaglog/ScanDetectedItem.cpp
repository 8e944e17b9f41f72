#include "ScanDetectedItem.h"
#include "CRegistryProblem.h"
#include "LogText.h"

ScanDetectedItem::ScanDetectedItem(const CRegistryProblem* problem)
    : key(problem->m_key),
      value(problem->m_value),
      valueName(problem->m_valueName),
      category(problem->m_category),
      cleaned(0),
      checked(problem->m_checked)
{
    EscapeXml(key);
    EscapeXml(value);
    EscapeXml(valueName);
}

CString ScanDetectedItem::GetXml() const
{
    CString line;
    line.Format("<FoundItem key=\"%s\" value=\"%s\" valuename=\"%s\" type=\"%s\" checkedforcleaning=\"%s\" "
                "cleaned=\"%s\"/>\n",
                (LPCSTR)key, (LPCSTR)value, (LPCSTR)valueName, (LPCSTR)GetCategoryName(category),
                checked != 0 ? "yes" : "no", cleaned != 0 ? "yes" : "no");
    return line;
}
