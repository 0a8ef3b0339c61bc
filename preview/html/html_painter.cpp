// The renderer's window side: painting through a back buffer, link hover and clicks, and drag selection.
#include <algorithm>

#include "preview/html/html_renderer.h"

namespace {

COLORREF PenColor(int32_t color, bool hover)
{
    if (hover)
        return RGB(255, 0, 0);
    if (color == -1)
        return RGB(128, 128, 128);
    if (color == -2)
        return RGB(255, 255, 255);
    return COLORREF(color);
}

void Fill(HDC dc, const RECT& r, COLORREF color)
{
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void Line(HDC dc, int x1, int y1, int x2, int y2)
{
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

bool Contains(const HtmlElement& e, int x, int y)
{
    return x >= e.x && x < e.x + e.width && y >= e.y && y < e.y + e.height;
}

} // namespace

void CHtmlRenderer::Visit(HtmlElements& items, const std::function<bool(HtmlElement&)>& f)
{
    for (auto& e : items)
        if (f(*e))
            Visit(e->children, f);
}

void CHtmlRenderer::DrawPage(HDC dc, const RECT& clip, int scrollX, int scrollY)
{
    Fill(dc, clip, COLORREF(m_pDocument->m_background));
    DrawItems(dc, clip, m_pDocument->m_elements, scrollX, scrollY);
}

void CHtmlRenderer::DrawItems(HDC dc, const RECT& clip, HtmlElements& items, int scrollX, int scrollY)
{
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    for (auto& item : items) {
        HtmlElement& e = *item;
        if (e.hidden != -1)
            continue;
        RECT r = {e.x - scrollX, e.y - scrollY, e.x - scrollX + e.width, e.y - scrollY + e.height};
        bool outside = r.bottom < clip.top || r.top > clip.bottom || r.right < clip.left || r.left > clip.right;
        // A box's children lie inside it, so a box outside the clip hides all of them.
        if (outside)
            continue;
        if (e.selected)
            Fill(dc, r, RGB(0, 0, 128));
        else if (e.backColor != -1)
            Fill(dc, r, COLORREF(e.backColor));
        if (e.backImageIndex >= 0 && e.width > 0 && e.height > 0)
            m_images.StretchImage(e.backImageIndex, dc, r.left, r.top, e.width, e.height);
        bool hover = e.linkIndex >= 0 && e.linkIndex == m_nHoverLink;
        if (e.kind == kHtmlText && e.width > 0 && !e.text.empty()) {
            HFONT font = CachedFont(HtmlView(e.face.c_str()), e.drawSize ? e.drawSize : e.fontSize, e.bold > 0,
                                    e.italic != 0, e.frameSides == 8, (e.frameSides & 16) != 0);
            HGDIOBJ old = SelectObject(dc, font);
            SetTextColor(dc, e.selected ? RGB(255, 255, 255) : hover ? RGB(255, 0, 0) : COLORREF(e.textColor));
            // A control's room is framed; the control itself draws the field, so its text is not drawn.
            if (!e.control)
                TextOutW(dc, r.left + (e.frameSides & 1) * e.frameWidth, r.top + (e.frameSides & 2) * e.frameWidth,
                         e.text.c_str(), int(e.text.size()));
            SelectObject(dc, old);
        } else if (e.kind == kHtmlImage && e.imageIndex >= 0) {
            m_images.StretchImage(e.imageIndex, dc, r.left, r.top, e.width, e.height);
        } else if (e.kind == kHtmlImage) {
            m_images.StretchImage(-1, dc, r.left, r.top, e.width, e.height);
        } else if (e.kind == kHtmlBox) {
            DrawItems(dc, clip, e.children, scrollX, scrollY);
        }
        bool fontLine = e.kind == kHtmlText && (e.frameSides == 8 || e.frameSides == 16);
        if (e.frameSides && !fontLine) {
            RECT f = r;
            for (int k = 0; k < std::min(e.frameWidth, 100); ++k) {
                HPEN pen = CreatePen(PS_SOLID, 1, PenColor(e.frameColor, hover));
                HGDIOBJ oldPen = SelectObject(dc, pen);
                if (e.frameSides & 1)
                    Line(dc, f.left, f.top, f.left, f.bottom - 1);
                if (e.frameSides & 2)
                    Line(dc, f.left, f.top, f.right, f.top);
                if (e.frameColor == -1 || e.frameColor == -2) {
                    SelectObject(dc, oldPen);
                    DeleteObject(pen);
                    pen = CreatePen(PS_SOLID, 1, PenColor(e.frameColor == -1 ? -2 : -1, hover));
                    SelectObject(dc, pen);
                }
                if (e.frameSides & 4)
                    Line(dc, f.right - 1, f.top, f.right - 1, f.bottom - 1);
                if (e.frameSides & 8)
                    Line(dc, f.left, f.bottom - 1, f.right, f.bottom - 1);
                if (e.frameSides & 16) {
                    int mid = f.bottom - (f.bottom - f.top) / 2 - 1;
                    Line(dc, f.left, mid, f.right, mid);
                }
                SelectObject(dc, oldPen);
                DeleteObject(pen);
                InflateRect(&f, -1, -1);
            }
        }
    }
}

BOOL CHtmlRenderer::HitTestLink(HtmlElements& items, int x, int y, BOOL click)
{
    for (auto& item : items) {
        HtmlElement& e = *item;
        if (!e.children.empty() && Contains(e, x, y) && HitTestLink(e.children, x, y, click))
            return TRUE;
        if (e.linkIndex >= 0 && Contains(e, x, y) && size_t(e.linkIndex) < m_pDocument->m_links.size()) {
            m_nHoverLink = e.linkIndex;
            HtmlText address = m_pDocument->m_links[size_t(e.linkIndex)];
            if (click)
                Navigate(address);
            else
                OnLinkHover(TRUE, address);
            return TRUE;
        }
    }
    m_nHoverLink = -1;
    return FALSE;
}

void CHtmlRenderer::OnMouseMove(int x, int y)
{
    if (!HitTestLink(m_pDocument->m_elements, x, y, FALSE))
        OnLinkHover(FALSE, u"");
}

void CHtmlRenderer::OnClick(int x, int y) { HitTestLink(m_pDocument->m_elements, x, y, TRUE); }

void CHtmlRenderer::SelectRect(const RECT& rect)
{
    std::function<void(HtmlElements&)> walk = [&](HtmlElements& items) {
        for (size_t k = 0; k < items.size(); ++k) {
            HtmlElement& e = *items[k];
            if (!e.children.empty())
                walk(e.children);
            if (e.kind != kHtmlText && e.kind != kHtmlBreak)
                continue;
            if (e.kind == kHtmlBreak && k + 1 < items.size() && items[k + 1]->kind == kHtmlBox)
                continue;
            bool rows = rect.top < e.y && e.y <= rect.bottom && e.x < rect.right;
            bool rowsEnd = rect.top < e.y + e.height && e.y + e.height <= rect.bottom && rect.left < e.x;
            bool overlap = e.x <= rect.right && e.x + e.width >= rect.left && e.y <= rect.bottom &&
                           e.y + e.height >= rect.top;
            e.selected = rows || rowsEnd || overlap;
        }
    };
    walk(m_pDocument->m_elements);
}

void CHtmlRenderer::InvalidateImage(int image)
{
    Visit(m_pDocument->m_elements, [&](HtmlElement& e) {
        if (e.kind == kHtmlImage && e.imageIndex == image)
            InvalidateDocRect(RECT{e.x, e.y, e.x + e.width, e.y + e.height});
        return true;
    });
}

void CHtmlRenderer::InvalidateLink(int link)
{
    if (link < 0)
        return;
    Visit(m_pDocument->m_elements, [&](HtmlElement& e) {
        if (e.linkIndex != link)
            return true;
        InvalidateDocRect(RECT{e.x, e.y, e.x + e.width, e.y + e.height});
        return false;
    });
}

void CHtmlRenderer::InvalidateLinkByUrl(HtmlView address)
{
    const auto& links = m_pDocument->m_links;
    for (size_t i = 0; i < links.size(); ++i)
        if (links[i] == address) {
            InvalidateLink(int(i));
            return;
        }
}

LRESULT CHtmlRenderer::PaintRenderer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CTLCOLORDLG: return LRESULT(GetStockObject(NULL_BRUSH));
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        if (GetWindowLongW(HWND(lParam), GWL_STYLE) & BS_TYPEMASK) {
            // Check boxes and radio buttons stand on the page: their background is the page's.
            SetBkMode(HDC(wParam), TRANSPARENT);
            if (m_hPageBrush)
                DeleteObject(m_hPageBrush);
            m_hPageBrush = CreateSolidBrush(COLORREF(m_pDocument->m_background));
            return LRESULT(m_hPageBrush);
        }
        break;
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS;
    case WM_ERASEBKGND: return 1;
    case WM_HTML_IMAGE_LOADED: OnImagesLoaded(int(wParam), int(lParam)); return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        if (!m_hBackBuffer && client.right > 0 && client.bottom > 0)
            m_hBackBuffer = CreateCompatibleBitmap(dc, client.right, client.bottom);
        if (m_hBackBuffer) {
            HDC mem = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(mem, m_hBackBuffer);
            int sx = int(HandleScrollMessage(hwnd, WM_HTML_GETPOSX, 0, 0));
            int sy = int(HandleScrollMessage(hwnd, WM_HTML_GETPOSY, 0, 0));
            DrawPage(mem, client, sx, sy);
            BitBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
            SelectObject(mem, old);
            DeleteDC(mem);
        }
        EndPaint(hwnd, &ps);
        return 1;
    }
    case WM_SIZE:
    case WM_HTML_RELAYOUT:
        if (m_hBackBuffer) {
            DeleteObject(m_hBackBuffer);
            m_hBackBuffer = nullptr;
        }
        LayoutPage();
        InvalidateRect(hwnd, nullptr, FALSE);
        UpdateWindow(hwnd);
        if (message == WM_SIZE)
            break;
        return 0;
    case WM_HTML_SCROLLED:
        // ScrollWindow moves the pixels and the form controls with them.
        return 0;
    case WM_LBUTTONDOWN: {
        int sx = int(HandleScrollMessage(hwnd, WM_HTML_GETPOSX, 0, 0));
        int sy = int(HandleScrollMessage(hwnd, WM_HTML_GETPOSY, 0, 0));
        int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        m_nAnchorX = m_nCurrentX = x;
        m_nAnchorY = m_nCurrentY = y;
        OnClick(x + sx, y + sy);
        if (!IsWindow(hwnd))
            return 0;
        RECT sel = {x + sx, y + sy, x + sx, y + sy};
        SelectRect(sel);
        InvalidateRect(hwnd, nullptr, FALSE);
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd, focus))
            SetFocus(m_hAddress ? GetDlgItem(GetParent(m_hAddress), 1) : nullptr);
        SetCapture(hwnd);
        return 0;
    }
    case WM_MOUSEMOVE: {
        int sx = int(HandleScrollMessage(hwnd, WM_HTML_GETPOSX, 0, 0));
        int sy = int(HandleScrollMessage(hwnd, WM_HTML_GETPOSY, 0, 0));
        int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        OnMouseMove(x + sx, y + sy);
        if (GetCapture() != hwnd)
            return 0;
        m_nCurrentX = x;
        m_nCurrentY = y;
        RECT sel = {std::min(m_nAnchorX, x) + sx, std::min(m_nAnchorY, y) + sy, std::max(m_nAnchorX, x) + sx,
                    std::max(m_nAnchorY, y) + sy};
        SelectRect(sel);
        InvalidateRect(hwnd, nullptr, FALSE);
        RECT client;
        GetClientRect(hwnd, &client);
        auto follow = [&](int over, bool vertical) {
            if (!over)
                return;
            int pos = int(HandleScrollMessage(hwnd, vertical ? WM_HTML_GETPOSY : WM_HTML_GETPOSX, 0, 0));
            int max = int(HandleScrollMessage(hwnd, vertical ? WM_HTML_GETMAXY : WM_HTML_GETMAXX, 0, 0));
            int target = std::clamp(pos + over, 0, max);
            SendMessageW(hwnd, vertical ? WM_HTML_SETPOSY : WM_HTML_SETPOSX, 0, target);
            (vertical ? m_nAnchorY : m_nAnchorX) -= target - pos;
        };
        follow(x < 0 ? x : x > client.right ? x - client.right : 0, false);
        follow(y < 0 ? y : y > client.bottom ? y - client.bottom : 0, true);
        return 0;
    }
    case WM_LBUTTONUP:
        if (GetCapture() == hwnd)
            ReleaseCapture();
        break;
    case WM_DESTROY:
        m_images.SetNotifyWindow(nullptr);
        break;
    default: break;
    }
    return HandleScrollMessage(hwnd, message, wParam, lParam);
}

INT_PTR CALLBACK HtmlRendererDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* renderer = reinterpret_cast<CHtmlRenderer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!renderer)
        return 0;
    LRESULT result = renderer->PaintRenderer(hwnd, message, wParam, lParam);
    if (message == WM_CTLCOLORDLG || message == WM_CTLCOLORBTN || message == WM_CTLCOLORSTATIC ||
        message == WM_GETDLGCODE) {
        return INT_PTR(result);
    }
    // The page paints everything: the dialog manager is told every other message was handled,
    // except those the dialog's default handling must still see.
    if (message == WM_PAINT || message == WM_ERASEBKGND || message == WM_HSCROLL || message == WM_VSCROLL ||
        message == WM_MOUSEWHEEL || (message >= WM_MOUSEMOVE && message <= WM_MBUTTONDBLCLK) ||
        message >= WM_USER) {
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    return FALSE;
}
