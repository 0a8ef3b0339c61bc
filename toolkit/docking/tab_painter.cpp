// The tab painter: fonts, tab measuring and content, ellipsis text, and the shared layout and
// drawing of the shape style base.
#include "toolkit/docking/tab_painter.h"

#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/docking/tab_colors.h"
#include "toolkit/docking/tab_manager.h"
#include "toolkit/docking/tab_painter_shapes.h"

#include <algorithm>
#include <numeric>

namespace {

// A DC to measure with when the caller has none.
class MeasureDC : public CDC {
public:
    MeasureDC() { Attach(::CreateCompatibleDC(nullptr)); }
    ~MeasureDC() override { ::DeleteDC(Detach()); }
};

// The clip region of a DC, put back when the object goes.
class SavedClip {
public:
    explicit SavedClip(HDC hdc) : m_hdc(hdc), m_rgn(::CreateRectRgn(0, 0, 0, 0))
    {
        m_has = ::GetClipRgn(hdc, m_rgn) == 1;
    }
    ~SavedClip()
    {
        ::SelectClipRgn(m_hdc, m_has ? m_rgn : nullptr);
        ::DeleteObject(m_rgn);
    }
    SavedClip(const SavedClip&) = delete;
    SavedClip& operator=(const SavedClip&) = delete;

private:
    HDC m_hdc;
    HRGN m_rgn;
    bool m_has = false;
};

// The text cut at its end to fit room pixels, with "..." when cut.
CString FitEndEllipsis(CDC* pDC, const CString& text, int room)
{
    if (pDC->GetTextExtent(text).cx <= room)
        return text;
    const CString dots(u"...");
    for (int n = text.GetLength() - 1; n > 0; --n) {
        CString cut = text.Left(n) + dots;
        if (pDC->GetTextExtent(cut).cx <= room)
            return cut;
    }
    return dots;
}

} // namespace

void InflateByMargin(CRect& rc, const CRect& m, int position)
{
    switch (position) {
    case TKP_TABPOS_LEFT:
        rc.left -= m.top, rc.top -= m.left, rc.right += m.bottom, rc.bottom += m.right;
        break;
    case TKP_TABPOS_BOTTOM:
        rc.left -= m.left, rc.top -= m.bottom, rc.right += m.right, rc.bottom += m.top;
        break;
    case TKP_TABPOS_RIGHT:
        rc.left -= m.bottom, rc.top -= m.left, rc.right += m.top, rc.bottom += m.right;
        break;
    default:
        rc.left -= m.left, rc.top -= m.top, rc.right += m.right, rc.bottom += m.bottom;
        break;
    }
}

void DeflateByMargin(CRect& rc, const CRect& m, int position)
{
    InflateByMargin(rc, CRect(-m.left, -m.top, -m.right, -m.bottom), position);
}

// ---- Painter -----------------------------------------------------------------------------------
CTKPTabPainter::CTKPTabPainter()
{
    EnableAutomation();
    SetTabShapeStyle(0);
    RefreshMetrics();
}

CTKPTabPainter::~CTKPTabPainter()
{
    for (CTKPTabStrip* strip : m_strips)
        strip->m_pListedIn = nullptr;
    delete m_pScheme;
    delete m_pStyle;
}

void CTKPTabPainter::AddStrip(CTKPTabStrip* strip)
{
    if (!strip || std::find(m_strips.begin(), m_strips.end(), strip) != m_strips.end())
        return;
    if (strip->m_pListedIn)
        strip->m_pListedIn->RemoveStrip(strip);
    m_strips.push_back(strip);
    strip->m_pListedIn = this;
}

void CTKPTabPainter::RemoveStrip(CTKPTabStrip* strip)
{
    auto at = std::find(m_strips.begin(), m_strips.end(), strip);
    if (at == m_strips.end())
        return;
    m_strips.erase(at);
    strip->m_pListedIn = nullptr;
}

void CTKPTabPainter::RefreshStrips()
{
    // A strip may leave the list while it repositions.
    const std::vector<CTKPTabStrip*> strips = m_strips;
    for (CTKPTabStrip* strip : strips)
        if (std::find(m_strips.begin(), m_strips.end(), strip) != m_strips.end())
            strip->RequestReposition();
}

void CTKPTabPainter::SetTabShapeStyle(int id)
{
    m_nShapeStyleId = id;
    SetShapeStyle(CreateTabShapeStyle(id));
}

void CTKPTabPainter::SetShapeStyle(TabShapeStyle* style)
{
    if (style) {
        delete m_pStyle;
        m_pStyle = style;
        style->m_pPainter = this;
        style->RefreshMetrics();
        SetTabColorScheme(style->GetDefaultColorScheme());
    }
    RefreshStrips();
}

