// Arrays, lists and maps with the framework's growth and iteration order.
#pragma once

#include "win32/win32.h"
#include "afx/core.h"
#include "afx/string.h"
#include "afx/file.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

struct __POSITION {};
typedef __POSITION* POSITION;
#define BEFORE_START_POSITION (reinterpret_cast<POSITION>(-1L))

// ---- Element helpers --------------------------------------------------------------------------
// How elements go into an archive: strings and objects by their own forms, anything else as its
// bytes (the framework's default, which the stored files use).
template <class TYPE>
void SerializeElements(CArchive& ar, TYPE* pElements, INT_PTR nCount) {
    for (INT_PTR i = 0; i < nCount; ++i) {
        if constexpr (std::is_same_v<TYPE, CStringW> || std::is_same_v<TYPE, CStringA>) {
            if (ar.IsStoring())
                ar << pElements[i];
            else
                ar >> pElements[i];
        } else if constexpr (std::is_pointer_v<TYPE> &&
                             std::is_base_of_v<CObject, std::remove_cv_t<std::remove_pointer_t<TYPE>>>) {
            if (ar.IsStoring()) {
                ar << pElements[i];
            } else {
                CObject* p = nullptr;
                ar >> p;
                pElements[i] = static_cast<TYPE>(p);
            }
        } else {
            static_assert(std::is_trivially_copyable_v<TYPE>, "give the element type its own SerializeElements");
            if (ar.IsStoring())
                ar.Write(&pElements[i], sizeof(TYPE));
            else if (ar.Read(&pElements[i], sizeof(TYPE)) != sizeof(TYPE))
                AfxThrowArchiveException(CArchiveException::endOfFile);
        }
    }
}

// Hash of a key: integers and pointers by their value shifted right by 4 (the low bits of
// pointers are alignment), strings by the framework's multiply-by-33 sum.
template <class ARG_KEY>
inline UINT HashKey(ARG_KEY key) {
    using K = std::remove_cv_t<std::remove_reference_t<ARG_KEY>>;
    if constexpr (std::is_same_v<K, CStringW> || std::is_same_v<K, CStringA>) {
        return HashKey(key.GetString());
    } else if constexpr (std::is_same_v<K, const char16_t*> || std::is_same_v<K, char16_t*> ||
                         std::is_same_v<K, const char*> || std::is_same_v<K, char*>) {
        UINT nHash = 0;
        if (key != nullptr)
            for (auto p = key; *p; ++p)
                nHash = (nHash << 5) + nHash + static_cast<std::make_unsigned_t<std::remove_cv_t<std::remove_pointer_t<K>>>>(*p);
        return nHash;
    } else if constexpr (std::is_pointer_v<K>) {
        return static_cast<UINT>(reinterpret_cast<DWORD_PTR>(key)) >> 4;
    } else if constexpr (sizeof(K) == 8 && (std::is_integral_v<K> || std::is_enum_v<K>)) {
        ULONGLONG v = static_cast<ULONGLONG>(key);
        return (static_cast<UINT>(v & 0xFFFFFFFF) >> 4) ^ (static_cast<UINT>(v >> 32) >> 4);
    } else {
        return static_cast<UINT>(static_cast<DWORD_PTR>(key)) >> 4;
    }
}

template <class TYPE, class ARG_TYPE>
BOOL CompareElements(const TYPE* pElement1, const ARG_TYPE* pElement2) {
    return *pElement1 == *pElement2;
}

