#include "CPtrList.h"
#include "CException.h"

CPtrList::Node* CPtrList::N(POSITION pos)
{
    if (!pos)
        AfxThrowInvalidArgException();
    return reinterpret_cast<Node*>(pos);
}

void*& CPtrList::GetHead()
{
    return N(GetHeadPosition())->data;
}

void* CPtrList::GetHead() const
{
    return N(GetHeadPosition())->data;
}

void*& CPtrList::GetTail()
{
    return N(GetTailPosition())->data;
}

void* CPtrList::GetTail() const
{
    return N(GetTailPosition())->data;
}

void* CPtrList::RemoveHead()
{
    void* p = GetHead();
    RemoveAt(GetHeadPosition());
    return p;
}

void* CPtrList::RemoveTail()
{
    void* p = GetTail();
    RemoveAt(GetTailPosition());
    return p;
}

POSITION CPtrList::AddHead(void* p)
{
    return m_pHead ? InsertBefore(GetHeadPosition(), p) : InsertAfter(nullptr, p);
}

POSITION CPtrList::AddTail(void* p)
{
    return InsertAfter(GetTailPosition(), p);
}

void CPtrList::RemoveAll()
{
    while (m_pHead) {
        Node* next = m_pHead->pNext;
        delete m_pHead;
        m_pHead = next;
    }
    m_pTail = nullptr;
    m_nCount = 0;
}

void*& CPtrList::GetNext(POSITION& pos)
{
    Node* n = N(pos);
    pos = reinterpret_cast<POSITION>(n->pNext);
    return n->data;
}

void* CPtrList::GetNext(POSITION& pos) const
{
    Node* n = N(pos);
    pos = reinterpret_cast<POSITION>(n->pNext);
    return n->data;
}

void*& CPtrList::GetPrev(POSITION& pos)
{
    Node* n = N(pos);
    pos = reinterpret_cast<POSITION>(n->pPrev);
    return n->data;
}

void* CPtrList::GetPrev(POSITION& pos) const
{
    Node* n = N(pos);
    pos = reinterpret_cast<POSITION>(n->pPrev);
    return n->data;
}

void*& CPtrList::GetAt(POSITION pos)
{
    return N(pos)->data;
}

void* CPtrList::GetAt(POSITION pos) const
{
    return N(pos)->data;
}

void CPtrList::SetAt(POSITION pos, void* p)
{
    N(pos)->data = p;
}

void CPtrList::RemoveAt(POSITION pos)
{
    Node* n = N(pos);
    (n->pPrev ? n->pPrev->pNext : m_pHead) = n->pNext;
    (n->pNext ? n->pNext->pPrev : m_pTail) = n->pPrev;
    delete n;
    --m_nCount;
}

POSITION CPtrList::InsertBefore(POSITION pos, void* p)
{
    if (!pos)
        return AddHead(p);
    Node* at = N(pos);
    Node* n = new Node{ at, at->pPrev, p };
    (at->pPrev ? at->pPrev->pNext : m_pHead) = n;
    at->pPrev = n;
    ++m_nCount;
    return reinterpret_cast<POSITION>(n);
}

POSITION CPtrList::InsertAfter(POSITION pos, void* p)
{
    if (!pos) {
        // Into an empty list, or at the tail when pos is NULL.
        Node* n = new Node{ nullptr, m_pTail, p };
        (m_pTail ? m_pTail->pNext : m_pHead) = n;
        m_pTail = n;
        ++m_nCount;
        return reinterpret_cast<POSITION>(n);
    }
    Node* at = N(pos);
    Node* n = new Node{ at->pNext, at, p };
    (at->pNext ? at->pNext->pPrev : m_pTail) = n;
    at->pNext = n;
    ++m_nCount;
    return reinterpret_cast<POSITION>(n);
}

POSITION CPtrList::Find(void* p, POSITION startAfter) const
{
    Node* n = startAfter ? N(startAfter)->pNext : m_pHead;
    while (n && n->data != p)
        n = n->pNext;
    return reinterpret_cast<POSITION>(n);
}

POSITION CPtrList::FindIndex(INT_PTR nIndex) const
{
    if (nIndex < 0 || nIndex >= m_nCount)
        return nullptr;
    Node* n = m_pHead;
    while (nIndex-- > 0)
        n = n->pNext;
    return reinterpret_cast<POSITION>(n);
}