void CTKPTabPainter::SetTabColorScheme(int id)
{
    m_nColorSchemeId = id;
    SetColorScheme(CreateTabColorScheme(id));
}

void CTKPTabPainter::SetColorScheme(TabColorScheme* scheme)
{
    if (scheme) {
        delete m_pScheme;
        m_pScheme = scheme;
        scheme->m_pPainter = this;
        scheme->RefreshMetrics();
    }
    RefreshStrips();
}

void CTKPTabPainter::SetFontIndirect(const LOGFONTW* lf, BOOL useSystem)
{
    m_bUseSystemFont = useSystem;
    if (!lf)
        return;
    m_fntNormal.DeleteObject();
    m_fntBold.DeleteObject();
    m_fntVertNormal.DeleteObject();
    m_fntVertBold.DeleteObject();
    LOGFONTW font = *lf;
    font.lfWeight = m_bBoldNormal ? FW_BOLD : FW_NORMAL;
    m_fntNormal.CreateFontIndirect(&font);
    font.lfWeight = FW_BOLD;
    m_fntBold.CreateFontIndirect(&font);

    font = *lf;
    const CString face = GetDefaultFontFace(TRUE);
    std::fill(std::begin(font.lfFaceName), std::end(font.lfFaceName), u'\0');
    std::copy_n(static_cast<LPCWSTR>(face), std::min<int>(face.GetLength(), LF_FACESIZE - 1), font.lfFaceName);
    font.lfEscapement = 2700;
    font.lfOrientation = 900;
    if (font.lfHeight >= -10 && font.lfHeight <= -1)
        font.lfHeight = -11;
    font.lfWeight = m_bBoldNormal ? FW_BOLD : FW_NORMAL;
    m_fntVertNormal.CreateFontIndirect(&font);
    font.lfWeight = FW_BOLD;
    m_fntVertBold.CreateFontIndirect(&font);
}

void CTKPTabPainter::RefreshMetrics()
{
    if (m_bUseSystemFont) {
        LOGFONTW lf{};
        if (::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(lf), &lf, 0))
            SetFontIndirect(&lf, TRUE);
    }
    if (m_pScheme)
        m_pScheme->RefreshMetrics();
    if (m_pStyle)
        m_pStyle->RefreshMetrics();
}

BOOL CTKPTabPainter::IsVerticalText() const
{
    const BOOL across = !IsHorizontalTabPosition(m_nPosition);
    return m_nLayout == TKP_TABLAYOUT_ROTATED ? !across : across;
}

CFont* CTKPTabPainter::GetItemFont(const CTKPTabManagerItem* item)
{
    const CTKPTabStrip* strip = item ? item->GetStrip() : nullptr;
    const BOOL bold = item && m_bBoldSelected && item->IsSelected() && strip && strip->m_bActive;
    if (IsVerticalText())
        return bold ? &m_fntVertBold : &m_fntVertNormal;
    return bold ? &m_fntBold : &m_fntNormal;
}

int CTKPTabPainter::GetTextExtent(CDC* pDC, const CString& text, UINT format)
{
    if (format & DT_NOPREFIX)
        return pDC->GetTextExtent(text).cx;
    return pDC->GetTextExtent(StripMnemonicsCopy(text)).cx;
}

void CTKPTabPainter::DrawTextEllipsis(CDC* pDC, const CString& text, CRect rc, UINT format)
{
    if (text.Find(u'\\') >= 0) {
        pDC->DrawText(text, rc, format | DT_PATH_ELLIPSIS);
        return;
    }
    const CString dots(u"...");
    const int dotsWidth = GetTextExtent(pDC, dots, format);
    const int textWidth = GetTextExtent(pDC, text, format);
    const int width = rc.Width();
    if (textWidth <= width) {
        pDC->DrawText(text, rc, format);
        return;
    }
    if (width <= dotsWidth) {
        pDC->DrawText(dots, rc, format);
        return;
    }
    const int room = width - dotsWidth;
    const int length = text.GetLength();
    int n = textWidth > 0 ? int(int64_t(length) * room / textWidth) : 0;
    n = std::clamp(n, 0, length);
    auto measure = [&](int count) {
        return GetTextExtent(pDC, text.Left(count - count / 2), format) + GetTextExtent(pDC, text.Right(count / 2), format);
    };
    // Kerning can make the two halves narrower than the whole text, so growth stops at its length.
    while (n < length && measure(n) < room)
        ++n;
    while (n > 0 && measure(n) > room)
        --n;
    pDC->DrawText(text.Left(n - n / 2) + dots + text.Right(n / 2), rc, format);
}

int CTKPTabPainter::ClampTabWidth(int width, int minWidth, int maxWidth) const
{
    width += m_rcButtonMargin.left + m_rcButtonMargin.right;
    if (minWidth > 0)
        width = std::max(width, minWidth);
    if (maxWidth > 0)
        width = std::min(width, maxWidth);
    return width;
}

