// Sorting the list view's items with the owner's comparison, and finding items by text or data.
#include "win32/controls/listview_internal.h"
#include "win32/controls/merge_order.h"
#include "win32/text.h"

#include <algorithm>

namespace controls::lv {

// Sorted as controls::MergeOrder sorts: stable, and safe with a comparison that contradicts itself. The
// items move only once the sort is done, and not at all when the owner changed the list from inside its
// comparison.
bool SortItems(ListView* lv, PFNLVCOMPARE compare, LPARAM param, bool byIndex)
{
    if (!compare)
        return false;
    if (lv->edit)
        EndEdit(lv, false);
    const int n = Count(lv);
    if (n < 2)
        return true;
    std::vector<LPARAM> keys((size_t)n);
    for (int i = 0; i < n; ++i)
        keys[(size_t)i] = byIndex ? (LPARAM)i : lv->items[(size_t)i].lParam;
    const unsigned gen = lv->generation;
    std::vector<int> a;
    const bool done = MergeOrder(
        n, a, [&](int x, int y) { return compare(keys[(size_t)x], keys[(size_t)y], param) < 0; },
        [&] { return gen != lv->generation || Count(lv) != n; });
    if (!done)
        return false;
    std::vector<Item> sorted;
    sorted.reserve((size_t)n);
    std::vector<int> where((size_t)n);
    for (int k = 0; k < n; ++k) {
        sorted.push_back(std::move(lv->items[(size_t)a[(size_t)k]]));
        where[(size_t)a[(size_t)k]] = k;
    }
    lv->items.swap(sorted);
    for (int* p : {&lv->focus, &lv->mark, &lv->hot, &lv->pendingEdit})
        if (*p >= 0 && *p < n)
            *p = where[(size_t)*p];
    ++lv->generation;
    InvalidateRect(lv->hwnd, nullptr, TRUE);
    return true;
}

int FindItem(ListView* lv, int start, const LVFINDINFOW* fi)
{
    if (!fi || !(fi->flags & (LVFI_PARAM | LVFI_STRING | LVFI_PARTIAL)))
        return -1;
    const int n = Count(lv);
    std::u16string want;
    if ((fi->flags & (LVFI_STRING | LVFI_PARTIAL)) && fi->psz)
        want = fi->psz;
    auto matches = [&](int i) {
        if (fi->flags & LVFI_PARAM)
            return lv->items[(size_t)i].lParam == fi->lParam;
        std::u16string t = ItemText(lv, i, 0);
        if (fi->flags & LVFI_PARTIAL) {
            if (t.size() < want.size())
                return false;
            t.resize(want.size());
        }
        return lstrcmpiW(t.c_str(), want.c_str()) == 0;
    };
    int from = std::max(-1, start) + 1;
    for (int i = from; i < n && i < Count(lv); ++i)
        if (matches(i))
            return i;
    if (fi->flags & LVFI_WRAP)
        for (int i = 0; i < from && i < Count(lv); ++i)
            if (matches(i))
                return i;
    return -1;
}

} // namespace controls::lv
