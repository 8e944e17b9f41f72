#include <gtest/gtest.h>
#include "xml_parser.h"
#include "TestSupport.h"
#include <string>
#include <vector>

using namespace pug;

namespace {

// A parser over its own copy of a document.
struct Parsed {
    explicit Parsed(const std::string& doc, unsigned long options = all_options)
        : text(doc.begin(), doc.end())
    {
        text.push_back(0);
        ok = parser.parse(text.data(), options);
    }
    xml_node find(const char* name) const { return parser.document().first_element_by_name(name); }

    std::vector<char> text;
    xml_parser parser;
    BOOL ok;
};

std::string Show(LPCSTR text)
{
    return text ? std::string("\"") + text + "\"" : "(null)";
}

struct DocCase {
    const char* label;
    const char* doc;
    const char* element;    // looked up from the document
    const char* attribute;  // null: the element must not be found
    const char* value;      // expected value; null for an attribute without a value
    int attributes;         // expected attribute count of the element, -1 not checked
    const char* parent;     // expected name of the element's parent, null not checked
};

const DocCase kDocCases[] = {
    {"nested several levels", "<a><b x='1'><c><d><Directory name='deep'/></d></c></b><Directory name='later'/></a>",
     "Directory", "name", "deep", 1, "d"},
    {"parent before its children", "<Directory name='outer'><Directory name='inner'/></Directory>",
     "Directory", "name", "outer", 1, nullptr},
    {"double quotes inside single", "<e v='say \"hi\"'/>", "e", "v", "say \"hi\"", 1, nullptr},
    {"single quotes inside double", "<e v=\"it's\"/>", "e", "v", "it's", 1, nullptr},
    {"trimmed", "<e v='   true  '/>", "e", "v", "true", 1, nullptr},
    {"inner run folded", "<e v=' C:\\My  Files '/>", "e", "v", "C:\\My Files", 1, nullptr},
    {"single tab kept", "<e v=' a\tb '/>", "e", "v", "a\tb", 1, nullptr},
    {"all runs folded once one is long", "<e v='a\tb  c\r\nd'/>", "e", "v", "a b c d", 1, nullptr},
    {"only white space", "<e v=' \t '/>", "e", "v", "", 1, nullptr},
    {"spaces around =", "<e v \n=\t 'x'/>", "e", "v", "x", 1, nullptr},
    {"DOCTYPE with internal subset stops", "<!DOCTYPE LogSettings [<!ENTITY a 'b'>]><LogSettings registry='true'/>",
     "LogSettings", nullptr, nullptr, -1, nullptr},
    {"DOCTYPE without subset", "<!DOCTYPE LogSettings SYSTEM 'x.dtd'><LogSettings registry='true'/>",
     "LogSettings", "registry", "true", 1, nullptr},
    {"mismatched end tag closes", "<root><LogSettings registry='true'><x/></Other><RegKey subKey='k'/></root>",
     "RegKey", "subKey", "k", 1, "root"},
    {"attributes of a mismatched element", "<root><LogSettings registry='true'></Other></root>",
     "LogSettings", "registry", "true", 1, "root"},
    {"entity left as written", "<e v='a &amp; b &#38; c'/>", "e", "v", "a &amp; b &#38; c", 1, nullptr},
    {"unquoted value", "<e registry=true/>", "e", "registry", nullptr, 2, nullptr},
    {"word after unquoted value", "<e registry=true/>", "e", "true", nullptr, 2, nullptr},
    {"name without =", "<e checked v='1'>", "e", "checked", nullptr, 2, nullptr},
    {"names compared with case", "<regkey subKey='a'/><RegKey subKey='b'/>", "RegKey", "subKey", "b", 1, nullptr},
    {"comment is passed over", "<!-- <e v='no'/> --><e v='yes'/>", "e", "v", "yes", 1, nullptr},
    {"CDATA is passed over", "<r><![CDATA[<e v='no'/>]]><e v='yes'/></r>", "e", "v", "yes", 1, "r"},
    {"processing instruction found by name", "<?e v='pi'?><e v='el'/>", "e", "v", "pi", 1, nullptr},
    {"unclosed quote keeps earlier nodes", "<a x='1'/><e v='open", "a", "x", "1", 1, nullptr},
    {"cut inside a tag", "<r><e v='1' w", "e", "v", "1", 2, "r"},
    {"unclosed comment ends the parse", "<a x='1'/><!-- <e v='2'/>", "e", nullptr, nullptr, -1, nullptr},
};

TEST(XmlParser, SmallDocuments)
{
    for (const DocCase& c : kDocCases) {
        SCOPED_TRACE(c.label);
        Parsed p(c.doc);
        ASSERT_TRUE(p.ok);
        xml_node node = p.find(c.element);
        if (!c.attribute) {
            EXPECT_TRUE(node.empty());
            continue;
        }
        ASSERT_FALSE(node.empty());
        if (c.attributes >= 0) {
            EXPECT_EQ(node.attribute_count(), c.attributes);
        }
        EXPECT_EQ(Show(node.attribute(c.attribute).value()), Show(c.value));
        if (c.parent) {
            EXPECT_EQ(Show(node.parent().name()), Show(c.parent));
        }
    }
}

TEST(XmlParser, NamePatterns)
{
    struct { const char* pattern; const char* name; bool match; } cases[] = {
        {"RegKey", "RegKey", true},   {"RegKey", "regkey", false}, {"RegKey", "RegKeys", false},
        {"*", "", true},              {"*", "abc", true},          {"a*c", "ac", true},
        {"a*c", "abbbc", true},       {"a*c", "abcd", false},      {"*b*", "abc", true},
        {"a?c", "abc", true},         {"a?c", "ac", false},        {"[a-c]x", "bx", true},
        {"[a-c]x", "dx", false},      {"[!a-c]x", "dx", true},     {"[!a-c]x", "ax", false},
        {"[xyz]", "y", true},         {"[", "[", true},            {"a[b", "a[b", true},
        {"*[0-9]", "key7", true},     {"*[0-9]", "key", false},    {"a*b*c*d", "aXbXXcd", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(match_name(c.pattern, c.name), c.match) << c.pattern << " / " << c.name;
    EXPECT_FALSE(match_name(nullptr, "a"));
}

TEST(XmlParser, SiblingsAndMissingAttributes)
{
    Parsed p("<r><k n='1'/><x/><k n='2'/><k n='3'></k></r><s><k n='4'/></s>");
    xml_node k = p.find("k");
    std::string seen;
    for (BOOL more = !k.empty(); more; more = k.moveto_next_sibling("k"))
        seen += k.attribute("n").value();
    EXPECT_EQ(seen, "123");   // the second group is not reached
    EXPECT_STREQ(k.attribute("n").value(), "3");   // a failed move leaves the handle in place

    // A missing attribute is appended with an empty value and found again.
    EXPECT_EQ(k.attribute_count(), 1);
    EXPECT_STREQ(k.attribute("recurse").value(), "");
    EXPECT_EQ(k.attribute_count(), 2);
    EXPECT_STREQ(k.attribute("recurse").name(), "recurse");
    EXPECT_EQ(k.attribute_count(), 2);

    xml_node doc = p.parser.document();
    EXPECT_EQ(doc.type(), node_document);
    EXPECT_FALSE(doc.moveto_next_sibling("*"));
}

TEST(XmlParser, NullHandles)
{
    xml_parser empty;
    EXPECT_TRUE(empty.document().empty());
    xml_node missing = empty.document().first_element_by_name("LogSettings");
    EXPECT_EQ(missing.type(), node_null);
    EXPECT_STREQ(missing.attribute("registry").value(), "");
    EXPECT_FALSE(missing.moveto_next_sibling("*"));
    EXPECT_EQ(xml_attribute().value(), nullptr);

    // A copy of a null handle has a null node of its own, also once the original is gone.
    xml_node* original = new xml_node();
    original->attribute("a");
    xml_node copy(*original);
    xml_node assigned;
    assigned = *original;
    delete original;
    EXPECT_EQ(copy.type(), node_null);
    EXPECT_EQ(copy.attribute_count(), 0);
    EXPECT_STREQ(copy.attribute("b").value(), "");
    EXPECT_EQ(copy.attribute_count(), 1);
    EXPECT_EQ(assigned.attribute_count(), 0);
    EXPECT_TRUE(copy.first_element_by_name("*").empty());
}

TEST(XmlParser, DeepNestingDoesNotRecurse)
{
    const int depth = 200000;
    std::string doc;
    for (int i = 0; i < depth; ++i)
        doc += "<a>";
    doc += "<Directory name='deep'/>";
    Parsed p(doc);
    xml_node dir = p.find("Directory");
    ASSERT_FALSE(dir.empty());
    EXPECT_STREQ(dir.attribute("name").value(), "deep");
    EXPECT_TRUE(p.find("Missing").empty());
}

TEST(XmlParser, NodeKinds)
{
    Parsed p("<?xml version='1.0'?><!-- note  here --><r a='1'>  some\n\n text <![CDATA[  <x>  ]]></r>"
             "<!DOCTYPE r SYSTEM \"r.dtd\" [<!ENTITY % p \"x>y\"><!ELEMENT e (#PCDATA)>"
             "<!ATTLIST e a CDATA #IMPLIED><!NOTATION n SYSTEM 'n'><!-- [nested] -->]><after/>");
    xml_node doc = p.parser.document();
    ASSERT_EQ(doc.child_count(), 4);
    xml_node pi = doc.child(0);
    EXPECT_EQ(pi.type(), node_pi);
    EXPECT_STREQ(pi.name(), "xml");
    EXPECT_STREQ(pi.attribute("version").value(), "1.0");
    EXPECT_EQ(doc.child(1).type(), node_comment);
    EXPECT_STREQ(doc.child(1).value(), "note here");
    xml_node r = doc.child(2);
    ASSERT_EQ(r.child_count(), 2);
    EXPECT_EQ(r.child(0).type(), node_pcdata);
    EXPECT_STREQ(r.child(0).value(), "some text");
    EXPECT_EQ(r.child(1).type(), node_cdata);
    EXPECT_STREQ(r.child(1).value(), "<x>");

    xml_node dt = doc.child(3);
    EXPECT_EQ(dt.type(), node_doctype);
    EXPECT_EQ(dt.name(), nullptr);
    ASSERT_EQ(dt.attribute_count(), 3);
    EXPECT_STREQ(dt.attribute_at(0).name(), "r");
    EXPECT_STREQ(dt.attribute_at(0).value(), "r");
    EXPECT_STREQ(dt.attribute_at(1).value(), "SYSTEM");
    EXPECT_EQ(dt.attribute_at(2).name(), nullptr);
    EXPECT_STREQ(dt.attribute_at(2).value(), "r.dtd");
    EXPECT_STREQ(dt.value(), "<!ENTITY % p \"x>y\"><!ELEMENT e (#PCDATA)><!ATTLIST e a CDATA #IMPLIED>"
                             "<!NOTATION n SYSTEM 'n'><!-- [nested] -->");
    ASSERT_EQ(dt.child_count(), 5);
    const struct { int type; const char* name; const char* value; } dtd[] = {
        {node_dtd_entity, "%p", "\"x>y\""}, {node_dtd_element, "e", "(#PCDATA)"},
        {node_dtd_attlist, "e", "a CDATA #IMPLIED"}, {node_dtd_notation, "n", "SYSTEM 'n'"},
        {node_comment, nullptr, "[nested]"},
    };
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(dt.child(i).type(), dtd[i].type) << i;
        EXPECT_EQ(Show(dt.child(i).name()), Show(dtd[i].name)) << i;
        EXPECT_EQ(Show(dt.child(i).value()), Show(dtd[i].value)) << i;
    }
    EXPECT_TRUE(p.find("after").empty());   // the parse stopped after the subset

    // Without the stop, and with comments, sections and untrimmed values.
    Parsed q("<!-- c --><!DOCTYPE r [<!ELEMENT e ANY>]><r a=' 1 '>x<![CDATA[ y ]]></r>",
             all_options & ~(stop_after_subset | keep_comments | keep_cdata | trim_attributes));
    xml_node qd = q.parser.document();
    ASSERT_EQ(qd.child_count(), 2);
    EXPECT_EQ(qd.child(0).type(), node_doctype);
    EXPECT_STREQ(q.find("r").attribute("a").value(), " 1 ");
    EXPECT_EQ(q.find("r").child_count(), 1);
}

TEST(XmlParser, ParseFile)
{
    testsupport::TempDir dir;
    xml_parser parser;
    EXPECT_FALSE(parser.parse_file(nullptr));
    EXPECT_FALSE(parser.parse_file(dir.File("missing.xml").c_str()));
    EXPECT_TRUE(parser.document().empty());

    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File("empty.xml"), ""));
    EXPECT_FALSE(parser.parse_file(dir.File("empty.xml").c_str()));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File("zero.xml"), std::string("\0<a/>", 5)));
    EXPECT_FALSE(parser.parse_file(dir.File("zero.xml").c_str()));

    // A zero byte ends what its chunk of 4095 bytes gives; the next chunk goes on.
    std::string doc = std::string("<a x='1'/>\0<b/>", 15) + std::string(4095 - 15, ' ') + "<c y='2'/>";
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File("chunks.xml"), doc));
    ASSERT_TRUE(parser.parse_file(dir.File("chunks.xml").c_str()));
    xml_node d = parser.document();
    EXPECT_STREQ(d.first_element_by_name("a").attribute("x").value(), "1");
    EXPECT_TRUE(d.first_element_by_name("b").empty());
    EXPECT_STREQ(d.first_element_by_name("c").attribute("y").value(), "2");

    DWORD size = 0;
    char* text = load_file(dir.File("chunks.xml").c_str(), &size);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(size, doc.size());
    EXPECT_EQ(strlen(text), 20u);
    free(text);
}

}  // namespace
