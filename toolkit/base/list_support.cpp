// The report lists' shared enhancements: column widths in the settings store, auto-size, colours,
// custom draw and painting, the sizing lock, the sub-item hit test and row copy/move.
#include "toolkit/base/list_support.h"

#include "toolkit/base/draw_helpers.h"
#include "toolkit/base/global_data.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/base/settings_store.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace {

// The numbered field of a comma-separated list of widths; absent when the text has fewer fields.
bool FieldOf(const CString& text, int index, CString* field)
{
    if (index < 0)
        return false;
    int start = 0;
    for (int i = 0; i < index; ++i) {
        int comma = text.Find(u',', start);
        if (comma < 0)
            return false;
        start = comma + 1;
    }
    if (start > text.GetLength())
        return false;
    int end = text.Find(u',', start);
    *field = text.Mid(start, (end < 0 ? text.GetLength() : end) - start);
    return true;
}

// A signed decimal with optional leading blanks, ending at the first other character. FALSE when
// there are no digits at all.
bool ParseWidth(const CString& field, long long* value)
{
    int i = 0;
    const int n = field.GetLength();
    while (i < n && (field[i] == u' ' || field[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < n && (field[i] == u'-' || field[i] == u'+'))
        negative = field[i++] == u'-';
    long long v = 0;
    int digits = 0;
    for (; i < n && field[i] >= u'0' && field[i] <= u'9'; ++i, ++digits)
        v = std::min<long long>(v * 10 + (field[i] - u'0'), INT_MAX);
    if (!digits)
        return false;
    *value = negative ? -v : v;
    return true;
}

// The whole text of a cell: the control copies at most the buffer it is given.
CString CellText(HWND list, int item, int sub)
{
    CString result;
    for (int cch = 256; cch <= (1 << 20); cch *= 4) {
        LVITEMW lvi{};
        lvi.iSubItem = sub;
        lvi.cchTextMax = cch;
        lvi.pszText = result.GetBufferSetLength(cch);
        int n = (int)::SendMessageW(list, LVM_GETITEMTEXTW, (WPARAM)item, (LPARAM)&lvi);
        result.ReleaseBuffer(n < 0 ? 0 : n);
        if (n < cch - 1)
            break;
    }
    return result;
}

COLORREF Fallback(COLORREF color, COLORREF otherwise)
{
    return color != COLORREF(-1) ? color : otherwise;
}

} // namespace

CTKListSupport::CTKListSupport()
{
    RefreshMetrics();
}

CTKListSupport::~CTKListSupport()
{
    RemoveAllRowColors();
}

LRESULT CTKListSupport::Send(UINT message, WPARAM wParam, LPARAM lParam) const
{
    if (!m_pList || !::IsWindow(m_pList->m_hWnd))
        return 0;
    return ::SendMessageW(m_pList->m_hWnd, message, wParam, lParam);
}

BOOL CTKListSupport::IsReportView() const
{
    return m_pList && ::IsWindow(m_pList->m_hWnd) &&
           (::GetWindowLongW(m_pList->m_hWnd, GWL_STYLE) & LVS_TYPEMASK) == LVS_REPORT;
}

HWND CTKListSupport::HeaderWnd() const
{
    if (!m_pList || !::IsWindow(m_pList->m_hWnd))
        return nullptr;
    return ::GetDlgItem(m_pList->m_hWnd, 0);
}

CHeaderCtrl* CTKListSupport::GetHeader() const
{
    HWND header = HeaderWnd();
    return header ? AfxWndFromHandle<CHeaderCtrl>(header) : nullptr;
}

CTKFlatHeaderCtrl* CTKListSupport::GetFlatHeader() const
{
    CWnd* header = CWnd::FromHandlePermanent(HeaderWnd());
    return header && header->IsKindOf(RUNTIME_CLASS(CTKFlatHeaderCtrl)) ? static_cast<CTKFlatHeaderCtrl*>(header)
                                                                          : nullptr;
}

void CTKListSupport::Redraw()
{
    if (m_pList && ::IsWindow(m_pList->m_hWnd))
        ::RedrawWindow(m_pList->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

// ---- Colours ------------------------------------------------------------------------------------

void CTKListSupport::RefreshMetrics()
{
    m_nMaxColWidth = ::GetSystemMetrics(SM_CXFULLSCREEN);
    COLORREF base = (m_bCustomColors && m_crBack != COLORREF(-1)) ? m_crBack : ::GetSysColor(COLOR_WINDOW);
    SubtractColorRef(base, RGB(8, 8, 8));
    m_crSortBack = base;
    m_crSortText = (m_bCustomColors && m_crText != COLORREF(-1)) ? m_crText : ::GetSysColor(COLOR_WINDOWTEXT);
}

COLORREF CTKListSupport::TextColor() const
{
    return (m_bCustomColors && m_crText != COLORREF(-1)) ? m_crText : ::GetSysColor(COLOR_WINDOWTEXT);
}

COLORREF CTKListSupport::BackColor() const
{
    return (m_bCustomColors && m_crBack != COLORREF(-1)) ? m_crBack : ::GetSysColor(COLOR_WINDOW);
}

COLORREF CTKListSupport::SortTextColor() const
{
    return Fallback(m_crSortText, TextColor());
}

COLORREF CTKListSupport::SortBackColor() const
{
    return Fallback(m_crSortBack, BackColor());
}

void CTKListSupport::SetListColors(COLORREF text, COLORREF back)
{
    m_crText = text;
    m_crBack = back;
    m_bCustomColors = TRUE;
    // The sort column's tint follows the new background, not the system's window colour.
    RefreshMetrics();
    Redraw();
}

void CTKListSupport::AddRowColor(const ROWCOLOR& color)
{
    SetRowColor(color.iItem, color.crText, color.crBack);
}

void CTKListSupport::SetRowColor(int item, COLORREF text, COLORREF back)
{
    if (ROWCOLOR* record = FindRowColor(item)) {
        record->crText = text;
        record->crBack = back;
    } else {
        POSITION pos = m_rowColors.AddTail(ROWCOLOR{item, back, text});
        m_rowIndex[item] = &m_rowColors.GetAt(pos);
    }
    if (!m_pList || !::IsWindow(m_pList->m_hWnd))
        return;
    int top = (int)Send(LVM_GETTOPINDEX);
    int last = top + (int)Send(LVM_GETCOUNTPERPAGE);
    if (item >= top && item <= last)
        Redraw();
}

void CTKListSupport::RemoveAllRowColors()
{
    m_rowIndex.clear();
    m_rowColors.RemoveAll();
}

ROWCOLOR* CTKListSupport::FindRowColor(int item)
{
    auto it = m_rowIndex.find(item);
    return it == m_rowIndex.end() ? nullptr : it->second;
}

// ---- Custom draw and painting ----------------------------------------------------------------------

void CTKListSupport::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult)
{
    auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(pNMHDR);
    *pResult = CDRF_DODEFAULT;
    const DWORD stage = cd->nmcd.dwDrawStage;
    if (stage == CDDS_PREPAINT || stage == CDDS_ITEMPREPAINT) {
        *pResult = CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYSUBITEMDRAW;
        return;
    }
    if (stage != (CDDS_ITEMPREPAINT | CDDS_SUBITEM))
        return;

    const int item = (int)cd->nmcd.dwItemSpec;
    ROWCOLOR* record = FindRowColor(item);
    const bool inSortColumn = m_bTintSortColumn && cd->iSubItem == m_nSortColumn;
    const bool useRow = m_bRowColors && record && !(Send(LVM_GETITEMSTATE, (WPARAM)item, LVIS_SELECTED) & LVIS_SELECTED);

    if (m_pList && !::IsWindowEnabled(m_pList->m_hWnd)) {
        cd->clrText = ::GetSysColor(COLOR_WINDOWTEXT);
        cd->clrTextBk = ::GetSysColor(COLOR_BTNFACE);
    } else if (useRow) {
        cd->clrText = record->crText;
        COLORREF back = record->crBack;
        if (inSortColumn)
            BlendColorRef(back, SortBackColor(), 50);
        cd->clrTextBk = back;
    } else if (inSortColumn) {
        cd->clrText = SortTextColor();
        cd->clrTextBk = SortBackColor();
    } else {
        cd->clrText = TextColor();
        cd->clrTextBk = BackColor();
    }
}

void CTKListSupport::OnPaint()
{
    if (!m_pList || !::IsWindow(m_pList->m_hWnd))
        return;
    CWnd* list = m_pList;
    CPaintDC dc(list);
    // Only the frame wanted drawing (a scroll bar that changed as rows were added below the page): the
    // DC is clipped to nothing, and drawing every row off screen would only cost time.
    if (::IsRectEmpty(&dc.m_ps.rcPaint))
        return;
    CHeaderCtrl* header = GetHeader();
    const bool report = IsReportView();
    if (report && header && ::IsWindowVisible(header->m_hWnd)) {
        CRect rc;
        header->GetWindowRect(&rc);
        list->ScreenToClient(&rc);
        dc.ExcludeClipRect(&rc);
    }
    CRect client;
    list->GetClientRect(&client);
    if (client.IsRectEmpty())
        return;
    const COLORREF back = list->IsWindowEnabled() ? BackColor() : ::GetSysColor(COLOR_BTNFACE);
    CTKMemDC memDC(dc.m_hDC, client, CTKPGradientColor(back));
    if (!memDC.IsValid())
        return;
    if (m_bTintSortColumn && header && report && m_nSortColumn >= 0) {
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_POS;
        int x = client.left;
        if (::GetScrollInfo(list->m_hWnd, SB_HORZ, &si))
            x -= si.nPos;
        const int count = header->GetItemCount();
        for (int pos = 0; pos < count; ++pos) {
            int column = header->OrderToIndex(pos);
            int width = (int)Send(LVM_GETCOLUMNWIDTH, (WPARAM)column);
            if (column == m_nSortColumn) {
                memDC.FillSolidRect(x, client.top, width, client.Height(), SortBackColor());
                break;
            }
            x += width;
        }
    }
    list->DefWindowProc(WM_PAINT, (WPARAM)memDC.m_hDC, 0);
    if (header && ::IsWindow(header->m_hWnd)) {
        header->Invalidate();
        header->UpdateWindow();
    }
}

// ---- Column widths --------------------------------------------------------------------------------

// Until AutoSaveColumns names them, the widths live in the usual section and entry.
LPCWSTR CTKListSupport::Section() const
{
    return m_strSection.IsEmpty() ? u"Settings" : (LPCWSTR)m_strSection;
}

LPCWSTR CTKListSupport::Entry() const
{
    return m_strEntry.IsEmpty() ? u"Column Info" : (LPCWSTR)m_strEntry;
}

BOOL CTKListSupport::ReadStoredColumnWidth(int column, int* width)
{
    CTKPSettingsStore store(HKEY_CURRENT_USER);
    CString text = store.GetProfileString(Section(), Entry(), m_strDefaultWidths);
    CString field;
    long long value = 0;
    if (!FieldOf(text, column, &field) || !ParseWidth(field, &value))
        return FALSE;
    // What the list itself writes is never negative or wider than a 16-bit width; anything else
    // is not a width (a negative one would even ask the control to auto-size).
    if (value < 0 || value > SHRT_MAX)
        return FALSE;
    *width = (int)value;
    return TRUE;
}

int CTKListSupport::GetStoredColumnWidth(int column)
{
    int width = 0;
    return ReadStoredColumnWidth(column, &width) ? width : 0;
}

void CTKListSupport::RestoreColumnWidth(int column)
{
    // A column the value says nothing about keeps the width it has, rather than vanishing.
    int width = 0;
    if (ReadStoredColumnWidth(column, &width))
        Send(LVM_SETCOLUMNWIDTH, (WPARAM)column, MAKELPARAM(width, 0));
}

void CTKListSupport::LoadColumnWidths()
{
    CHeaderCtrl* header = GetHeader();
    if (!IsReportView() || !header)
        return;
    const int count = header->GetItemCount();
    for (int pos = 0; pos < count; ++pos)
        RestoreColumnWidth(header->OrderToIndex(pos));
}

void CTKListSupport::SaveColumnWidths()
{
    CHeaderCtrl* header = GetHeader();
    if (!IsReportView() || !header)
        return;
    // Field k is column k's width, the field the reader gives column k: written in display order,
    // the widths of reordered columns would come back on the wrong columns.
    CString text;
    const int count = header->GetItemCount();
    for (int column = 0; column < count; ++column) {
        CString field;
        field.Format(u"%d,", (int)Send(LVM_GETCOLUMNWIDTH, (WPARAM)column));
        text += field;
    }
    CTKPSettingsStore store(HKEY_CURRENT_USER);
    store.WriteProfileString(Section(), Entry(), text);
}

void CTKListSupport::AutoSaveColumns(LPCWSTR section, LPCWSTR entry, LPCWSTR defaultWidths)
{
    m_bAutoSave = TRUE;
    m_strSection = section ? section : u"Settings";
    m_strEntry = entry ? entry : u"Column Info";
    if (defaultWidths)
        m_strDefaultWidths = defaultWidths;
    LoadColumnWidths();
}

void CTKListSupport::AutoSizeColumn(int column)
{
    if (!m_pList || !::IsWindow(m_pList->m_hWnd))
        return;
    Send(WM_SETREDRAW, FALSE);
    CHeaderCtrl* header = GetHeader();
    if (header && ::IsWindow(header->m_hWnd)) {
        const int count = GetColumnCount();
        std::vector<int> columns;
        if (column == -1) {
            for (int pos = 0; pos < count; ++pos)
                columns.push_back(header->OrderToIndex(pos));
        } else if (column >= 0 && column < count) {
            columns.push_back(column);
        }
        HDC screen = ::GetDC(nullptr);
        HFONT font = (HFONT)header->SendMessage(WM_GETFONT);
        HGDIOBJ oldFont = font ? ::SelectObject(screen, font) : nullptr;
        for (int c : columns) {
            Send(LVM_SETCOLUMNWIDTH, (WPARAM)c, MAKELPARAM(LVSCW_AUTOSIZE, 0));
            int width = (int)Send(LVM_GETCOLUMNWIDTH, (WPARAM)c);
            WCHAR title[256] = {};
            LVCOLUMNW col{};
            col.mask = LVCF_TEXT;
            col.pszText = title;
            col.cchTextMax = 256;
            Send(LVM_GETCOLUMNW, (WPARAM)c, (LPARAM)&col);
            SIZE size{};
            ::GetTextExtentPoint32W(screen, title, (int)std::char_traits<char16_t>::length(title), &size);
            int titleWidth = size.cx + 12;
            if (HeaderDrawsSortArrow() && c == m_nSortColumn)
                titleWidth += 24;
            width = std::max(width, titleWidth);
            width = std::min(std::max(width, m_nMinColWidth), m_nMaxColWidth);
            Send(LVM_SETCOLUMNWIDTH, (WPARAM)c, MAKELPARAM(width, 0));
        }
        if (oldFont)
            ::SelectObject(screen, oldFont);
        ::ReleaseDC(nullptr, screen);
    }
    Send(WM_SETREDRAW, TRUE);
    ::InvalidateRect(m_pList->m_hWnd, nullptr, TRUE);
}

// ---- Columns -------------------------------------------------------------------------------------

int CTKListSupport::GetColumnCount()
{
    CHeaderCtrl* header = GetHeader();
    return IsReportView() && header ? header->GetItemCount() : -1;
}

int CTKListSupport::AddColumn(LPCWSTR title, int width, int format)
{
    CHeaderCtrl* header = GetHeader();
    if (!IsReportView() || !header)
        return -1;
    const int index = header->GetItemCount();
    if (width == -1 && index > 0) {
        HDITEMW hdi{};
        hdi.mask = HDI_WIDTH;
        if (header->GetItem(index - 1, &hdi))
            width = hdi.cxy;
    }
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_FMT | LVCF_SUBITEM;
    col.fmt = format;
    col.pszText = const_cast<LPWSTR>(title ? title : u"");
    col.iSubItem = index;
    // With no column to copy from, the control's own default width stands.
    if (width >= 0) {
        col.mask |= LVCF_WIDTH;
        col.cx = width;
    }
    return (int)Send(LVM_INSERTCOLUMNW, (WPARAM)index, (LPARAM)&col);
}

BOOL CTKListSupport::InsertColumns(int count, const int* widths, const LPCWSTR* titles)
{
    for (int i = 0; i < count; ++i) {
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
        col.fmt = LVCFMT_LEFT;
        col.cx = widths[i];
        col.pszText = const_cast<LPWSTR>(titles[i] ? titles[i] : u"");
        col.iSubItem = i;
        if ((int)Send(LVM_INSERTCOLUMNW, (WPARAM)i, (LPARAM)&col) == -1)
            return FALSE;
    }
    return TRUE;
}

BOOL CTKListSupport::InsertColumnsFromResource(int count, const int* widths, const UINT* stringIds)
{
    std::vector<CString> texts(std::max(count, 0));
    std::vector<LPCWSTR> titles(std::max(count, 0));
    for (int i = 0; i < count; ++i) {
        GetResourceLoader().LoadString(texts[i], stringIds[i]);
        titles[i] = texts[i];
    }
    return InsertColumns(count, widths, titles.data());
}

// ---- Styles and font --------------------------------------------------------------------------------

void CTKListSupport::AddExtendedStyle(DWORD style)
{
    Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, (LPARAM)(GetExtendedStyle() | style));
}

DWORD CTKListSupport::GetExtendedStyle()
{
    return (DWORD)Send(LVM_GETEXTENDEDLISTVIEWSTYLE);
}

BOOL CTKListSupport::ModifyExtendedStyle(DWORD remove, DWORD add)
{
    const DWORD current = GetExtendedStyle();
    const DWORD wanted = (current & ~remove) | add;
    if (wanted == current)
        return FALSE;
    Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, (LPARAM)wanted);
    return TRUE;
}

