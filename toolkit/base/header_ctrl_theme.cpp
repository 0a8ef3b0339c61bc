// The header themes: painting of the background, item borders, texts, images and the sort arrow.
#include "toolkit/base/header_ctrl_theme.h"

#include "afx/module_state.h"
#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/base/header_ctrl.h"
#include "win32/user.h"

#include <algorithm>
#include <vector>

IMPLEMENT_DYNCREATE(CTKHeaderCtrlThemeFactory, CTKThemeManagerStyleFactory)

namespace {

void FillSolid(HDC hdc, const RECT& rc, COLORREF color)
{
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(hdc, &rc, brush);
    DeleteObject(brush);
}

// A one-pixel frame: top and left edges in one colour, right and bottom in the other.
void Frame3d(HDC hdc, const RECT& rc, COLORREF topLeft, COLORREF bottomRight)
{
    CDC::FromHandle(hdc)->Draw3dRect(&rc, topLeft, bottomRight);
}

void Line(HDC hdc, int x1, int y1, int x2, int y2, COLORREF color)
{
    CTKPSelectPen pen(hdc, color);
    MoveToEx(hdc, x1, y1, nullptr);
    LineTo(hdc, x2, y2);
}

HIMAGELIST ItemImages(const HDITEMW* item)
{
    return item && (item->fmt & HDF_BITMAP) ? reinterpret_cast<HIMAGELIST>(item->hbm) : nullptr;
}

} // namespace

// ---- Classic ------------------------------------------------------------------------------------
CTKHeaderCtrlTheme::CTKHeaderCtrlTheme() = default;

CTKHeaderCtrlTheme::~CTKHeaderCtrlTheme()
{
    m_themeHeader.CloseThemeData();
}

void CTKHeaderCtrlTheme::RefreshMetrics()
{
    CTKPColorTable& table = GetColorTable();
    m_clrText = table.GetColorByIndex(COLOR_BTNTEXT);
    m_clrFace = table.GetColorByIndex(COLOR_3DFACE);
    m_clrShadow = table.GetColorByIndex(COLOR_3DSHADOW);
    m_clrDarkShadow = table.GetColorByIndex(COLOR_3DDKSHADOW);
    m_clrHighlight = table.GetColorByIndex(COLOR_3DHILIGHT);
}

void CTKHeaderCtrlTheme::VerticalLine(HDC hdc, int x, int y1, int y2, COLORREF color)
{
    Line(hdc, x, y1, x, y2, color);
}

