#include "CHtmlElement.h"

CHtmlElement::CHtmlElement(LPCSTR pszTag, LPCSTR pszText) : m_tag(pszTag), m_text(pszText)
{
}

CString CHtmlElement::GetAttribute(LPCSTR pszName) const
{
    for (const auto& attribute : m_attributes)
        if (attribute.first == pszName)
            return attribute.second;
    return CString();
}

BOOL CHtmlElement::HasAttribute(LPCSTR pszName) const
{
    for (const auto& attribute : m_attributes)
        if (attribute.first == pszName)
            return TRUE;
    return FALSE;
}

void CHtmlElement::SetAttribute(LPCSTR pszName, LPCSTR pszValue)
{
    for (auto& attribute : m_attributes) {
        if (attribute.first == pszName) {
            attribute.second = pszValue;
            return;
        }
    }
    m_attributes.emplace_back(pszName, pszValue);
}

void CHtmlElement::RemoveAttribute(LPCSTR pszName)
{
    for (auto it = m_attributes.begin(); it != m_attributes.end(); ++it) {
        if (it->first == pszName) {
            m_attributes.erase(it);
            return;
        }
    }
}

CString CHtmlElement::GetInnerText() const
{
    CString text;
    std::vector<const CHtmlElement*> stack{this};
    while (!stack.empty()) {
        const CHtmlElement* node = stack.back();
        stack.pop_back();
        if (node->IsText())
            text += node->m_text;
        else if (node->m_tag == "br")
            text += "\r\n";
        for (auto it = node->m_children.rbegin(); it != node->m_children.rend(); ++it)
            stack.push_back(it->get());
    }
    return text;
}

BOOL CHtmlElement::IsWithin(const CHtmlElement* pAncestor) const
{
    for (const CHtmlElement* node = this; node; node = node->m_pParent)
        if (node == pAncestor)
            return TRUE;
    return FALSE;
}

CHtmlElement* CHtmlElement::FindById(LPCSTR pszId)
{
    if (!pszId || !*pszId)
        return nullptr;
    std::vector<CHtmlElement*> stack{this};
    while (!stack.empty()) {
        CHtmlElement* node = stack.back();
        stack.pop_back();
        if (!node->IsText() && node->GetId() == pszId)
            return node;
        for (auto it = node->m_children.rbegin(); it != node->m_children.rend(); ++it)
            stack.push_back(it->get());
    }
    return nullptr;
}

CHtmlElement* CHtmlElement::Append(std::unique_ptr<CHtmlElement> child)
{
    child->m_pParent = this;
    m_children.push_back(std::move(child));
    return m_children.back().get();
}

std::vector<std::unique_ptr<CHtmlElement>> CHtmlElement::TakeChildren()
{
    std::vector<std::unique_ptr<CHtmlElement>> children = std::move(m_children);
    m_children.clear();
    for (auto& child : children)
        child->m_pParent = nullptr;
    return children;
}