BOOL CTKListSupport::ApplyToolkitFont()
{
    if (!m_pList || !::IsWindow(m_pList->m_hWnd))
        return FALSE;
    if (m_bUseToolkitFont)
        Send(WM_SETFONT, (WPARAM)GetGlobalData().m_fontRegular, TRUE);
    return TRUE;
}

void CTKListSupport::DisableColumnSizing(BOOL disable)
{
    m_bSizingLocked = disable;
}

// ---- Hit test and rows ---------------------------------------------------------------------------

int CTKListSupport::HitTestEx(CPoint point, int* subItem)
{
    LVHITTESTINFO hit{};
    hit.pt = point;
    int row = (int)Send(LVM_HITTEST, 0, (LPARAM)&hit);
    if (subItem)
        *subItem = 0;
    CHeaderCtrl* header = GetHeader();
    if (!IsReportView())
        return row;
    if (!header)
        return -1;
    const int top = (int)Send(LVM_GETTOPINDEX);
    const int last = std::min(top + (int)Send(LVM_GETCOUNTPERPAGE), (int)Send(LVM_GETITEMCOUNT) - 1);
    const int columns = header->GetItemCount();
    for (row = top; row <= last; ++row) {
        RECT bounds{LVIR_BOUNDS, 0, 0, 0};
        if (!Send(LVM_GETITEMRECT, (WPARAM)row, (LPARAM)&bounds) || !::PtInRect(&bounds, point))
            continue;
        int left = bounds.left;
        for (int pos = 0; pos < columns; ++pos) {
            int width = (int)Send(LVM_GETCOLUMNWIDTH, (WPARAM)header->OrderToIndex(pos));
            if (point.x >= left && point.x <= left + width) {
                if (subItem)
                    *subItem = pos;
                return row;
            }
            left += width;
        }
    }
    return -1;
}

