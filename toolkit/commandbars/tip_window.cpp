// The toolkit's tip windows: tools, timing, the mouse hook while a tip shows, and painting.
#include "toolkit/commandbars/tip_window.h"

#include "afx/gdi.h"
#include "afx/module_state.h"
#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/commandbars/tip_context.h"
#include "win32/richedit.h"
#include "win32/text.h"

#include <algorithm>
#include <string>

#ifndef CS_DROPSHADOW
#define CS_DROPSHADOW 0x00020000
#endif

namespace {

const UINT_PTR kPendingTimer = 1;

// The system's non-client metrics in their 500-byte form; the tips take its status font.
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
// A child window that answers this with 1 stands for its parent.
const UINT kStandInQuery = 0x2A48;

// One tip window at a time holds the process's mouse hook.
HHOOK g_hTipHook = nullptr;
CTKPTipWindow* g_pHookedTip = nullptr;

BOOL IsMouseMessage(UINT message)
{
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCMBUTTONDBLCLK);
}

BOOL IsMouseButtonHeld()
{
    return (::GetKeyState(VK_LBUTTON) & 0x8000) || (::GetKeyState(VK_RBUTTON) & 0x8000) ||
           (::GetKeyState(VK_MBUTTON) & 0x8000);
}

HWND StandInWindowFromPoint(POINT pt)
{
    HWND hWnd = ::WindowFromPoint(pt);
    if (hWnd && (::GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD) && ::SendMessageW(hWnd, kStandInQuery, 0, 0) == 1)
        return ::GetParent(hWnd);
    return hWnd;
}

CString TextOf(LPCWSTR text)
{
    return text && text != LPSTR_TEXTCALLBACKW ? CString(text) : CString();
}

} // namespace

CTKPTipWindow::CTKPTipWindow(CTKPTipContext* context) : m_pContext(context)
{
    NonClientMetrics metrics{};
    metrics.cbSize = sizeof(metrics);
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        m_hFont = ::CreateFontIndirectW(&metrics.lfStatusFont);
}

CTKPTipWindow::~CTKPTipWindow()
{
    RemoveHook();
    if (m_hWnd)
        DestroyWindow();
    if (m_hFont)
        ::DeleteObject(m_hFont);
}

BOOL CTKPTipWindow::CreateTipWindow(CWnd* owner, DWORD tipStyle)
{
    UINT classStyle = CS_SAVEBITS;
    // Common controls 6.0 tips cast the system's drop shadow.
    if (m_pContext && m_pContext->m_dwComCtlVersion >= 0x60000)
        classStyle |= CS_DROPSHADOW;
    const LPCWSTR className = AfxRegisterWndClass(classStyle, ::LoadCursorW(nullptr, IDC_ARROW));
    return CreateEx(WS_EX_TOOLWINDOW, className, u"", WS_POPUP | (tipStyle & 0xFFFF), RECT{0, 0, 0, 0}, owner, 0);
}

COLORREF CTKPTipWindow::GetBackColor() const
{
    return m_pContext ? m_pContext->GetTipBkColor() : GetColorTable().GetColorByIndex(COLOR_INFOBK);
}

COLORREF CTKPTipWindow::GetTextColor() const
{
    return m_pContext ? m_pContext->GetTipTextColor() : GetColorTable().GetColorByIndex(COLOR_INFOTEXT);
}

RECT CTKPTipWindow::GetMargins() const
{
    return m_pContext ? m_pContext->m_rcMargin : RECT{0, 0, 0, 0};
}

// ---- Tools -------------------------------------------------------------------------------------
void CTKPTipWindow::AddTool(const TOOLINFOW* info)
{
    auto tool = std::make_unique<CTKPTipTool>();
    tool->hWnd = info->hwnd;
    tool->uId = info->uId;
    tool->uFlags = info->uFlags;
    tool->rect = info->rect;
    tool->hInstance = info->hinst;
    tool->bCallback = info->lpszText == LPSTR_TEXTCALLBACKW;
    tool->strText = TextOf(info->lpszText);
    m_tools.push_back(std::move(tool));
}