void CTKHeaderCtrlTheme::DrawHeader(CDC* pDC, CTKHeaderCtrl* pHeader)
{
    HDC hdc = pDC ? pDC->GetSafeHdc() : nullptr;
    HWND hwnd = pHeader ? pHeader->GetSafeHwnd() : nullptr;
    if (!hdc || !hwnd)
        return;
    RECT client{};
    ::GetClientRect(hwnd, &client);

    DRAWITEMSTRUCT dis{};
    dis.CtlType = 4;
    dis.CtlID = 0;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = 0;
    dis.hwndItem = hwnd;
    dis.hDC = hdc;
    dis.rcItem = client;
    if (!m_bNativeInUse || !DrawBackgroundThemed(&dis))
        DrawBackground(&dis);

    CTKPSelectFont font(hdc, reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    COLORREF oldBk = ::SetBkColor(hdc, m_clrFace);
    COLORREF oldText = ::SetTextColor(hdc, m_clrText);
    int oldMode = ::SetBkMode(hdc, TRANSPARENT);

    // Items are drawn in display order; a position no item claims stays empty.
    const int count = pHeader->GetItemCount();
    std::vector<int> order((size_t)std::max(count, 0), -1);
    for (int i = 0; i < count; ++i) {
        HDITEMW item{};
        item.mask = HDI_ORDER;
        if (pHeader->GetItem(i, &item) && item.iOrder >= 0 && item.iOrder < count)
            order[(size_t)item.iOrder] = i;
    }

    int hot = -1;
    if (m_dwDrawStyle & TKHEADER_HOTTRACK) {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        ::ScreenToClient(hwnd, &cursor);
        UINT flags = 0;
        hot = pHeader->HitTest(cursor.x, cursor.y, flags);
    }

    int x = 0;
    for (int column : order) {
        if (column < 0)
            continue;
        WCHAR text[256] = {};
        HDITEMW item{};
        item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT | HDI_LPARAM | HDI_BITMAP;
        item.pszText = text;
        item.cchTextMax = 256;
        if (!pHeader->GetItem(column, &item))
            continue;
        dis.itemID = (UINT)column;
        dis.rcItem = RECT{x, 0, x + item.cxy, client.bottom};
        dis.itemState = column == hot ? TKHEADER_STATE_HOT : 0;
        if (pHeader->IsItemPressed(column))
            dis.itemState = TKHEADER_STATE_PRESSED;
        dis.itemData = reinterpret_cast<ULONG_PTR>(&item);
        if (!m_bNativeInUse || !DrawItemThemed(&dis))
            DrawItemBorder(&dis);
        DrawItemText(&dis, pHeader);
        x += item.cxy;
    }

    ::SetBkMode(hdc, oldMode);
    ::SetTextColor(hdc, oldText);
    ::SetBkColor(hdc, oldBk);
}

BOOL CTKHeaderCtrlTheme::UsesVisualStyle(CTKHeaderCtrl* pHeader)
{
    if (!(m_dwDrawStyle & TKHEADER_VISUALSTYLE))
        return FALSE;
    if (!m_themeHeader.IsOpen() && pHeader)
        m_themeHeader.OpenThemeData(pHeader->GetSafeHwnd(), u"HEADER");
    return IsVisualStyleActive() && m_themeHeader.IsOpen();
}

void CTKHeaderCtrlTheme::SetDrawStyle(DWORD dwFlags, CTKHeaderCtrl* pHeader)
{
    m_dwDrawStyle = dwFlags;
    m_bNativeInUse = UsesVisualStyle(pHeader) && (dwFlags & TKHEADER_VISUALSTYLE);
}

BOOL CTKHeaderCtrlTheme::Layout(HDLAYOUT* pLayout, CTKHeaderCtrl* pHeader)
{
    if (!pHeader || !pHeader->GetSafeHwnd())
        return FALSE;
    return (BOOL)pHeader->DefWindowProc(HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(pLayout));
}

void CTKHeaderCtrlTheme::OnDestroyHeader(CTKHeaderCtrl* pHeader)
{
    if (!pHeader || !pHeader->GetSafeHwnd())
        return;
    const int count = pHeader->GetItemCount();
    for (int i = 0; i < count; ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT | HDI_BITMAP;
        if (pHeader->GetItem(i, &item))
            if (HIMAGELIST images = ItemImages(&item))
                ImageList_Destroy(images);
    }
}

BOOL CTKHeaderCtrlTheme::SetBitmap(int nColumn, UINT nBitmapID, BOOL bRemove, COLORREF clrMask,
                                   CTKHeaderCtrl* pHeader)
{
    if (!pHeader || !pHeader->GetSafeHwnd())
        return FALSE;
    HDITEMW item{};
    item.mask = HDI_FORMAT | HDI_BITMAP;
    if (!pHeader->GetItem(nColumn, &item))
        return FALSE;
    if (HIMAGELIST old = ItemImages(&item))
        ImageList_Destroy(old);
    // The column keeps its alignment and text flags; only the image comes and goes.
    item.hbm = nullptr;
    item.fmt &= ~HDF_BITMAP;
    pHeader->SetItem(nColumn, &item);
    pHeader->Invalidate();
    if (bRemove)
        return FALSE;

    HBITMAP bitmap = ::LoadBitmapW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nBitmapID));
    if (!bitmap)
        return FALSE;
    BITMAP bm{};
    HIMAGELIST images = nullptr;
    if (::GetObjectW(bitmap, sizeof bm, &bm) == (int)sizeof bm && bm.bmWidth > 0 && bm.bmHeight > 0)
        images = ImageList_Create(bm.bmWidth, bm.bmHeight, ILC_COLOR24 | ILC_MASK, 0, 1);
    BOOL ok = images && ImageList_AddMasked(images, bitmap, clrMask) >= 0;
    if (ok) {
        item.hbm = reinterpret_cast<HBITMAP>(images);
        item.fmt |= HDF_BITMAP;
        ok = pHeader->SetItem(nColumn, &item);
    }
    if (!ok && images)
        ImageList_Destroy(images);
    pHeader->Invalidate();
    ::DeleteObject(bitmap);
    return ok;
}

