// The order the list view's sort gives its items, for those that sort rows the same way outside it.
#pragma once

#include <algorithm>
#include <numeric>
#include <vector>

namespace controls {

// A bottom-up merge sort of the places 0..n-1 into `order`: the right run's place goes first only when
// `before(right, left)`, which keeps equal places in order. Every index it touches comes from its own
// loop bounds, so a comparison that contradicts itself (never equal, or not transitive) yields some
// order, never a read outside the places. Stops, returning false, as soon as `stop()` says so.
template <class Before, class Stop>
bool MergeOrder(int n, std::vector<int>& order, Before before, Stop stop)
{
    order.resize(size_t(std::max(n, 0)));
    std::iota(order.begin(), order.end(), 0);
    std::vector<int> b(order.size());
    for (int width = 1; width < n; width *= 2) {
        for (int lo = 0; lo < n; lo += 2 * width) {
            const int mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            int i = lo, j = mid, k = lo;
            while (i < mid && j < hi) {
                if (before(order[size_t(j)], order[size_t(i)]))
                    b[size_t(k++)] = order[size_t(j++)];
                else
                    b[size_t(k++)] = order[size_t(i++)];
                if (stop())
                    return false;
            }
            while (i < mid)
                b[size_t(k++)] = order[size_t(i++)];
            while (j < hi)
                b[size_t(k++)] = order[size_t(j++)];
        }
        order.swap(b);
    }
    return true;
}

} // namespace controls
