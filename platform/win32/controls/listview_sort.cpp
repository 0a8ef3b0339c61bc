// Sorting the list view's items with the owner's comparison, and finding items by text or data.
#include "win32/controls/listview_internal.h"
#include "win32/text.h"

#include <algorithm>
#include <numeric>

namespace controls::lv {

// A bottom-up merge sort: stable, and every index it touches comes from its own loop bounds, so a
// comparison that contradicts itself (never equal, or not transitive) yields some order, never a
// read outside the items. The items move only once the sort is done, and not at all when the owner
// changed the list from inside its comparison.
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
    std::vector<int> a((size_t)n), b((size_t)n);
    std::iota(a.begin(), a.end(), 0);
    const unsigned gen = lv->generation;
    for (int width = 1; width < n; width *= 2) {
        for (int lo = 0; lo < n; lo += 2 * width) {
            int mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            int i = lo, j = mid, k = lo;
            while (i < mid && j < hi) {
                // The right run goes first only when strictly less, which keeps equal items in order.
                if (compare(keys[(size_t)a[(size_t)j]], keys[(size_t)a[(size_t)i]], param) < 0)
                    b[(size_t)k++] = a[(size_t)j++];
                else
                    b[(size_t)k++] = a[(size_t)i++];
                if (gen != lv->generation || Count(lv) != n)
                    return false;
            }
            while (i < mid)
                b[(size_t)k++] = a[(size_t)i++];
            while (j < hi)
                b[(size_t)k++] = a[(size_t)j++];
        }
        a.swap(b);
    }
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