int CTKPTabPainter::GetRowHeight(const CTKPTabStrip* strip) const
{
    return m_pStyle ? m_pStyle->GetRowHeight(strip) : 18;
}

CRect CTKPTabPainter::GetContentMargin() const
{
    return m_pStyle ? m_pStyle->GetContentMargin() : CRect(0, 0, 0, 0);
}

int CTKPTabPainter::DrawTabContent(CDC* pDC, CTKPTabManagerItem* item, CRect rc, BOOL draw)
{
    CTKPTabStrip* strip = item->GetStrip();
    if (!strip)
        return 0;
    const BOOL vertical = IsVerticalText();
    CTKPSelectFont font(pDC->m_hDC, *GetItemFont(item));
    const UINT prefix = m_bNoPrefix ? DT_NOPREFIX : 0;
    const CString caption = strip->GetItemCaption(item);
    CSize icon = m_szIcon;
    const BOOL hasIcon = m_bShowIcons && strip->DrawItemIcon(pDC, CPoint(0, 0), item, FALSE, icon);
    const int iconExtent = hasIcon ? (vertical ? icon.cy : icon.cx) : 0;

    if (!draw || rc.IsRectEmpty()) {
        CSize size, minSize, maxSize;
        strip->GetItemMetrics(&size, &minSize, &maxSize);
        switch (m_nLayout) {
        case TKP_TABLAYOUT_FIXED:
            return ClampTabWidth(size.cx, minSize.cx, maxSize.cx);
        case TKP_TABLAYOUT_COMPRESSED:
            if (!item->IsSelected())
                return ClampTabWidth(iconExtent + 8, minSize.cx, maxSize.cx);
            {
                int widest = 0;
                for (int i = 0; i < strip->GetItemCount(); ++i)
                    widest = std::max(widest, GetTextExtent(pDC, strip->GetItemCaption(strip->GetItem(i)), prefix));
                return ClampTabWidth(widest + iconExtent + 12, minSize.cx, maxSize.cx);
            }
        default:
            return ClampTabWidth(GetTextExtent(pDC, caption, prefix) + iconExtent + 12, minSize.cx, maxSize.cx);
        }
    }

    CRect content = rc;
    const BOOL alongX = IsHorizontalTabPosition(m_nPosition) != (m_nLayout == TKP_TABLAYOUT_ROTATED);
    if (item->m_nWidth > item->m_nFullWidth && m_nLayout != TKP_TABLAYOUT_ROTATED) {
        const int half = (item->m_nWidth - item->m_nFullWidth) / 2;
        if (alongX)
            content.DeflateRect(half, 0);
        else
            content.DeflateRect(0, half);
    }
    if (vertical) {
        content.top += m_rcButtonMargin.left + 6;
        content.bottom -= m_rcButtonMargin.right;
    } else {
        content.left += m_rcButtonMargin.left + 6;
        content.right -= m_rcButtonMargin.right;
    }
    if (hasIcon) {
        if (vertical) {
            strip->DrawItemIcon(pDC, CPoint(content.left + (content.Width() - icon.cx) / 2, content.top), item, TRUE,
                                icon);
            content.top += icon.cy + 2;
        } else {
            strip->DrawItemIcon(pDC, CPoint(content.left, content.top + (content.Height() - icon.cy) / 2), item, TRUE,
                                icon);
            content.left += icon.cx + 2;
        }
    }
    const int room = vertical ? content.Height() : content.Width();
    if (room > 8 && (m_nLayout != TKP_TABLAYOUT_COMPRESSED || item->IsSelected()) && m_pScheme) {
        m_pScheme->SetTabTextColor(pDC, item);
        const CString text = m_bNoPrefix ? caption : StripMnemonicsCopy(caption);
        if (vertical) {
            // The vertical font runs downwards; its cell hangs to the left of the reference point.
            const int cell = pDC->GetTextExtent(u"M", 1).cy;
            const CString shown = FitEndEllipsis(pDC, text, room);
            const UINT oldAlign = pDC->SetTextAlign(TA_TOP | TA_LEFT);
            CRect clip = content;
            pDC->ExtTextOut(content.left + (content.Width() + cell) / 2, content.top, 0, &clip, shown, nullptr);
            pDC->SetTextAlign(oldAlign);
        } else {
            const UINT format = DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX | DT_VCENTER;
            if (m_bMiddleEllipsis)
                DrawTextEllipsis(pDC, text, content, format);
            else
                pDC->DrawText(text, content, format | DT_END_ELLIPSIS);
        }
    }
    if (item->IsSelected() && strip->IsFocused())
        DrawFocusRect(pDC, rc);
    return item->m_nWidth;
}

