// The dock painter's base: metrics, fonts, caption and client rectangles, caption buttons and
// splitter bars, and the default theme's captions.
#include "toolkit/docking/dock_paint_manager.h"

#include "afx/frame.h"
#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/docking/pane.h"
#include "toolkit/docking/pane_caption_button.h"
#include "toolkit/docking/pane_holders.h"
#include "toolkit/docking/pane_splitter.h"
#include "toolkit/docking/tab_manager.h"
#include "toolkit/docking/tab_painter.h"

#include <algorithm>

namespace {

// The system's non-client metrics in their 500-byte form.
struct NonClientMetrics {
    UINT cbSize;
    int iBorderWidth, iScrollWidth, iScrollHeight, iCaptionWidth, iCaptionHeight;
    LOGFONTW lfCaptionFont;
    int iSmCaptionWidth, iSmCaptionHeight;
    LOGFONTW lfSmCaptionFont;
    int iMenuWidth, iMenuHeight;
    LOGFONTW lfMenuFont, lfStatusFont, lfMessageFont;
};
static_assert(sizeof(NonClientMetrics) == 500);

// The height of a blank in a font.
int BlankHeight(HFONT font)
{
    HDC hdc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(hdc, font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{0, 0};
    ::GetTextExtentPoint32W(hdc, u" ", 1, &size);
    ::SelectObject(hdc, old);
    ::ReleaseDC(nullptr, hdc);
    return size.cy;
}

} // namespace

CTKPPaneThemePainter::CTKPPaneThemePainter()
{
    m_clrSplitterGripper.SetStandard(::GetSysColor(COLOR_BTNSHADOW));
    m_clrSplitter.SetStandard(::GetSysColor(COLOR_BTNFACE));
    // The tabs of tabbed containers run along their bottom edge and shrink to fit; the side
    // panels' tabs start on the right and take the side of their panel.
    m_pPaneTabPainter = new CTKPTabPainter;
    m_pPaneTabPainter->SetPosition(TKP_TABPOS_BOTTOM);
    m_pPaneTabPainter->SetLayout(TKP_TABLAYOUT_SIZETOFIT);
    m_pPanelTabPainter = new CTKPTabPainter;
    m_pPanelTabPainter->SetPosition(TKP_TABPOS_RIGHT);
}

CTKPPaneThemePainter::~CTKPPaneThemePainter()
{
    if (m_pPaneTabPainter)
        m_pPaneTabPainter->InternalRelease();
    if (m_pPanelTabPainter)
        m_pPanelTabPainter->InternalRelease();
}

void CTKPPaneThemePainter::SetColors(int count, const UINT* indexes, const COLORREF* colors)
{
    for (int i = 0; i < count; ++i)
        if (indexes[i] < 62)
            m_colors[indexes[i]] = colors[i];
}

int CTKPPaneThemePainter::GetColorScheme() const
{
    if (m_nColorScheme == 5)
        return GetColorTable().IsSystemThemeDisabled() ? 0 : GetCurrentSystemThemeKind();
    if (m_nColorScheme == 4)
        return GetColorTable().GetDetectedSystemTheme();
    return m_nColorScheme;
}

void CTKPPaneThemePainter::RefreshMetrics()
{
    RefreshColorTableThrottled();
    CTKPColorTable& table = GetColorTable();
    for (UINT i = 0; i < 62; ++i)
        m_colors[i] = table.GetColorByIndex(i);
    m_clrSplitterGripper.SetStandard(GetColor(COLOR_BTNSHADOW));
    m_clrSplitter.SetStandard(GetColor(COLOR_BTNFACE));
    m_clrSplitterGradient.SetStandardValue(GetColor(COLOR_BTNFACE),
                                           BlendColorsByPercent(GetColor(COLOR_BTNFACE), GetColor(COLOR_WINDOW), 205),
                                           0.5f);
    if (m_bUseSystemFont) {
        NonClientMetrics ncm{};
        ncm.cbSize = sizeof(ncm);
        if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0)) {
            LOGFONTW lf = ncm.lfSmCaptionFont;
            if (!m_bDrawBoldCaption)
                lf.lfWeight = FW_NORMAL;
            SetCaptionFont(lf, TRUE);
        }
    }
    if (!m_fntCaption.GetSafeHandle()) {
        LOGFONTW lf{};
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
        SetCaptionFont(lf, FALSE);
    }
    m_pPaneTabPainter->RefreshMetrics();
    m_pPanelTabPainter->RefreshMetrics();
    // The tab row fits a line of the pane tabs' font.
    CFont* tabFont = m_pPaneTabPainter->GetItemFont(nullptr);
    m_nTabsHeight = std::max(24, BlankHeight(tabFont ? static_cast<HFONT>(tabFont->GetSafeHandle()) : nullptr) + 10);
}

