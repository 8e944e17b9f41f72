#include "CHtmlStyleSheet.h"
#include <algorithm>
#include <cstdlib>

namespace {

const struct {
    const char* name;
    COLORREF color;
} kColorNames[] = {
    {"black", RGB(0, 0, 0)},        {"white", RGB(255, 255, 255)}, {"red", RGB(255, 0, 0)},
    {"green", RGB(0, 128, 0)},      {"lime", RGB(0, 255, 0)},      {"blue", RGB(0, 0, 255)},
    {"navy", RGB(0, 0, 128)},       {"yellow", RGB(255, 255, 0)},  {"gray", RGB(128, 128, 128)},
    {"grey", RGB(128, 128, 128)},   {"silver", RGB(192, 192, 192)}, {"maroon", RGB(128, 0, 0)},
    {"orange", RGB(255, 165, 0)},   {"purple", RGB(128, 0, 128)},  {"teal", RGB(0, 128, 128)},
    {"olive", RGB(128, 128, 0)},    {"aqua", RGB(0, 255, 255)},    {"fuchsia", RGB(255, 0, 255)},
};

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsClassListed(const CString& classes, const CString& cls)
{
    int start = 0;
    for (CString token = classes.Tokenize(" \t\r\n", start); start >= 0; token = classes.Tokenize(" \t\r\n", start))
        if (token == cls)
            return true;
    return false;
}

}  // namespace

bool CHtmlStyleSheet::ParseColor(CString value, COLORREF& color)
{
    value.Trim();
    value.MakeLower();
    if (value.GetLength() > 0 && value[0] == '#') {
        int digits[6];
        int n = value.GetLength() - 1;
        if (n != 3 && n != 6)
            return false;
        for (int i = 0; i < n; ++i)
            if ((digits[i] = HexValue(value[i + 1])) < 0)
                return false;
        if (n == 3)
            color = RGB(digits[0] * 17, digits[1] * 17, digits[2] * 17);
        else
            color = RGB(digits[0] * 16 + digits[1], digits[2] * 16 + digits[3], digits[4] * 16 + digits[5]);
        return true;
    }
    if (value.Left(4) == "rgb(" && value.Right(1) == ")") {
        CString inner = value.Mid(4, value.GetLength() - 5);
        int start = 0, parts[3], count = 0;
        for (CString token = inner.Tokenize(",", start); start >= 0 && count < 4; token = inner.Tokenize(",", start)) {
            token.Trim();
            char* stop = nullptr;
            long number = strtol(token, &stop, 10);
            if (token.IsEmpty() || *stop || number < 0 || number > 255 || count == 3)
                return false;
            parts[count++] = static_cast<int>(number);
        }
        if (count != 3)
            return false;
        color = RGB(parts[0], parts[1], parts[2]);
        return true;
    }
    for (const auto& named : kColorNames) {
        if (value == named.name) {
            color = named.color;
            return true;
        }
    }
    return false;
}

void CHtmlStyleSheet::ParseDeclarations(const CString& text, Declarations& declarations)
{
    int start = 0;
    for (CString item = text.Tokenize(";", start); start >= 0; item = text.Tokenize(";", start)) {
        int colon = item.Find(':');
        if (colon < 0)
            continue;
        CString name = item.Left(colon);
        CString value = item.Mid(colon + 1);
        name.Trim();
        name.MakeLower();
        value.Trim();
        value.MakeLower();
        value.Replace("!important", "");
        value.Trim();
        COLORREF color;
        if (name == "color" && ParseColor(value, color))
            declarations.color = color;
        else if ((name == "background-color" || name == "background") && ParseColor(value, color))
            declarations.background = color;
        else if (name == "font-weight")
            declarations.bold = (value == "bold" || value == "bolder" || atoi(value) >= 600) ? 1 : 0;
    }
}

void CHtmlStyleSheet::Parse(const CString& text)
{
    m_rules.clear();
    int pos = 0;
    const int length = text.GetLength();
    while (pos < length && m_rules.size() < static_cast<size_t>(kMaxRules)) {
        int open = text.Find('{', pos);
        if (open < 0)
            break;
        int close = text.Find('}', open);
        if (close < 0)
            close = length;
        CString selectors = text.Mid(pos, open - pos);
        Declarations declarations;
        ParseDeclarations(text.Mid(open + 1, close - open - 1), declarations);
        pos = close + 1;
        // Comments before a selector are dropped with the text up to their end.
        int comment = selectors.Find("*/");
        if (comment >= 0)
            selectors = selectors.Mid(comment + 2);
        int start = 0;
        for (CString selector = selectors.Tokenize(",", start); start >= 0 && m_rules.size() < static_cast<size_t>(kMaxRules);
             selector = selectors.Tokenize(",", start)) {
            selector.Trim();
            // One simple selector, or two joined by blanks (the second inside the first).
            int gap = selector.FindOneOf(" \t\r\n");
            CString subject = gap < 0 ? selector : selector.Mid(gap + 1);
            subject.Trim();
            Rule rule;
            rule.declarations = declarations;
            if (gap >= 0) {
                rule.hasAncestor = true;
                if (!ParseSimple(selector.Left(gap), rule.ancestor, rule.specificity))
                    continue;
            }
            if (!ParseSimple(subject, rule.subject, rule.specificity))
                continue;  // other selectors are not understood
            m_rules.push_back(rule);
        }
    }
    std::stable_sort(m_rules.begin(), m_rules.end(),
                     [](const Rule& a, const Rule& b) { return a.specificity < b.specificity; });
}