void CTKPTabPainter::DrawFocusRect(CDC* pDC, CRect rc)
{
    if (!m_bFocusRect)
        return;
    rc.DeflateRect(3, 3);
    pDC->SetTextColor(RGB(0, 0, 0));
    pDC->SetBkColor(RGB(255, 255, 255));
    pDC->DrawFocusRect(rc);
}

void CTKPTabPainter::DrawTabControl(CDC* pDC, CTKPTabStrip* strip, CRect rc)
{
    if (m_pStyle && pDC && strip)
        m_pStyle->DrawTabControl(pDC, strip, rc);
}

void CTKPTabPainter::AdjustClientRect(CTKPTabStrip* strip, CRect& rc)
{
    if (m_bStripFrame)
        DeflateByMargin(rc, CRect(2, 1, 2, 2), m_nPosition);
    if (strip && strip->GetItemCount() > 0 && m_pStyle)
        m_pStyle->AdjustClientRect(strip, rc);
}

void CTKPTabPainter::RepositionTabControl(CTKPTabStrip* strip, CDC* pDC, CRect rc)
{
    if (!strip || !m_pStyle)
        return;
    MeasureDC measure;
    if (!pDC)
        pDC = &measure;
    strip->m_rcHeader.SetRectEmpty();
    strip->m_rcControl = rc;
    strip->m_rcClient = rc;
    strip->m_rows.Reset(1, strip->GetItemCount());
    for (int i = 0; i < strip->GetItemCount(); ++i)
        strip->GetItem(i)->m_nRow = 0;
    m_pStyle->RepositionTabs(strip, pDC, rc);
    AdjustClientRect(strip, strip->m_rcClient);
}

void CTKPTabPainter::EnsureVisible(CTKPTabStrip* strip, CTKPTabManagerItem* item)
{
    const CRect header = strip->m_rcHeader;
    const CRect tab = item->m_rcItem;
    if (header.IsRectEmpty() || tab.IsRectEmpty())
        return;
    const CRect margin = GetContentMargin();
    int offset = strip->m_nScrollOffset;
    if (IsHorizontalTabPosition(m_nPosition)) {
        if (tab.left < header.left)
            offset = margin.left + (offset - tab.left) + header.left;
        else if (tab.right > header.right)
            offset = offset - tab.right + header.right;
    } else {
        if (tab.top < header.top)
            offset = margin.left + (offset - tab.top) + header.top;
        else if (tab.bottom > header.bottom)
            offset = offset - tab.bottom + header.bottom;
    }
    strip->SetScrollOffset(offset);
}

CRect CTKPTabPainter::GetTabArea(CTKPTabStrip* strip, CRect rc)
{
    CRect area = m_pStyle ? m_pStyle->GetHeaderRect(rc, strip) : rc;
    const CRect margin = GetContentMargin();
    if (IsHorizontalTabPosition(m_nPosition)) {
        area.left += margin.left + margin.right;
        area.right -= 1;
    } else {
        area.top += margin.left + margin.right;
        area.bottom -= 1;
    }
    for (int i = strip->GetNavigateButtonCount() - 1; i >= 0; --i)
        strip->GetNavigateButton(i)->Place(area);
    return area;
}

void CTKPTabPainter::SetPosition(int position)
{
    m_nPosition = position;
    RefreshStrips();
}

void CTKPTabPainter::SetLayout(int layout)
{
    m_nLayout = layout;
    RefreshStrips();
}

// ---- Shape style base --------------------------------------------------------------------------
TabColorScheme* TabShapeStyle::GetColorScheme() const
{
    return m_pPainter ? m_pPainter->GetColorScheme() : nullptr;
}

int TabShapeStyle::GetPosition() const
{
    return m_pPainter ? m_pPainter->GetPosition() : TKP_TABPOS_TOP;
}

void TabShapeStyle::RefreshMetrics()
{
    MeasureDC dc;
    CTKPSelectFont font(dc.m_hDC, m_pPainter ? HFONT(m_pPainter->m_fntNormal) : nullptr);
    m_nTextHeight = std::max(dc.GetTextExtent(u" ", 1).cy + 3, 18);
}

CRect TabShapeStyle::GetContentMargin()
{
    return m_rcContentMargin;
}

CRect TabShapeStyle::GetClientMargin()
{
    return m_pPainter ? m_pPainter->m_rcClientMargin : CRect(0, 0, 0, 0);
}

int TabShapeStyle::GetTabWidth(CDC* pDC, CTKPTabManagerItem* item)
{
    return m_pPainter->DrawTabContent(pDC, item, CRect(0, 0, 0, 0), FALSE);
}

