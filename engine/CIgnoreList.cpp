#include "CIgnoreList.h"
#include "CCleanSweep.h"
#include "SystemUtils.h"
#include <algorithm>

namespace {

// A text that would break the file's line pairs (or end a text-mode read).
bool IsWritable(const CString& text)
{
    return text.FindOneOf("\r\n\x1a") < 0;
}

}  // namespace

CIgnoreList::CIgnoreList(CStringArray& texts, CIgnoreTypeArray& types, const CString& path)
    : m_texts(texts), m_types(types), m_path(path)
{
}

CString CIgnoreList::GetDefaultPath()
{
    const CString folder = CCleanSweep::GetProgramFolder();
    return folder.IsEmpty() ? CString() : folder + "ignorelist.dat";
}

CString CIgnoreList::MakeEntryText(const CRegistryProblem& problem)
{
    return problem.m_key + "\\" + problem.m_valueName + "|" + problem.m_value;
}

INT_PTR CIgnoreList::GetCount() const
{
    return std::min(m_texts.GetSize(), m_types.GetSize());
}

// Puts a new pair behind the last whole pair, so that an unmatched category or
// text stays unmatched instead of pairing with the new entry.
void CIgnoreList::InsertPair(const CString& text, REGPROBLEM_TYPE type)
{
    const INT_PTR at = GetCount();
    m_texts.InsertAt(at, text);
    m_types.InsertAt(at, type);
}

void CIgnoreList::Load()
{
    CStdioFile file;
    if (m_path.IsEmpty() || !file.Open(m_path, CFile::modeRead | CFile::shareDenyNone | CFile::typeText))
        return;
    CIgnoreTypeArray types;
    CStringArray texts;
    try {
        CString line;
        while (file.ReadString(line)) {
            if (types.GetSize() == texts.GetSize())
                types.Add(static_cast<REGPROBLEM_TYPE>(DecimalToInt(line)));
            else
                texts.Add(line);
        }
    } catch (CException* e) {
        e->Delete();  // keep what was read before the error
    }
    file.Abort();
    for (INT_PTR i = 0; i < texts.GetSize(); ++i)
        InsertPair(texts[i], types[i]);
    if (types.GetSize() > texts.GetSize())
        m_types.Add(types[types.GetUpperBound()]);
}

BOOL CIgnoreList::Save() const
{
    CStdioFile file;
    if (m_path.IsEmpty() || !file.Open(m_path, CFile::modeCreate | CFile::modeWrite | CFile::typeText))
        return FALSE;
    try {
        const INT_PTR count = GetCount();
        for (INT_PTR i = 0; i < count; ++i) {
            if (m_types[i] == REGPROBLEM_REMOVED || !IsWritable(m_texts[i]))
                continue;
            CString type;
            type.Format("%d\n", static_cast<int>(m_types[i]));
            file.WriteString(type);
            file.WriteString(m_texts[i] + "\n");
        }
        file.Close();
    } catch (CException* e) {
        e->Delete();
        file.Abort();
        return FALSE;
    }
    return TRUE;
}

BOOL CIgnoreList::Add(const CRegistryProblem& problem)
{
    InsertPair(MakeEntryText(problem), static_cast<REGPROBLEM_TYPE>(problem.m_category));
    return Save();
}

void CIgnoreList::MarkRemoved(INT_PTR index)
{
    if (index < 0 || index >= GetCount())
        return;
    // The text stays: the ignore-list page shows it until the next load.
    m_types[index] = REGPROBLEM_REMOVED;
}

void CIgnoreList::Compact()
{
    for (INT_PTR i = GetCount() - 1; i >= 0; --i) {
        if (m_types[i] == REGPROBLEM_REMOVED) {
            m_texts.RemoveAt(i);
            m_types.RemoveAt(i);
        }
    }
}
