#pragma once
#include <windows.h>
#include "xml_node.h"
#include "xml_attribute.h"

namespace pug {

// Parse options.
enum : unsigned long {
    keep_pi = 0x2,                  // processing instructions become nodes
    keep_doctype = 0x4,             // DOCTYPE and INCLUDE sections become nodes
    keep_comments = 0x8,
    keep_cdata = 0x10,
    trim_text = 0x40,               // character data
    trim_attributes = 0x80,
    trim_sections = 0x100,          // CDATA and INCLUDE values
    trim_declarations = 0x200,
    trim_subset = 0x400,            // a DOCTYPE internal subset that is not parsed
    trim_comments = 0x800,
    normalize_space = 0x1000,       // trimming also folds inner runs of white space
    parse_subset = 0x2000,          // a DOCTYPE internal subset is parsed into declaration nodes
    stop_after_subset = 0x4000,
    all_options = 0x0000FFFF,
    keep_options = 0x80000000       // as an argument: keep the parser's options
};

// Reads a whole file into a new zero-terminated heap text (free() it); a zero
// byte in the file ends the text of the chunk it lies in. size gets the number
// of bytes read. Null when the file cannot be opened or nothing was read.
char* load_file(LPCSTR path, DWORD* size);

// An in-place XML parser: the text is cut into names and values by zero bytes
// written over the delimiters, and the tree's texts point into it. It reports
// no syntax errors: it builds what it can and stops at the end of the text or
// where a construct is left open.
class xml_parser {
public:
    explicit xml_parser(unsigned long options = all_options, BOOL owns_tree = TRUE, int growth = 4);
    virtual ~xml_parser();
    xml_parser(const xml_parser&) = delete;
    xml_parser& operator=(const xml_parser&) = delete;

    // Loads and parses a file; FALSE for a null path, an unreadable file or no text.
    BOOL parse_file(LPCSTR path, unsigned long options = keep_options);
    // Parses a writable zero-terminated text in place; the text must outlive the
    // tree, and nothing is read past its terminating zero.
    BOOL parse(char* text, unsigned long options = keep_options);

    // The document node; the handle holds no node when nothing was parsed.
    xml_node document() const { return xml_node(m_root); }
    // Where the last parse stopped.
    const char* stopped_at() const { return m_stop; }

private:
    void clear();
    BOOL build(char* text, char* end);

    node_record* m_root;
    int m_growth;
    BYTE m_owns_tree;
    char* m_buffer;
    char* m_stop;
    unsigned long m_options;
};

}  // namespace pug
