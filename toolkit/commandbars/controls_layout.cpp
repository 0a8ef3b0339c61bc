// The row layout of a control collection: wrapping into rows, the width search, borders, and the
// right-aligned and stretched controls.
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/tool_bar.h"

#include <algorithm>

namespace {

const int kGroupGap = 6;

bool Vertical(DWORD mode)
{
    return (mode & LM_VERTDOCK) != 0;
}

int Extent(const TKP_LAYOUT_RECORD& r, bool vertical)
{
    return vertical ? r.cy : r.cx;
}

void OffsetRecord(TKP_LAYOUT_RECORD& r, int dx, int dy)
{
    ::OffsetRect(&r.rcPlace, dx, dy);
}

// One layout trial: rows for a length, then the places they give.
SIZE LayoutAt(std::vector<TKP_LAYOUT_RECORD>& records, int length, DWORD mode, SIZE spacing)
{
    CTKPControls::WrapRows(records, length, mode);
    return CTKPControls::CalcRowSizes(records, spacing, Vertical(mode));
}

// The near-square search for a bar whose rows would be far taller than wide.
void NearSquare(std::vector<TKP_LAYOUT_RECORD>& records, DWORD mode, SIZE spacing)
{
    SIZE low = LayoutAt(records, 0, mode, spacing);
    int w0 = low.cx, h0 = low.cy;
    int w1 = LayoutAt(records, 32767, mode, spacing).cx;
    while (w0 < w1) {
        const SIZE trial = LayoutAt(records, (w0 + w1) / 2, mode, spacing);
        if (trial.cy > trial.cx) {
            if (trial.cx == w0 && trial.cy == h0)
                break;
            w0 = trial.cx;
            h0 = trial.cy;
        } else if (trial.cy < trial.cx) {
            w1 = trial.cx;
        } else {
            break;
        }
    }
}

// Gives the rows their row rectangles and centres each control across its row; with commit the
// controls move inside the border first.
void FinishRows(std::vector<TKP_LAYOUT_RECORD>& records, SIZE& size, DWORD mode, const RECT& border)
{
    const bool vertical = Vertical(mode);
    if (mode & LM_COMMIT)
        for (TKP_LAYOUT_RECORD& r : records)
            if (r.bVisible && !r.bOverflow)
                OffsetRecord(r, border.left + (vertical ? size.cx : 0), border.top);
    int rows = 0;
    for (const TKP_LAYOUT_RECORD& r : records)
        if (r.bVisible && !r.bOverflow && (r.bRowStart || rows == 0))
            ++rows;
    auto finish = [&](size_t from, size_t to, int thickness) {
        if (rows <= 1)
            thickness = vertical ? size.cx : size.cy;
        for (size_t i = from; i < to; ++i) {
            TKP_LAYOUT_RECORD& r = records[i];
            if (vertical) {
                r.rcRow = RECT{r.rcPlace.right - thickness, border.top, r.rcPlace.right, border.top + size.cy};
                if (r.bVisible)
                    OffsetRecord(r, -(thickness - r.cx) / 2, 0);
            } else {
                r.rcRow = RECT{border.left, r.rcPlace.top, border.left + size.cx, r.rcPlace.top + thickness};
                if (r.bVisible)
                    OffsetRecord(r, 0, (thickness - r.cy) / 2);
            }
        }
    };
    size_t rowFrom = 0;
    int thickness = 0;
    bool seen = false;
    for (size_t i = 0; i < records.size(); ++i) {
        const TKP_LAYOUT_RECORD& r = records[i];
        if (!r.bVisible || r.bOverflow)
            continue;
        if (r.bRowStart && seen) {
            finish(rowFrom, i, thickness);
            rowFrom = i;
            thickness = 0;
        }
        seen = true;
        thickness = std::max(thickness, vertical ? r.cx : r.cy);
    }
    finish(rowFrom, records.size(), thickness);
    size.cx += border.left + border.right;
    size.cy += border.top + border.bottom;
}

} // namespace

SIZE CTKPControls::CalcRowSizes(std::vector<TKP_LAYOUT_RECORD>& records, SIZE spacing, BOOL vertical)
{
    // Horizontal rows run left to right and downwards; vertical columns top to bottom and
    // leftwards from x = 0.
    int along = 0, across = 0, thickness = 0;
    int extentAlong = 0, minAcross = 0, maxAcross = 0;
    bool first = true;
    for (TKP_LAYOUT_RECORD& r : records) {
        if (!r.bVisible || r.bOverflow)
            continue;
        if (!first && r.bRowStart) {
            along = 0;
            across += thickness + (r.bGroup ? (vertical ? spacing.cx : spacing.cy) : 0);
            thickness = 0;
        } else if (!first && r.bGroup) {
            along += vertical ? spacing.cy : spacing.cx;
        }
        first = false;
        if (vertical) {
            r.rcPlace = RECT{-across - r.cx, along, -across, along + r.cy};
            minAcross = std::min(minAcross, int(r.rcPlace.left));
        } else {
            r.rcPlace = RECT{along, across, along + r.cx, across + r.cy};
            maxAcross = std::max(maxAcross, int(r.rcPlace.bottom));
        }
        along += Extent(r, vertical != 0);
        extentAlong = std::max(extentAlong, along);
        thickness = std::max(thickness, vertical ? r.cx : r.cy);
    }
    return vertical ? SIZE{-minAcross, extentAlong} : SIZE{extentAlong, maxAcross};
}