bool CHtmlStyleSheet::ParseSimple(CString text, Simple& simple, int& specificity)
{
    if (text.IsEmpty() || text.FindOneOf(" \t\r\n>+~[:*") >= 0)
        return false;
    int hash = text.Find('#');
    int dot = text.Find('.');
    if (hash >= 0) {
        simple.id = text.Mid(hash + 1);
        simple.tag = text.Left(hash);
        specificity += 10000;
    } else if (dot >= 0) {
        simple.cls = text.Mid(dot + 1);
        simple.tag = text.Left(dot);
        specificity += 100;
    } else {
        simple.tag = text;
    }
    simple.tag.MakeLower();
    if (!simple.tag.IsEmpty())
        specificity += 1;
    return true;
}

bool CHtmlStyleSheet::Matches(const Simple& simple, const CHtmlElement* pElement)
{
    if (!simple.tag.IsEmpty() && simple.tag != pElement->m_tag)
        return false;
    if (!simple.id.IsEmpty() && pElement->GetId() != simple.id)
        return false;
    return simple.cls.IsEmpty() || IsClassListed(pElement->GetAttribute("class"), simple.cls);
}

bool CHtmlStyleSheet::Matches(const Rule& rule, const CHtmlElement* pElement)
{
    if (!Matches(rule.subject, pElement))
        return false;
    if (!rule.hasAncestor)
        return true;
    for (const CHtmlElement* e = pElement->m_pParent; e; e = e->m_pParent)
        if (!e->IsText() && Matches(rule.ancestor, e))
            return true;
    return false;
}

void CHtmlStyleSheet::Apply(const Declarations& declarations, CHtmlElement* pElement)
{
    if (declarations.color != CLR_INVALID)
        pElement->m_color = declarations.color;
    if (declarations.background != CLR_INVALID)
        pElement->m_background = declarations.background;
    if (declarations.bold >= 0)
        pElement->m_bold = declarations.bold != 0;
}

void CHtmlStyleSheet::ComputeStyles(CHtmlElement* pRoot) const
{
    std::vector<CHtmlElement*> stack{pRoot};
    while (!stack.empty()) {
        CHtmlElement* e = stack.back();
        stack.pop_back();
        const CHtmlElement* parent = e->m_pParent;
        e->m_color = parent ? parent->m_color : RGB(0, 0, 0);
        e->m_bold = parent && parent->m_bold;
        e->m_italic = parent && parent->m_italic;
        e->m_underline = parent && parent->m_underline;
        e->m_heading = parent ? parent->m_heading : 0;
        e->m_background = CLR_INVALID;
        const CString& tag = e->m_tag;
        if (!e->IsText()) {
            if (tag == "b" || tag == "strong" || tag == "th")
                e->m_bold = true;
            else if (tag == "i" || tag == "em")
                e->m_italic = true;
            else if (tag == "u")
                e->m_underline = true;
            else if (tag == "a" && e->HasAttribute("href"))
                e->m_color = RGB(0, 0, 255), e->m_underline = true;
            else if (tag.GetLength() == 2 && tag[0] == 'h' && tag[1] >= '1' && tag[1] <= '3')
                e->m_heading = tag[1] - '0', e->m_bold = true;
            COLORREF color;
            if (tag == "font" && ParseColor(e->GetAttribute("color"), color))
                e->m_color = color;
            if ((tag == "body" || tag == "td" || tag == "table") && ParseColor(e->GetAttribute("bgcolor"), color))
                e->m_background = color;
            for (const Rule& rule : m_rules)
                if (Matches(rule, e))
                    Apply(rule.declarations, e);
            if (e->HasAttribute("style")) {
                Declarations own;
                ParseDeclarations(e->GetAttribute("style"), own);
                Apply(own, e);
            }
        }
        for (auto& child : e->m_children)
            stack.push_back(child.get());
    }
}