int TabShapeStyle::GetRowHeight(const CTKPTabStrip* strip)
{
    const CRect& bm = m_pPainter->m_rcButtonMargin;
    CSize size(0, 0);
    if (strip)
        strip->GetItemMetrics(&size, nullptr, nullptr);
    int height = std::max(m_nTextHeight + bm.top + bm.bottom, int(size.cy));
    if (m_pPainter->m_bShowIcons)
        height = std::max(height, int(std::max(m_pPainter->m_szIcon.cx, m_pPainter->m_szIcon.cy)) + bm.top + bm.bottom + 4);
    return height;
}

CRect TabShapeStyle::GetHeaderRect(CRect rc, const CTKPTabStrip* strip)
{
    const int rows = strip ? strip->GetRows().GetCount() : 1;
    const CRect margin = GetContentMargin();
    int depth = rows * GetRowHeight(strip) + (rows - 1) * m_nRowSpacing + margin.top + margin.bottom;
    if (strip && m_pPainter->GetLayout() == TKP_TABLAYOUT_ROTATED)
        for (int i = 0; i < strip->GetItemCount(); ++i)
            depth = std::max(depth, strip->GetItem(i)->m_nWidth);
    switch (GetPosition()) {
    case TKP_TABPOS_LEFT:
        rc.right = rc.left + depth;
        break;
    case TKP_TABPOS_BOTTOM:
        rc.top = rc.bottom - depth;
        break;
    case TKP_TABPOS_RIGHT:
        rc.left = rc.right - depth;
        break;
    default:
        rc.bottom = rc.top + depth;
        break;
    }
    return rc;
}

CRect TabShapeStyle::GetHeaderArea(CRect rc, const CTKPTabStrip* strip)
{
    const CRect header = GetHeaderRect(rc, strip);
    switch (GetPosition()) {
    case TKP_TABPOS_LEFT:
        rc.left = header.right - 1;
        break;
    case TKP_TABPOS_BOTTOM:
        rc.bottom = header.top + 1;
        break;
    case TKP_TABPOS_RIGHT:
        rc.right = header.left + 1;
        break;
    default:
        rc.top = header.bottom - 1;
        break;
    }
    return rc;
}

void TabShapeStyle::AdjustClientRect(CTKPTabStrip* strip, CRect& rc)
{
    const int position = GetPosition();
    DeflateByMargin(rc, m_pPainter->m_rcControlMargin, position);
    rc = GetHeaderArea(rc, strip);
    DeflateByMargin(rc, GetClientMargin(), position);
}

CRect TabShapeStyle::AdjustHeaderRect(CDC* /*pDC*/, CRect rc, CTKPTabStrip* /*strip*/)
{
    return rc;
}

void TabShapeStyle::DrawHeaderEdge(CDC* pDC, const CRect& rc, int position, COLORREF c1, COLORREF c2)
{
    switch (position) {
    case TKP_TABPOS_LEFT:
        if (c1 != COLORREF(-1))
            pDC->FillSolidRect(rc.left, rc.top, 1, rc.Height(), c1);
        break;
    case TKP_TABPOS_BOTTOM:
        if (c2 != COLORREF(-1))
            pDC->FillSolidRect(rc.left, rc.bottom - 1, rc.Width(), 1, c2);
        break;
    case TKP_TABPOS_RIGHT:
        if (c2 != COLORREF(-1))
            pDC->FillSolidRect(rc.right - 1, rc.top, 1, rc.Height(), c2);
        break;
    default:
        if (c1 != COLORREF(-1))
            pDC->FillSolidRect(rc.left, rc.top, rc.Width(), 1, c1);
        break;
    }
}

void TabShapeStyle::DrawClientFrame(CDC* pDC, CRect rc, int position)
{
    TabColorScheme* scheme = GetColorScheme();
    if (!m_pPainter->m_bStripFrame || !scheme)
        return;
    switch (position) {
    case TKP_TABPOS_TOP: {
        pDC->Draw3dRect(rc, scheme->m_clrFrame, scheme->m_clrFrameHighlight);
        CRect inner = rc;
        inner.DeflateRect(1, 1);
        pDC->Draw3dRect(inner, scheme->m_clrHeaderFace, scheme->m_clrHeaderFace);
        break;
    }
    case TKP_TABPOS_LEFT:
        rc.top -= 1;
        pDC->Draw3dRect(rc, scheme->m_clrFrame, scheme->m_clrFrameHighlight);
        break;
    case TKP_TABPOS_BOTTOM:
        pDC->FillSolidRect(rc, scheme->m_clrHeaderFace);
        pDC->FillSolidRect(rc.right - 1, rc.top, 1, rc.Height(), scheme->m_clrFrame);
        break;
    default:
        pDC->FillSolidRect(rc, scheme->m_clrHeaderFace);
        pDC->FillSolidRect(rc.left, rc.bottom - 1, rc.Width(), 1, scheme->m_clrFrame);
        break;
    }
}

