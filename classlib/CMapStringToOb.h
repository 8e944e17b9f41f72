#pragma once
#include <windows.h>
#include <map>
#include <string>
#include "CObject.h"
#include "CPtrList.h"
#include "CString.h"

// Map from text (compared byte for byte) to object pointers; the map owns no objects.
class CMapStringToOb : public CObject {
public:
    explicit CMapStringToOb(INT_PTR nBlockSize = 10) { (void)nBlockSize; }

    INT_PTR GetCount() const { return static_cast<INT_PTR>(m_map.size()); }
    INT_PTR GetSize() const { return GetCount(); }
    BOOL IsEmpty() const { return m_map.empty(); }

    BOOL Lookup(LPCSTR key, CObject*& rValue) const;
    void SetAt(LPCSTR key, CObject* newValue) { m_map[key] = newValue; }
    CObject*& operator[](LPCSTR key) { return m_map[key]; }
    BOOL RemoveKey(LPCSTR key) { return m_map.erase(key) != 0; }
    void RemoveAll() { m_map.clear(); }

    // Iteration in key order; the position is NULL after the last entry.
    POSITION GetStartPosition() const;
    void GetNextAssoc(POSITION& pos, CString& rKey, CObject*& rValue) const;

private:
    std::map<std::string, CObject*> m_map;
};