// ---- CArray -----------------------------------------------------------------------------------
// Out-of-range element access throws CInvalidArgException instead of touching other memory.
template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject {
public:
    CArray() = default;
    ~CArray() override = default;

    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_data.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    BOOL IsEmpty() const { return m_data.empty(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }

    // Growth: nGrowBy elements at a time, or, when 0 or unset (-1), an eighth of the size kept
    // between 4 and 1024, as the framework does.
    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1) {
        if (nNewSize < 0)
            AfxThrowInvalidArgException();
        if (nGrowBy >= 0)
            m_nGrowBy = nGrowBy;
        if (static_cast<size_t>(nNewSize) > m_data.capacity()) {
            INT_PTR grow = m_nGrowBy;
            if (grow == 0)
                grow = std::min<INT_PTR>(1024, std::max<INT_PTR>(4, GetSize() / 8));
            m_data.reserve(std::max<INT_PTR>(nNewSize, static_cast<INT_PTR>(m_data.capacity()) + grow));
        }
        m_data.resize(static_cast<size_t>(nNewSize));
    }
    void FreeExtra() { m_data.shrink_to_fit(); }
    void RemoveAll() { m_data.clear(); m_data.shrink_to_fit(); }

    const TYPE& GetAt(INT_PTR nIndex) const { Check(nIndex); return m_data[nIndex]; }
    TYPE& GetAt(INT_PTR nIndex) { Check(nIndex); return m_data[nIndex]; }
    void SetAt(INT_PTR nIndex, ARG_TYPE newElement) { Check(nIndex); m_data[nIndex] = newElement; }
    TYPE& ElementAt(INT_PTR nIndex) { Check(nIndex); return m_data[nIndex]; }
    const TYPE& ElementAt(INT_PTR nIndex) const { Check(nIndex); return m_data[nIndex]; }
    const TYPE& operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    TYPE& operator[](INT_PTR nIndex) { return ElementAt(nIndex); }
    const TYPE* GetData() const { return m_data.empty() ? nullptr : m_data.data(); }
    TYPE* GetData() { return m_data.empty() ? nullptr : m_data.data(); }

    void SetAtGrow(INT_PTR nIndex, ARG_TYPE newElement) {
        if (nIndex < 0)
            AfxThrowInvalidArgException();
        if (nIndex >= GetSize()) {
            TYPE copy = newElement; // the argument may live in this array
            SetSize(nIndex + 1);
            m_data[nIndex] = std::move(copy);
        } else {
            m_data[nIndex] = newElement;
        }
    }
    INT_PTR Add(ARG_TYPE newElement) {
        INT_PTR nIndex = GetSize();
        SetAtGrow(nIndex, newElement);
        return nIndex;
    }
    INT_PTR Append(const CArray& src) {
        INT_PTR nOldSize = GetSize();
        std::vector<TYPE> copy(src.m_data);
        SetSize(nOldSize + static_cast<INT_PTR>(copy.size()));
        std::move(copy.begin(), copy.end(), m_data.begin() + nOldSize);
        return nOldSize;
    }
    void Copy(const CArray& src) {
        if (&src != this)
            m_data = src.m_data;
    }
    // Inserting past the end grows the array to reach the index first.
    void InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount = 1) {
        if (nIndex < 0 || nCount <= 0) {
            if (nIndex < 0 || nCount < 0)
                AfxThrowInvalidArgException();
            return;
        }
        TYPE copy = newElement;
        if (nIndex >= GetSize()) {
            SetSize(nIndex + nCount);
        } else {
            SetSize(GetSize() + nCount);
            std::move_backward(m_data.begin() + nIndex, m_data.end() - nCount, m_data.end());
        }
        for (INT_PTR i = 0; i < nCount; ++i)
            m_data[nIndex + i] = copy;
    }
    void InsertAt(INT_PTR nStartIndex, const CArray* pNewArray) {
        if (pNewArray == nullptr || nStartIndex < 0)
            AfxThrowInvalidArgException();
        std::vector<TYPE> copy(pNewArray->m_data);
        if (copy.empty())
            return;
        InsertAt(nStartIndex, copy[0], static_cast<INT_PTR>(copy.size()));
        for (size_t i = 0; i < copy.size(); ++i)
            m_data[nStartIndex + i] = copy[i];
    }
    void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1) {
        if (nIndex < 0 || nCount < 0 || nIndex + nCount > GetSize())
            AfxThrowInvalidArgException();
        m_data.erase(m_data.begin() + nIndex, m_data.begin() + nIndex + nCount);
    }

    void Serialize(CArchive& ar) override {
        CObject::Serialize(ar);
        if (ar.IsStoring()) {
            ar.WriteCount(m_data.size());
        } else {
            DWORD_PTR n = ar.ReadCount();
            m_data.clear();
            // Elements arrive in pieces so a damaged count runs into the end of the data
            // before it can claim the memory it names.
            while (static_cast<DWORD_PTR>(m_data.size()) < n) {
                size_t at = m_data.size();
                size_t chunk = std::min<DWORD_PTR>(n - at, 4096);
                m_data.resize(at + chunk);
                SerializeElements<TYPE>(ar, m_data.data() + at, static_cast<INT_PTR>(chunk));
            }
            return;
        }
        SerializeElements<TYPE>(ar, m_data.data(), GetSize());
    }