void CTKHeaderCtrlTheme::DrawBackground(LPDRAWITEMSTRUCT lpDIS)
{
    HDC hdc = lpDIS->hDC;
    RECT rc = lpDIS->rcItem;
    FillSolid(hdc, rc, m_clrFace);
    // The right edge lies outside: the last item draws its own.
    rc.right += 2;
    Frame3d(hdc, rc, m_clrHighlight, m_clrDarkShadow);
    InflateRect(&rc, -1, -1);
    Frame3d(hdc, rc, m_clrFace, m_clrShadow);
}

BOOL CTKHeaderCtrlTheme::DrawBackgroundThemed(LPDRAWITEMSTRUCT lpDIS)
{
    return (m_dwDrawStyle & TKHEADER_HOTTRACK) &&
           SUCCEEDED(m_themeHeader.DrawThemeBackground(lpDIS->hDC, 0, 1, &lpDIS->rcItem, nullptr));
}

void CTKHeaderCtrlTheme::DrawItemBorder(LPDRAWITEMSTRUCT lpDIS)
{
    HDC hdc = lpDIS->hDC;
    const RECT& rc = lpDIS->rcItem;
    if (lpDIS->itemState & TKHEADER_STATE_PRESSED) {
        Frame3d(hdc, rc, m_clrShadow, m_clrShadow);
        VerticalLine(hdc, rc.right, rc.top + 1, rc.bottom - 1, m_clrHighlight);
        Line(hdc, rc.left + 1, rc.bottom - 2, rc.right - 1, rc.bottom - 2, m_clrFace);
        return;
    }
    VerticalLine(hdc, rc.right - 2, rc.top + 1, rc.bottom - 1, m_clrShadow);
    VerticalLine(hdc, rc.right - 1, rc.top, rc.bottom - 1, m_clrDarkShadow);
    VerticalLine(hdc, rc.right, rc.top + 1, rc.bottom - 1, m_clrHighlight);
}

BOOL CTKHeaderCtrlTheme::DrawItemThemed(LPDRAWITEMSTRUCT lpDIS)
{
    int state = (lpDIS->itemState & TKHEADER_STATE_PRESSED) ? 3 : (lpDIS->itemState & TKHEADER_STATE_HOT) ? 2 : 1;
    return SUCCEEDED(m_themeHeader.DrawThemeBackground(lpDIS->hDC, 1, state, &lpDIS->rcItem, nullptr));
}

void CTKHeaderCtrlTheme::DrawSortArrow(LPDRAWITEMSTRUCT lpDIS, const RECT& rcText, BOOL bAscending)
{
    int x = rcText.right + m_nArrowMargin;
    int y = rcText.top + (rcText.bottom - rcText.top - m_cyArrow) / 2 - 1;
    if (x < lpDIS->rcItem.left)
        return;
    if (lpDIS->itemState & TKHEADER_STATE_PRESSED) {
        ++x;
        ++y;
    }
    POINT pts[3];
    if (bAscending) {
        pts[0] = {x, y + m_cyArrow};
        pts[1] = {x + m_cxArrow, y + m_cyArrow};
        pts[2] = {x + m_cxArrow / 2, y};
    } else {
        pts[0] = {x, y};
        pts[1] = {x + m_cxArrow, y};
        pts[2] = {x + m_cxArrow / 2, y + m_cyArrow};
    }
    DrawArrow(CDC::FromHandle(lpDIS->hDC), pts, bAscending);
}

