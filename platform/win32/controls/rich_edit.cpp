// The rich edit window classes: the EDIT control's text, selection, scrolling and clipboard, with
// the rich edit's own colours, stream-in, size requests and OLE callback on top.
#include "win32/richedit.h"

#include "backend/rtf/rtf_reader.h"

#include "win32/controls/control_util.h"
#include "win32/text.h"

#include <algorithm>
#include <string>

const IID IID_IRichEditOleCallback = {0x00020D03, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace controls {

namespace {

const char16_t kStateProp[] = u"Dovemark.RichEdit";
// Stream-in stops here, so a callback that never reports an end cannot exhaust memory.
const size_t kMaxStreamBytes = size_t(256) << 20;

struct RichEdit {
    COLORREF background = CLR_INVALID; // CLR_INVALID: the window colour
    HBRUSH backgroundBrush = nullptr;
    COLORREF text = CLR_INVALID;       // CLR_INVALID: the window-text colour
    DWORD eventMask = ENM_NONE;
    IRichEditOleCallback* callback = nullptr;
};

RichEdit* RichStateOf(HWND hwnd)
{
    return static_cast<RichEdit*>(GetPropW(hwnd, kStateProp));
}

WNDPROC EditProcedure()
{
    static WNDPROC proc = EditClass().proc;
    return proc;
}

LRESULT CallEdit(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return EditProcedure()(hwnd, msg, wParam, lParam);
}

// A rich edit breaks paragraphs at CR, LF or CR LF alike; the edit below it shows CR LF.
std::u16string NormaliseLineEnds(const char16_t* s, size_t n)
{
    std::u16string out;
    out.reserve(n + n / 16);
    for (size_t i = 0; i < n; ++i) {
        char16_t c = s[i];
        if (c == u'\r') {
            if (i + 1 < n && s[i + 1] == u'\n')
                ++i;
            out += u"\r\n";
        } else if (c == u'\n') {
            out += u"\r\n";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// Whether every CR and LF of the text already stands in a CR LF pair.
bool LineEndsArePairs(const char16_t* s, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        if (s[i] == u'\r' && !(i + 1 < n && s[i + 1] == u'\n'))
            return false;
        if (s[i] == u'\n' && !(i > 0 && s[i - 1] == u'\r'))
            return false;
    }
    return true;
}

LRESULT SetText(HWND hwnd, const char16_t* text)
{
    size_t n = text ? std::char_traits<char16_t>::length(text) : 0;
    // Large texts usually come with CR LF already; they are handed on without a copy.
    if (!text || LineEndsArePairs(text, n))
        return CallEdit(hwnd, WM_SETTEXT, 0, (LPARAM)(text ? text : u""));
    std::u16string t = NormaliseLineEnds(text, n);
    return CallEdit(hwnd, WM_SETTEXT, 0, (LPARAM)t.c_str());
}

LRESULT StreamIn(HWND hwnd, WPARAM format, EDITSTREAM* es)
{
    if (!es || !es->pfnCallback)
        return 0;
    es->dwError = 0;
    const UINT kind = format & 0xFF & ~SF_UNICODE;
    if (kind != SF_TEXT && kind != SF_RTF) {
        es->dwError = (DWORD)E_INVALIDARG;
        return 0;
    }
    std::string bytes;
    BYTE chunk[4096];
    for (;;) {
        LONG got = 0;
        DWORD err = es->pfnCallback(es->dwCookie, chunk, (LONG)sizeof chunk, &got);
        if (err) {
            es->dwError = err;
            break;
        }
        if (got <= 0)
            break;
        bytes.append((const char*)chunk, (size_t)std::min<LONG>(got, (LONG)sizeof chunk));
        if (bytes.size() >= kMaxStreamBytes)
            break;
    }
    std::u16string wide;
    backend::RtfDocument rich;
    // Rich text shows as its text; data that is not rich text is taken as plain text, as the system does.
    if (kind == SF_RTF && backend::ReadRtf(bytes.data(), bytes.size(), rich))
        wide = rich.PlainText();
    else if (format & SF_UNICODE)
        wide.assign((const char16_t*)bytes.data(), bytes.size() / 2);
    else
        wide = AnsiToWide(bytes.data(), bytes.size());
    std::u16string text = NormaliseLineEnds(wide.data(), wide.size());
    if (format & SFF_SELECTION)
        CallEdit(hwnd, EM_REPLACESEL, FALSE, (LPARAM)text.c_str());
    else
        CallEdit(hwnd, WM_SETTEXT, 0, (LPARAM)text.c_str());
    return (LRESULT)wide.size();
}

LRESULT RequestResize(HWND hwnd, RichEdit* r)
{
    if (!(r->eventMask & ENM_REQUESTRESIZE))
        return 0;
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, FontOrDefault((HFONT)CallEdit(hwnd, WM_GETFONT, 0, 0)));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    LONG lines = (LONG)CallEdit(hwnd, EM_GETLINECOUNT, 0, 0);
    REQRESIZE rr{};
    rr.nmhdr.hwndFrom = hwnd;
    rr.nmhdr.idFrom = (UINT_PTR)GetDlgCtrlID(hwnd);
    rr.nmhdr.code = EN_REQUESTRESIZE;
    RECT rc;
    GetClientRect(hwnd, &rc);
    rr.rc = {rc.left, rc.top, rc.right, rc.top + lines * (tm.tmHeight > 0 ? tm.tmHeight : 13)};
    if (HWND parent = GetParent(hwnd))
        SendMessageW(parent, WM_NOTIFY, rr.nmhdr.idFrom, (LPARAM)&rr);
    return 0;
}

// Lays a range of the text out into the rectangle (twips of the device), word-wrapped in the
// control's font and text colour, and draws it when asked; the answer is the first character that
// did not fit. A null range only frees what a layout kept, which is nothing here.
LRESULT FormatRange(HWND hwnd, RichEdit* r, BOOL render, const FORMATRANGE* fr)
{
    if (!fr || !fr->hdc)
        return 0;
    const int length = (int)CallEdit(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::u16string text((size_t)length + 1, u'\0');
    CallEdit(hwnd, WM_GETTEXT, (WPARAM)text.size(), (LPARAM)text.data());
    text.resize((size_t)length);
    const LONG first = std::clamp<LONG>(fr->chrg.cpMin, 0, length);
    const LONG last = fr->chrg.cpMax < 0 ? length : std::clamp<LONG>(fr->chrg.cpMax, first, length);
    const int dpiX = GetDeviceCaps(fr->hdc, LOGPIXELSX), dpiY = GetDeviceCaps(fr->hdc, LOGPIXELSY);
    RECT rc{MulDiv(fr->rc.left, dpiX, 1440), MulDiv(fr->rc.top, dpiY, 1440), MulDiv(fr->rc.right, dpiX, 1440),
            MulDiv(fr->rc.bottom, dpiY, 1440)};
    HGDIOBJ old = SelectObject(fr->hdc, FontOrDefault((HFONT)CallEdit(hwnd, WM_GETFONT, 0, 0)));
    const UINT format = DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL;
    const int height = rc.bottom - rc.top;
    auto fits = [&](LONG end) {
        RECT calc = rc;
        DrawTextW(fr->hdc, text.data() + first, (int)(end - first), &calc, format | DT_CALCRECT);
        return calc.bottom - calc.top <= height;
    };
    // The longest part of the range that the rectangle holds.
    LONG end = last;
    if (!fits(end)) {
        LONG low = first, high = last;
        while (low < high) {
            const LONG mid = low + (high - low + 1) / 2;
            if (fits(mid))
                low = mid;
            else
                high = mid - 1;
        }
        end = low;
    }
    if (render && end > first) {
        const int mode = SetBkMode(fr->hdc, TRANSPARENT);
        const COLORREF color = SetTextColor(fr->hdc, r->text == CLR_INVALID ? GetSysColor(COLOR_WINDOWTEXT) : r->text);
        DrawTextW(fr->hdc, text.data() + first, (int)(end - first), &rc, format);
        SetTextColor(fr->hdc, color);
        SetBkMode(fr->hdc, mode);
    }
    SelectObject(fr->hdc, old);
    return (LRESULT)end;
}

LRESULT CALLBACK RichEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    RichEdit* r = RichStateOf(hwnd);
    switch (msg) {
    case WM_NCCREATE: {
        LRESULT ok = CallEdit(hwnd, msg, wParam, lParam);
        if (ok && !r)
            SetPropW(hwnd, kStateProp, new RichEdit);
        return ok;
    }
    case WM_NCDESTROY:
        if (r) {
            RemovePropW(hwnd, kStateProp);
            if (r->callback)
                r->callback->Release();
            if (r->backgroundBrush)
                DeleteObject(r->backgroundBrush);
            delete r;
        }
        return CallEdit(hwnd, msg, wParam, lParam);
    }
    if (!r)
        return CallEdit(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_SETTEXT: return SetText(hwnd, (const char16_t*)lParam);
    case EM_STREAMIN: return StreamIn(hwnd, wParam, (EDITSTREAM*)lParam);
    case EM_SETBKGNDCOLOR: {
        COLORREF previous = r->background == CLR_INVALID ? GetSysColor(COLOR_WINDOW) : r->background;
        if (r->backgroundBrush)
            DeleteObject(r->backgroundBrush);
        r->backgroundBrush = nullptr;
        r->background = wParam ? CLR_INVALID : (COLORREF)lParam;
        if (r->background != CLR_INVALID)
            r->backgroundBrush = CreateSolidBrush(r->background);
        InvalidateRect(hwnd, nullptr, TRUE);
        return (LRESULT)previous;
    }
    case EM_SETCHARFORMAT: {
        auto* cf = (const CHARFORMATW*)lParam;
        if (!cf || cf->cbSize < sizeof(CHARFORMATW))
            return 0;
        if (cf->dwMask & CFM_COLOR)
            r->text = (cf->dwEffects & CFE_AUTOCOLOR) ? CLR_INVALID : cf->crTextColor;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 1;
    }
    case EM_GETCHARFORMAT: {
        auto* cf = (CHARFORMATW*)lParam;
        if (!cf || cf->cbSize < sizeof(CHARFORMATW))
            return 0;
        cf->dwMask = CFM_COLOR;
        cf->dwEffects = r->text == CLR_INVALID ? CFE_AUTOCOLOR : 0;
        cf->crTextColor = r->text == CLR_INVALID ? GetSysColor(COLOR_WINDOWTEXT) : r->text;
        return CFM_COLOR;
    }
    case EM_SETEVENTMASK: {
        DWORD old = r->eventMask;
        r->eventMask = (DWORD)lParam;
        return (LRESULT)old;
    }
    case EM_GETEVENTMASK: return (LRESULT)r->eventMask;
    case EM_REQUESTRESIZE: return RequestResize(hwnd, r);
    case EM_FORMATRANGE: return FormatRange(hwnd, r, (BOOL)wParam, (const FORMATRANGE*)lParam);
    case EM_SETOLECALLBACK: {
        auto* cb = (IRichEditOleCallback*)lParam;
        if (cb)
            cb->AddRef();
        if (r->callback)
            r->callback->Release();
        r->callback = cb;
        return TRUE;
    }
    case EM_EXLIMITTEXT: return CallEdit(hwnd, EM_LIMITTEXT, (WPARAM)lParam, 0);
    case EM_EXGETSEL: {
        auto* cr = (CHARRANGE*)lParam;
        DWORD start = 0, end = 0;
        CallEdit(hwnd, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
        if (cr)
            *cr = {(LONG)start, (LONG)end};
        return (LRESULT)end;
    }
    case EM_EXSETSEL: {
        auto* cr = (const CHARRANGE*)lParam;
        if (!cr)
            return 0;
        CallEdit(hwnd, EM_SETSEL, (WPARAM)cr->cpMin, (LPARAM)cr->cpMax);
        DWORD start = 0, end = 0;
        CallEdit(hwnd, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
        return (LRESULT)end;
    }
    }
    return CallEdit(hwnd, msg, wParam, lParam);
}

} // namespace

HBRUSH RichEditColors(HWND hwnd, HDC hdc)
{
    RichEdit* r = RichStateOf(hwnd);
    if (!r)
        return nullptr;
    SetTextColor(hdc, r->text == CLR_INVALID ? GetSysColor(COLOR_WINDOWTEXT) : r->text);
    SetBkColor(hdc, r->background == CLR_INVALID ? GetSysColor(COLOR_WINDOW) : r->background);
    return r->backgroundBrush ? r->backgroundBrush : GetSysColorBrush(COLOR_WINDOW);
}

ClassInfo RichEditClass()
{
    return {RICHEDIT_CLASSW, RichEditProc, CS_DBLCLKS, (HCURSOR)IDC_IBEAM, 0};
}

ClassInfo RichEdit10Class()
{
    return {RICHEDIT_CLASS10A, RichEditProc, CS_DBLCLKS, (HCURSOR)IDC_IBEAM, 0};
}

} // namespace controls