void CTKPTipWindow::DeleteTool(const TOOLINFOW* info)
{
    auto it = std::find_if(m_tools.begin(), m_tools.end(),
                           [&](const auto& tool) { return tool->hWnd == info->hwnd && tool->uId == info->uId; });
    if (it == m_tools.end())
        return;
    const CTKPTipTool& tool = **it;
    if (!m_shown.IsEmpty() && m_shown.IsSame(tool))
        HideTip();
    // A pending timer that fires for a tool that is gone finds it no longer under the cursor.
    if (m_pressed.IsSame(tool))
        m_pressed.Clear();
    if (m_pending.IsSame(tool))
        m_pending.Clear();
    m_tools.erase(it);
}

CTKPTipTool* CTKPTipWindow::ToolFromCursor()
{
    if (IsMouseButtonHeld())
        return nullptr;
    POINT cursor;
    ::GetCursorPos(&cursor);
    const HWND under = ::WindowFromPoint(cursor);
    for (const auto& tool : m_tools) {
        RECT rc = tool->rect;
        if (tool->uFlags & TTF_IDISHWND) {
            if (!::GetWindowRect(HWND(tool->uId), &rc))
                continue;
        } else {
            if (tool->hWnd != under)
                continue;
            ::MapWindowPoints(tool->hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
        }
        if (::PtInRect(&rc, cursor))
            return tool.get();
    }
    return nullptr;
}

CString CTKPTipWindow::GetToolText(const CTKPTipTool& tool)
{
    CString text = tool.strText;
    if (tool.bCallback && tool.hWnd) {
        NMTTDISPINFOW info{};
        info.hdr.hwndFrom = m_hWnd;
        info.hdr.idFrom = tool.uId;
        info.hdr.code = UINT(TTN_GETDISPINFOW);
        info.uFlags = tool.uFlags;
        info.lpszText = info.szText;
        ::SendMessageW(tool.hWnd, WM_NOTIFY, tool.uId, LPARAM(&info));
        text = TextOf(info.lpszText);
    }
    if (m_hWnd && !(GetStyle() & TTS_NOPREFIX))
        StripMnemonics(text);
    return text;
}

// ---- Timing ------------------------------------------------------------------------------------
void CTKPTipWindow::RelayEvent(const MSG* msg)
{
    if (!m_bActive || !msg || !IsMouseMessage(msg->message))
        return;
    CTKPTipTool* under = ToolFromCursor();
    CTKPTipTool current = under ? *under : CTKPTipTool();
    if (msg->message == WM_LBUTTONDOWN) {
        m_pressed = current;
        current.Clear();
    }
    if (!current.IsEmpty() && current.IsSame(m_pressed))
        current.Clear();
    if (!m_pending.IsEmpty() && !m_pending.IsSame(current)) {
        ::KillTimer(m_hWnd, kPendingTimer);
        m_nTimer = 0;
        m_pending.Clear();
    }
    if (current.IsEmpty()) {
        HideTip();
        return;
    }
    if (!m_shown.IsEmpty() && m_shown.IsSame(current))
        return;
    if (::GetTickCount() - m_dwLastShowHide < m_dwReshowWindow) {
        ShowTool(current);
        return;
    }
    if (m_pending.IsEmpty()) {
        m_pending = current;
        m_nTimer = ::SetTimer(m_hWnd, kPendingTimer, m_dwInitialDelay, nullptr);
    }
}

void CTKPTipWindow::ShowTool(const CTKPTipTool& tool)
{
    CTKPTipTool shown = tool;
    shown.strText = GetToolText(tool);
    shown.bCallback = FALSE;
    CSize size;
    {
        HDC hdc = ::GetDC(m_hWnd);
        CDC dc;
        dc.Attach(hdc);
        HGDIOBJ old = m_hFont ? ::SelectObject(hdc, m_hFont) : nullptr;
        size = CalcTipSize(&dc, shown);
        if (old)
            ::SelectObject(hdc, old);
        dc.Detach();
        ::ReleaseDC(m_hWnd, hdc);
    }
    if (size.cx <= 0 || size.cy <= 0) {
        HideTip();
        return;
    }
    POINT cursor;
    ::GetCursorPos(&cursor);
    ::ShowWindow(m_hWnd, SW_HIDE);
    m_shown = shown;
    m_pressed.Clear();
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, cursor.x, cursor.y + 21, size.cx, size.cy, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    InstallHook();
    m_dwLastShowHide = ::GetTickCount();
}

void CTKPTipWindow::HideTip()
{
    if (m_shown.IsEmpty())
        return;
    m_shown.Clear();
    if (m_hWnd)
        ::ShowWindow(m_hWnd, SW_HIDE);
    RemoveHook();
    m_dwLastShowHide = ::GetTickCount();
}

// ---- The mouse hook while a tip shows ------------------------------------------------------------
void CTKPTipWindow::InstallHook()
{
    if (g_pHookedTip == this)
        return;
    if (g_pHookedTip)
        g_pHookedTip->RemoveHook();
    g_hTipHook = ::SetWindowsHookExW(WH_MOUSE, MouseHookProc, nullptr, ::GetCurrentThreadId());
    if (g_hTipHook)
        g_pHookedTip = this;
}

void CTKPTipWindow::RemoveHook()
{
    if (g_pHookedTip != this)
        return;
    ::UnhookWindowsHookEx(g_hTipHook);
    g_hTipHook = nullptr;
    g_pHookedTip = nullptr;
}

LRESULT CALLBACK CTKPTipWindow::MouseHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    const HHOOK hook = g_hTipHook;
    const LRESULT next = ::CallNextHookEx(hook, code, wParam, lParam);
    CTKPTipWindow* tip = g_pHookedTip;
    if (code == HC_ACTION && tip && tip->m_hWnd && lParam) {
        const auto* info = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam);
        const HWND under = ::WindowFromPoint(info->pt);
        // Leaving the shown tool's window: the tip hears of it even though that window does not.
        if (under != tip->m_shown.hWnd) {
            POINT client = info->pt;
            if (under)
                ::ScreenToClient(under, &client);
            MSG msg{under, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y), ::GetTickCount(), info->pt};
            ::SendMessageW(tip->m_hWnd, TTM_RELAYEVENT, 0, LPARAM(&msg));
        }
    }
    return next;
}

