#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <string>
#include "ByteMutator.h"
#include "CHtmlLayout.h"
#include "CHtmlReader.h"
#include "CHtmlStyleSheet.h"
#include "GuardedBuffer.h"

namespace {

// A node as compact text: tag[attr=value,...]{children} and 'text'.
std::string Dump(const CHtmlElement& e)
{
    if (e.IsText())
        return "'" + e.m_text.str() + "'";
    std::string out = e.m_tag.str();
    for (size_t i = 0; i < e.m_attributes.size(); ++i)
        out += (i ? "," : "[") + e.m_attributes[i].first.str() + "=" + e.m_attributes[i].second.str() +
               (i + 1 == e.m_attributes.size() ? "]" : "");
    if (!e.m_children.empty()) {
        out += "{";
        for (const auto& child : e.m_children)
            out += Dump(*child);
        out += "}";
    }
    return out;
}

std::string Read(const std::string& html)
{
    CHtmlReader reader;
    std::unique_ptr<CHtmlElement> root = reader.Read(html.data(), html.size());
    std::string out;
    for (const auto& child : root->m_children)
        out += Dump(*child);
    return out;
}

TEST(HtmlReader, Table)
{
    const struct {
        const char* html;
        const char* tree;
    } cases[] = {
        {"<p>a<b>x</b></p>", "p{'a'b{'x'}}"},
        {"<div id=x><br>t<input type=text value='v'><p>q", "div[id=x]{br't'input[type=text,value=v]p{'q'}}"},
        {"<span title=\"a&amp;b\">&lt;x&gt;&#65;&#x42;&bogus;&#999;</span><script>if (a<b) x=\"</span>\";</script>"
         "<!-- <p> --><i>z</i>",
         "span[title=a&b]{'<x>AB&bogus;?'}i{'z'}"},
        {"<b><i>x</b>y</i>", "b{i{'x'}}'y'"},
        {"<DIV CLASS=\"A\"/><IMG SRC=a.gif id=1 id=2>", "div[class=A]img[src=a.gif,id=1]"},
        {"<p><a href=\"x", "p{a[href=x]}"},
        {"a < b <3", "'a < b <3'"},
        {"<!DOCTYPE html><?xml x?><p a b=>c</p></nomatch>", "p[a=,b=]{'c'}"},
        {"<p<i>x", "p{i{'x'}}"},
        {"<style>.red{color:red}</style><title>T</title><textarea>u</textarea>", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Read(c.html), c.tree) << c.html;
}

int MaxDepth(const CHtmlElement& root, int& count)
{
    int deepest = 0;
    std::vector<std::pair<const CHtmlElement*, int>> stack{{&root, 0}};
    while (!stack.empty()) {
        auto [e, depth] = stack.back();
        stack.pop_back();
        ++count;
        deepest = depth > deepest ? depth : deepest;
        for (const auto& child : e->m_children)
            stack.push_back({child.get(), depth + 1});
    }
    return deepest;
}

TEST(HtmlReader, StaysWithinItsBounds)
{
    const struct {
        std::string html;
        int depth, count;  // of elements below the root
    } cases[] = {
        {[] { std::string s; for (int i = 0; i < 10000; ++i) s += "<div>"; return s + "x"; }(),
         CHtmlReader::kMaxDepth, 10001},
        {[] { std::string s; for (int i = 0; i < 30000; ++i) s += "<br>"; return s; }(), 1, CHtmlReader::kMaxElements},
    };
    for (const auto& c : cases) {
        CHtmlReader reader;
        std::unique_ptr<CHtmlElement> root = reader.Read(c.html.data(), c.html.size());
        int count = -1;
        EXPECT_EQ(MaxDepth(*root, count), c.depth);
        EXPECT_EQ(count, c.count);
    }
    CHtmlReader reader;
    std::string huge = "<p title=\"" + std::string(1 << 20, 'a') + "\">";
    EXPECT_EQ(reader.Read(huge.data(), huge.size())->m_children[0]->GetAttribute("title").GetLength(),
              CHtmlReader::kMaxAttributeLength);
}

// The element tree of the text, with its style rules applied.
std::unique_ptr<CHtmlElement> Styled(const char* text, size_t length)
{
    CHtmlReader reader;
    std::unique_ptr<CHtmlElement> root = reader.Read(text, length);
    CHtmlStyleSheet styles;
    styles.Parse(reader.GetStyleText());
    styles.ComputeStyles(root.get());
    return root;
}

TEST(HtmlStyleSheet, ColoursAndRules)
{
    const struct {
        const char* value;
        bool ok;
        COLORREF color;
    } colors[] = {
        {"#ff8000", true, RGB(255, 128, 0)}, {" #F80 ", true, RGB(255, 136, 0)}, {"rgb(1, 2,3)", true, RGB(1, 2, 3)},
        {"Navy", true, RGB(0, 0, 128)},      {"#12345", false, 0},              {"rgb(1,2)", false, 0},
        {"rgb(1,2,300)", false, 0},          {"#gg0000", false, 0},             {"", false, 0},
    };
    for (const auto& c : colors) {
        COLORREF color = 0;
        EXPECT_EQ(CHtmlStyleSheet::ParseColor(c.value, color), c.ok) << c.value;
        if (c.ok) {
            EXPECT_EQ(color, c.color) << c.value;
        }
    }

    const std::string html =
        "<style>/* x */ .invalid { background: #f00; color: white } #b, p.note {font-weight:bold}"
        " input.valid{background-color:#00ff00} p {color:rgb(1,2,3)} div p:hover{color:red}</style>"
        "<p class=note>n<span style='color:#0000ff'>s</span></p><input id=b class='x invalid'>"
        "<input class=valid><font color=#123456><h2>h</h2></font><a href=x>l</a>";
    std::unique_ptr<CHtmlElement> root = Styled(html.data(), html.size());
    const auto& nodes = root->m_children;
    ASSERT_EQ(nodes.size(), 5u);
    const CHtmlElement& p = *nodes[0];
    EXPECT_EQ(p.m_color, RGB(1, 2, 3));
    EXPECT_TRUE(p.m_bold);
    EXPECT_EQ(p.m_children[1]->m_children[0]->m_color, RGB(0, 0, 255));  // inline style wins, text inherits
    EXPECT_TRUE(p.m_children[1]->m_bold);
    EXPECT_EQ(nodes[1]->m_background, RGB(255, 0, 0));
    EXPECT_EQ(nodes[1]->m_color, RGB(255, 255, 255));
    EXPECT_TRUE(nodes[1]->m_bold);
    EXPECT_EQ(nodes[2]->m_background, RGB(0, 255, 0));
    EXPECT_EQ(nodes[3]->m_children[0]->m_color, RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(nodes[3]->m_children[0]->m_heading, 2);
    EXPECT_TRUE(nodes[4]->m_underline);
    EXPECT_EQ(nodes[4]->m_color, RGB(0, 0, 255));
}

// The shapes the shipped pages use: a tag, class or id rule for elements inside another element.
TEST(HtmlStyleSheet, RulesForElementsInsideOthers)
{
    const std::string html =
        "<style>#head { color: #ffffff; font-weight: bold } #head span { color: #cfe3f5; font-weight: normal }"
        " span { color: navy } #tip h2, .box\tb { color: #1e64a8 } #foot td { padding: 2px 0 }"
        " div.x i { color: red } #tip > p, #tip p b, #tip:hover p { color: lime }</style>"
        "<div id=head>H<span>tip</span></div><span>s</span>"
        "<div id=tip><div><h2>t</h2></div><p><i>i</i><b>b</b></p></div><h2>o</h2>"
        "<div class='box x'><p><b>b</b><i>i</i></p></div><table id=foot><tr><td>f</td></tr></table>";
    std::unique_ptr<CHtmlElement> root = Styled(html.data(), html.size());
    const auto& nodes = root->m_children;
    ASSERT_EQ(nodes.size(), 6u);
    const CHtmlElement& span = *nodes[0]->m_children[1];
    EXPECT_EQ(span.m_color, RGB(0xcf, 0xe3, 0xf5));  // outweighs the later plain span rule
    EXPECT_FALSE(span.m_bold);
    EXPECT_EQ(span.m_children[0]->m_color, RGB(0xcf, 0xe3, 0xf5));
    EXPECT_EQ(nodes[0]->m_children[0]->m_color, RGB(255, 255, 255));
    EXPECT_EQ(nodes[1]->m_color, RGB(0, 0, 128));
    const CHtmlElement& tip = *nodes[2];
    EXPECT_EQ(tip.m_children[0]->m_children[0]->m_color, RGB(0x1e, 0x64, 0xa8));  // any depth below
    EXPECT_EQ(tip.m_children[1]->m_color, RGB(0, 0, 0));  // other forms are skipped
    EXPECT_EQ(tip.m_children[1]->m_children[1]->m_color, RGB(0, 0, 0));
    EXPECT_EQ(nodes[3]->m_color, RGB(0, 0, 0));
    const CHtmlElement& box = *nodes[4]->m_children[0];
    EXPECT_EQ(box.m_children[0]->m_color, RGB(0x1e, 0x64, 0xa8));
    EXPECT_EQ(box.m_children[1]->m_color, RGB(255, 0, 0));
    EXPECT_EQ(nodes[5]->m_children[0]->m_children[0]->m_color, RGB(0, 0, 0));
}

// A block's background covers the block only, not what follows it in the enclosing block.
TEST(HtmlLayout, BackgroundEndsWithItsBlock)
{
    const std::string html =
        "<style>body { background: #dfeef8 } #head { background: #1e64a8; color: #ffffff }</style>"
        "<body><div id=head>Head</div><table id=foot><tr><td>Row</td></tr></table></body>";
    std::unique_ptr<CHtmlElement> root = Styled(html.data(), html.size());

    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 100);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    RECT all = {0, 0, 200, 100};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const HFONT fonts[4] = {font, font, font, font};
    auto renderer = [](HDC hdc, LPCSTR text, int length, LPRECT rect, UINT format) {
        return DrawTextA(hdc, text, length, rect, format);
    };
    CHtmlLayout layout;
    layout.Build(root.get(), dc, fonts, renderer, 200);
    layout.Paint(dc, fonts, renderer, all);
    RECT head = {}, row = {};
    ASSERT_TRUE(layout.GetElementRect(root->FindById("head"), &head));
    ASSERT_TRUE(layout.GetElementRect(root->FindById("foot"), &row));
    EXPECT_EQ(GetPixel(dc, 2, (head.top + head.bottom) / 2), RGB(0x1e, 0x64, 0xa8));
    EXPECT_EQ(GetPixel(dc, 2, (row.top + row.bottom) / 2), RGB(255, 255, 255));
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// Damaged and random pages, read from memory that ends at a guard page, then styled.
TEST(HtmlReader, FuzzedPages)
{
    const char* const seeds[] = {
        "<html><head><style>.valid{background-color:#cfc} #x{color:rgb(1,2,3)}</style><script>a<b</script></head>"
        "<body bgcolor=#fff><p class=valid>Errors: <span id=idErrors>0</span><br>"
        "<input type=text id=t value=\"a&amp;b\" size=30><input type=checkbox checked id=c>"
        "<button id=btnSubmit>OK</button><a href='http://x/?a=1&b=2' id=l>link</a><img src=a.gif></p></body></html>",
        "<!DOCTYPE x><div><h1>T</h1><font color=red><b><i>x</b></i></font><!-- c --><p>p<p>q</div></span>&#x41;&",
    };
    const char* const tokens[] = {"<", ">", "</", "/>", "=", "\"", "'", "<!--", "-->", "<script>", "</style>",
                                  "<style>", "&", "&#", ";", "{", "}", ":", "#", "<br>", "<input ", "<div>"};
    testsupport::GuardedBuffer guard(64 * 1024);
    ASSERT_TRUE(guard.Ok());
    for (const char* seed : seeds) {
        // Every construct cut short at every byte.
        std::string page(seed);
        for (size_t n = 0; n <= page.size(); ++n) {
            CHtmlReader reader;
            int count = 0;
            ASSERT_LE(MaxDepth(*reader.Read(guard.Place(page.substr(0, n)), n), count), CHtmlReader::kMaxDepth);
        }
    }
    testsupport::ByteMutator mutator(20261207u, 6, 24, true);
    std::mt19937 random(7u);
    for (int i = 0; i < 100000; ++i) {
        std::string page = seeds[i % std::size(seeds)];
        if (i % 3 == 0)
            for (int k = 0; k < 8; ++k)
                page.insert(random() % (page.size() + 1), tokens[random() % std::size(tokens)]);
        mutator.Mutate(page);
        const char* placed = guard.Place(page.substr(0, guard.Capacity()));
        std::unique_ptr<CHtmlElement> root = Styled(placed, page.size() < guard.Capacity() ? page.size() : guard.Capacity());
        int count = 0;
        ASSERT_LE(MaxDepth(*root, count), CHtmlReader::kMaxDepth) << page;
        root->FindById("idErrors");
        root->GetInnerText();
    }
}

}  // namespace