void TabShapeStyle::RepositionTabs(CTKPTabStrip* strip, CDC* pDC, CRect rc)
{
    const int position = GetPosition();
    const int layout = m_pPainter->GetLayout();
    if (m_pPainter->m_bStripFrame)
        DeflateByMargin(rc, CRect(2, 1, 2, 2), position);
    DeflateByMargin(rc, m_pPainter->m_rcControlMargin, position);
    for (int i = 0; i < strip->GetNavigateButtonCount(); ++i)
        strip->GetNavigateButton(i)->m_rcButton.SetRectEmpty();
    if (layout == TKP_TABLAYOUT_MULTIROW) {
        RepositionMultiRow(strip, pDC, rc);
        return;
    }
    const int count = strip->GetItemCount();
    for (int i = 0; i < count; ++i) {
        CTKPTabManagerItem* item = strip->GetItem(i);
        item->m_nWidth = item->m_nFullWidth = item->m_bVisible ? GetTabWidth(pDC, item) : 0;
        item->m_rcItem.SetRectEmpty();
    }
    CRect header = GetHeaderRect(rc, strip);
    strip->m_rcHeader = header;
    if (count == 0)
        return;

    const BOOL horizontal = IsHorizontalTabPosition(position);
    const CRect margin = GetContentMargin();
    const int rowStart = (horizontal ? header.left : header.top) + margin.left;
    int length = (horizontal ? header.Width() : header.Height()) - margin.left - margin.right;
    for (int i = strip->GetNavigateButtonCount() - 1; i >= 0; --i)
        strip->GetNavigateButton(i)->ReserveSpace(length);

    if (layout == TKP_TABLAYOUT_SIZETOFIT) {
        // Level the widest tabs down until the row fits.
        std::vector<CTKPTabManagerItem*> tabs;
        int total = 0;
        for (int i = 0; i < count; ++i) {
            CTKPTabManagerItem* item = strip->GetItem(i);
            if (item->m_bVisible) {
                tabs.push_back(item);
                total += item->m_nWidth;
            }
        }
        if (total > length && !tabs.empty()) {
            const int n = int(tabs.size());
            std::stable_sort(tabs.begin(), tabs.end(),
                             [](const CTKPTabManagerItem* a, const CTKPTabManagerItem* b) { return a->m_nWidth > b->m_nWidth; });
            int excess = total - length;
            int k = 1;
            for (;;) {
                const int w1 = tabs[0]->m_nWidth;
                while (k < n && tabs[size_t(k)]->m_nWidth == w1)
                    ++k;
                if (k == n) {
                    for (CTKPTabManagerItem* item : tabs)
                        item->m_nWidth = std::max(length, 0) / n;
                    break;
                }
                const int w2 = tabs[size_t(k)]->m_nWidth;
                if ((w1 - w2) * k >= excess) {
                    for (int i = 0; i < k; ++i)
                        tabs[size_t(i)]->m_nWidth -= excess / k;
                    break;
                }
                excess -= (w1 - w2) * k;
                for (int i = 0; i < k; ++i)
                    tabs[size_t(i)]->m_nWidth = w2;
            }
        }
    }

    // Scrolling forward stops where the forward button turns disabled: with scroll buttons that
    // appear only on overflow, that is before the room of the two buttons, so the last tab can be
    // brought fully into view instead of staying under them.
    const int itemsLength = strip->GetItemsLength();
    int scrollEnd = length;
    if (itemsLength > length && layout != TKP_TABLAYOUT_SIZETOFIT &&
        strip->GetNavigateButton(TKP_TABNAV_FORWARD)->m_nShowMode == TKP_TABNAV_SHOW_AUTO)
        scrollEnd = length - 1 - 28;
    if (strip->m_nScrollOffset < 0 && itemsLength + strip->m_nScrollOffset < scrollEnd)
        strip->m_nScrollOffset = std::min(scrollEnd - itemsLength, 0);

    const int rowHeight = GetRowHeight(strip);
    const BOOL rotated = layout == TKP_TABLAYOUT_ROTATED;
    int pos = rowStart + strip->m_nScrollOffset;
    for (int i = 0; i < count; ++i) {
        CTKPTabManagerItem* item = strip->GetItem(i);
        const int len = rotated ? (item->m_bVisible ? rowHeight : 0) : item->m_nWidth;
        const int depth = rotated ? item->m_nWidth : rowHeight;
        CRect& r = item->m_rcItem;
        switch (position) {
        case TKP_TABPOS_LEFT:
            r.SetRect(header.left + margin.top, pos, header.left + margin.top + depth, pos + len);
            break;
        case TKP_TABPOS_BOTTOM:
            r.SetRect(pos, header.bottom - margin.top - depth, pos + len, header.bottom - margin.top);
            break;
        case TKP_TABPOS_RIGHT:
            r.SetRect(header.right - margin.top - depth, pos, header.right - margin.top, pos + len);
            break;
        default:
            r.SetRect(pos, header.top + margin.top, pos + len, header.top + margin.top + depth);
            break;
        }
        pos += len;
    }

    m_pPainter->GetTabArea(strip, rc);
    for (int i = 0; i < strip->GetNavigateButtonCount(); ++i) {
        const CRect& button = strip->GetNavigateButton(i)->m_rcButton;
        if (button.IsRectEmpty())
            continue;
        if (horizontal)
            header.right = std::min(header.right, button.left);
        else
            header.bottom = std::min(header.bottom, button.top);
    }
    strip->m_rcHeader = header;
}

