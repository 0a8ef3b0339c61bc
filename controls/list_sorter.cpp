// CListSorter: the sort records lent to the list's rows and the four ways of comparing them.
#include "controls/list_sorter.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>

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
    for (const WCHAR *x = a.firstDigit, *y = b.firstDigit; *x && *y; x = NextDigit(x + 1), y = NextDigit(y + 1))
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

} // namespace

CListSorter::CListSorter(CListCtrl* pList, int nColumn) : m_pList(pList)
{
    const int count = std::max(m_pList->GetItemCount(), 0);
    // The texts are read into one block first; the records point into it once it no longer grows.
    std::vector<size_t> at((size_t)count);
    WCHAR buffer[1024];
    for (int i = 0; i < count; ++i) {
        at[(size_t)i] = m_texts.size();
        const int n = m_pList->GetItemText(i, nColumn, buffer, int(std::size(buffer)));
        if (n < int(std::size(buffer)) - 1) {
            m_texts.insert(m_texts.end(), buffer, buffer + std::max(n, 0));
        } else {
            const CString whole = m_pList->GetItemText(i, nColumn);
            m_texts.insert(m_texts.end(), (LPCWSTR)whole, (LPCWSTR)whole + whole.GetLength());
        }
        m_texts.push_back(0);
    }
    m_texts.shrink_to_fit();
    m_records.resize((size_t)count);
    for (int i = 0; i < count; ++i)
        m_records[(size_t)i].text = m_texts.data() + at[(size_t)i];
}

// The rows keep their own item data: the sort finds each row's record by the row's place before the sort.
CListSorter::~CListSorter() = default;

void CListSorter::ReadKey(Record& record, int kind, WCHAR* folded)
{
    record.kind = kind;
    switch (kind) {
    case kNumber: {
        record.digits = 0;
        record.number = 0;
        record.firstDigit = nullptr;
        for (const WCHAR* p = NextDigit(record.text); *p; p = NextDigit(p + 1)) {
            if (!record.firstDigit && *p == u'0')
                continue;
            if (!record.firstDigit)
                record.firstDigit = p;
            ++record.digits;
            record.number = record.number * 10 + uint64_t(*p - u'0');
        }
        if (!record.firstDigit)
            record.firstDigit = u"";
        break;
    }
    case kText: {
        WCHAR* out = folded;
        for (const WCHAR* p = record.text; *p; ++p)
            *out++ = WCHAR(towlower(wint_t(*p)));
        *out = 0;
        record.folded = folded;
        break;
    }
    case kDate: {
        record.valid = record.date.ParseDateTime(record.text, 0, LANG_USER_DEFAULT) != FALSE;
        break;
    }
    case kReal: record.value = ReadReal(record.text); break;
    default: record.kind = 0; break;
    }
}

BOOL CListSorter::Sort(BOOL bAscending, int nKind)
{
    if (nKind == kText)
        m_folded.resize(m_texts.size());
    for (Record& record : m_records)
        ReadKey(record, nKind, nKind == kText ? m_folded.data() + (record.text - m_texts.data()) : nullptr);
    struct Context {
        const std::vector<Record>* records;
        LPARAM param;
    } context{&m_records, bAscending ? nKind : -nKind};
    // The list hands over each row's place before the sort, which is where its record stands.
    const PFNLVCOMPARE byRow = [](LPARAM row1, LPARAM row2, LPARAM data) -> int {
        const auto* c = reinterpret_cast<const Context*>(data);
        if (row1 < 0 || row2 < 0 || size_t(row1) >= c->records->size() || size_t(row2) >= c->records->size())
            return 0;
        return Compare((LPARAM)&(*c->records)[size_t(row1)], (LPARAM)&(*c->records)[size_t(row2)], c->param);
    };
    return (BOOL)m_pList->SendMessage(LVM_SORTITEMSEX, (WPARAM)&context, (LPARAM)byRow);
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
    case kText: return CompareFolded(r1->folded, r2->folded) * direction;
    case kDate:
        if (!r1->valid || !r2->valid)
            return 0;
        return (r1->date < r2->date ? -1 : 1) * direction;
    case kReal: return (r1->value >= r2->value ? 1 : -1) * direction;
    default: return 0;
    }
}
