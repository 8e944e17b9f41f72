#include "afx.h"
#include "ClasslibTestSupport.h"
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

using classlibtest::ThrowsInvalidArg;

namespace {

// The list's elements from head to tail.
std::vector<int> Contents(const CPtrList& list)
{
    std::vector<int> out;
    for (POSITION pos = list.GetHeadPosition(); pos;)
        out.push_back(static_cast<int>(reinterpret_cast<INT_PTR>(list.GetNext(pos))));
    return out;
}

void* P(int n)
{
    return reinterpret_cast<void*>(static_cast<INT_PTR>(n));
}

class Named : public CObject {
public:
    explicit Named(const char* n) : name(n) {}
    CString name;
};

}  // namespace

TEST(CollectionsTest, ArrayResizesInsertsAndRemoves)
{
    CArray<int> a;
    a.SetSize(3);
    EXPECT_EQ(a.GetSize(), 3);
    EXPECT_EQ(a[0] + a[1] + a[2], 0);   // new elements are zero
    a[1] = 7;
    a.SetSize(2);
    EXPECT_EQ(a.GetUpperBound(), 1);
    EXPECT_EQ(a[1], 7);

    a.InsertAt(0, 5);
    a.InsertAt(5, 9);   // past the end: the gap is filled with zeros
    ASSERT_EQ(a.GetSize(), 6);
    EXPECT_EQ(a[0], 5);
    EXPECT_EQ(a[2], 7);
    EXPECT_EQ(a[3], 0);
    EXPECT_EQ(a[5], 9);
    a.InsertAt(1, 4, 2);
    EXPECT_EQ(a.GetSize(), 8);
    EXPECT_EQ(a[2], 4);

    a.RemoveAt(1, 3);
    ASSERT_EQ(a.GetSize(), 5);
    EXPECT_EQ(a[1], 7);
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.RemoveAt(4, 2); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.GetAt(5); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.SetAt(-1, 0); }));

    a.SetAtGrow(9, 1);
    EXPECT_EQ(a.GetSize(), 10);
    a.RemoveAll();
    EXPECT_TRUE(a.IsEmpty());
}

TEST(CollectionsTest, PtrListIteratesBothWays)
{
    CPtrList list;
    list.AddTail(P(2));
    list.AddTail(P(3));
    list.AddHead(P(1));
    EXPECT_EQ(Contents(list), (std::vector<int>{ 1, 2, 3 }));
    EXPECT_EQ(list.GetHead(), P(1));
    EXPECT_EQ(list.GetTail(), P(3));

    std::vector<int> backwards;
    for (POSITION pos = list.GetTailPosition(); pos;)
        backwards.push_back(static_cast<int>(reinterpret_cast<INT_PTR>(list.GetPrev(pos))));
    EXPECT_EQ(backwards, (std::vector<int>{ 3, 2, 1 }));

    POSITION two = list.Find(P(2));
    ASSERT_NE(two, nullptr);
    list.InsertBefore(two, P(10));
    list.InsertAfter(two, P(20));
    list.InsertAfter(list.GetTailPosition(), P(30));
    list.InsertBefore(list.GetHeadPosition(), P(0));
    EXPECT_EQ(Contents(list), (std::vector<int>{ 0, 1, 10, 2, 20, 3, 30 }));
    EXPECT_EQ(list.GetAt(list.FindIndex(3)), P(2));
    EXPECT_EQ(list.FindIndex(7), nullptr);
    EXPECT_EQ(list.Find(P(2), two), nullptr);   // search starts after the position
    list.SetAt(two, P(22));
    EXPECT_EQ(list.GetAt(two), P(22));
}

TEST(CollectionsTest, PtrListRemovesWhileIterating)
{
    CPtrList list;
    for (int i = 1; i <= 6; ++i)
        list.AddTail(P(i));
    // Remove the even elements: keep the position of the current one before stepping on.
    for (POSITION pos = list.GetHeadPosition(); pos;) {
        POSITION current = pos;
        if (reinterpret_cast<INT_PTR>(list.GetNext(pos)) % 2 == 0)
            list.RemoveAt(current);
    }
    EXPECT_EQ(Contents(list), (std::vector<int>{ 1, 3, 5 }));
    EXPECT_EQ(list.GetCount(), 3);

    list.RemoveAt(list.GetTailPosition());
    EXPECT_EQ(list.GetTail(), P(3));
    EXPECT_EQ(list.RemoveHead(), P(1));
    EXPECT_EQ(list.RemoveTail(), P(3));
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
    EXPECT_EQ(list.GetTailPosition(), nullptr);
    EXPECT_TRUE(ThrowsInvalidArg([&] { list.RemoveHead(); }));

    // The list is usable again after being emptied.
    list.AddHead(P(8));
    EXPECT_EQ(Contents(list), (std::vector<int>{ 8 }));
}

TEST(CollectionsTest, MapLooksUpAndIteratesInKeyOrder)
{
    Named x("x"), y("y"), z("z");
    CMapStringToOb map;
    map.SetAt("beta", &y);
    map.SetAt("alpha", &x);
    map["gamma"] = &z;
    map.SetAt("beta", &z);   // replaces
    EXPECT_EQ(map.GetCount(), 3);

    CObject* found = nullptr;
    ASSERT_TRUE(map.Lookup("beta", found));
    EXPECT_EQ(found, &z);
    EXPECT_FALSE(map.Lookup("Beta", found));   // keys are compared exactly
    EXPECT_FALSE(map.Lookup(nullptr, found));

    std::vector<std::string> keys;
    CString key;
    CObject* value;
    for (POSITION pos = map.GetStartPosition(); pos;) {
        map.GetNextAssoc(pos, key, value);
        keys.push_back((LPCSTR)key);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{ "alpha", "beta", "gamma" }));

    EXPECT_TRUE(map.RemoveKey("alpha"));
    EXPECT_FALSE(map.RemoveKey("alpha"));
    map.RemoveAll();
    EXPECT_EQ(map.GetStartPosition(), nullptr);
}

TEST(CollectionsTest, MapIterationSurvivesRemovingTheReturnedEntry)
{
    CMapStringToOb map;
    for (int i = 0; i < 5000; ++i) {
        char k[16];
        wsprintfA(k, "key%05d", i);
        map.SetAt(k, nullptr);
    }
    std::set<std::string> seen;
    CString key;
    CObject* value;
    for (POSITION pos = map.GetStartPosition(); pos;) {
        map.GetNextAssoc(pos, key, value);
        seen.insert((LPCSTR)key);
        if (key.Right(1) != "7")
            map.RemoveKey(key);
    }
    EXPECT_EQ(seen.size(), 5000u);
    EXPECT_EQ(map.GetCount(), 500);
}
