#include "CMapStringToOb.h"
#include "CException.h"

// A position is the address of the map's entry, which stays put while other
// entries come and go; the next entry is found from its key.
typedef std::map<std::string, CObject*>::value_type Entry;

BOOL CMapStringToOb::Lookup(LPCSTR key, CObject*& rValue) const
{
    auto it = m_map.find(key ? key : "");
    if (it == m_map.end())
        return FALSE;
    rValue = it->second;
    return TRUE;
}

POSITION CMapStringToOb::GetStartPosition() const
{
    if (m_map.empty())
        return nullptr;
    return reinterpret_cast<POSITION>(const_cast<Entry*>(&*m_map.begin()));
}

void CMapStringToOb::GetNextAssoc(POSITION& pos, CString& rKey, CObject*& rValue) const
{
    const Entry* entry = reinterpret_cast<const Entry*>(pos);
    if (!entry)
        AfxThrowInvalidArgException();
    rKey = CString(entry->first.data(), static_cast<int>(entry->first.size()));
    rValue = entry->second;
    auto next = m_map.upper_bound(entry->first);
    pos = next == m_map.end() ? nullptr : reinterpret_cast<POSITION>(const_cast<Entry*>(&*next));
}