void CTKHeaderCtrlTheme::DrawArrow(CDC* pDC, const POINT pts[3], BOOL bAscending)
{
    HDC hdc = pDC->GetSafeHdc();
    if (bAscending) {
        {
            CTKPSelectPen pen(hdc, m_clrHighlight);
            MoveToEx(hdc, pts[2].x, pts[2].y, nullptr);
            LineTo(hdc, pts[1].x, pts[1].y);
            LineTo(hdc, pts[0].x, pts[0].y);
        }
        Line(hdc, pts[0].x, pts[0].y, pts[2].x, pts[2].y, m_clrShadow);
    } else {
        {
            CTKPSelectPen pen(hdc, m_clrShadow);
            MoveToEx(hdc, pts[2].x, pts[2].y, nullptr);
            LineTo(hdc, pts[0].x, pts[0].y);
            LineTo(hdc, pts[1].x, pts[1].y);
        }
        Line(hdc, pts[2].x, pts[2].y, pts[1].x, pts[1].y, m_clrHighlight);
    }
}

void CTKHeaderCtrlTheme::DrawItemText(LPDRAWITEMSTRUCT lpDIS, CTKHeaderCtrl* pHeader)
{
    auto* item = reinterpret_cast<HDITEMW*>(lpDIS->itemData);
    if (!item || !pHeader)
        return;
    HDC hdc = lpDIS->hDC;
    const RECT& rcItem = lpDIS->rcItem;
    const int column = (int)lpDIS->itemID;
    BOOL ascending = TRUE;
    const BOOL isSortColumn = pHeader->GetSortImage(ascending) == column;

    RECT rc{rcItem.left + m_nTextMargin, rcItem.top, rcItem.right - m_nTextMargin, rcItem.top};
    if (isSortColumn)
        rc.right -= 2 * m_nArrowMargin + m_cxArrow;

    LPCWSTR text = item->pszText ? item->pszText : u"";
    int length = 0;
    while (length < 255 && text[length])
        ++length;
    SIZE extent{};
    ::GetTextExtentPoint32W(hdc, text, length, &extent);
    rc.top = rcItem.top + (m_nTextTop >= 1 ? m_nTextTop : (rcItem.bottom - rcItem.top - extent.cy) / 2);
    rc.bottom = rc.top + extent.cy;

    if (ItemImages(item))
        DrawItemImage(lpDIS, rc, pHeader);

    const RECT available = rc;
    switch (item->fmt & HDF_JUSTIFYMASK) {
    case HDF_RIGHT: rc.left = rc.right - extent.cx; break;
    case HDF_CENTER: rc.left += (available.right - available.left - extent.cx) / 2; break;
    default: rc.right = rc.left + extent.cx; break;
    }
    rc.left = std::max(rc.left, available.left);
    rc.right = std::min(rc.right, available.right);

    if ((m_dwDrawStyle & TKHEADER_SORTARROW) && isSortColumn)
        DrawSortArrow(lpDIS, rc, ascending);

    if (rc.right > rc.left && rc.bottom > rc.top && length > 0) {
        if (lpDIS->itemState & TKHEADER_STATE_PRESSED)
            OffsetRect(&rc, 1, 1);
        ::DrawTextW(hdc, text, length, &rc, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    }
}

void CTKHeaderCtrlTheme::DrawItemImage(LPDRAWITEMSTRUCT lpDIS, RECT& rcText, CTKHeaderCtrl* /*pHeader*/)
{
    HIMAGELIST images = ItemImages(reinterpret_cast<const HDITEMW*>(lpDIS->itemData));
    int cx = 0, cy = 0;
    if (!images || !ImageList_GetIconSize(images, &cx, &cy))
        return;
    const RECT& rcItem = lpDIS->rcItem;
    rcText.left += m_nTextMargin + cx;
    int x = rcItem.left + m_nTextMargin;
    int y = rcItem.top + (rcItem.bottom - rcItem.top - cy) / 2;
    if (lpDIS->itemState & TKHEADER_STATE_PRESSED) {
        ++x;
        ++y;
    }
    if (x + cx > rcItem.right)
        return;
    ImageList_Draw(images, 0, lpDIS->hDC, x, y, ILD_TRANSPARENT);
}

// ---- Flat ---------------------------------------------------------------------------------------
CTKHeaderCtrlThemeFlat::CTKHeaderCtrlThemeFlat()
{
    m_dwDrawStyle = TKHEADER_SORTARROW;
}

void CTKHeaderCtrlThemeFlat::DrawBackground(LPDRAWITEMSTRUCT lpDIS)
{
    FillSolid(lpDIS->hDC, lpDIS->rcItem, m_clrFace);
    Frame3d(lpDIS->hDC, lpDIS->rcItem, m_clrHighlight, m_clrShadow);
}

void CTKHeaderCtrlThemeFlat::DrawItemBorder(LPDRAWITEMSTRUCT lpDIS)
{
    const RECT& rc = lpDIS->rcItem;
    VerticalLine(lpDIS->hDC, rc.right - 2, rc.top + 2, rc.bottom - 2, m_clrShadow);
    VerticalLine(lpDIS->hDC, rc.right - 1, rc.top + 2, rc.bottom - 2, m_clrHighlight);
}

// ---- Soft ---------------------------------------------------------------------------------------
CTKHeaderCtrlThemeSoft::CTKHeaderCtrlThemeSoft()
{
    m_dwDrawStyle = TKHEADER_SORTARROW;
    m_nTextTop = 2;
}

BOOL CTKHeaderCtrlThemeSoft::Layout(HDLAYOUT* pLayout, CTKHeaderCtrl* pHeader)
{
    if (!pLayout || !pLayout->prc || !pLayout->pwpos || !pHeader || !pHeader->GetSafeHwnd())
        return FALSE;
    HWND hwnd = pHeader->GetSafeHwnd();
    TEXTMETRICW tm{};
    if (HDC dc = ::GetDC(hwnd)) {
        CTKPSelectFont font(dc, reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0)));
        ::GetTextMetricsW(dc, &tm);
        ::ReleaseDC(hwnd, dc);
    }
    const int height = tm.tmHeight + 10;
    RECT& rc = *pLayout->prc;
    WINDOWPOS& wp = *pLayout->pwpos;
    wp = WINDOWPOS{};
    wp.hwnd = hwnd;
    wp.hwndInsertAfter = nullptr;
    wp.x = rc.left;
    wp.y = rc.top;
    wp.cx = rc.right - rc.left;
    wp.cy = height;
    wp.flags = SWP_NOZORDER | SWP_NOACTIVATE;
    rc.top += height;
    return TRUE;
}

