// Arrays, lists and maps: the framework's iteration order, clamped growth and bounds.
#include "afx/afx.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

template <class M, class K, class V>
std::vector<K> KeysInOrder(const M& map) {
    std::vector<K> keys;
    K k{};
    V v{};
    for (POSITION pos = map.GetStartPosition(); pos != nullptr;) {
        map.GetNextAssoc(pos, k, v);
        keys.push_back(k);
    }
    return keys;
}

TEST(CMap, IteratesByBucketThenNewestFirst) {
    // Buckets are (key >> 4) % 17: 0x10 and 0x120 share bucket 1, 0x0 and 0x110 bucket 0.
    CMap<DWORD, DWORD, int, int> map;
    for (DWORD key : {0x10u, 0x120u, 0x20u, 0x0u, 0x110u})
        map[key] = static_cast<int>(key);
    EXPECT_EQ((KeysInOrder<decltype(map), DWORD, int>(map)), (std::vector<DWORD>{0x110, 0x0, 0x120, 0x10, 0x20}));

    // Removing the entry just returned keeps the walk valid.
    std::vector<DWORD> seen;
    DWORD k;
    int v;
    for (POSITION pos = map.GetStartPosition(); pos != nullptr;) {
        map.GetNextAssoc(pos, k, v);
        seen.push_back(k);
        map.RemoveKey(k);
    }
    EXPECT_EQ(seen.size(), 5u);
    EXPECT_TRUE(map.IsEmpty());
    EXPECT_EQ(map.GetStartPosition(), nullptr);
}

// Far more entries than buckets, removed and added again: every look-up still answers, and the walk
// keeps the buckets' order with the newest entry of each first.
TEST(CMap, ManyEntriesInFewBucketsKeepTheirOrder) {
    CMap<DWORD, DWORD, DWORD, DWORD> map;
    std::vector<std::vector<DWORD>> buckets(17);
    auto add = [&](DWORD key) {
        map.SetAt(key, key + 1);
        auto& chain = buckets[(key >> 4) % 17];
        chain.insert(chain.begin(), key);
    };
    for (DWORD key = 0; key < 6000; ++key)
        add(key * 7);
    for (DWORD key = 0; key < 6000; key += 3) {
        EXPECT_TRUE(map.RemoveKey(key * 7));
        auto& chain = buckets[((key * 7) >> 4) % 17];
        chain.erase(std::find(chain.begin(), chain.end(), key * 7));
    }
    EXPECT_FALSE(map.RemoveKey(3));
    for (DWORD key = 0; key < 6000; key += 6)
        add(key * 7);
    std::vector<DWORD> expected;
    for (const auto& chain : buckets)
        expected.insert(expected.end(), chain.begin(), chain.end());
    EXPECT_EQ((KeysInOrder<decltype(map), DWORD, DWORD>(map)), expected);
    EXPECT_EQ(map.GetCount(), INT_PTR(expected.size()));
    for (DWORD key = 0; key < 6000; ++key) {
        DWORD value = 0;
        const bool present = key % 3 != 0 || key % 6 == 0;
        EXPECT_EQ(map.Lookup(key * 7, value) != FALSE, present) << key;
        if (present) {
            EXPECT_EQ(value, key * 7 + 1);
        }
    }
}

TEST(CMap, NamedMapsHashTheirKeysAsTheFrameworkDoes) {
    // "ab" = 97*33+98 = 3299 -> bucket 1; "a" -> 12; "b" -> 13; "ba" = 3331 -> 16.
    CMapStringToString names;
    for (const char16_t* key : {u"b", u"ba", u"a", u"ab"})
        names.SetAt(key, CString(key) + u"!");
    EXPECT_EQ((KeysInOrder<CMapStringToString, CString, CString>(names)),
              (std::vector<CString>{u"ab", u"a", u"b", u"ba"}));
    CString value;
    EXPECT_TRUE(names.Lookup(u"ba", value));
    EXPECT_EQ(value, u"ba!");
    EXPECT_FALSE(names.Lookup(u"BA", value));

    // Pointers: 0x1000 >> 4 = 256 -> bucket 1, like 0x10; the later one comes first.
    CMapPtrToPtr ptrs;
    ptrs.SetAt(reinterpret_cast<void*>(0x10), nullptr);
    ptrs.SetAt(reinterpret_cast<void*>(0x1000), nullptr);
    ptrs.SetAt(reinterpret_cast<void*>(0x0), nullptr);
    EXPECT_EQ((KeysInOrder<CMapPtrToPtr, void*, void*>(ptrs)),
              (std::vector<void*>{nullptr, reinterpret_cast<void*>(0x1000), reinterpret_cast<void*>(0x10)}));

    // A table of 7 buckets: 0x70 -> 0, 0x10 -> 1.
    CMapWordToPtr words;
    words.InitHashTable(7);
    words.SetAt(0x10, nullptr);
    words.SetAt(0x70, nullptr);
    EXPECT_EQ(words.GetHashTableSize(), 7u);
    EXPECT_EQ((KeysInOrder<CMapWordToPtr, WORD, void*>(words)), (std::vector<WORD>{0x70, 0x10}));
}

TEST(CArray, GrowsInsertsAndRefusesBadIndexes) {
    CDWordArray a;
    EXPECT_EQ(a.Add(1), 0);
    a.InsertAt(3, 7, 2); // past the end: grows with zeros first
    EXPECT_EQ(a.GetSize(), 5);
    EXPECT_EQ(a[1], 0u);
    EXPECT_EQ(a[4], 7u);
    a.InsertAt(0, 9);
    a.RemoveAt(1, 3);
    std::vector<DWORD> got(a.GetData(), a.GetData() + a.GetSize());
    EXPECT_EQ(got, (std::vector<DWORD>{9, 7, 7}));
    a.SetAtGrow(5, 4);
    EXPECT_EQ(a.GetUpperBound(), 5);

    CStringArray s;
    s.Add(u"x");
    s.Add(s[0]); // an element of the array itself, across a reallocation
    EXPECT_EQ(s[1], u"x");

    for (auto bad : {INT_PTR(-1), INT_PTR(6)}) {
        bool thrown = false;
        try {
            a.GetAt(bad);
        } catch (CInvalidArgException* e) {
            thrown = true;
            e->Delete();
        }
        EXPECT_TRUE(thrown) << bad;
    }
}

TEST(CList, KeepsOrderAcrossInsertionsAndRemovals) {
    CStringList list;
    list.AddTail(u"b");
    POSITION posB = list.GetHeadPosition();
    list.AddHead(u"a");
    list.InsertAfter(posB, u"d");
    list.InsertBefore(list.Find(u"d"), u"c");
    EXPECT_EQ(list.Find(u"a", list.GetHeadPosition()), nullptr);
    list.RemoveAt(list.FindIndex(1));
    CString all;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
        all += list.GetNext(pos);
    EXPECT_EQ(all, u"acd");
    EXPECT_EQ(list.RemoveTail(), u"d");
    EXPECT_EQ(list.GetCount(), 2);
}

} // namespace