// ---- Size and painting -------------------------------------------------------------------------
CSize CTKPTipWindow::CalcTipSize(CDC* pDC, const CTKPTipTool& tool)
{
    if (tool.strText.IsEmpty() && m_strTitle.IsEmpty())
        return CSize(0, 0);
    const HDC hdc = pDC->m_hDC;
    const RECT margins = GetMargins();
    const int maxWidth = m_pContext && m_pContext->m_nMaxTipWidth > 0 ? m_pContext->m_nMaxTipWidth : 32767;
    SIZE title{0, 0};
    if (!m_strTitle.IsEmpty()) {
        RECT rc{0, 0, maxWidth, 0};
        ::DrawTextW(hdc, m_strTitle, m_strTitle.GetLength(), &rc, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
        title = SIZE{rc.right - rc.left, rc.bottom - rc.top + 8};
    }
    RECT text{0, 0, maxWidth, 0};
    if (!tool.strText.IsEmpty())
        ::DrawTextW(hdc, tool.strText, tool.strText.GetLength(), &text, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
    const int cx = std::max(int(title.cx), int(text.right - text.left));
    const int cy = title.cy + (text.bottom - text.top);
    return CSize(cx + 6 + margins.left + margins.right, cy + 6 + margins.top + margins.bottom);
}

void CTKPTipWindow::DrawTipBackground(CDC* pDC, const RECT& rc)
{
    const BOOL face = m_hWnd && (GetStyle() & 0x1000);
    HBRUSH fill = ::CreateSolidBrush(face ? GetColorTable().GetColorByIndex(COLOR_BTNFACE) : GetBackColor());
    ::FillRect(pDC->m_hDC, &rc, fill);
    ::DeleteObject(fill);
    ::FrameRect(pDC->m_hDC, &rc, HBRUSH(::GetStockObject(BLACK_BRUSH)));
}

void CTKPTipWindow::DrawTipText(CDC* pDC, const CTKPTipTool& tool, const RECT& client)
{
    const HDC hdc = pDC->m_hDC;
    const RECT margins = GetMargins();
    RECT rc{client.left + margins.left + 3, client.top + margins.top + 3, client.right - margins.right - 3,
            client.bottom - margins.bottom - 3};
    HGDIOBJ oldFont = m_hFont ? ::SelectObject(hdc, m_hFont) : nullptr;
    const int oldMode = ::SetBkMode(hdc, TRANSPARENT);
    const COLORREF oldColor = ::SetTextColor(hdc, GetTextColor());
    if (!m_strTitle.IsEmpty()) {
        RECT title = rc;
        ::DrawTextW(hdc, m_strTitle, m_strTitle.GetLength(), &title, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
        ::DrawTextW(hdc, m_strTitle, m_strTitle.GetLength(), &title, DT_SINGLELINE | DT_NOPREFIX);
        RECT line{rc.left, title.bottom + 4, rc.right, title.bottom + 5};
        ::FillRect(hdc, &line, HBRUSH(::GetStockObject(BLACK_BRUSH)));
        rc.top = title.bottom + 8;
    }
    ::DrawTextW(hdc, tool.strText, tool.strText.GetLength(), &rc, DT_WORDBREAK | DT_NOPREFIX);
    ::SetTextColor(hdc, oldColor);
    ::SetBkMode(hdc, oldMode);
    if (oldFont)
        ::SelectObject(hdc, oldFont);
}

void CTKPTipWindow::Paint()
{
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    CDC dc;
    dc.Attach(hdc);
    DrawTipBackground(&dc, rc);
    DrawTipText(&dc, m_shown, rc);
    dc.Detach();
    ::EndPaint(m_hWnd, &ps);
}

// ---- Messages ----------------------------------------------------------------------------------
LRESULT CTKPTipWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case TTM_ADDTOOLW:
        if (!lParam)
            return FALSE;
        AddTool(reinterpret_cast<const TOOLINFOW*>(lParam));
        return TRUE;
    case TTM_DELTOOLW:
        if (lParam)
            DeleteTool(reinterpret_cast<const TOOLINFOW*>(lParam));
        return 0;
    case TTM_UPDATETIPTEXTW:
        if (const auto* info = reinterpret_cast<const TOOLINFOW*>(lParam))
            for (const auto& tool : m_tools)
                if (tool->hWnd == info->hwnd && tool->uId == info->uId) {
                    tool->bCallback = info->lpszText == LPSTR_TEXTCALLBACKW;
                    tool->strText = TextOf(info->lpszText);
                }
        return 0;
    case TTM_SETTITLEW:
        m_strTitle = TextOf(reinterpret_cast<LPCWSTR>(lParam));
        if (!(GetStyle() & TTS_NOPREFIX))
            StripMnemonics(m_strTitle);
        return TRUE;
    case TTM_ACTIVATE:
        m_bActive = wParam != 0;
        if (!m_bActive) {
            ::KillTimer(m_hWnd, kPendingTimer);
            m_nTimer = 0;
            m_pending.Clear();
            HideTip();
        }
        return 0;
    case TTM_WINDOWFROMPOINT:
        return lParam ? LRESULT(StandInWindowFromPoint(*reinterpret_cast<const POINT*>(lParam))) : 0;
    case TTM_RELAYEVENT:
        RelayEvent(reinterpret_cast<const MSG*>(lParam));
        return 0;
    case TTM_SETMAXTIPWIDTH:
    case TTM_SETMARGIN:
    case TTM_SETTIPBKCOLOR:
    case TTM_SETTIPTEXTCOLOR:
    case TTM_SETDELAYTIME:
        // The window reads these from its context when it sizes and paints.
        return 0;
    case WM_TIMER:
        if (wParam != kPendingTimer)
            break;
        if (CTKPTipTool* under = ToolFromCursor(); under && under->IsSame(m_pending))
            ShowTool(*under);
        ::KillTimer(m_hWnd, kPendingTimer);
        m_nTimer = 0;
        m_pending.Clear();
        return 0;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_MOUSEMOVE:
        HideTip();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_DESTROY:
        RemoveHook();
        break;
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

// ---- Rich text -----------------------------------------------------------------------------------
namespace {

struct MemoryStream {
    const std::string* bytes;
    size_t at = 0;
};

DWORD CALLBACK ReadMemoryStream(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* read)
{
    auto* stream = reinterpret_cast<MemoryStream*>(cookie);
    const size_t n = std::min(size_t(std::max(count, LONG(0))), stream->bytes->size() - stream->at);
    std::copy_n(stream->bytes->data() + stream->at, n, buffer);
    stream->at += n;
    *read = LONG(n);
    return 0;
}

std::string ToAnsi(const CString& text)
{
    const int n = ::WideCharToMultiByte(CP_ACP, 0, text, text.GetLength(), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(std::max(n, 0)), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_ACP, 0, text, text.GetLength(), out.data(), n, nullptr, nullptr);
    return out;
}

} // namespace

LRESULT CTKPRichTipWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) {
        const LRESULT result = CTKPTipWindow::WindowProc(message, wParam, lParam);
        if (result != -1 && AfxInitRichEdit())
            m_hWndRich = ::CreateWindowExW(0, u"RICHEDIT", u"", WS_CHILD | ES_READONLY | ES_MULTILINE, 0, 0, 0, 0,
                                           m_hWnd, reinterpret_cast<HMENU>(UINT_PTR(1)), nullptr, nullptr);
        return result;
    }
    if (message == WM_NOTIFY && lParam) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == EN_REQUESTRESIZE && header->hwndFrom == m_hWndRich) {
            const RECT& rc = reinterpret_cast<const REQRESIZE*>(lParam)->rc;
            m_szRequested = SIZE{rc.right - rc.left, rc.bottom - rc.top};
        }
    }
    if (message == WM_DESTROY)
        m_hWndRich = nullptr;
    return CTKPTipWindow::WindowProc(message, wParam, lParam);
}

