#pragma once
#include <windows.h>
#include <vector>
#include "CObject.h"
#include "CException.h"

// Growable array of values. ARG_TYPE is the type handed to Add and SetAt.
template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject {
public:
    CArray() = default;

    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_data.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }
    BOOL IsEmpty() const { return m_data.empty(); }

    // Resizes; new elements are value-initialised (zeroed for plain types).
    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1)
    {
        (void)nGrowBy;
        if (nNewSize < 0)
            AfxThrowInvalidArgException();
        m_data.resize(static_cast<size_t>(nNewSize));
    }
    void FreeExtra() { m_data.shrink_to_fit(); }
    void RemoveAll() { m_data.clear(); }

    const TYPE& GetAt(INT_PTR i) const { return m_data.at(Check(i)); }
    TYPE& GetAt(INT_PTR i) { return m_data.at(Check(i)); }
    void SetAt(INT_PTR i, ARG_TYPE v) { m_data.at(Check(i)) = v; }
    TYPE& ElementAt(INT_PTR i) { return m_data.at(Check(i)); }
    const TYPE& operator[](INT_PTR i) const { return GetAt(i); }
    TYPE& operator[](INT_PTR i) { return GetAt(i); }
    const TYPE* GetData() const { return m_data.data(); }
    TYPE* GetData() { return m_data.data(); }

    void SetAtGrow(INT_PTR i, ARG_TYPE v)
    {
        if (i < 0)
            AfxThrowInvalidArgException();
        if (i >= GetSize())
            m_data.resize(static_cast<size_t>(i) + 1);
        m_data[static_cast<size_t>(i)] = v;
    }
    INT_PTR Add(ARG_TYPE v)
    {
        m_data.push_back(v);
        return GetSize() - 1;
    }
    INT_PTR Append(const CArray& src)
    {
        INT_PTR first = GetSize();
        m_data.insert(m_data.end(), src.m_data.begin(), src.m_data.end());
        return first;
    }
    void Copy(const CArray& src) { m_data = src.m_data; }
    void InsertAt(INT_PTR i, ARG_TYPE v, INT_PTR nCount = 1)
    {
        if (i < 0 || nCount < 0)
            AfxThrowInvalidArgException();
        if (i > GetSize())
            m_data.resize(static_cast<size_t>(i));
        m_data.insert(m_data.begin() + i, static_cast<size_t>(nCount), TYPE(v));
    }
    void RemoveAt(INT_PTR i, INT_PTR nCount = 1)
    {
        if (i < 0 || nCount < 0 || i + nCount > GetSize())
            AfxThrowInvalidArgException();
        m_data.erase(m_data.begin() + i, m_data.begin() + i + nCount);
    }

private:
    size_t Check(INT_PTR i) const
    {
        if (i < 0 || i >= GetSize())
            AfxThrowInvalidArgException();
        return static_cast<size_t>(i);
    }
    std::vector<TYPE> m_data;
};
