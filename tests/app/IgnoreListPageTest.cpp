// The ignore-list page's rows, made from the application's two arrays: also
// when a damaged file left them of different lengths or holds a category
// outside the table. (Sorting is checked on the real window.)
#include <gtest/gtest.h>
#include <vector>
#include "CIgnoreListPage.h"

namespace {

struct Entry {
    int type;
    const char* text;  // nullptr: no text (a category line without its pair)
};

TEST(IgnoreListPage, RowsComeFromTheWholePairsLeftAfterRemovedOnes)
{
    struct Case {
        std::vector<Entry> entries;
        std::vector<const char*> extraTexts;  // texts beyond the categories
        std::vector<const char*> rows;        // "name|text|index"
        INT_PTR textsLeft;
        INT_PTR typesLeft;
    };
    const Case cases[] = {
        {{}, {}, {}, 0, 0},
        {{{4, "a"}, {5, "b"}}, {}, {"Application Path|a|0", "Help Files|b|1"}, 2, 2},
        {{{-1, ""}, {4, "a"}, {-1, ""}, {42, "c"}}, {}, {"Application Path|a|0", "Unknown (42)|c|1"}, 2, 2},
        // An odd number of lines: the last category has no text and stays behind the pairs.
        {{{0, "x"}, {3, nullptr}}, {}, {"COM/ActiveX|x|0"}, 1, 2},
        {{{-1, ""}, {3, nullptr}}, {}, {}, 0, 1},
        {{{10, "y"}, {-7, "z"}}, {"stray"}, {"FileAssociation|y|0", "Unknown (-7)|z|1"}, 3, 2},
    };
    for (const Case& c : cases) {
        CStringArray texts;
        CIgnoreTypeArray types;
        for (const Entry& e : c.entries) {
            types.Add(static_cast<REGPROBLEM_TYPE>(e.type));
            if (e.text)
                texts.Add(e.text);
        }
        for (const char* text : c.extraTexts)
            texts.Add(text);
        IgnoreListRowArray rows;
        CIgnoreListPage::CollectRows(texts, types, rows);
        std::vector<CString> got;
        for (INT_PTR i = 0; i < rows.GetSize(); ++i) {
            CString row;
            row.Format("%s|%s|%d", (LPCSTR)rows[i]->categoryName, (LPCSTR)rows[i]->entryText, rows[i]->index);
            got.push_back(row);
            delete rows[i];
        }
        ASSERT_EQ(c.rows.size(), got.size()) << "case with " << c.entries.size() << " entries";
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_STREQ(c.rows[i], got[i]);
        EXPECT_EQ(c.textsLeft, texts.GetSize());
        EXPECT_EQ(c.typesLeft, types.GetSize());
    }
}

}  // namespace
