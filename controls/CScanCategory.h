#pragma once
#include "afx.h"

// One group of the results list: a category's header text and how many of its
// problems there are and are selected. The results page owns these; the list
// reads and changes the counts.
class CScanCategory {
public:
    CScanCategory(const CString& name, int categoryId);

    CString name;          // header text
    int selectedCount;     // problems of this category with m_checked set
    int count;             // problems of this category (rows of the group)
    int categoryId;        // REGPROBLEM_TYPE, 0 to 10
};