int CTKPControls::WrapRows(std::vector<TKP_LAYOUT_RECORD>& records, int length, DWORD& mode)
{
    const bool vertical = Vertical(mode);
    for (TKP_LAYOUT_RECORD& r : records)
        r.bRowStart = r.bOverflow = FALSE;
    int rows = 1, extent = 0;
    int rowStart = -1;
    for (int i = 0; i < int(records.size()); ++i) {
        TKP_LAYOUT_RECORD& r = records[size_t(i)];
        if (!r.bVisible)
            continue;
        if (rowStart == -1) {
            rowStart = i;
            extent = Extent(r, vertical);
            continue;
        }
        const int add = Extent(r, vertical) + (r.bGroup ? kGroupGap : 0);
        const bool needBreak = extent + add > length || ((mode & TKP_LAYOUT_GROUPROWS) && r.bGroup);
        if (!needBreak) {
            extent += add;
            continue;
        }
        if (mode & TKP_LAYOUT_SINGLEROW) {
            for (size_t j = size_t(i); j < records.size(); ++j)
                records[j].bOverflow = TRUE;
            mode |= TKP_LAYOUT_HASHIDDEN;
            break;
        }
        // Rows break at a group where one is near, so groups stay whole.
        int at = i;
        for (int j = i - 1; j > rowStart; --j)
            if (records[size_t(j)].bVisible && records[size_t(j)].bGroup) {
                at = j;
                break;
            }
        records[size_t(at)].bRowStart = TRUE;
        mode |= TKP_LAYOUT_HASHIDDEN;
        ++rows;
        rowStart = at;
        extent = Extent(records[size_t(at)], vertical);
        i = at;
    }
    return rows;
}

SIZE CTKPControls::CalcDynamicSize(std::vector<TKP_LAYOUT_RECORD>& records, int length, DWORD mode, SIZE spacing)
{
    if (mode & LM_LENGTHY) {
        // The smallest width whose rows fit the height.
        int low = 0, high = 32767;
        LayoutAt(records, high, mode, spacing);
        while (low < high) {
            const int mid = low + (high - low) / 2;
            if (LayoutAt(records, mid, mode, spacing).cy <= length)
                high = mid;
            else
                low = mid + 1;
        }
        return LayoutAt(records, high, mode, spacing);
    }
    DWORD probe = mode;
    const int rows = WrapRows(records, length, probe);
    int low = 0, high = std::max(length, 0);
    while (low < high) {
        const int mid = low + (high - low) / 2;
        DWORD trial = mode;
        if (WrapRows(records, mid, trial) <= rows)
            high = mid;
        else
            low = mid + 1;
    }
    return LayoutAt(records, high, mode, spacing);
}

void CTKPControls::AdjustRows(std::vector<TKP_LAYOUT_RECORD>& records, const std::vector<DWORD>& flags,
                              const RECT& bounds, DWORD mode)
{
    const bool vertical = Vertical(mode);
    auto nearOf = [&](const RECT& rc) { return vertical ? rc.top : rc.left; };
    auto farOf = [&](const RECT& rc) { return vertical ? rc.bottom : rc.right; };
    auto shift = [&](TKP_LAYOUT_RECORD& r, int by) { OffsetRecord(r, vertical ? 0 : by, vertical ? by : 0); };
    const int nearBound = vertical ? bounds.top : bounds.left;
    const int farBound = vertical ? bounds.bottom : bounds.right;

    // Right-aligned controls go to the far end, the last one outermost.
    int edge = farBound;
    for (int i = int(records.size()) - 1; i >= 0; --i) {
        TKP_LAYOUT_RECORD& r = records[size_t(i)];
        if (!r.bVisible || r.bOverflow)
            continue;
        if (!(flags[size_t(i)] & TKP_FLAG_RIGHTALIGN) || r.bRowStart)
            break;
        const int extent = farOf(r.rcPlace) - nearOf(r.rcPlace);
        if (edge - extent < nearBound)
            break;
        shift(r, edge - farOf(r.rcPlace));
        edge -= extent;
    }

    // Stretched controls share the free space at the end of their row.
    size_t rowEnd = records.size();
    for (int i = int(records.size()) - 1; i >= 0; --i) {
        const TKP_LAYOUT_RECORD& r = records[size_t(i)];
        const bool starts = r.bVisible && !r.bOverflow && (r.bRowStart || i == 0);
        if (!starts && i != 0)
            continue;
        size_t from = size_t(i), last = from;
        int stretched = 0;
        for (size_t j = from; j < rowEnd; ++j) {
            if (!records[j].bVisible || records[j].bOverflow)
                continue;
            last = j;
            if (flags[j] & TKP_FLAG_CONTROLSTRETCHED)
                ++stretched;
        }
        int free = farBound - farOf(records[last].rcPlace);
        if (stretched && free > 0 && records[last].bVisible) {
            int handed = 0;
            for (size_t j = from; j < rowEnd; ++j) {
                TKP_LAYOUT_RECORD& rec = records[j];
                if (!rec.bVisible || rec.bOverflow)
                    continue;
                shift(rec, handed);
                if (flags[j] & TKP_FLAG_CONTROLSTRETCHED) {
                    const int share = free / stretched--;
                    free -= share;
                    handed += share;
                    (vertical ? rec.rcPlace.bottom : rec.rcPlace.right) += share;
                }
            }
        }
        rowEnd = from;
    }
}