void CTKPPaneThemePainter::SetCaptionFont(const LOGFONTW& source, BOOL useSystem)
{
    LOGFONTW lf = source;
    if (m_bUseTahoma && lf.lfCharSet <= 2 && useSystem && FontExists(u"Tahoma"))
        std::copy_n(u"Tahoma", 7, lf.lfFaceName);
    m_fntCaption.DeleteObject();
    m_fntCaption.CreateFontIndirect(&lf);

    LOGFONTW vertical = lf;
    vertical.lfEscapement = 2700;
    vertical.lfOrientation = 900;
    if (vertical.lfHeight >= -10 && vertical.lfHeight <= -1)
        vertical.lfHeight = -11;
    const CString face = GetDefaultFontFace(TRUE);
    std::fill(std::begin(vertical.lfFaceName), std::end(vertical.lfFaceName), u'\0');
    std::copy_n(face.GetString(), std::min<int>(face.GetLength(), LF_FACESIZE - 1), vertical.lfFaceName);
    m_fntCaptionVertical.DeleteObject();
    m_fntCaptionVertical.CreateFontIndirect(&vertical);

    m_nCaptionHeight = m_nCaptionSpacing + std::max(13, BlankHeight(static_cast<HFONT>(m_fntCaption.GetSafeHandle())));
}

// ---- Questions about containers ----------------------------------------------------------------
CString CTKPPaneThemePainter::SelectedTitle(CTKPPaneBase* container)
{
    CTKPPaneTabbedHolder* holder = AsTabbedHolder(container);
    CTKPPane* selected = holder ? holder->GetSelected() : nullptr;
    return selected ? selected->GetTitle() : CString();
}

BOOL CTKPPaneThemePainter::IsContainerActive(CTKPPaneBase* container)
{
    CTKPPaneTabbedHolder* holder = AsTabbedHolder(container);
    return holder && holder->IsActive();
}

BOOL CTKPPaneThemePainter::IsCaptionVertical(const CTKPPaneBase* container)
{
    CTKPPaneTabbedHolder* holder = AsTabbedHolder(const_cast<CTKPPaneBase*>(container));
    return holder && holder->IsCaptionVertical();
}

BOOL CTKPPaneThemePainter::IsCaptionShown(const CTKPPaneBase* container)
{
    CTKPPaneTabbedHolder* holder = AsTabbedHolder(const_cast<CTKPPaneBase*>(container));
    return holder && holder->IsCaptionVisible();
}

RECT CTKPPaneThemePainter::CaptionStrip(const RECT& rc, BOOL vertical) const
{
    RECT strip = rc;
    if (vertical)
        strip.right = std::min<LONG>(rc.right, rc.left + m_nCaptionHeight + 3);
    else
        strip.bottom = std::min<LONG>(rc.bottom, rc.top + m_nCaptionHeight + 3);
    return strip;
}

RECT CTKPPaneThemePainter::TitleRect(RECT rc, int start, int top, BOOL vertical)
{
    if (vertical) {
        rc.top += start;
        rc.left += top;
    } else {
        rc.left += start;
        rc.top += top;
    }
    return rc;
}

// ---- Rectangles --------------------------------------------------------------------------------
void CTKPPaneThemePainter::AdjustCaptionRect(const CTKPPaneBase* container, RECT& rc)
{
    if (!IsCaptionShown(container) || !m_bShowCaption)
        return;
    const int size = m_nCaptionHeight + m_rcCaptionMargin.top + m_rcCaptionMargin.bottom;
    if (IsCaptionVertical(container))
        rc.left = std::min<LONG>(rc.right, rc.left + size);
    else
        rc.top = std::min<LONG>(rc.bottom, rc.top + size);
}

