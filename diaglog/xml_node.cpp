#include "xml_node.h"
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace pug {

namespace {

// Makes room for one more pointer: the first array gets one slot, a full one grows by growth.
template <typename T>
bool make_room(T**& items, int count, int& space, int growth)
{
    if (items && count < space)
        return true;
    int add = (items && growth > 0) ? growth : 1;
    if (space > INT_MAX / static_cast<int>(sizeof(T*)) - add)
        return false;
    T** grown = static_cast<T**>(realloc(items, (space + add) * sizeof(T*)));
    if (!grown)
        return false;
    items = grown;
    space += add;
    return true;
}

// Frees what a node record owns except its children.
void free_node_fields(node_record* node)
{
    for (int i = 0; i < node->attribute_count; ++i)
        free_attribute(node->attributes[i]);
    free(node->attributes);
    free(node->children);
    if (!node->name_insitu)
        free(node->name);
    if (!node->value_insitu)
        free(node->value);
}

// One character of a pattern against c: "?", a [set] or a literal; len gets the pattern length used.
bool match_one(LPCSTR pattern, char c, int& len)
{
    if (*pattern == '?') {
        len = 1;
        return true;
    }
    if (*pattern == '[') {
        LPCSTR first = pattern + 1;
        bool invert = *first == '!';
        if (invert)
            ++first;
        LPCSTR close = strchr(first, ']');
        if (close) {
            len = static_cast<int>(close - pattern) + 1;
            unsigned char uc = static_cast<unsigned char>(c);
            bool in = false;
            for (LPCSTR p = first; p < close && !in; ++p) {
                unsigned char lo = static_cast<unsigned char>(*p);
                if (p + 2 < close && p[1] == '-') {
                    unsigned char hi = static_cast<unsigned char>(p[2]);
                    in = uc >= lo && uc <= hi;
                    p += 2;
                } else {
                    in = uc == lo;
                }
            }
            return in != invert;
        }
    }
    len = 1;
    return *pattern == c;
}

}  // namespace

node_record* append_node(node_record* parent, int type, int growth)
{
    if (!parent || !make_room(parent->children, parent->child_count, parent->child_space, growth))
        return nullptr;
    node_record* node = static_cast<node_record*>(calloc(1, sizeof(node_record)));
    if (!node)
        return nullptr;
    node->parent = parent;
    node->type = type;
    node->name_insitu = node->value_insitu = 1;
    parent->children[parent->child_count++] = node;
    return node;
}

attribute_record* append_attribute(node_record* node, char* name, BYTE name_insitu,
                                   char* value, BYTE value_insitu, int growth)
{
    attribute_record* attr = nullptr;
    if (node && make_room(node->attributes, node->attribute_count, node->attribute_space, growth))
        attr = static_cast<attribute_record*>(malloc(sizeof(attribute_record)));
    if (!attr) {
        if (!name_insitu)
            free(name);
        if (!value_insitu)
            free(value);
        return nullptr;
    }
    attr->name = name;
    attr->name_insitu = name_insitu;
    attr->value = value;
    attr->value_insitu = value_insitu;
    node->attributes[node->attribute_count++] = attr;
    return attr;
}

void free_node_recursive(node_record* node)
{
    // Frees the last child first, climbing back through the parent links.
    node_record* current = node;
    while (current) {
        if (current->child_count > 0) {
            current = current->children[--current->child_count];
            continue;
        }
        node_record* up = (current == node) ? nullptr : current->parent;
        free_node_fields(current);
        free(current);
        current = up;
    }
}

bool match_name(LPCSTR pattern, LPCSTR name)
{
    if (!pattern || !name)
        return false;
    LPCSTR starPattern = nullptr;   // behind the last "*" seen
    LPCSTR starName = nullptr;      // where that "*" run currently ends in the name
    while (*name) {
        int len = 1;
        if (*pattern == '*') {
            starPattern = ++pattern;
            starName = name;
        } else if (*pattern && match_one(pattern, *name, len)) {
            pattern += len;
            ++name;
        } else if (starPattern) {
            pattern = starPattern;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == 0;
}

xml_node::xml_node() : m_node(nullptr)
{
    reset_null();
    m_node = &m_null;
}

xml_node::xml_node(node_record* node) : m_node(node)
{
    reset_null();
}

xml_node::xml_node(const xml_node& other) : m_node(other.m_node)
{
    reset_null();
    if (other.m_node == &other.m_null)
        m_node = &m_null;
}

xml_node& xml_node::operator=(const xml_node& other)
{
    m_node = (other.m_node == &other.m_null) ? &m_null : other.m_node;
    return *this;
}

xml_node::~xml_node()
{
    for (int i = 0; i < m_null.attribute_count; ++i)
        free_attribute(m_null.attributes[i]);
    free(m_null.attributes);
}

void xml_node::reset_null()
{
    memset(&m_null, 0, sizeof m_null);
    m_null.parent = &m_null;
    m_null.type = node_null;
}

BOOL xml_node::empty() const
{
    return !is_real();
}

int xml_node::type() const
{
    return m_node ? m_node->type : node_null;
}

LPCSTR xml_node::name() const
{
    return m_node ? m_node->name : nullptr;
}

LPCSTR xml_node::value() const
{
    return m_node ? m_node->value : nullptr;
}

xml_node xml_node::parent() const
{
    return is_real() ? xml_node(m_node->parent) : xml_node();
}

int xml_node::child_count() const
{
    return m_node ? m_node->child_count : 0;
}

xml_node xml_node::child(int index) const
{
    if (!m_node || index < 0 || index >= m_node->child_count)
        return xml_node();
    return xml_node(m_node->children[index]);
}

int xml_node::attribute_count() const
{
    return m_node ? m_node->attribute_count : 0;
}

xml_attribute xml_node::attribute_at(int index) const
{
    if (!m_node || index < 0 || index >= m_node->attribute_count)
        return xml_attribute();
    return xml_attribute(m_node->attributes[index]);
}

xml_node xml_node::first_element_by_name(LPCSTR pattern) const
{
    if (!is_real() || !pattern)
        return xml_node();
    // Depth first with a stack of (node, next child index), parents before children.
    std::vector<std::pair<node_record*, int>> stack;
    stack.emplace_back(m_node, 0);
    while (!stack.empty()) {
        node_record* parent = stack.back().first;
        int index = stack.back().second;
        if (index >= parent->child_count) {
            stack.pop_back();
            continue;
        }
        stack.back().second = index + 1;
        node_record* node = parent->children[index];
        if (node->name && match_name(pattern, node->name))
            return xml_node(node);
        if (node->child_count > 0)
            stack.emplace_back(node, 0);
    }
    return xml_node();
}

BOOL xml_node::moveto_next_sibling(LPCSTR pattern)
{
    if (!is_real() || !pattern || m_node->type == node_document || m_node->parent == m_node)
        return FALSE;
    node_record* parent = m_node->parent;
    int i = 0;
    while (i < parent->child_count && parent->children[i] != m_node)
        ++i;
    for (++i; i < parent->child_count; ++i) {
        node_record* sibling = parent->children[i];
        if (sibling->name && match_name(pattern, sibling->name)) {
            m_node = sibling;
            return TRUE;
        }
    }
    return FALSE;
}

xml_attribute xml_node::attribute(LPCSTR pattern)
{
    node_record* node = is_real() ? m_node : &m_null;
    if (!pattern)
        return xml_attribute();
    for (int i = 0; i < node->attribute_count; ++i) {
        attribute_record* attr = node->attributes[i];
        if (attr->name && match_name(pattern, attr->name))
            return xml_attribute(attr);
    }
    char* name = _strdup(pattern);
    char* value = _strdup("");
    if (!name || !value) {
        free(name);
        free(value);
        return xml_attribute();
    }
    return xml_attribute(append_attribute(node, name, 0, value, 0, 4));
}

}  // namespace pug
