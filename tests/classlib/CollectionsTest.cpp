#include "afx.h"
#include "ClasslibTestSupport.h"
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

using classlibtest::ThrowsInvalidArg;

namespace {

// The list's elements from head to tail.
std::vector<INT_PTR> Contents(const CPtrList& list)
{
    std::vector<INT_PTR> out;
    for (POSITION pos = list.GetHeadPosition(); pos;)
        out.push_back(reinterpret_cast<INT_PTR>(list.GetNext(pos)));
    return out;
}

void* P(INT_PTR n)
{
    return reinterpret_cast<void*>(n);
}

}  // namespace

TEST(CollectionsTest, ArrayResizesInsertsAndRemovesWithinItsBounds)
{
    CArray<int> a;
    a.SetSize(3);
    EXPECT_EQ(a[0] + a[1] + a[2], 0);  // new elements are zero
    a[1] = 7;
    a.SetSize(2);
    a.InsertAt(0, 5);
    a.InsertAt(5, 9);  // past the end: the gap is filled with zeros
    a.InsertAt(1, 4, 2);
    EXPECT_EQ(std::vector<int>(a.GetData(), a.GetData() + a.GetSize()), (std::vector<int>{5, 4, 4, 0, 7, 0, 0, 9}));
    a.RemoveAt(1, 3);
    EXPECT_EQ(std::vector<int>(a.GetData(), a.GetData() + a.GetSize()), (std::vector<int>{5, 7, 0, 0, 9}));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.RemoveAt(4, 2); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.GetAt(5); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.SetAt(-1, 0); }));
    a.SetAtGrow(9, 1);
    EXPECT_EQ(a.GetSize(), 10);
}

TEST(CollectionsTest, PtrListInsertsFindsAndRemovesWhileIterating)
{
    CPtrList list;
    list.AddTail(P(2));
    list.AddTail(P(3));
    list.AddHead(P(1));
    POSITION two = list.Find(P(2));
    ASSERT_NE(two, nullptr);
    list.InsertBefore(two, P(10));
    list.InsertAfter(two, P(20));
    list.InsertAfter(list.GetTailPosition(), P(30));
    list.InsertBefore(list.GetHeadPosition(), P(0));
    EXPECT_EQ(Contents(list), (std::vector<INT_PTR>{0, 1, 10, 2, 20, 3, 30}));
    std::vector<INT_PTR> backwards;
    for (POSITION pos = list.GetTailPosition(); pos;)
        backwards.push_back(reinterpret_cast<INT_PTR>(list.GetPrev(pos)));
    EXPECT_EQ(backwards, (std::vector<INT_PTR>{30, 3, 20, 2, 10, 1, 0}));
    EXPECT_EQ(list.GetAt(list.FindIndex(3)), P(2));
    EXPECT_EQ(list.FindIndex(7), nullptr);
    EXPECT_EQ(list.Find(P(2), two), nullptr);  // the search starts after the position

    // Remove the even elements: keep the position of the current one before stepping on.
    for (POSITION pos = list.GetHeadPosition(); pos;) {
        POSITION current = pos;
        if (reinterpret_cast<INT_PTR>(list.GetNext(pos)) % 2 == 0)
            list.RemoveAt(current);
    }
    EXPECT_EQ(Contents(list), (std::vector<INT_PTR>{1, 3}));
    EXPECT_EQ(list.RemoveHead(), P(1));
    EXPECT_EQ(list.RemoveTail(), P(3));
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
    EXPECT_EQ(list.GetTailPosition(), nullptr);
    EXPECT_TRUE(ThrowsInvalidArg([&] { list.RemoveHead(); }));
    list.AddHead(P(8));  // usable again after being emptied
    EXPECT_EQ(Contents(list), (std::vector<INT_PTR>{8}));
}

TEST(CollectionsTest, MapLooksUpExactlyAndIteratesInKeyOrderWhileEntriesGo)
{
    CMapStringToOb map;
    struct Obj : CObject {} x, y;
    map.SetAt("beta", &x);
    map["gamma"] = &x;
    map.SetAt("beta", &y);  // replaces
    CObject* found = nullptr;
    ASSERT_TRUE(map.Lookup("beta", found));
    EXPECT_EQ(found, &y);
    EXPECT_FALSE(map.Lookup("Beta", found));  // keys are compared exactly
    EXPECT_FALSE(map.Lookup(nullptr, found));
    for (int i = 0; i < 5000; ++i) {
        char k[16];
        wsprintfA(k, "key%05d", i);
        map.SetAt(k, nullptr);
    }
    std::vector<std::string> keys;
    CString key;
    CObject* value;
    for (POSITION pos = map.GetStartPosition(); pos;) {
        map.GetNextAssoc(pos, key, value);
        keys.push_back((LPCSTR)key);
        if (key.Right(1) != "7") {
            EXPECT_TRUE(map.RemoveKey(key));
        }
    }
    EXPECT_EQ(keys.size(), 5002u);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    EXPECT_EQ(map.GetCount(), 500);
    EXPECT_FALSE(map.RemoveKey("beta"));
}