int CTKListSupport::CopyRow(int from, int to)
{
    if (from == to || from < 0 || to < 0 || !m_pList || !::IsWindow(m_pList->m_hWnd))
        return -1;
    const HWND list = m_pList->m_hWnd;
    LVITEMW item{};
    item.mask = LVIF_IMAGE | LVIF_PARAM;
    item.iItem = from;
    if (!::SendMessageW(list, LVM_GETITEMW, 0, (LPARAM)&item))
        return -1;
    // The whole text travels: a fixed buffer would cut long names short in the copy.
    CString text = CellText(list, from, 0);
    item.mask |= LVIF_TEXT;
    item.iItem = to;
    item.iSubItem = 0;
    item.pszText = const_cast<LPWSTR>((LPCWSTR)text);
    const int inserted = (int)::SendMessageW(list, LVM_INSERTITEMW, 0, (LPARAM)&item);
    if (inserted < 0)
        return -1;
    const int source = inserted <= from ? from + 1 : from;
    const int columns = GetColumnCount();
    for (int sub = 1; sub < columns; ++sub) {
        CString subText = CellText(list, source, sub);
        if (subText.IsEmpty())
            continue;
        LVITEMW cell{};
        cell.iSubItem = sub;
        cell.pszText = const_cast<LPWSTR>((LPCWSTR)subText);
        ::SendMessageW(list, LVM_SETITEMTEXTW, (WPARAM)inserted, (LPARAM)&cell);
    }
    return source;
}