protected:
    void Check(INT_PTR nIndex) const {
        if (nIndex < 0 || nIndex >= GetSize())
            AfxThrowInvalidArgException();
    }

    std::vector<TYPE> m_data;
    INT_PTR m_nGrowBy = 0;
};

#define DOVEMARK_DECLARE_ARRAY(name, type, arg)                                                \
    class name : public CArray<type, arg> {                                                    \
        DECLARE_SERIAL(name)                                                                   \
    public:                                                                                    \
        name() = default;                                                                      \
    };

DOVEMARK_DECLARE_ARRAY(CByteArray, BYTE, BYTE)
DOVEMARK_DECLARE_ARRAY(CWordArray, WORD, WORD)
DOVEMARK_DECLARE_ARRAY(CDWordArray, DWORD, DWORD)
DOVEMARK_DECLARE_ARRAY(CUIntArray, UINT, UINT)
DOVEMARK_DECLARE_ARRAY(CStringArray, CString, LPCWSTR)
DOVEMARK_DECLARE_ARRAY(CObArray, CObject*, CObject*)

class CPtrArray : public CArray<void*, void*> {
    DECLARE_DYNAMIC(CPtrArray)
public:
    CPtrArray() = default;
    void Serialize(CArchive&) override { AfxThrowNotSupportedException(); }
};

// ---- CList ------------------------------------------------------------------------------------
// A doubly linked list; a POSITION is a node. Removing a node invalidates only its own
// position.
template <class TYPE, class ARG_TYPE = const TYPE&>
class CList : public CObject {
    struct CNode {
        CNode* pNext;
        CNode* pPrev;
        TYPE data;
    };

public:
    explicit CList(INT_PTR nBlockSize = 10) {}
    ~CList() override { RemoveAll(); }

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    TYPE& GetHead() { return Need(m_pNodeHead)->data; }
    const TYPE& GetHead() const { return Need(m_pNodeHead)->data; }
    TYPE& GetTail() { return Need(m_pNodeTail)->data; }
    const TYPE& GetTail() const { return Need(m_pNodeTail)->data; }

    TYPE RemoveHead() {
        CNode* p = Need(m_pNodeHead);
        TYPE v = std::move(p->data);
        FreeNode(p);
        return v;
    }
    TYPE RemoveTail() {
        CNode* p = Need(m_pNodeTail);
        TYPE v = std::move(p->data);
        FreeNode(p);
        return v;
    }
    POSITION AddHead(ARG_TYPE newElement) { return Pos(Link(NewNode(newElement), nullptr, m_pNodeHead)); }
    POSITION AddTail(ARG_TYPE newElement) { return Pos(Link(NewNode(newElement), m_pNodeTail, nullptr)); }
    void AddHead(CList* pNewList) {
        if (pNewList == nullptr)
            AfxThrowInvalidArgException();
        std::vector<TYPE> items = pNewList->Items();
        for (auto it = items.rbegin(); it != items.rend(); ++it)
            AddHead(*it);
    }
    void AddTail(CList* pNewList) {
        if (pNewList == nullptr)
            AfxThrowInvalidArgException();
        for (const TYPE& v : pNewList->Items())
            AddTail(v);
    }
    void RemoveAll() {
        while (m_pNodeHead != nullptr)
            FreeNode(m_pNodeHead);
    }

    POSITION GetHeadPosition() const { return Pos(m_pNodeHead); }
    POSITION GetTailPosition() const { return Pos(m_pNodeTail); }
    TYPE& GetNext(POSITION& rPosition) {
        CNode* p = Node(rPosition);
        rPosition = Pos(p->pNext);
        return p->data;
    }
    const TYPE& GetNext(POSITION& rPosition) const {
        CNode* p = Node(rPosition);
        rPosition = Pos(p->pNext);
        return p->data;
    }
    TYPE& GetPrev(POSITION& rPosition) {
        CNode* p = Node(rPosition);
        rPosition = Pos(p->pPrev);
        return p->data;
    }
    const TYPE& GetPrev(POSITION& rPosition) const {
        CNode* p = Node(rPosition);
        rPosition = Pos(p->pPrev);
        return p->data;
    }
    TYPE& GetAt(POSITION position) { return Node(position)->data; }
    const TYPE& GetAt(POSITION position) const { return Node(position)->data; }
    void SetAt(POSITION pos, ARG_TYPE newElement) { Node(pos)->data = newElement; }
    void RemoveAt(POSITION position) { FreeNode(Node(position)); }
    POSITION InsertBefore(POSITION position, ARG_TYPE newElement) {
        if (position == nullptr)
            return AddHead(newElement);
        CNode* at = Node(position);
        return Pos(Link(NewNode(newElement), at->pPrev, at));
    }
    POSITION InsertAfter(POSITION position, ARG_TYPE newElement) {
        if (position == nullptr)
            return AddTail(newElement);
        CNode* at = Node(position);
        return Pos(Link(NewNode(newElement), at, at->pNext));
    }
    POSITION Find(ARG_TYPE searchValue, POSITION startAfter = nullptr) const {
        const TYPE wanted(searchValue);
        CNode* p = startAfter == nullptr ? m_pNodeHead : Node(startAfter)->pNext;
        for (; p != nullptr; p = p->pNext)
            if (CompareElements<TYPE, TYPE>(&p->data, &wanted))
                return Pos(p);
        return nullptr;
    }
    POSITION FindIndex(INT_PTR nIndex) const {
        if (nIndex < 0 || nIndex >= m_nCount)
            return nullptr;
        CNode* p = m_pNodeHead;
        while (nIndex--)
            p = p->pNext;
        return Pos(p);
    }