void CTKPPaneThemePainter::AdjustTabbedClientRect(CTKPPaneBase* container, RECT& rc, BOOL redraw)
{
    AdjustCaptionRect(container, rc);
    CTKPPaneTabbedHolder* holder = AsTabbedHolder(container);
    CTKPTabStrip* strip = holder && holder->IsTabsVisible() ? holder->GetTabStrip() : nullptr;
    if (!strip)
        return;
    CRect client(rc);
    if (redraw) {
        // The strip is laid out for the container's window, whose origin is its top left.
        CWnd* window = container->GetPaneWindow();
        if (window && window->GetSafeHwnd()) {
            CClientDC dc(window);
            CRect at(client);
            at.OffsetRect(-at.left, -at.top);
            m_pPaneTabPainter->RepositionTabControl(strip, &dc, at);
        }
    }
    m_pPaneTabPainter->AdjustClientRect(strip, client);
    rc = client;
}

void CTKPPaneThemePainter::DrawTabbedContainer(CDC* dc, CTKPPaneBase* container, const RECT& rc)
{
    FillRect(dc, rc, COLOR_BTNFACE);
    if (IsCaptionShown(container) && m_bShowCaption) {
        ::SetBkMode(dc->m_hDC, TRANSPARENT);
        DrawCaption(dc, container, rc);
    }
    DrawContainerTabs(dc, container, rc);
}

void CTKPPaneThemePainter::DrawContainerTabs(CDC* dc, CTKPPaneBase* container, const RECT& rc)
{
    CTKPPaneTabbedHolder* holder = AsTabbedHolder(container);
    CTKPTabStrip* strip = holder && holder->IsTabsVisible() ? holder->GetTabStrip() : nullptr;
    if (!strip)
        return;
    RECT area = rc;
    AdjustCaptionRect(container, area);
    m_pPaneTabPainter->DrawTabControl(dc, strip, CRect(area));
}

// ---- Caption buttons ---------------------------------------------------------------------------
void CTKPPaneThemePainter::DrawCaptionButtons(CDC* dc, const std::vector<CTKPPaneCaptionButton*>& buttons, RECT& rc,
                                              COLORREF color, int size, int gap, BOOL vertical)
{
    int end = vertical ? rc.bottom : rc.right;
    const int across = vertical ? rc.right - rc.left : rc.bottom - rc.top;
    const int offset = (across - size) / 2;
    for (CTKPPaneCaptionButton* button : buttons) {
        if (!button->IsVisible()) {
            button->SetRect(RECT{0, 0, 0, 0});
            continue;
        }
        RECT rcButton = vertical ? RECT{rc.left + offset, end - size, rc.left + offset + size, end}
                                 : RECT{end - size, rc.top + offset, end, rc.top + offset + size};
        button->SetRect(rcButton);
        DrawCaptionButton(dc, button, color);
        end -= size + gap;
    }
    (vertical ? rc.bottom : rc.right) = std::max<LONG>(end, vertical ? rc.top : rc.left);
}

void CTKPPaneThemePainter::DrawCloseGlyph(CDC* dc, const RECT& rc, COLORREF color)
{
    const int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2;
    CTKPSelectPen pen(dc->m_hDC, color);
    for (int dx = 0; dx < 2; ++dx) {
        ::MoveToEx(dc->m_hDC, cx - 4 + dx, cy - 4, nullptr);
        ::LineTo(dc->m_hDC, cx + 4 + dx, cy + 4);
        ::MoveToEx(dc->m_hDC, cx + 3 + dx, cy - 4, nullptr);
        ::LineTo(dc->m_hDC, cx - 5 + dx, cy + 4);
    }
}