CSize CTKPRichTipWindow::MeasureRichText()
{
    ::ShowWindow(m_hWndRich, SW_SHOWNA);
    ::SendMessageW(m_hWndRich, EM_SETEVENTMASK, 0, ENM_REQUESTRESIZE);
    int low = 0;
    int high = m_pContext && m_pContext->m_nMaxTipWidth >= 0 ? 2 * m_pContext->m_nMaxTipWidth
                                                              : ::GetSystemMetrics(SM_CXSCREEN);
    int reference = -1;
    auto request = [&](int width) {
        ::MoveWindow(m_hWndRich, 0, 0, width, 1, FALSE);
        RECT rc{0, 0, width, 1};
        ::SendMessageW(m_hWndRich, EM_SETRECT, 0, LPARAM(&rc));
        m_szRequested = SIZE{0, 0};
        ::SendMessageW(m_hWndRich, EM_REQUESTRESIZE, 0, 0);
        if (reference < 0)
            reference = m_szRequested.cy;
        return m_szRequested.cy;
    };
    int last = 0;
    while (low < high) {
        const int mid = (low + high) / 2;
        last = request(mid);
        if (last <= reference)
            high = mid - 1;
        else
            low = mid + 1;
    }
    if (last > reference)
        request(high + 1);
    const CSize size(m_szRequested.cx + 2, m_szRequested.cy + 2);
    ::MoveWindow(m_hWndRich, 0, 0, size.cx, size.cy, FALSE);
    ::ShowWindow(m_hWndRich, SW_HIDE);
    return size;
}