BOOL CTKListSupport::MoveRow(int from, int to)
{
    if (from == to || from < 0 || to < 0)
        return FALSE;
    int source = CopyRow(from, to);
    if (source < 0)
        return FALSE;
    return (BOOL)Send(LVM_DELETEITEM, (WPARAM)source);
}

// ---- Header ---------------------------------------------------------------------------------------

int CTKListSupport::SetSortImage(int column, BOOL ascending)
{
    int previous = m_nSortColumn;
    m_nSortColumn = column;
    m_bAscending = ascending;
    CWnd* header = CWnd::FromHandlePermanent(HeaderWnd());
    if (header && header->IsKindOf(RUNTIME_CLASS(CTKHeaderCtrl)))
        static_cast<CTKHeaderCtrl*>(header)->SetSortImage(column, ascending);
    return previous;
}

BOOL CTKListSupport::HeaderDrawsSortArrow() const
{
    CTKFlatHeaderCtrl* header = GetFlatHeader();
    return header && header->HasSortArrow();
}

BOOL CTKListSupport::SubclassHeader(BOOL bold)
{
    HWND header = HeaderWnd();
    if (!IsReportView() || !header || m_header.GetSafeHwnd() || !m_header.SubclassWindow(header))
        return FALSE;
    m_header.InitializeHeader(bold);
    return TRUE;
}

