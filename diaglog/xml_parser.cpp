#include "xml_parser.h"
#include "CHandle.h"
#include <cstdlib>
#include <cstring>

namespace pug {

namespace {

bool is_space(char c)
{
    return c >= 1 && c <= 32;
}

bool is_name_char(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '_' || c == ':' || c == '-' || c == '.';
}

// Ends the text [s, e) with a zero, trimming and folding it as asked; returns its start.
char* finish_text(char* s, char* e, bool trim, bool normalize)
{
    if (trim) {
        while (s < e && is_space(*s))
            ++s;
        while (e > s && is_space(e[-1]))
            --e;
        bool longRun = false;
        for (char* q = s; normalize && !longRun && q + 1 < e; ++q)
            longRun = is_space(q[0]) && is_space(q[1]);
        if (longRun) {
            char* out = s;
            for (char* q = s; q < e;) {
                if (is_space(*q)) {
                    *out++ = ' ';
                    while (q < e && is_space(*q))
                        ++q;
                } else {
                    *out++ = *q++;
                }
            }
            e = out;
        }
    }
    *e = 0;
    return s;
}

// A read position in [p, end). The byte under p may have been cut (overwritten
// with the zero that ends a name); the cut byte is kept and read in its place.
// Nothing at or past end is ever read.
struct cursor {
    char* p;
    char* end;
    char held = 0;
    bool holding = false;

    cursor(char* start, char* stop) : p(start), end(stop) {}

    bool done() const { return p >= end; }
    char byte(const char* q) const { return (q == p && holding) ? held : *q; }
    // The byte k places ahead, or 0 at the end.
    char at(ptrdiff_t k = 0) const { return (end - p > k) ? byte(p + k) : 0; }
    void next()
    {
        if (p < end) {
            ++p;
            holding = false;
        }
    }
    void jump(char* q)
    {
        p = (q < end) ? q : end;
        holding = false;
    }
    // Writes the zero that ends the text before p.
    void cut()
    {
        if (p < end && !holding) {
            held = *p;
            holding = true;
            *p = 0;
        }
    }
    void skip_space()
    {
        while (is_space(at()))
            next();
    }
    bool looking_at(const char* s) const
    {
        for (ptrdiff_t k = 0; s[k]; ++k) {
            if (at(k) != s[k])
                return false;
        }
        return true;
    }
    // The first place at or after p where s stands, or null.
    char* find(const char* s) const
    {
        ptrdiff_t len = static_cast<ptrdiff_t>(strlen(s));
        for (char* q = p; end - q >= len; ++q) {
            ptrdiff_t k = 0;
            while (k < len && byte(q + k) == s[k])
                ++k;
            if (k == len)
                return q;
        }
        return nullptr;
    }
};

enum tag_end { tag_open, tag_closed, tag_cut };

// Builds nodes from one run of text; a DOCTYPE's internal subset is a second,
// nested run that never holds a further DOCTYPE.
class tree_builder {
public:
    tree_builder(unsigned long options, int growth) : m_options(options), m_growth(growth) {}

    // Parses [start, end) below node; returns where the parse stopped.
    char* run(char* start, char* end, node_record* node, bool inSubset);

private:
    bool on(unsigned long option) const { return (m_options & option) != 0; }
    char* text(char* s, char* e, unsigned long trimOption)
    {
        return finish_text(s, e, on(trimOption), on(normalize_space));
    }
    node_record* add(node_record* parent, int type, bool wanted)
    {
        return wanted ? append_node(parent, type, m_growth) : nullptr;
    }
    tag_end read_attributes(cursor& c, node_record* node, bool pi);
    bool read_section(cursor& c, node_record* parent, const char* open, const char* close,
                      int type, bool wanted, unsigned long trimOption);
    bool read_doctype(cursor& c, node_record* parent, bool& stop);
    bool read_declaration(cursor& c, node_record* parent);

