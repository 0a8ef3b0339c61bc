// CListSorter: the rows' sort keys, the four ways of comparing them, and the order handed to the list.
#include "controls/list_sorter.h"

#include "win32/controls/listview_column_texts.h"
#include "win32/controls/merge_order.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <string>

namespace {

bool IsDigit(WCHAR c) { return iswdigit(wint_t(c)) != 0; }

// The digits of a text after `from`, skipping every other character.
const WCHAR* NextDigit(const WCHAR* from)
{
    while (*from && !IsDigit(*from))
        ++from;
    return from;
}

// A size column reads "1,234 KB": only its digits count. Numbers are compared by their count of
// significant digits, then by value, so sizes of any width order correctly where a fixed-width
// integer would wrap.
int CompareDigits(const CListSorter::Record& a, const CListSorter::Record& b)
{
    if (a.digits != b.digits)
        return a.digits < b.digits ? -1 : 1;
    if (a.digits <= 19)
        return a.number < b.number ? -1 : a.number > b.number ? 1 : 0;
    for (const WCHAR *x = a.key, *y = b.key; *x && *y; x = NextDigit(x + 1), y = NextDigit(y + 1))
        if (*x != *y)
            return *x < *y ? -1 : 1;
    return 0;
}

int CompareFolded(const WCHAR* a, const WCHAR* b)
{
    for (;; ++a, ++b) {
        if (*a != *b)
            return *a < *b ? -1 : 1;
        if (*a == 0)
            return 0;
    }
}

double ReadReal(const WCHAR* s)
{
    char narrow[256] = {};
    WideCharToMultiByte(CP_ACP, 0, s, -1, narrow, sizeof(narrow) - 1, nullptr, nullptr);
    return atof(narrow);
}

// Lower case as towlower gives it; the characters below 128, which most names are made of, come from a
// table the current locale filled once per sort.
struct Folder {
    WCHAR ascii[128];
    Folder()
    {
        for (int c = 0; c < 128; ++c)
            ascii[c] = WCHAR(towlower(wint_t(c)));
    }
    WCHAR operator()(WCHAR c) const { return c < 128 ? ascii[c] : WCHAR(towlower(wint_t(c))); }
};

// Writes the text folded, with its end, and returns where the next one goes.
WCHAR* Fold(const WCHAR* text, WCHAR* out, const Folder& fold)
{
    for (; *text; ++text)
        *out++ = fold(*text);
    *out = 0;
    return out + 1;
}

} // namespace

CListColumnTexts::CListColumnTexts(CListCtrl* pList, int nColumn)
{
    const int count = std::max(pList->GetItemCount(), 0);
    m_rows.resize(size_t(count));
    LVCOLUMNTEXTSW batch{};
    const size_t need =
        count > 0 ? size_t(pList->SendMessage(LVM_GETCOLUMNTEXTSW, WPARAM(nColumn), (LPARAM)&batch)) : 0;
    int read = 0;
    if (need > 0) {
        // Left uninitialised: the list writes every character that is read back.
        m_block.reset(new WCHAR[need]);
        batch.pszText = m_block.get();
        batch.cchTextMax = need;
        pList->SendMessage(LVM_GETCOLUMNTEXTSW, WPARAM(nColumn), (LPARAM)&batch);
        for (; read < std::min(batch.cItems, count); ++read) {
            m_rows[size_t(read)] = m_block.get() + m_length;
            m_length += std::char_traits<WCHAR>::length(m_block.get() + m_length) + 1;
        }
    }
    // Rows the one read did not cover (an owner's text that grew between the two calls) are read alone.
    m_late.reserve(size_t(count - read));
    for (; read < count; ++read) {
        m_late.push_back(pList->GetItemText(read, nColumn));
        m_rows[size_t(read)] = m_late.back();
        m_length += size_t(m_late.back().GetLength()) + 1;
    }
}

void CListColumnTexts::ForEach(CListCtrl* pList, int nColumn, const std::function<void(int, LPCWSTR)>& visit)
{
    const int count = std::max(pList->GetItemCount(), 0);
    std::vector<WCHAR> block(count > 0 ? 16384 : 0);
    for (int row = 0; row < count;) {
        LVCOLUMNTEXTSW batch{};
        batch.iItem = row;
        batch.pszText = block.data();
        batch.cchTextMax = block.size();
        pList->SendMessage(LVM_GETCOLUMNTEXTSW, WPARAM(nColumn), (LPARAM)&batch);
        if (batch.cItems <= 0) {
            // A text longer than the whole block is read alone.
            const CString text = pList->GetItemText(row, nColumn);
            visit(row++, text);
            continue;
        }
        const WCHAR* text = block.data();
        for (int k = 0; k < batch.cItems && row < count; ++k) {
            visit(row++, text);
            text += std::char_traits<WCHAR>::length(text) + 1;
        }
    }
}