BOOL CTKListSupport::SortList(int column, BOOL ascending)
{
    return TRUE;
}

BOOL CTKListSupport::OnHeaderNotify(WPARAM wParam, NMHDR* pNMHDR, LRESULT* pResult)
{
    auto* hn = reinterpret_cast<NMHEADERW*>(pNMHDR);
    switch (pNMHDR->code) {
    case HDN_ITEMCHANGINGA:
    case HDN_ITEMCHANGINGW:
    case HDN_ENDTRACKW:
        if (hn->pitem && (hn->pitem->mask & HDI_WIDTH) && hn->pitem->cxy < m_nMinColWidth)
            hn->pitem->cxy = m_nMinColWidth;
        break;
    case HDN_BEGINTRACKA:
    case HDN_BEGINTRACKW:
    case HDN_DIVIDERDBLCLICKA:
    case HDN_DIVIDERDBLCLICKW:
        if (m_bSizingLocked) {
            *pResult = 1;
            return TRUE;
        }
        break;
    case HDN_ITEMCLICKA:
    case HDN_ITEMCLICKW:
        if (CTKFlatHeaderCtrl* header = GetFlatHeader()) {
            BOOL ascending = m_bAscending;
            if (hn->iButton == 0)
                ascending = hn->iItem == m_nSortColumn ? !m_bAscending : TRUE;
            else if (hn->iButton == 1)
                header->GetSortImage(ascending); // the header's own sort commands chose it
            m_nSortColumn = hn->iItem;
            m_bAscending = ascending;
            header->SetSortImage(hn->iItem, ascending);
            SortList(hn->iItem, ascending);
        }
        break;
    default: break;
    }
    return FALSE;
}
