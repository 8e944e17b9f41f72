#pragma once
#include <windows.h>

namespace pug {

// One attribute of a node. A text whose in-buffer flag is set points into the
// parser's text buffer; otherwise it is a heap copy owned by the record.
struct attribute_record {
    char* name;
    BYTE name_insitu;
    char* value;        // null for an attribute written without a (quoted) value
    BYTE value_insitu;
};

// Frees an attribute record with the texts it owns.
void free_attribute(attribute_record* attr);

// A light handle on one attribute record; it owns nothing.
class xml_attribute {
public:
    xml_attribute() : m_attr(nullptr) {}
    explicit xml_attribute(attribute_record* attr) : m_attr(attr) {}

    BOOL empty() const { return m_attr == nullptr; }
    // The name, or null for a null handle or a nameless attribute.
    LPCSTR name() const { return m_attr ? m_attr->name : nullptr; }
    // The value text, or null for a null handle or an attribute without a value.
    LPCSTR value() const { return m_attr ? m_attr->value : nullptr; }

private:
    attribute_record* m_attr;
};

}  // namespace pug