CSize CTKPRichTipWindow::CalcTipSize(CDC*, const CTKPTipTool& tool)
{
    if (!m_hWndRich)
        return CSize(0, 0);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, 0x254);
    ::SendMessageW(m_hWndRich, EM_SETBKGNDCOLOR, 0, LPARAM(GetBackColor()));
    ::SetWindowTextW(m_hWndRich, u"");
    CHARFORMATW format{};
    format.cbSize = sizeof(format);
    format.dwMask = 0x4000001F;
    format.crTextColor = GetTextColor();
    ::SendMessageW(m_hWndRich, EM_SETCHARFORMAT, SCF_DEFAULT, LPARAM(&format));
    ::SendMessageW(m_hWndRich, WM_SETFONT, WPARAM(m_hFont), TRUE);
    const CString text = tool.strText;
    if (text.IsEmpty())
        return CSize(0, 0);
    const std::string bytes = ToAnsi(text);
    MemoryStream stream{&bytes};
    EDITSTREAM es{DWORD_PTR(&stream), 0, ReadMemoryStream};
    if (::SendMessageW(m_hWndRich, EM_STREAMIN, SF_RTF, LPARAM(&es)) == 0) {
        // Not rich text after all: the same text, plain.
        stream.at = 0;
        ::SendMessageW(m_hWndRich, EM_STREAMIN, SF_TEXT, LPARAM(&es));
    }
    ::SetWindowTextW(m_hWnd, u"");
    const CSize measured = MeasureRichText();
    const RECT margins = GetMargins();
    CSize size(measured.cx + margins.left + margins.right + 4, measured.cy + margins.top + margins.bottom + 2);
    // A right-aligned or centred paragraph needs a little more room.
    for (int at = text.Find(u"\\q"); at >= 0; at = text.Find(u"\\q", at + 1))
        if (at + 2 < text.GetLength() && (text[at + 2] == u'r' || text[at + 2] == u'c')) {
            size.cx += 5;
            break;
        }
    return size;
}