    void Serialize(CArchive& ar) override {
        CObject::Serialize(ar);
        if (ar.IsStoring()) {
            ar.WriteCount(m_nCount);
            for (CNode* p = m_pNodeHead; p != nullptr; p = p->pNext)
                SerializeElements<TYPE>(ar, &p->data, 1);
        } else {
            for (DWORD_PTR n = ar.ReadCount(); n > 0; --n) {
                TYPE v{};
                SerializeElements<TYPE>(ar, &v, 1);
                AddTail(v);
            }
        }
    }

private:
    static POSITION Pos(CNode* p) { return reinterpret_cast<POSITION>(p); }
    static CNode* Node(POSITION pos) {
        if (pos == nullptr || pos == BEFORE_START_POSITION)
            AfxThrowInvalidArgException();
        return reinterpret_cast<CNode*>(pos);
    }
    static CNode* Need(CNode* p) {
        if (p == nullptr)
            AfxThrowInvalidArgException(); // the list is empty
        return p;
    }
    CNode* NewNode(ARG_TYPE v) { return new CNode{nullptr, nullptr, TYPE(v)}; }
    CNode* Link(CNode* n, CNode* prev, CNode* next) {
        n->pPrev = prev;
        n->pNext = next;
        (prev ? prev->pNext : m_pNodeHead) = n;
        (next ? next->pPrev : m_pNodeTail) = n;
        ++m_nCount;
        return n;
    }
    void FreeNode(CNode* n) {
        (n->pPrev ? n->pPrev->pNext : m_pNodeHead) = n->pNext;
        (n->pNext ? n->pNext->pPrev : m_pNodeTail) = n->pPrev;
        --m_nCount;
        delete n;
    }
    std::vector<TYPE> Items() const {
        std::vector<TYPE> v;
        for (CNode* p = m_pNodeHead; p != nullptr; p = p->pNext)
            v.push_back(p->data);
        return v;
    }

    CNode* m_pNodeHead = nullptr;
    CNode* m_pNodeTail = nullptr;
    INT_PTR m_nCount = 0;
};

#define DOVEMARK_DECLARE_LIST(name, type, arg, macro)                                          \
    class name : public CList<type, arg> {                                                     \
        macro(name)                                                                            \
    public:                                                                                    \
        explicit name(INT_PTR nBlockSize = 10) : CList<type, arg>(nBlockSize) {}               \
    };

DOVEMARK_DECLARE_LIST(CObList, CObject*, CObject*, DECLARE_SERIAL)
DOVEMARK_DECLARE_LIST(CStringList, CString, LPCWSTR, DECLARE_SERIAL)
DOVEMARK_DECLARE_LIST(CPtrList, void*, void*, DECLARE_DYNAMIC)

