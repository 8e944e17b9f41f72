#include "CRegistryProblem.h"

const CString g_categoryNames[REGPROBLEM_TYPE_COUNT] = {
    "COM/ActiveX",
    "Uninstall Entries",
    "Font Entries",
    "Shared DLLS",
    "Application Path",
    "Help Files",
    "Startup Items",
    "File Path",
    "Program Shortcuts",
    "EmptyKeys",
    "FileAssociation",
};

CRegistryProblem::CRegistryProblem(const CString& key, const CString& valueName, const CString& value,
                                   int category)
    : m_key(key), m_value(value), m_valueName(valueName), m_category(category), m_checked(TRUE)
{
}

CRegistryProblem::~CRegistryProblem() = default;

CString GetCategoryName(int category)
{
    return IsValidCategory(category) ? g_categoryNames[category] : CString();
}