void CTKPPaneThemePainter::DrawPinGlyph(CDC* dc, const RECT& rc, COLORREF color, BOOL down)
{
    const int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2;
    CTKPSelectPen pen(dc->m_hDC, color);
    HDC hdc = dc->m_hDC;
    if (down) {
        // Pushed in: the head above a crossbar, the needle pointing down.
        POINT head[] = {{cx - 2, cy - 5}, {cx - 2, cy + 1}, {cx + 2, cy + 1}, {cx + 2, cy - 5}, {cx - 2, cy - 5}};
        ::Polyline(hdc, head, 5);
        ::MoveToEx(hdc, cx + 1, cy - 5, nullptr);
        ::LineTo(hdc, cx + 1, cy + 1);
        ::MoveToEx(hdc, cx - 4, cy + 1, nullptr);
        ::LineTo(hdc, cx + 5, cy + 1);
        ::MoveToEx(hdc, cx, cy + 2, nullptr);
        ::LineTo(hdc, cx, cy + 6);
    } else {
        // Lying on its side: the needle points left.
        POINT head[] = {{cx - 1, cy - 2}, {cx + 5, cy - 2}, {cx + 5, cy + 2}, {cx - 1, cy + 2}, {cx - 1, cy - 2}};
        ::Polyline(hdc, head, 5);
        ::MoveToEx(hdc, cx - 1, cy + 1, nullptr);
        ::LineTo(hdc, cx + 5, cy + 1);
        ::MoveToEx(hdc, cx - 1, cy - 4, nullptr);
        ::LineTo(hdc, cx - 1, cy + 5);
        ::MoveToEx(hdc, cx - 2, cy, nullptr);
        ::LineTo(hdc, cx - 6, cy);
    }
}

void CTKPPaneThemePainter::DrawMaximizeGlyph(CDC* dc, const RECT& rc, COLORREF color, BOOL restore)
{
    const int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2;
    CTKPSelectPen pen(dc->m_hDC, color);
    HDC hdc = dc->m_hDC;
    auto frame = [&](int l, int t, int r, int b) {
        POINT pts[] = {{l, t}, {r, t}, {r, b}, {l, b}, {l, t}};
        ::Polyline(hdc, pts, 5);
        ::MoveToEx(hdc, l, t + 1, nullptr);
        ::LineTo(hdc, r, t + 1);
    };
    if (restore) {
        frame(cx - 2, cy - 4, cx + 4, cy + 1);
        frame(cx - 4, cy - 1, cx + 2, cy + 4);
    } else {
        frame(cx - 4, cy - 4, cx + 4, cy + 4);
    }
}

void CTKPPaneThemePainter::DrawMenuGlyph(CDC* dc, const RECT& rc, COLORREF color)
{
    const int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2;
    FillTriangle(dc->m_hDC, POINT{cx - 3, cy - 1}, POINT{cx + 3, cy - 1}, POINT{cx, cy + 2}, color);
}

void CTKPPaneThemePainter::DrawButtonGlyph(CDC* dc, CTKPPaneCaptionButton* button, const RECT& rc, COLORREF color)
{
    switch (button->GetID()) {
    case TKP_IDS_PANE_CLOSE:
        DrawCloseGlyph(dc, rc, color);
        break;
    case TKP_IDS_PANE_AUTOHIDE:
        DrawPinGlyph(dc, rc, color, (button->GetState() & 2) != 0);
        break;
    case TKP_IDS_PANE_MAXIMIZE:
    case TKP_IDS_PANE_RESTORE:
        DrawMaximizeGlyph(dc, rc, color, button->GetID() == TKP_IDS_PANE_RESTORE);
        break;
    case TKP_IDS_PANE_MENU:
        DrawMenuGlyph(dc, rc, color);
        break;
    default:
        break;
    }
}