// ---- CMap -------------------------------------------------------------------------------------
// A hash table of m_nHashTableSize buckets (17 unless InitHashTable says otherwise), bucket =
// HashKey(key) % size, each bucket a chain with the newest entry first. Iteration walks the
// buckets in order and each chain from its head, which is the order callers see; the table is
// never resized behind their back. Look-ups go through a second index that grows with the count,
// so a small table holding many entries still finds a key at once without changing that order.
template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap : public CObject {
protected:
    struct CAssoc {
        CAssoc* pNext;
        CAssoc* pPrev;     // in the bucket's chain, null for its head
        CAssoc* pFastNext; // in the look-up index
        UINT nHashValue;   // bucket index, for iteration
        UINT nIndexHash;   // place in the look-up index
        KEY key;
        VALUE value;
    };

public:
    explicit CMap(INT_PTR nBlockSize = 10) {}
    ~CMap() override { RemoveAll(); }

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }
    UINT GetHashTableSize() const { return m_nHashTableSize; }

    // Takes effect while the map is empty; a size of 0 is refused.
    void InitHashTable(UINT hashSize, BOOL bAllocNow = TRUE) {
        if (m_nCount != 0 || hashSize == 0)
            return;
        m_table.clear();
        m_nHashTableSize = hashSize;
        if (bAllocNow)
            m_table.assign(hashSize, nullptr);
    }

    BOOL Lookup(ARG_KEY key, VALUE& rValue) const {
        CAssoc* p = Find(key);
        if (p == nullptr)
            return FALSE;
        rValue = p->value;
        return TRUE;
    }
    BOOL LookupKey(ARG_KEY key, KEY& rKey) const {
        CAssoc* p = Find(key);
        if (p == nullptr)
            return FALSE;
        rKey = p->key;
        return TRUE;
    }
    VALUE& operator[](ARG_KEY key) {
        CAssoc* p = Find(key);
        if (p == nullptr)
            p = Insert(key);
        return p->value;
    }
    void SetAt(ARG_KEY key, ARG_VALUE newValue) { (*this)[key] = newValue; }
    BOOL RemoveKey(ARG_KEY key) {
        if (m_fast.empty())
            return FALSE;
        const UINT hash = IndexHash(key);
        for (CAssoc** pp = &m_fast[hash & (m_fast.size() - 1)]; *pp != nullptr; pp = &(*pp)->pFastNext) {
            CAssoc* dead = *pp;
            if (dead->nIndexHash != hash || !KeyEquals(dead->key, key))
                continue;
            *pp = dead->pFastNext;
            (dead->pPrev != nullptr ? dead->pPrev->pNext : m_table[dead->nHashValue]) = dead->pNext;
            if (dead->pNext != nullptr)
                dead->pNext->pPrev = dead->pPrev;
            delete dead;
            --m_nCount;
            return TRUE;
        }
        return FALSE;
    }
    void RemoveAll() {
        for (CAssoc*& head : m_table) {
            while (head != nullptr) {
                CAssoc* next = head->pNext;
                delete head;
                head = next;
            }
        }
        m_table.clear();
        m_fast.clear();
        m_nCount = 0;
    }

    POSITION GetStartPosition() const { return m_nCount == 0 ? nullptr : BEFORE_START_POSITION; }
    void GetNextAssoc(POSITION& rNextPosition, KEY& rKey, VALUE& rValue) const {
        CAssoc* p = reinterpret_cast<CAssoc*>(rNextPosition);
        if (rNextPosition == nullptr)
            AfxThrowInvalidArgException();
        if (rNextPosition == BEFORE_START_POSITION)
            p = FirstFrom(0);
        if (p == nullptr)
            AfxThrowInvalidArgException();
        CAssoc* next = p->pNext != nullptr ? p->pNext : FirstFrom(p->nHashValue + 1);
        rNextPosition = reinterpret_cast<POSITION>(next);
        rKey = p->key;
        rValue = p->value;
    }

    void Serialize(CArchive& ar) override {
        CObject::Serialize(ar);
        if (ar.IsStoring()) {
            ar.WriteCount(m_nCount);
            for (UINT b = 0; b < m_table.size(); ++b)
                for (CAssoc* p = m_table[b]; p != nullptr; p = p->pNext) {
                    SerializeElements<KEY>(ar, &p->key, 1);
                    SerializeElements<VALUE>(ar, &p->value, 1);
                }
        } else {
            for (DWORD_PTR n = ar.ReadCount(); n > 0; --n) {
                KEY k{};
                VALUE v{};
                SerializeElements<KEY>(ar, &k, 1);
                SerializeElements<VALUE>(ar, &v, 1);
                SetAt(k, v);
            }
        }
    }