namespace {

// Splits the tabs from index first into rows of at most length pixels: row k aims at an even
// share of what is left, and takes more tabs when the later rows cannot hold the rest.
struct RowFiller {
    CTKPTabStrip* strip;
    int length;
    BOOL even;
    int rows;

    bool Fill(int row, int first, int remaining)
    {
        CTKPTabRows& table = strip->GetRows();
        const int count = strip->GetItemCount();
        const int target = even ? std::min(length, remaining / (rows - row)) : length;
        table[row] = CTKPTabRow{first, first - 1};
        int sum = 0;
        for (int i = first; i < count; ++i) {
            const int width = strip->GetItem(i)->m_nWidth;
            if (width >= 1 && sum + width > target && sum > 0) {
                if (row == rows - 1)
                    return false;
                if (Fill(row + 1, i, remaining - sum))
                    return true;
                if (sum + width > length)
                    return false;
            }
            sum += width;
            table[row].nLast = i;
        }
        // Rows a failed attempt had filled are left empty.
        for (int r = row + 1; r < rows; ++r)
            table[r] = CTKPTabRow{count, count - 1};
        return true;
    }

    // Every row as full as it gets, in order: the fallback that always fits.
    void Greedy()
    {
        CTKPTabRows& table = strip->GetRows();
        int row = 0, sum = 0;
        table[0].nFirst = 0;
        for (int i = 0; i < strip->GetItemCount(); ++i) {
            const int width = strip->GetItem(i)->m_nWidth;
            if (sum + width > length && sum > 0 && row < rows - 1) {
                ++row;
                table[row].nFirst = i;
                sum = 0;
            }
            sum += width;
            table[row].nLast = i;
        }
        for (++row; row < rows; ++row)
            table[row] = CTKPTabRow{strip->GetItemCount(), strip->GetItemCount() - 1};
    }
};

} // namespace

void TabShapeStyle::RepositionMultiRow(CTKPTabStrip* strip, CDC* pDC, CRect rc)
{
    const int position = GetPosition();
    const BOOL horizontal = IsHorizontalTabPosition(position);
    strip->m_nScrollOffset = 0;
    CRect header = GetHeaderRect(rc, strip);
    strip->m_rcHeader = header;
    const int count = strip->GetItemCount();
    if (count == 0)
        return;
    const CRect margin = GetContentMargin();
    const CRect area = m_pPainter->GetTabArea(strip, rc);
    const int areaEnd = horizontal ? area.right : area.bottom;
    const int start = horizontal ? rc.left : rc.top;
    const int length = areaEnd - start - margin.left - margin.right;

    int total = 0, rows = 1, sum = 0;
    for (int i = 0; i < count; ++i) {
        CTKPTabManagerItem* item = strip->GetItem(i);
        item->m_nWidth = item->m_nFullWidth = item->m_bVisible ? GetTabWidth(pDC, item) : 0;
        item->m_rcItem.SetRectEmpty();
        if (sum + item->m_nWidth > length && sum > 0) {
            ++rows;
            sum = 0;
        }
        sum += item->m_nWidth;
        total += item->m_nWidth;
    }
    CTKPTabRows& table = strip->GetRows();
    table.Reset(rows, count);
    if (rows > 1) {
        RowFiller filler{strip, length, m_pPainter->m_bEvenRows, rows};
        if (!filler.Fill(0, 0, total))
            filler.Greedy();
        CTKPTabManagerItem* selected = strip->GetSelectedItem();
        if (!m_pPainter->m_bKeepRowOrder && selected) {
            for (int r = 0; r < rows; ++r) {
                if (selected->m_nIndex >= table[r].nFirst && selected->m_nIndex <= table[r].nLast) {
                    std::swap(table[0], table[r]);
                    break;
                }
            }
        }
    }

    const int h = GetRowHeight(strip), s = m_nRowSpacing;
    for (int r = 0; r < rows; ++r) {
        int depthPos;  // the row's outer edge across the strip
        switch (position) {
        case TKP_TABPOS_LEFT:
            depthPos = rc.left + margin.top + (rows - 1 - r) * (h + s);
            break;
        case TKP_TABPOS_BOTTOM:
            depthPos = rc.bottom - margin.top - rows * h - (rows - 1) * s + r * (h + s);
            break;
        case TKP_TABPOS_RIGHT:
            depthPos = rc.right - margin.top - rows * h - (rows - 1) * s + r * (h + s);
            break;
        default:
            depthPos = rc.top + margin.top + (rows - 1 - r) * (h + s);
            break;
        }
        const int first = std::max(table[r].nFirst, 0), last = std::min(table[r].nLast, count - 1);
        int rowSum = 0;
        for (int i = first; i <= last; ++i)
            rowSum += strip->GetItem(i)->m_nWidth;
        int pos = start + margin.left, used = 0;
        for (int i = first; i <= last; ++i) {
            CTKPTabManagerItem* item = strip->GetItem(i);
            if (m_pPainter->m_bEvenRows && rows > 1) {
                item->m_nWidth += (length - used - rowSum) / (last - i + 1);
            }
            rowSum -= strip->GetItem(i)->m_nFullWidth;
            used += item->m_nWidth;
            item->m_nRow = r;
            if (horizontal)
                item->m_rcItem.SetRect(pos, depthPos, pos + item->m_nWidth, depthPos + h);
            else
                item->m_rcItem.SetRect(depthPos, pos, depthPos + h, pos + item->m_nWidth);
            pos += item->m_nWidth;
        }
    }
    header = GetHeaderRect(rc, strip);
    if (horizontal)
        header.right = areaEnd;
    else
        header.bottom = areaEnd;
    strip->m_rcHeader = header;
}