void CTKPPaneThemePainter::DrawTitle(CDC* dc, const CString& title, const RECT& rc, COLORREF color, BOOL vertical)
{
    if (title.IsEmpty() || rc.right <= rc.left || rc.bottom <= rc.top)
        return;
    HDC hdc = dc->m_hDC;
    ::SetBkMode(hdc, TRANSPARENT);
    ::SetTextColor(hdc, color);
    if (!vertical) {
        CTKPSelectFont font(hdc, static_cast<HFONT>(m_fntCaption.GetSafeHandle()));
        RECT text = rc;
        ::DrawTextW(hdc, title.GetString(), title.GetLength(), &text,
                    DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
        return;
    }
    // Top to bottom, the letters' tops towards the right edge.
    CTKPSelectFont font(hdc, static_cast<HFONT>(m_fntCaptionVertical.GetSafeHandle()));
    TEXTMETRICW tm{};
    ::GetTextMetricsW(hdc, &tm);
    const int x = rc.right - ((rc.right - rc.left) - tm.tmHeight) / 2;
    ::ExtTextOutW(hdc, x, rc.top, ETO_CLIPPED, &rc, title.GetString(), UINT(title.GetLength()), nullptr);
}

// ---- Drawing in colour indexes -----------------------------------------------------------------
void CTKPPaneThemePainter::Line(CDC* dc, int x0, int y0, int x1, int y1, UINT color)
{
    CTKPSelectPen pen(dc->m_hDC, GetColor(color));
    ::MoveToEx(dc->m_hDC, x0, y0, nullptr);
    ::LineTo(dc->m_hDC, x1, y1);
}

void CTKPPaneThemePainter::Pixel(CDC* dc, int x, int y, UINT color)
{
    ::SetPixel(dc->m_hDC, x, y, GetColor(color));
}

void CTKPPaneThemePainter::Rectangle(CDC* dc, const RECT& rc, UINT color)
{
    Draw3dRect(dc, rc, color, color);
}

void CTKPPaneThemePainter::FillRect(CDC* dc, const RECT& rc, UINT color)
{
    if (rc.right <= rc.left || rc.bottom <= rc.top)
        return;
    HBRUSH brush = ::CreateSolidBrush(GetColor(color));
    ::FillRect(dc->m_hDC, &rc, brush);
    ::DeleteObject(brush);
}

void CTKPPaneThemePainter::Draw3dRect(CDC* dc, const RECT& rc, UINT topLeft, UINT bottomRight)
{
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0)
        return;
    FillRect(dc, RECT{rc.left, rc.top, rc.right - 1, rc.top + 1}, topLeft);
    FillRect(dc, RECT{rc.left, rc.top, rc.left + 1, rc.bottom - 1}, topLeft);
    FillRect(dc, RECT{rc.right - 1, rc.top, rc.right, rc.bottom}, bottomRight);
    FillRect(dc, RECT{rc.left, rc.bottom - 1, rc.right, rc.bottom}, bottomRight);
}