CListSorter::CListSorter(CListCtrl* pList, int nColumn) : m_pList(pList), m_texts(pList, nColumn)
{
    m_records.resize(size_t(m_texts.GetCount()));
    for (int i = 0; i < m_texts.GetCount(); ++i)
        m_records[size_t(i)].text = m_texts[i];
}

// The rows keep their own item data: the sort finds each row's record by the row's place before the sort.
CListSorter::~CListSorter() = default;

void CListSorter::ReadKey(Record& record, int kind, WCHAR* folded)
{
    record.kind = int16_t(kind);
    switch (kind) {
    case kNumber: {
        record.digits = 0;
        record.number = 0;
        record.key = nullptr;
        for (const WCHAR* p = NextDigit(record.text); *p; p = NextDigit(p + 1)) {
            if (!record.key && *p == u'0')
                continue;
            if (!record.key)
                record.key = p;
            ++record.digits;
            record.number = record.number * 10 + uint64_t(*p - u'0');
        }
        if (!record.key)
            record.key = u"";
        break;
    }
    case kText:
        Fold(record.text, folded, Folder());
        record.key = folded;
        break;
    case kDate: {
        COleDateTime date;
        record.valid = date.ParseDateTime(record.text, 0, LANG_USER_DEFAULT) != FALSE;
        record.value = date;
        break;
    }
    case kReal: record.value = ReadReal(record.text); break;
    default: record.kind = 0; break;
    }
}

std::vector<int> CListSorter::Order(BOOL bAscending, int nKind)
{
    const int n = int(m_records.size());
    if (nKind == kText) {
        m_folded.reset(new WCHAR[std::max<size_t>(m_texts.GetLength(), 1)]);
        const Folder fold;
        WCHAR* out = m_folded.get();
        for (Record& record : m_records) {
            record.kind = kText;
            record.key = out;
            out = Fold(record.text, out, fold);
        }
    } else {
        for (Record& record : m_records)
            ReadKey(record, nKind, nullptr);
    }
    const LPARAM param = bAscending ? nKind : -nKind;
    // The list's own sort, run here on the keys, so that equal rows keep their order and a comparison that
    // is not transitive (an unparsable date) still yields the same order the list would give.
    const Record* records = m_records.data();
    std::vector<int> a;
    controls::MergeOrder(
        n, a, [&](int x, int y) { return Compare((LPARAM)&records[x], (LPARAM)&records[y], param) < 0; },
        [] { return false; });
    m_folded.reset();
    return a;
}

BOOL CListSorter::Sort(BOOL bAscending, int nKind)
{
    return ApplyOrder(m_pList, Order(bAscending, nKind));
}

BOOL CListSorter::ApplyOrder(CListCtrl* pList, const std::vector<int>& order)
{
    const int count = std::max(pList->GetItemCount(), 0);
    std::vector<int> rank((size_t)count, -1);
    int next = 0;
    for (int row : order)
        if (row >= 0 && row < count && rank[(size_t)row] < 0)
            rank[(size_t)row] = next++;
    for (int& r : rank)
        if (r < 0)
            r = next++;
    // The list hands over each row's place, and the rank there says where it goes.
    const PFNLVCOMPARE byRank = [](LPARAM row1, LPARAM row2, LPARAM ranks) -> int {
        const auto& r = *reinterpret_cast<const std::vector<int>*>(ranks);
        if (row1 < 0 || row2 < 0 || size_t(row1) >= r.size() || size_t(row2) >= r.size())
            return 0;
        return r[size_t(row1)] - r[size_t(row2)];
    };
    return (BOOL)pList->SendMessage(LVM_SORTITEMSEX, (WPARAM)&rank, (LPARAM)byRank);
}

int CALLBACK CListSorter::Compare(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort)
{
    const auto* r1 = (const Record*)lParam1;
    const auto* r2 = (const Record*)lParam2;
    int direction = lParamSort < 0 ? -1 : 1;
    LPARAM kind = lParamSort < 0 ? -lParamSort : lParamSort;
    if (kind < kNumber || kind > kReal || r1->kind != kind || r2->kind != kind)
        return 0;
    switch (kind) {
    case kNumber: return CompareDigits(*r1, *r2) * direction;
    case kText: return CompareFolded(r1->key, r2->key) * direction;
    case kDate:
        if (!r1->valid || !r2->valid)
            return 0;
        return (COleDateTime(r1->value) < COleDateTime(r2->value) ? -1 : 1) * direction;
    case kReal: return (r1->value >= r2->value ? 1 : -1) * direction;
    default: return 0;
    }
}
