// CListSorter: the sort records lent to the list's rows and the four ways of comparing them.
#include "controls/list_sorter.h"

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "afx/ole_types.h"

namespace {

// A size column reads "1,234 KB": only its digits count. Digit strings are compared by length
// and then by text, so sizes of any width order correctly where a fixed-width integer would wrap.
int CompareDigits(const CString& a, const CString& b)
{
    auto digits = [](const CString& s) {
        std::u16string d;
        for (int i = 0; i < s.GetLength(); ++i)
            if (iswdigit(s[i]))
                d += s[i];
        size_t first = d.find_first_not_of(u'0');
        return first == std::u16string::npos ? std::u16string() : d.substr(first);
    };
    std::u16string x = digits(a), y = digits(b);
    if (x.size() != y.size())
        return x.size() < y.size() ? -1 : 1;
    int c = x.compare(y);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

double ReadReal(const CString& s)
{
    char narrow[256] = {};
    WideCharToMultiByte(CP_ACP, 0, s, -1, narrow, sizeof(narrow) - 1, nullptr, nullptr);
    return atof(narrow);
}

} // namespace

CListSorter::CListSorter(CListCtrl* pList, int nColumn) : m_pList(pList)
{
    int count = m_pList->GetItemCount();
    m_records.reserve(std::max(count, 0));
    for (int i = 0; i < count; ++i) {
        auto record = std::make_unique<Record>(Record{m_pList->GetItemData(i), m_pList->GetItemText(i, nColumn)});
        m_pList->SetItemData(i, (DWORD_PTR)record.get());
        m_records.push_back(std::move(record));
    }
}

CListSorter::~CListSorter()
{
    // Only rows that still hold one of our records get their data back; a row added meanwhile
    // holds the caller's own data and is left as it is.
    // The records are looked up by address, so a list of any length is restored in one pass.
    std::vector<const Record*> ours;
    ours.reserve(m_records.size());
    for (const auto& r : m_records)
        ours.push_back(r.get());
    std::sort(ours.begin(), ours.end(), std::less<const Record*>());
    int count = m_pList->GetItemCount();
    for (int i = 0; i < count; ++i) {
        auto* held = (const Record*)m_pList->GetItemData(i);
        auto it = std::lower_bound(ours.begin(), ours.end(), held, std::less<const Record*>());
        if (it != ours.end() && *it == held)
            m_pList->SetItemData(i, (*it)->earlierData);
    }
}

BOOL CListSorter::Sort(BOOL bAscending, int nKind)
{
    return m_pList->SortItems(Compare, (DWORD_PTR)(LONG_PTR)(bAscending ? nKind : -nKind));
}

int CALLBACK CListSorter::Compare(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort)
{
    const auto* r1 = (const Record*)lParam1;
    const auto* r2 = (const Record*)lParam2;
    int direction = lParamSort < 0 ? -1 : 1;
    LPARAM kind = lParamSort < 0 ? -lParamSort : lParamSort;
    switch (kind) {
    case kNumber:
        return CompareDigits(r1->text, r2->text) * direction;
    case kText:
        return _wcsicmp(r1->text, r2->text) * direction;
    case kDate: {
        COleDateTime d1, d2;
        if (!d1.ParseDateTime(r1->text, 0, LANG_USER_DEFAULT) || !d2.ParseDateTime(r2->text, 0, LANG_USER_DEFAULT))
            return 0;
        return (d1 < d2 ? -1 : 1) * direction;
    }
    case kReal:
        return (ReadReal(r1->text) >= ReadReal(r2->text) ? 1 : -1) * direction;
    default:
        return 0;
    }
}
