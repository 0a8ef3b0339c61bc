// Taking a SCROLLINFO into a scroll bar's own: the fields its mask names, then the page kept
// within the range and the position within what the page leaves.
#pragma once

#include <algorithm>

#include "win32/user.h"

namespace user {

inline void MergeScrollInfo(SCROLLINFO& s, const SCROLLINFO& in)
{
    if (in.fMask & SIF_RANGE) {
        s.nMin = in.nMin;
        s.nMax = in.nMax;
    }
    if (in.fMask & SIF_PAGE)
        s.nPage = in.nPage;
    if (in.fMask & SIF_POS)
        s.nPos = in.nPos;
    long long range = (long long)s.nMax - s.nMin + 1;
    if (range < 0)
        range = 0;
    if ((long long)s.nPage > range)
        s.nPage = (UINT)range;
    long long maxPos = (long long)s.nMax - std::max<long long>((long long)s.nPage - 1, 0);
    s.nPos = (int)std::clamp<long long>(s.nPos, s.nMin, std::max<long long>(maxPos, s.nMin));
}

} // namespace user