    unsigned long m_options;
    int m_growth;
};

char* tree_builder::run(char* start, char* end, node_record* node, bool inSubset)
{
    cursor c(start, end);
    node_record* floor = node;
    node_record* current = node;
    for (;;) {
        char* s = c.p;
        while (!c.done() && c.at() != '<')
            c.next();
        if (current->type == node_element) {
            char* q = s;
            while (q < c.p && is_space(*q))
                ++q;
            if (q < c.p) {
                c.cut();
                node_record* data = append_node(current, node_pcdata, m_growth);
                if (data)
                    data->value = text(s, c.p, trim_text);
            }
        }
        if (c.done())
            return c.p;
        c.next();   // past "<"
        char ch = c.at();
        if (ch == '?') {
            c.next();
            if (!is_name_char(c.at())) {
                char* q = c.find(">");
                if (!q)
                    return end;
                c.jump(q + 1);
                continue;
            }
            char* name = c.p;
            while (is_name_char(c.at()))
                c.next();
            c.cut();
            node_record* pi = add(current, node_pi, on(keep_pi));
            if (pi)
                pi->name = name;
            if (read_attributes(c, pi, true) == tag_cut)
                return end;
        } else if (ch == '!') {
            bool ok = true;
            if (c.looking_at("!--")) {
                ok = read_section(c, current, "!--", "-->", node_comment, on(keep_comments), trim_comments);
            } else if (c.looking_at("![CDATA[")) {
                ok = read_section(c, current, "![CDATA[", "]]>", node_cdata, on(keep_cdata), trim_sections);
            } else if (c.looking_at("![INCLUDE[")) {
                ok = read_section(c, current, "![INCLUDE[", "]]>", node_include, on(keep_doctype), trim_sections);
            } else if (!inSubset && c.looking_at("!DOCTYPE")) {
                bool stop = false;
                ok = read_doctype(c, current, stop);
                if (ok && stop)
                    return c.p;
            } else if (is_name_char(c.at(1))) {
                ok = read_declaration(c, current);
            } else {
                char* q = c.find(">");
                ok = q != nullptr;
                if (ok)
                    c.jump(q + 1);
            }
            if (!ok)
                return end;
        } else if (ch == '/') {
            char* q = c.find(">");
            if (!q)
                return end;
            c.jump(q + 1);
            if (current != floor)
                current = current->parent;
        } else if (is_name_char(ch)) {
            char* name = c.p;
            while (is_name_char(c.at()))
                c.next();
            c.cut();
            node_record* element = append_node(current, node_element, m_growth);
            if (element)
                element->name = name;
            tag_end how = read_attributes(c, element, false);
            if (how == tag_cut)
                return end;
            if (how == tag_open && element)
                current = element;
        }
        // Any other "<" is plain text.
    }
}

tag_end tree_builder::read_attributes(cursor& c, node_record* node, bool pi)
{
    for (;;) {
        c.skip_space();
        if (c.done())
            return tag_cut;
        char ch = c.at();
        if (ch == '>') {
            c.next();
            return pi ? tag_closed : tag_open;
        }
        if ((ch == '/' || (pi && ch == '?')) && c.at(1) == '>') {
            c.next();
            c.next();
            return tag_closed;
        }
        if (!is_name_char(ch)) {
            c.next();
            continue;
        }
        char* name = c.p;
        while (is_name_char(c.at()))
            c.next();
        c.cut();
        attribute_record* attr = append_attribute(node, name, 1, nullptr, 1, m_growth);
        c.skip_space();
        if (c.at() != '=')
            continue;
        c.next();
        c.skip_space();
        char quote = c.at();
        if (quote != '"' && quote != '\'')
            continue;   // an unquoted value is no value; its word is read as a further name
        c.next();
        char close[2] = {quote, 0};
        char* e = c.find(close);
        if (!e)
            return tag_cut;
        char* value = text(c.p, e, trim_attributes);
        if (attr)
            attr->value = value;
        c.jump(e + 1);
    }
}

bool tree_builder::read_section(cursor& c, node_record* parent, const char* open, const char* close,
                                int type, bool wanted, unsigned long trimOption)
{
    c.jump(c.p + strlen(open));
    char* e = c.find(close);
    if (!e)
        return false;
    char* value = text(c.p, e, trimOption);
    node_record* node = add(parent, type, wanted);
    if (node)
        node->value = value;
    c.jump(e + strlen(close));
    return true;
}

bool tree_builder::read_doctype(cursor& c, node_record* parent, bool& stop)
{
    c.jump(c.p + strlen("!DOCTYPE"));
    node_record* doctype = add(parent, node_doctype, on(keep_doctype));
    for (;;) {
        c.skip_space();
        if (c.done())
            return false;
        char ch = c.at();
        if (ch == '>') {
            c.next();
            return true;
        }
        if (ch == '"' || ch == '\'') {
            c.next();
            char close[2] = {ch, 0};
            char* e = c.find(close);
            if (!e)
                return false;
            *e = 0;
            append_attribute(doctype, nullptr, 1, c.p, 1, m_growth);
            c.jump(e + 1);
        } else if (ch == '[') {
            c.next();
            char* s = c.p;
            char* e = s;
            for (int depth = 1; e < c.end; ++e) {
                if (*e == '[')
                    ++depth;
                else if (*e == ']' && --depth == 0)
                    break;
            }
            if (e >= c.end)
                return false;
            *e = 0;
            if (doctype && on(parse_subset)) {
                doctype->value = static_cast<char*>(malloc(e - s + 1));
                if (doctype->value) {
                    memcpy(doctype->value, s, e - s + 1);
                    doctype->value_insitu = 0;
                }
                run(s, e, doctype, true);
            } else if (doctype) {
                doctype->value = text(s, e, trim_subset);
            }
            c.jump(e + 1);
            if (on(stop_after_subset)) {
                stop = true;
                return true;
            }
        } else {
            char* word = c.p;
            while (!c.done() && !is_space(c.at()) && c.at() != '>' && c.at() != '[' &&
                   c.at() != '"' && c.at() != '\'')
                c.next();
            c.cut();
            append_attribute(doctype, word, 1, word, 1, m_growth);
        }
    }
}

bool tree_builder::read_declaration(cursor& c, node_record* parent)
{
    c.next();   // past "!"
    char* keyword = c.p;
    while (is_name_char(c.at()))
        c.next();
    size_t length = c.p - keyword;
    int type = node_dtd_entity;
    if (length == 7 && memcmp(keyword, "ATTLIST", 7) == 0)
        type = node_dtd_attlist;
    else if (length == 7 && memcmp(keyword, "ELEMENT", 7) == 0)
        type = node_dtd_element;
    else if (length == 8 && memcmp(keyword, "NOTATION", 8) == 0)
        type = node_dtd_notation;
    c.skip_space();
    // A parameter entity's "%" is moved up against the name that follows it.
    bool percent = false;
    if (c.at() == '%' && is_space(c.at(1))) {
        c.next();
        c.skip_space();
        percent = !c.done() && c.at() != '>';
        if (percent)
            c.p[-1] = '%';
    }
    char* name = percent ? c.p - 1 : c.p;
    while (!c.done() && !is_space(c.at()) && c.at() != '>')
        c.next();
    bool named = c.p > name;
    c.cut();
    c.skip_space();
    // The declaration ends at ">"; an entity's quoted texts may hold one.
    char* e = nullptr;
    char quote = 0;
    for (char* q = c.p; q < c.end && !e; ++q) {
        char b = c.byte(q);
        if (quote) {
            if (b == quote)
                quote = 0;
        } else if (type == node_dtd_entity && (b == '"' || b == '\'')) {
            quote = b;
        } else if (b == '>') {
            e = q;
        }
    }
    if (!e)
        return false;
    char* value = text(c.p, e, trim_declarations);
    node_record* node = append_node(parent, type, m_growth);
    if (node) {
        node->name = named ? name : nullptr;
        node->value = value;
    }
    c.jump(e + 1);
    return true;
}

}  // namespace

char* load_file(LPCSTR path, DWORD* size)
{
    if (size)
        *size = 0;
    if (!path)
        return nullptr;
    CHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return nullptr;
    char* text = nullptr;
    size_t length = 0;
    DWORD total = 0;
    char chunk[4096];
    DWORD got = 0;
    bool ok = true;
    while (ok && ReadFile(file, chunk, sizeof chunk - 1, &got, nullptr) && got > 0) {
        total += got;
        chunk[got] = 0;
        size_t n = strlen(chunk);
        char* grown = static_cast<char*>(realloc(text, length + n + 1));
        ok = grown != nullptr;
        if (ok) {
            text = grown;
            memcpy(text + length, chunk, n);
            length += n;
            text[length] = 0;
        }
    }
    file.Close();
    if (!ok || total == 0) {
        free(text);
        return nullptr;
    }
    if (!text)
        text = static_cast<char*>(calloc(1, 1));
    if (size)
        *size = total;
    return text;
}

xml_parser::xml_parser(unsigned long options, BOOL owns_tree, int growth)
    : m_root(nullptr), m_growth(growth > 0 ? growth : 4), m_owns_tree(owns_tree ? TRUE : FALSE),
      m_buffer(nullptr), m_stop(nullptr), m_options(options)
{
}

xml_parser::~xml_parser()
{
    clear();
}

void xml_parser::clear()
{
    if (m_owns_tree)
        free_node_recursive(m_root);
    m_root = nullptr;
    free(m_buffer);
    m_buffer = nullptr;
    m_stop = nullptr;
}

BOOL xml_parser::parse_file(LPCSTR path, unsigned long options)
{
    if (!path)
        return FALSE;
    if (options != keep_options)
        m_options = options;
    clear();
    DWORD size = 0;
    char* text = load_file(path, &size);
    if (!text)
        return FALSE;
    m_buffer = text;
    return build(text, text + strlen(text));
}

BOOL xml_parser::parse(char* text, unsigned long options)
{
    if (!text)
        return FALSE;
    if (options != keep_options)
        m_options = options;
    clear();
    return build(text, text + strlen(text));
}

BOOL xml_parser::build(char* text, char* end)
{
    if (end == text)
        return FALSE;
    m_root = static_cast<node_record*>(calloc(1, sizeof(node_record)));
    if (!m_root)
        return FALSE;
    m_root->parent = m_root;
    m_root->type = node_document;
    m_root->name_insitu = m_root->value_insitu = 1;
    tree_builder builder(m_options, m_growth);
    m_stop = builder.run(text, end, m_root, false);
    return TRUE;
}

}  // namespace pug
