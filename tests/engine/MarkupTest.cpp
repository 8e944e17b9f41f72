#include <gtest/gtest.h>
#include <string>
#include "CMarkup.h"

namespace {

// The text of child `child` of the root, found by FindChildElem(child).
CString ChildData(const char* doc, const char* child)
{
    CMarkup xml;
    if (!xml.SetDoc(doc) || !xml.FindChildElem(child))
        return "<not found>";
    return xml.GetData();
}

}  // namespace

TEST(Markup, ElementTexts)
{
    const struct { const char* doc; const char* child; const char* text; } cases[] = {
        {"<r><a>&amp;lt;</a></r>", "a", "&lt;"},  // decoded once
        {"<r><a>&lt;&amp;&gt;&apos;&quot;</a></r>", "a", "<&>'\""},
        {"<r><a>A&foo;B&#65;&amp</a></r>", "a", "A&foo;B&#65;&amp"},
        {"<r><a></a></r>", "a", ""},
        {"<r><a/></r>", "a", ""},
        {"<r><a /></r>", "a", ""},
        {"<r><a><![CDATA[x &amp; <y>]]></a></r>", "a", "x &amp; <y>"},
        {"<r><a>  <![CDATA[z]]> </a></r>", "a", "z"},
        {"<r><a>  two\r\n lines </a></r>", "a", "  two\r\n lines "},
        {"<r><a>t<!-- c --></a></r>", "a", "t<!-- c -->"},
        {"<r><a><b>inner</b></a></r>", "a", ""},  // has children
        {"<r><a x=\"1\" y='2'>v</a></r>", "a", "v"},
        {"<?xml version=\"1.0\"?>\r\n<!-- lead -->\r\n<!DOCTYPE r>\r\n<r>\r\n <a>1</a>\r\n</r>", "a", "1"},
        {"<r><A>upper</A><a>lower</a></r>", "a", "lower"},  // names compare with case
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.text, ChildData(c.doc, c.child)) << c.doc;
}

TEST(Markup, NavigationFollowsSiblingsInOrder)
{
    CMarkup xml;
    ASSERT_TRUE(xml.SetDoc("<r><a>1</a><b/><a>2</a><c><d>deep</d><d>deeper</d></c></r>"));
    EXPECT_TRUE(xml.GetError().IsEmpty());
    EXPECT_FALSE(xml.FindElem("x"));
    EXPECT_TRUE(xml.FindElem("r"));
    EXPECT_STREQ("r", xml.GetTagName());
    EXPECT_FALSE(xml.FindElem());  // the root has no siblings

    EXPECT_TRUE(xml.FindChildElem("a"));
    EXPECT_STREQ("1", xml.GetData());
    EXPECT_TRUE(xml.FindChildElem("a"));
    EXPECT_STREQ("2", xml.GetData());
    EXPECT_FALSE(xml.FindChildElem("a"));
    EXPECT_STREQ("2", xml.GetData());  // a failed search leaves the child where it was
    EXPECT_FALSE(xml.FindChildElem("b"));  // the search never goes back

    EXPECT_TRUE(xml.FindChildElem("c"));
    EXPECT_TRUE(xml.IntoElem());
    EXPECT_STREQ("c", xml.GetTagName());
    EXPECT_TRUE(xml.FindChildElem());
    EXPECT_STREQ("deep", xml.GetData());
    EXPECT_TRUE(xml.IntoElem());
    EXPECT_STREQ("d", xml.GetTagName());
    EXPECT_FALSE(xml.IntoElem());  // no children
    EXPECT_TRUE(xml.FindElem("d"));
    EXPECT_TRUE(xml.OutOfElem());
    EXPECT_STREQ("c", xml.GetTagName());
    EXPECT_STREQ("deeper", xml.GetData());
    EXPECT_TRUE(xml.OutOfElem());
    EXPECT_STREQ("r", xml.GetTagName());
    EXPECT_STREQ("c", xml.GetChildTagName());
    EXPECT_FALSE(xml.OutOfElem());  // level 0
}