void CTKHeaderCtrlThemeSoft::DrawBackground(LPDRAWITEMSTRUCT lpDIS)
{
    HDC hdc = lpDIS->hDC;
    const RECT& rc = lpDIS->rcItem;
    FillSolid(hdc, rc, m_clrFace);
    COLORREF border = m_clrFace, deep = m_clrFace, light = m_clrFace;
    BlendColorRef(border, m_clrShadow, 60);
    BlendColorRef(deep, m_clrShadow, 40);
    BlendColorRef(light, m_clrShadow, 25);
    Frame3d(hdc, rc, m_clrHighlight, border);
    Line(hdc, rc.left, rc.bottom - 2, rc.right, rc.bottom - 2, deep);
    Line(hdc, rc.left, rc.bottom - 3, rc.right, rc.bottom - 3, light);
}

void CTKHeaderCtrlThemeSoft::DrawItemBorder(LPDRAWITEMSTRUCT lpDIS)
{
    const RECT& rc = lpDIS->rcItem;
    VerticalLine(lpDIS->hDC, rc.right - 2, rc.top + 2, rc.bottom - 4, m_clrShadow);
    VerticalLine(lpDIS->hDC, rc.right - 1, rc.top + 2, rc.bottom - 4, m_clrHighlight);
}

// ---- Factory ------------------------------------------------------------------------------------
CTKHeaderCtrlTheme* CreateHeaderCtrlTheme(int themeId)
{
    CTKHeaderCtrlTheme* theme;
    switch (themeId) {
    case 1: theme = new CTKHeaderCtrlThemeFlat; break;
    case 2: theme = new CTKHeaderCtrlThemeSoft; break;
    default: theme = new CTKHeaderCtrlTheme; break;
    }
    theme->m_nThemeId = themeId;
    return theme;
}

CTKThemeStyleBase* CTKHeaderCtrlThemeFactory::CreateTheme(int themeId)
{
    return CreateHeaderCtrlTheme(themeId);
}
