#pragma once
#include <windows.h>
#include <vector>
#include "CHtmlElement.h"
#include "CString.h"

// The style rules of a page, as far as the HTML dialog shows them: the
// properties color, background-color (or background) and font-weight, for
// the selectors tag, .class, tag.class and #id, and for one of them inside
// another ("#head p": a p anywhere below the element with id head). Rules
// apply in the order of their weight (ids, then classes, then tags counted),
// then the element's own style attribute; later rules of the same weight win.
// At most kMaxRules rules are kept.
class CHtmlStyleSheet {
public:
    static constexpr int kMaxRules = 256;

    void Parse(const CString& text);
    // Sets every node's colours, weight, slant, underline and heading level
    // from its tag, the rules and its style attribute; texts take their parent's.
    void ComputeStyles(CHtmlElement* pRoot) const;
    // #rgb, #rrggbb, rgb(r, g, b) or a colour name.
    static bool ParseColor(CString value, COLORREF& color);

private:
    struct Declarations {
        COLORREF color = CLR_INVALID;
        COLORREF background = CLR_INVALID;
        int bold = -1;  // -1 not set
    };
    // tag, .class, tag.class or #id; empty parts match anything.
    struct Simple {
        CString tag, cls, id;
    };
    struct Rule {
        Simple subject;
        bool hasAncestor = false;
        Simple ancestor;
        int specificity = 0;
        Declarations declarations;
    };

    static void ParseDeclarations(const CString& text, Declarations& declarations);
    static void Apply(const Declarations& declarations, CHtmlElement* pElement);
    // Reads one simple selector and adds its weight; false when it is not one.
    static bool ParseSimple(CString text, Simple& simple, int& specificity);
    static bool Matches(const Simple& simple, const CHtmlElement* pElement);
    static bool Matches(const Rule& rule, const CHtmlElement* pElement);

    std::vector<Rule> m_rules;
};
