#include "CRegScanner.h"
#include "ContainerKeys.h"

namespace {

// TRUE when the lower-cased text holds one of the (lower-cased) entries. An
// empty entry would hold back every problem and is passed over.
BOOL ContainsAny(const CString& lowerText, const CStringArray& entries)
{
    for (INT_PTR i = 0; i < entries.GetSize(); i++) {
        const CString& entry = entries[i];
        if (!entry.IsEmpty() && lowerText.Find(entry) >= 0)
            return TRUE;
    }
    return FALSE;
}

// The key a problem's repair removes with its tree, as a full key text; empty
// when the repair removes a value or moves a file.
CString RemovedKey(const CRegistryProblem& problem)
{
    switch (problem.m_category) {
    case REGPROBLEM_COM:
    case REGPROBLEM_EMPTYKEY:
    case REGPROBLEM_FILEASSOC:
        return problem.m_key;
    case REGPROBLEM_UNINSTALL:
    case REGPROBLEM_APPPATH:
        return problem.m_key + "\\" + problem.m_valueName;
    case REGPROBLEM_STARTUP:
        return problem.m_key.Find("MenuOrder\\") >= 0 ? problem.m_key + "\\" + problem.m_valueName : CString();
    default:
        return CString();
    }
}

}  // namespace

BOOL CRegScanner::AddProblem(CRegistryProblem* pProblem)
{
    if (pProblem == nullptr)
        return FALSE;
    CString key = pProblem->m_key;
    CString value = pProblem->m_value;
    CString valueName = pProblem->m_valueName;
    key.MakeLower();
    value.MakeLower();
    valueName.MakeLower();

    // A container is no problem, whichever scanner names it.
    const CString removedKey = RemovedKey(*pProblem);
    if (m_pProblems == nullptr || !IsValidCategory(pProblem->m_category)
        || (!removedKey.IsEmpty() && IsProtectedKey(removedKey)) || ContainsAny(key, m_whitelistKeys)
        || ContainsAny(value, m_whitelistValues) || ContainsAny(valueName, m_whitelistValueNames)
        || IsIgnored(pProblem)) {
        delete pProblem;
        return FALSE;
    }

    m_pProblems->Add(pProblem);
    m_found[pProblem->m_category]++;
    m_totalFound++;
    SendMessageA(m_hNotifyWnd, WM_PROBLEM_FOUND, 0, reinterpret_cast<LPARAM>(pProblem));
    return TRUE;
}

BOOL CRegScanner::IsIgnored(const CRegistryProblem* pProblem) const
{
    if (pProblem == nullptr || m_pIgnoreTexts == nullptr || m_pIgnoreTypes == nullptr)
        return FALSE;
    const CString text = CIgnoreList::MakeEntryText(*pProblem);
    // The two arrays are paired only as far as both reach.
    const INT_PTR count = m_pIgnoreTexts->GetSize() < m_pIgnoreTypes->GetSize() ? m_pIgnoreTexts->GetSize()
                                                                                : m_pIgnoreTypes->GetSize();
    for (INT_PTR i = 0; i < count; i++) {
        if (static_cast<int>(m_pIgnoreTypes->GetAt(i)) == pProblem->m_category
            && m_pIgnoreTexts->GetAt(i).CompareNoCase(text) == 0)
            return TRUE;
    }
    return FALSE;
}
