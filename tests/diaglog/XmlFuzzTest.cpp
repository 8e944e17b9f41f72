#include <gtest/gtest.h>
#include "xml_parser.h"
#include "CMarkup.h"
#include "ByteMutator.h"
#include "GuardedBuffer.h"
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

using namespace pug;
using testsupport::GuardedBuffer;

namespace {

const size_t kMaxInput = 16 * 1024;
const int kIterations = 200000;

// Places an input (its first kMaxInput bytes) so that its terminating zero is
// the last readable byte: any read past the text faults on the guard page.
char* Place(GuardedBuffer& guard, const std::string& input)
{
    return guard.PlaceText(input.size() > kMaxInput ? input.substr(0, kMaxInput) : input);
}

const char* const kSeeds[] = {
    "<?xml version=\"1.0\"?>\n<LogSettings filesystem=\"true\" processes='TRUE' hosts=\"1\" registry=true>\n"
    "  <RegKey rootKey=\"HKEY_LOCAL_MACHINE\" subKey=\"Software\\Run\" recurse=\"false\"/>\n"
    "  <Group><RegKey rootKey='hkcu' subKey='a &amp; b'/></Group>\n"
    "  <Directory name=\"%windir%\\Temp\" recurse=\"true\"></Directory>\n</LogSettings>\n",
    "<?xml version=\"1.0\"?><!-- settings --><DIDEZADUVEVIZI><APPNAME>Keldrix</APPNAME>"
    "<REGISTRYNAME>Keldrix</REGISTRYNAME><URLPROD>http://x/?a=1&amp;b=2</URLPROD>"
    "<LOGEMAIL><![CDATA[a@b.c]]></LOGEMAIL><EMPTY/><VENDID> 12 </VENDID></DIDEZADUVEVIZI>",
    "<!DOCTYPE r PUBLIC \"-//x//y\" 'r.dtd' [\n<!ENTITY % p \"a>b\">\n<!ELEMENT r (#PCDATA|e)*>\n"
    "<!ATTLIST r a CDATA #IMPLIED>\n<!NOTATION n SYSTEM 'n'>\n<![INCLUDE[ <!ENTITY q 'x'> ]]>\n]>\n"
    "<r a='1'>text<e/></r>",
    "<r><![CDATA[ <not> ]]><!-- c -- c --><?pi a='1' b?><a x=\"'\" y='\"'>  t  x  </b></r>",
    "<a b c=d e = 'f' g=\"h\"/><i/><j k='l'></j></m><n>",
};

const char* const kTokens[] = {
    "<", ">", "/>", "</", "<?", "?>", "<!", "<!--", "-->", "<![CDATA[", "]]>", "<![INCLUDE[",
    "<!DOCTYPE", "<!ENTITY", "<!ELEMENT", "<!ATTLIST", "<!NOTATION", "[", "]", "\"", "'", "=",
    " ", "\t", "\r\n", "%", "&amp;", "&", "a", "RegKey", "LogSettings", "x='1'", "\xE9", "!", "?",
};

// A fresh document of tokens, or a seed with tokens put in, a piece of
// another seed spliced on, and bytes damaged.
std::string NextInput(std::mt19937& random, testsupport::ByteMutator& mutator)
{
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    std::string s;
    if (pick(4) == 0) {
        for (size_t n = 1 + pick(60); n > 0; --n)
            s += kTokens[pick(std::size(kTokens))];
        mutator.Mutate(s);
        return s;
    }
    s = kSeeds[pick(std::size(kSeeds))];
    for (size_t n = pick(4); n > 0; --n)
        s.insert(pick(s.size() + 1), kTokens[pick(std::size(kTokens))]);
    if (pick(6) == 0) {
        std::string other = kSeeds[pick(std::size(kSeeds))];
        s = s.substr(0, pick(s.size() + 1)) + other.substr(pick(other.size() + 1));
    }
    mutator.Mutate(s);
    return s;
}

// Reads the whole tree the way a caller would: every text, every attribute, the searches.
void WalkTree(xml_node document)
{
    std::vector<xml_node> stack{document};
    size_t bytes = 0;
    while (!stack.empty()) {
        xml_node node = stack.back();
        stack.pop_back();
        bytes += strlen(node.name() ? node.name() : "") + strlen(node.value() ? node.value() : "");
        for (int i = 0; i < node.attribute_count(); ++i) {
            xml_attribute a = node.attribute_at(i);
            bytes += strlen(a.name() ? a.name() : "") + strlen(a.value() ? a.value() : "");
        }
        for (int i = 0; i < node.child_count(); ++i)
            stack.push_back(node.child(i));
    }
    xml_node settings = document.first_element_by_name("LogSettings");
    bytes += strlen(settings.attribute("registry").value());
    xml_node key = document.first_element_by_name("*");
    for (BOOL more = !key.empty(); more; more = key.moveto_next_sibling("[A-Z]*"))
        bytes += strlen(key.attribute("subKey").value());
    (void)bytes;
}

void ReadMarkup(const char* text)
{
    CMarkup markup;
    if (!markup.SetDoc(text))
        return;
    markup.FindElem();
    for (int i = 0; i < 50 && markup.FindChildElem(); ++i) {
        markup.GetData();
        if (markup.IntoElem()) {
            markup.FindChildElem();
            markup.GetData();
            markup.OutOfElem();
        }
    }
}

// Parses one input in place and checks where the parse stopped.
void ParseGuarded(GuardedBuffer& guard, const std::string& input, unsigned long options)
{
    char* text = Place(guard, input);
    size_t length = strlen(text);
    xml_parser parser;
    if (parser.parse(text, options)) {
        ASSERT_GE(parser.stopped_at(), text);
        ASSERT_LE(parser.stopped_at(), text + length);
        WalkTree(parser.document());
    }
}

// Every prefix of a rich document: each construct cut short at every byte.
TEST(XmlFuzz, EveryTruncation)
{
    GuardedBuffer guard(kMaxInput + 1);
    ASSERT_TRUE(guard.Ok());
    for (const char* seed : kSeeds) {
        std::string doc(seed);
        for (size_t n = 0; n <= doc.size(); ++n) {
            SCOPED_TRACE(doc.substr(0, n));
            ParseGuarded(guard, doc.substr(0, n), all_options);
            ParseGuarded(guard, doc.substr(0, n), all_options & ~stop_after_subset);
            ReadMarkup(Place(guard, doc.substr(0, n)));
            if (HasFatalFailure())
                return;
        }
    }
}

// Random and mutated documents, with a fixed seed and count.
TEST(XmlFuzz, RandomAndMutatedDocuments)
{
    GuardedBuffer guard(kMaxInput + 1);
    ASSERT_TRUE(guard.Ok());
    std::mt19937 random(20240611u);
    testsupport::ByteMutator mutator(20240611u, 4, 40, false);
    for (int i = 0; i < kIterations; ++i) {
        std::string input = NextInput(random, mutator);
        unsigned long options = (i % 3 == 0) ? static_cast<unsigned long>(random() % 0x10000) : all_options;
        ParseGuarded(guard, input, options);
        ReadMarkup(Place(guard, input));
        if (HasFatalFailure()) {
            ADD_FAILURE() << "input " << i << ": " << input;
            return;
        }
    }
}

}  // namespace