void TabShapeStyle::DrawTabControl(CDC* pDC, CTKPTabStrip* strip, CRect rc)
{
    TabColorScheme* scheme = GetColorScheme();
    if (!scheme)
        return;
    if (m_pPainter->m_bStripFrame) {
        pDC->Draw3dRect(rc, scheme->m_clrFrame, scheme->m_clrFrame);
        rc.DeflateRect(1, 1);
        pDC->Draw3dRect(rc, scheme->m_clrHeaderFace, scheme->m_clrHeaderFace);
        rc.DeflateRect(1, 1);
    }
    if (m_pPainter->m_bFillBackground) {
        pDC->FillSolidRect(rc, scheme->m_clrHeaderFace);
        DeflateByMargin(rc, m_pPainter->m_rcControlMargin, GetPosition());
        AdjustHeaderRect(pDC, rc, strip);
    }
    pDC->SetBkMode(TRANSPARENT);
    {
        SavedClip saved(pDC->m_hDC);
        const CRect clip = strip->m_rcHeader;
        pDC->IntersectClipRect(clip);
        const int count = strip->GetItemCount();
        CTKPTabManagerItem* selected = strip->GetSelectedItem();
        const int sel = selected ? selected->m_nIndex : -1;
        auto draw = [&](int i) {
            CTKPTabManagerItem* item = strip->GetItem(i);
            CRect meet;
            if (item && item->m_bVisible && !item->m_rcItem.IsRectEmpty() && meet.IntersectRect(item->m_rcItem, clip))
                DrawSingleTab(pDC, item);
        };
        const CTKPTabRows& rows = strip->GetRows();
        for (int r = rows.GetCount() - 1; r >= 0; --r) {
            const int first = std::max(rows[r].nFirst, 0), last = std::min(rows[r].nLast, count - 1);
            if (m_bOverlapOrder) {
                for (int i = first; i <= last && i < sel; ++i)
                    draw(i);
                for (int i = last; i >= first && i > sel; --i)
                    draw(i);
            } else {
                for (int i = last; i >= first; --i)
                    if (i != sel)
                        draw(i);
            }
            if (sel >= first && sel <= last)
                draw(sel);
        }
    }
    for (int i = 0; i < strip->GetNavigateButtonCount(); ++i) {
        CTKPTabScrollButton* button = strip->GetNavigateButton(i);
        if (button->m_rcButton.IsRectEmpty())
            continue;
        scheme->m_ptGlyphOffset = CPoint(0, 0);
        scheme->DrawButtonFrame(pDC, button, button->m_rcButton);
        const COLORREF color = pDC->GetTextColor();
        CTKPSelectPen pen(pDC->m_hDC, color);
        HBRUSH brush = button->m_bEnabled ? ::CreateSolidBrush(color) : nullptr;
        HGDIOBJ oldBrush = ::SelectObject(pDC->m_hDC, brush ? HGDIOBJ(brush) : ::GetStockObject(NULL_BRUSH));
        const CRect placed = button->m_rcButton;
        button->m_rcButton.OffsetRect(scheme->m_ptGlyphOffset);
        button->DrawGlyph(pDC);
        button->m_rcButton = placed;
        ::SelectObject(pDC->m_hDC, oldBrush);
        if (brush)
            ::DeleteObject(brush);
    }
}