protected:
    static bool KeyEquals(const KEY& a, ARG_KEY b) {
        if constexpr (std::is_same_v<KEY, CStringW> || std::is_same_v<KEY, CStringA>)
            return a.Compare(b) == 0;
        else
            return a == b;
    }
    UINT Bucket(ARG_KEY key) const { return HashKey<ARG_KEY>(key) % m_nHashTableSize; }
    // The look-up index spreads numbers and pointers by their whole value (HashKey drops the low four
    // bits, which would put sixteen neighbouring ids on one chain) and strings by their sum.
    static UINT IndexHash(ARG_KEY key) {
        using K = std::remove_cv_t<std::remove_reference_t<ARG_KEY>>;
        constexpr bool text = std::is_same_v<K, const char16_t*> || std::is_same_v<K, char16_t*> ||
                              std::is_same_v<K, const char*> || std::is_same_v<K, char*>;
        ULONGLONG v;
        if constexpr (std::is_integral_v<K> || std::is_enum_v<K>)
            v = static_cast<ULONGLONG>(key);
        else if constexpr (std::is_pointer_v<K> && !text)
            v = static_cast<ULONGLONG>(reinterpret_cast<DWORD_PTR>(key));
        else
            v = HashKey<ARG_KEY>(key);
        return static_cast<UINT>((v * 0x9E3779B97F4A7C15ull) >> 32);
    }
    CAssoc* Find(ARG_KEY key) const {
        if (m_fast.empty())
            return nullptr;
        const UINT hash = IndexHash(key);
        for (CAssoc* p = m_fast[hash & (m_fast.size() - 1)]; p != nullptr; p = p->pFastNext)
            if (p->nIndexHash == hash && KeyEquals(p->key, key))
                return p;
        return nullptr;
    }
    CAssoc* Insert(ARG_KEY key) {
        if (m_table.empty())
            m_table.assign(m_nHashTableSize, nullptr);
        const UINT nHash = Bucket(key);
        CAssoc* p = new CAssoc{m_table[nHash], nullptr, nullptr, nHash, IndexHash(key), KEY(key), VALUE()};
        if (p->pNext != nullptr)
            p->pNext->pPrev = p;
        m_table[nHash] = p;
        ++m_nCount;
        if (size_t(m_nCount) > m_fast.size())
            GrowIndex();
        else
            Index(p);
        return p;
    }
    void Index(CAssoc* p) {
        CAssoc*& head = m_fast[p->nIndexHash & (m_fast.size() - 1)];
        p->pFastNext = head;
        head = p;
    }
    // Doubles the look-up index (a power of two, at least 16 slots) and files every entry again.
    void GrowIndex() {
        m_fast.assign(std::max<size_t>(16, m_fast.size() * 2), nullptr);
        for (CAssoc* head : m_table)
            for (CAssoc* p = head; p != nullptr; p = p->pNext)
                Index(p);
    }
    CAssoc* FirstFrom(UINT bucket) const {
        for (UINT b = bucket; b < m_table.size(); ++b)
            if (m_table[b] != nullptr)
                return m_table[b];
        return nullptr;
    }

    std::vector<CAssoc*> m_table;
    std::vector<CAssoc*> m_fast;
    UINT m_nHashTableSize = 17;
    INT_PTR m_nCount = 0;
};

#define DOVEMARK_DECLARE_MAP(name, key, argkey, value, argvalue, macro)                        \
    class name : public CMap<key, argkey, value, argvalue> {                                   \
        macro(name)                                                                            \
    public:                                                                                    \
        explicit name(INT_PTR nBlockSize = 10) : CMap<key, argkey, value, argvalue>(nBlockSize) {} \
    };

DOVEMARK_DECLARE_MAP(CMapPtrToPtr, void*, void*, void*, void*, DECLARE_DYNAMIC)
DOVEMARK_DECLARE_MAP(CMapPtrToWord, void*, void*, WORD, WORD, DECLARE_DYNAMIC)
DOVEMARK_DECLARE_MAP(CMapWordToPtr, WORD, WORD, void*, void*, DECLARE_DYNAMIC)
DOVEMARK_DECLARE_MAP(CMapWordToOb, WORD, WORD, CObject*, CObject*, DECLARE_SERIAL)
DOVEMARK_DECLARE_MAP(CMapStringToPtr, CString, LPCWSTR, void*, void*, DECLARE_DYNAMIC)
DOVEMARK_DECLARE_MAP(CMapStringToOb, CString, LPCWSTR, CObject*, CObject*, DECLARE_SERIAL)
DOVEMARK_DECLARE_MAP(CMapStringToString, CString, LPCWSTR, CString, LPCWSTR, DECLARE_SERIAL)