// ---- Splitters ---------------------------------------------------------------------------------
void CTKPPaneThemePainter::DrawSplitter(CDC* dc, CTKPPaneSplitterWnd* splitter)
{
    RECT rc;
    ::GetClientRect(splitter->m_hWnd, &rc);
    // A bar between children side by side is an upright strip: its thickness runs along x.
    const BOOL upright = splitter->IsHorizontal();
    const int thickness = upright ? rc.right - rc.left : rc.bottom - rc.top;
    const int length = upright ? rc.bottom - rc.top : rc.right - rc.left;
    const COLORREF background = m_clrSplitter;
    auto across = [&](int from, int to) {
        return upright ? RECT{rc.left + from, rc.top, rc.left + to, rc.bottom}
                       : RECT{rc.left, rc.top + from, rc.right, rc.top + to};
    };

    if (m_dwSplitterStyle & splitterStyle3D) {
        FillRect(dc, rc, background);
        FillRect(dc, across(0, 1), 20);
        FillRect(dc, across(thickness - 2, thickness - 1), 52);
        FillRect(dc, across(thickness - 1, thickness), 18);
    } else if (m_dwSplitterStyle & splitterStyleHalf) {
        FillRect(dc, rc, background);
        FillRect(dc, across(1, 1 + std::max(0, thickness / 2 - 1)), COLOR_WINDOW);
        FillRect(dc, across(0, 1), 21);
        FillRect(dc, across(thickness - 1, thickness), 21);
    } else if (m_dwSplitterStyle & splitterStyleGradient) {
        // One gradient across the whole frame: each bar shows the part of it where it lies.
        HWND frame = ::GetParent(splitter->m_hWnd);
        if (CWnd* top = splitter->GetTopLevelParent())
            frame = top->m_hWnd;
        RECT rcFrame{0, 0, 0, 0}, rcBar;
        ::GetWindowRect(frame, &rcFrame);
        ::GetWindowRect(splitter->m_hWnd, &rcBar);
        const int span = std::max<int>(std::max<LONG>(1, rcFrame.right - rcFrame.left),
                                       ::GetSystemMetrics(SM_CXFULLSCREEN) / 2);
        auto at = [&](int x) {
            const float f = std::clamp(float(x - rcFrame.left) / float(span), 0.0f, 1.0f);
            return BlendColorsByFactor(m_clrSplitterGradient.Dark(), m_clrSplitterGradient.Light(), f);
        };
        GetGradientHelper().GradientFillRect(dc->m_hDC, rc, at(rcBar.left), at(rcBar.right), TRUE);
    } else {
        FillRect(dc, rc, background);
    }

    const int middle = length / 2;
    const COLORREF gripper = m_clrSplitterGripper;
    auto along = [&](int pos, int cross, int w, int h) {
        return upright ? RECT{rc.left + cross, rc.top + pos, rc.left + cross + w, rc.top + pos + h}
                       : RECT{rc.left + pos, rc.top + cross, rc.left + pos + h, rc.top + cross + w};
    };
    if (m_dwSplitterStyle & splitterStyleBar) {
        const int cross = std::max(0, (thickness - 4) / 2);
        FillRect(dc, along(middle - 5, cross, 1, 11), gripper);
        FillRect(dc, along(middle - 5, std::min(cross + 3, std::max(0, thickness - 1)), 1, 11), gripper);
    }
    if (m_dwSplitterStyle & splitterStyleDots) {
        const int extent = std::min(32, length / 2 - 10);
        const int cross = std::max(0, (thickness - 3) / 2);
        for (int offset = -extent; offset <= extent; offset += 4) {
            const int pos = middle + offset;
            FillRect(dc, along(pos + 1, cross + 1, 2, 2), 20);
            FillRect(dc, along(pos, cross, 2, 2), gripper);
        }
    }
}

// ---- Default theme -----------------------------------------------------------------------------
CTKPPaneDefaultTheme::CTKPPaneDefaultTheme() = default;

void CTKPPaneDefaultTheme::DrawCaption(CDC* dc, CTKPPaneBase* container, const RECT& rc)
{
    const BOOL vertical = IsCaptionVertical(container);
    const RECT strip = CaptionStrip(rc, vertical);
    FillRect(dc, strip, COLOR_BTNFACE);
    RECT caption = strip;
    if (vertical) {
        caption.right = std::min<LONG>(strip.right, strip.left + m_nCaptionHeight + 1);
        caption.left += 2;
    } else {
        caption.bottom = std::min<LONG>(strip.bottom, strip.top + m_nCaptionHeight + 1);
        caption.top += 2;
    }
    const BOOL active = m_bHighlightActiveCaption && IsContainerActive(container);
    FillRect(dc, caption, active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    (vertical ? caption.bottom : caption.right) -= 2;
    DrawCaptionButtons(dc, container->GetCaptionButtons(), caption, GetColor(COLOR_BTNTEXT), 12, 2, vertical);
    DrawTitle(dc, SelectedTitle(container), TitleRect(caption, 4, 1, vertical),
              GetColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT), vertical);
}

void CTKPPaneDefaultTheme::DrawCaptionButton(CDC* dc, CTKPPaneCaptionButton* button, COLORREF color)
{
    RECT rc = button->GetRect();
    if (button->GetID() == TKP_IDS_PANE_CLOSE) {
        ::DrawFrameControl(dc->m_hDC, &rc, DFC_CAPTION, DFCS_CAPTIONCLOSE | (button->IsPressed() ? DFCS_PUSHED : 0));
        return;
    }
    ::DrawFrameControl(dc->m_hDC, &rc, DFC_BUTTON, button->IsPressed() ? 0x2210 : 0x2010);
    RECT glyph = rc;
    if (button->IsPressed())
        ::OffsetRect(&glyph, 1, 1);
    DrawButtonGlyph(dc, button, glyph, color);
}
