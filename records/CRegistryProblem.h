#pragma once
#include "afx.h"

// Scan categories, in the order the scan runs them; every per-category table
// is indexed by these values. The type is a full int: an ignore-list entry
// may hold -1 (removed) or any number read from its file.
enum REGPROBLEM_TYPE : int {
    REGPROBLEM_COM = 0,
    REGPROBLEM_UNINSTALL = 1,
    REGPROBLEM_FONT = 2,
    REGPROBLEM_SHAREDDLL = 3,
    REGPROBLEM_APPPATH = 4,
    REGPROBLEM_HELPFILE = 5,
    REGPROBLEM_STARTUP = 6,
    REGPROBLEM_FILEPATH = 7,
    REGPROBLEM_SHORTCUT = 8,
    REGPROBLEM_EMPTYKEY = 9,
    REGPROBLEM_FILEASSOC = 10,
    REGPROBLEM_TYPE_COUNT = 11,
    REGPROBLEM_REMOVED = -1  // an ignore-list entry removed during this run
};

// TRUE for a category that may index a per-category table (0 to 10).
inline BOOL IsValidCategory(int category)
{
    return category >= 0 && category < REGPROBLEM_TYPE_COUNT;
}

// One finding of a scan.
class CRegistryProblem : public CObject {
public:
    // Note the order: value name before value.
    CRegistryProblem(const CString& key, const CString& valueName, const CString& value, int category);
    ~CRegistryProblem() override;

    CString m_key;        // full key path from the root's name, or a shortcut's file path
    CString m_value;      // the missing or wrong text; may be empty
    CString m_valueName;  // value or subkey name, "(Default)", or a shortcut's target
    int m_category;       // REGPROBLEM_TYPE
    BYTE m_checked;       // selected for repair
};

// The scan's findings; the array owns the records it holds.
typedef CArray<CRegistryProblem*, CRegistryProblem*> CRegistryProblemArray;

// Display names of the categories, indexed by REGPROBLEM_TYPE.
extern const CString g_categoryNames[REGPROBLEM_TYPE_COUNT];

// The display name of a category; empty for one outside 0 to 10.
CString GetCategoryName(int category);
