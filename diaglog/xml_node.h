#pragma once
#include <windows.h>
#include "xml_attribute.h"

namespace pug {

// Node types.
enum {
    node_null = 0,          // the result of a failed search
    node_document = 1,
    node_element = 2,
    node_pcdata = 3,
    node_cdata = 4,
    node_comment = 5,
    node_pi = 6,
    node_include = 7,
    node_doctype = 8,
    node_dtd_entity = 9,    // also any other named declaration
    node_dtd_attlist = 10,
    node_dtd_element = 11,
    node_dtd_notation = 12
};

// One node of a parsed tree. Texts follow the rule of attribute_record.
struct node_record {
    node_record* parent;    // the document node is its own parent
    char* name;
    BYTE name_insitu;
    int type;
    int attribute_count;
    int attribute_space;
    attribute_record** attributes;
    int child_count;
    int child_space;
    node_record** children;
    char* value;
    BYTE value_insitu;
};

// Appends a new zeroed node of the given type to parent; null when memory fails.
node_record* append_node(node_record* parent, int type, int growth);
// Appends an attribute record to node and takes over the texts (the heap ones
// are freed on failure); null when node is null or memory fails.
attribute_record* append_attribute(node_record* node, char* name, BYTE name_insitu,
                                   char* value, BYTE value_insitu, int growth);
// Frees a node with everything below it; the walk keeps no stack, so any depth is safe.
void free_node_recursive(node_record* node);
// Matches a name against a pattern of "*", "?" and [sets] ("[a-z]", "[!...]"), with case.
bool match_name(LPCSTR pattern, LPCSTR name);

// A light handle on one node record. A failed search gives a handle on the
// handle's own null record (type 0, its own parent); attributes asked of a
// null handle are kept in that record and freed with the handle.
class xml_node {
public:
    xml_node();
    explicit xml_node(node_record* node);
    xml_node(const xml_node& other);
    xml_node& operator=(const xml_node& other);
    ~xml_node();

    // TRUE for a handle on no node or on the null node.
    BOOL empty() const;
    int type() const;
    LPCSTR name() const;
    LPCSTR value() const;
    // The parent node; a null handle for a null node.
    xml_node parent() const;
    int child_count() const;
    xml_node child(int index) const;
    int attribute_count() const;
    xml_attribute attribute_at(int index) const;

    // The first node below this one, in document order, whose name matches.
    xml_node first_element_by_name(LPCSTR pattern) const;
    // Moves to the next later sibling whose name matches; FALSE leaves the handle in place.
    BOOL moveto_next_sibling(LPCSTR pattern);
    // The first attribute whose name matches; a missing one is appended with an empty value.
    xml_attribute attribute(LPCSTR pattern);

private:
    void reset_null();
    bool is_real() const { return m_node && m_node->type != node_null; }

    node_record* m_node;
    node_record m_null;
};

}  // namespace pug