void CTKPRichTipWindow::DrawTipText(CDC* pDC, const CTKPTipTool&, const RECT& client)
{
    if (!m_hWndRich)
        return;
    const RECT margins = GetMargins();
    RECT rc{client.left + margins.left + 3, client.top + margins.top + 2, client.right - 1, client.bottom - 1};
    const int dpiX = ::GetDeviceCaps(pDC->m_hDC, LOGPIXELSX), dpiY = ::GetDeviceCaps(pDC->m_hDC, LOGPIXELSY);
    if (dpiX <= 0 || dpiY <= 0)
        return;
    const RECT twips{::MulDiv(rc.left, 1440, dpiX), ::MulDiv(rc.top, 1440, dpiY), ::MulDiv(rc.right, 1440, dpiX),
                     ::MulDiv(rc.bottom, 1440, dpiY)};
    FORMATRANGE range{pDC->m_hDC, pDC->m_hDC, twips, twips, CHARRANGE{0, -1}};
    ::SendMessageW(m_hWndRich, EM_FORMATRANGE, TRUE, LPARAM(&range));
    ::SendMessageW(m_hWndRich, EM_FORMATRANGE, FALSE, 0);
}

// ---- Themed background -------------------------------------------------------------------------
void CTKPThemedTipWindow::DrawTipBackground(CDC* pDC, const RECT& rc)
{
    static const COLORREF frames[] = {RGB(0, 0, 128), RGB(63, 93, 56), RGB(75, 75, 111)};
    const int kind = GetColorTable().GetCurrentSystemTheme();
    COLORREF from = GetBackColor(), to = RGB(255, 255, 255), frame = RGB(0, 0, 0);
    if (kind >= 1 && kind <= 3) {
        from = RGB(255, 212, 151);
        to = RGB(255, 242, 200);
        frame = frames[kind - 1];
    }
    GetGradientHelper().GradientFillRect(pDC->m_hDC, rc, from, to, FALSE);
    HBRUSH brush = ::CreateSolidBrush(frame);
    ::FrameRect(pDC->m_hDC, &rc, brush);
    ::DeleteObject(brush);
}