TEST(Markup, FindChildElemStartsAtTheRootAndManyRecordsGrow)
{
    std::string doc = "<list>";
    for (int i = 0; i < 3000; ++i)
        doc += "<item>" + std::to_string(i) + "</item>";
    doc += "</list>";
    CMarkup xml;
    ASSERT_TRUE(xml.SetDoc(doc.c_str()));
    int count = 0;
    while (xml.FindChildElem("item")) {
        EXPECT_EQ(std::to_string(count), xml.GetData().str());
        ++count;
    }
    EXPECT_EQ(3000, count);
    EXPECT_STREQ("list", xml.GetTagName());
}

// Every malformed document fails with its reason and leaves nothing to find.
// The bytes behind the NUL would complete the document: a reader that went
// past the end of the text would succeed.
TEST(Markup, MalformedDocumentsFailWithinTheText)
{
    const struct { const char* doc; const char* tail; const char* error; } cases[] = {
        {"", "<r/>", "Element tag not found"},
        {"  \r\n ", "<r/>", "Element tag not found"},
        {"just text", "<r/>", "Element tag not found"},
        {"<", "r/>", "Abrupt end within tag"},
        {"<   ", "r/>", "Abrupt end within tag"},
        {"<r", "/>", "End of tag not found"},
        {"<r a=\"1", "\"/>", "End of tag not found"},
        {"<\"r\"/>", "", "Tag starts with quote"},
        {"<r>", "</r>", "End tag of r element not found"},
        {"<r>text", "</r>", "End tag of r element not found"},
        {"<r>text<", "/r>", "Abrupt end within tag"},
        {"<r><a>1</a><", "/r>", "Abrupt end within tag"},
        {"<r></", "r>", "End tag does not correspond to r"},
        {"<r></r", ">", "End tag not completed for element r"},
        {"<r><a></b></r>", "", "End tag does not correspond to a"},
        {"<r><a>1</a>", "</r>", "End tag of r element not found"},
        {"<r><![CDATA[abc</r>", "]]></r>", "End of tag not found"},
        {"<r><![CDATA[abc]]", "></r>", "End of tag not found"},
        {"<r><!-- open</r>", "--></r>", "End of tag not found"},
        {"<?xml version=\"1.0\"", "?><r/>", "End of tag not found"},
        {"<!DOCTYPE r", "><r/>", "End of tag not found"},
        {"</r>", "", "Element tag not found"},
    };
    for (const auto& c : cases) {
        std::string buffer = std::string(c.doc) + '\0' + c.tail;
        CMarkup xml;
        EXPECT_FALSE(xml.SetDoc(buffer.c_str())) << c.doc;
        EXPECT_STREQ(c.error, xml.GetError()) << c.doc;
        EXPECT_FALSE(xml.FindElem()) << c.doc;
        EXPECT_FALSE(xml.FindChildElem()) << c.doc;
        EXPECT_FALSE(xml.IntoElem()) << c.doc;
        EXPECT_TRUE(xml.GetData().IsEmpty()) << c.doc;
    }
}

TEST(Markup, ReparseReplacesTheDocument)
{
    CMarkup xml;
    ASSERT_TRUE(xml.SetDoc("<r><a>1</a></r>"));
    ASSERT_TRUE(xml.FindChildElem("a"));
    EXPECT_FALSE(xml.SetDoc("<r><a>1</a>"));
    EXPECT_TRUE(xml.GetData().IsEmpty());
    ASSERT_TRUE(xml.SetDoc("<s><b>2</b></s>"));
    EXPECT_TRUE(xml.GetError().IsEmpty());
    EXPECT_FALSE(xml.FindChildElem("a"));
    EXPECT_TRUE(xml.FindChildElem("b"));
    EXPECT_STREQ("2", xml.GetData());
    // Anything behind the root's end tag is not looked at.
    EXPECT_TRUE(xml.SetDoc("<r/><"));
}

TEST(Markup, DeepNestingIsRefusedNotOverflowed)
{
    std::string ok, deep;
    for (int i = 0; i < 500; ++i)
        ok += "<a>";
    for (int i = 0; i < 500; ++i)
        ok += "</a>";
    CMarkup xml;
    EXPECT_TRUE(xml.SetDoc(ok.c_str()));
    for (int i = 0; i < 200000; ++i)
        deep += "<a>";
    EXPECT_FALSE(xml.SetDoc(deep.c_str()));
    EXPECT_STREQ("Element nesting too deep", xml.GetError());
}