CSize CTKPControls::CalcSize(CDC* pDC, int length, DWORD mode, const RECT& border, int minimum)
{
    CTKPPaintManager* paint = m_pParent ? m_pParent->GetPaintManager() : GetGlobalPaintManager();
    SIZE spacing{kGroupGap, kGroupGap};
    if (paint && pDC && m_pParent)
        spacing = paint->DrawGroupSeparator(pDC->m_hDC, m_pParent, nullptr, FALSE);
    // A control may insert or remove controls behind itself here: walk by index from the end.
    for (int i = GetCount() - 1; i >= 0; --i)
        if (i < GetCount())
            m_controls[size_t(i)]->OnCalcDynamicSize(mode);
    const int bx = border.left + border.right, by = border.top + border.bottom;
    std::vector<TKP_LAYOUT_RECORD> records;
    std::vector<DWORD> flags;
    bool anyVisible = false;
    for (CTKPControl* control : m_controls) {
        TKP_LAYOUT_RECORD r{};
        r.rcPlace = control->GetRect();
        const CSize size = pDC ? control->GetSize(pDC) : CSize(0, 0);
        r.cx = size.cx;
        r.cy = size.cy;
        r.bVisible = (control->GetHideFlags() & ~DWORD(TKP_HIDE_WRAP)) == 0;
        r.bGroup = control->GetBeginGroup();
        anyVisible = anyVisible || r.bVisible;
        records.push_back(r);
        flags.push_back(control->GetFlags());
    }
    if (!anyVisible) {
        CSize empty(bx + 23, by + 22);
        if (mode & LM_HORZDOCK)
            empty.cy = std::max(int(empty.cy), minimum);
        else
            empty.cx = std::max(int(empty.cx), minimum);
        return empty;
    }
    const int mruWidth = m_pParent ? m_pParent->m_nMRUWidth : 32767;
    if (mode & LM_MRUWIDTH)
        length = mruWidth;
    DWORD wrapMode = mode;
    if (mode & TKP_LAYOUT_GROUPROWS) {
        WrapRows(records, mruWidth, wrapMode);
        const SIZE size = CalcRowSizes(records, spacing, Vertical(mode));
        if (size.cy > 3 * size.cx && mruWidth <= 0)
            NearSquare(records, mode, spacing);
        else
            WrapRows(records, size.cx, wrapMode);
    } else if (mode & LM_HORZDOCK) {
        WrapRows(records, length - bx, wrapMode);
    } else if (mode & LM_VERTDOCK) {
        WrapRows(records, length - by, wrapMode);
    } else {
        CalcDynamicSize(records, length - ((mode & LM_LENGTHY) ? by : bx), mode, spacing);
    }
    SIZE size = CalcRowSizes(records, spacing, Vertical(mode));
    if (minimum > 0) {
        if (mode & LM_HORZDOCK)
            size.cy = std::max(int(size.cy), minimum - by);
        else
            size.cx = std::max(int(size.cx), minimum - bx);
    }
    if (mode & LM_STRETCH) {
        if (mode & LM_VERTDOCK)
            size.cy = std::max(int(size.cy), length - by);
        else
            size.cx = std::max(int(size.cx), length - bx);
    }
    FinishRows(records, size, mode, border);
    if (mode & LM_COMMIT) {
        const RECT bounds{border.left, border.top, size.cx - border.right, size.cy - border.bottom};
        AdjustRows(records, flags, bounds, mode);
        for (size_t i = 0; i < m_controls.size(); ++i) {
            CTKPControl* control = m_controls[i];
            const TKP_LAYOUT_RECORD& r = records[i];
            control->SetHideFlags(r.bOverflow ? (control->GetHideFlags() | TKP_HIDE_WRAP)
                                              : (control->GetHideFlags() & ~DWORD(TKP_HIDE_WRAP)));
            control->SetRowRect(r.rcRow);
            if (!r.bOverflow)
                control->SetRect(r.rcPlace);
            control->SetWrap(r.bRowStart);
        }
    }
    return CSize(size.cx, size.cy);
}
