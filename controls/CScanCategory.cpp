#include "CScanCategory.h"

CScanCategory::CScanCategory(const CString& name, int categoryId)
    : name(name), selectedCount(0), count(0), categoryId(categoryId)
{
}
