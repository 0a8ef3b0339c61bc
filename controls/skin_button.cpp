// CSkinButton: setters, hover tracking, clicks and the owner drawing of the skinned button.
#include "controls/skin_button.h"

#include "win32/shell.h"

#include <algorithm>
#include <vector>

namespace {

// Reads a bitmap's pixels as top-down 32-bit BGRA rows.
bool ReadPixels(HBITMAP bitmap, int cx, int cy, std::vector<DWORD>& pixels)
{
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    pixels.assign(size_t(cx) * size_t(cy), 0);
    HDC dc = CreateCompatibleDC(nullptr);
    int rows = GetDIBits(dc, bitmap, 0, UINT(cy), pixels.data(), &bi, DIB_RGB_COLORS);
    DeleteDC(dc);
    return rows == cy;
}

// A 32-bit bitmap holding the given top-down BGRA rows.
HBITMAP BitmapOf(const std::vector<DWORD>& pixels, int cx, int cy)
{
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits)
        std::copy(pixels.begin(), pixels.end(), static_cast<DWORD*>(bits));
    return bitmap;
}

COLORREF ColorOfPixel(DWORD px) { return RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF); }

// The colour in place of a pixel's, its alpha byte kept.
DWORD WithColor(DWORD px, COLORREF c)
{
    return (px & 0xFF000000) | (DWORD(GetRValue(c)) << 16) | (DWORD(GetGValue(c)) << 8) | GetBValue(c);
}

COLORREF DerivedColor(COLORREF c, int kind)
{
    return kind == CSkinButton::IMAGE_GREY ? CSkinButton::Grey(c) : CSkinButton::Darken(c, 0.25);
}

bool IsDerived(INT_PTR kind) { return kind == CSkinButton::IMAGE_GREY || kind == CSkinButton::IMAGE_DARKER; }

} // namespace

CSkinButton::CSkinButton()
{
    SetDefaultColors(FALSE);
}

CSkinButton::~CSkinButton()
{
    DropSavedBackground();
    FreeImages();
    if (m_hHoverCursor)
        DestroyCursor(m_hHoverCursor);
}

// ---- Colours ------------------------------------------------------------------------------------

COLORREF CSkinButton::Darken(COLORREF color, double factor)
{
    if (factor < 0.0 || factor > 1.0)
        return color;
    auto down = [factor](BYTE c) { return BYTE(c - factor * c); };
    return RGB(down(GetRValue(color)), down(GetGValue(color)), down(GetBValue(color)));
}

COLORREF CSkinButton::Grey(COLORREF color)
{
    BYTE l = BYTE(0.299 * GetRValue(color) + 0.587 * GetGValue(color) + 0.114 * GetBValue(color));
    return RGB(l, l, l);
}

DWORD CSkinButton::SetDefaultColors(BOOL bRepaint)
{
    for (int i = 0; i < COLOR_COUNT; ++i)
        m_colors[i] = GetSysColor(i % 2 ? COLOR_BTNTEXT : COLOR_BTNFACE);
    Repaint(bRepaint);
    return SKIN_OK;
}

DWORD CSkinButton::SetColor(int nIndex, COLORREF crColor, BOOL bRepaint)
{
    if (nIndex < 0 || nIndex >= COLOR_COUNT)
        return SKIN_BAD_COLOR_INDEX;
    m_colors[nIndex] = crColor;
    Repaint(bRepaint);
    return SKIN_OK;
}

DWORD CSkinButton::OffsetColor(int nIndex, int nShade, BOOL bRepaint)
{
    if (nIndex < 0 || nIndex >= COLOR_COUNT)
        return SKIN_BAD_COLOR_INDEX;
    if (nShade < -255 || nShade > 255)
        return SKIN_BAD_SHADE;
    const COLORREF c = m_colors[nIndex];
    const int channels[3] = {GetRValue(c), GetGValue(c), GetBValue(c)};
    // One shift for all three channels, no larger than the room the tightest channel has, so
    // the hue stays.
    int shade = nShade;
    for (int v : channels) {
        if (nShade > 0 && v + nShade > 255)
            shade = std::min(shade, 255 - v);
        if (nShade < 0 && v + nShade < 0)
            shade = std::max(shade, -v);
    }
    m_colors[nIndex] = RGB(channels[0] + shade, channels[1] + shade, channels[2] + shade);
    Repaint(bRepaint);
    return SKIN_OK;
}

// ---- Images -------------------------------------------------------------------------------------

void CSkinButton::FreeImages()
{
    for (IconImage& icon : m_icons) {
        if (icon.hIcon)
            DestroyIcon(icon.hIcon);
        icon = IconImage{};
    }
    for (BitmapImage& bitmap : m_bitmaps) {
        if (bitmap.hBitmap)
            DeleteObject(bitmap.hBitmap);
        if (bitmap.hMask)
            DeleteObject(bitmap.hMask);
        bitmap = BitmapImage{};
    }
}

DWORD CSkinButton::SetIcon(int nIconIn, int nIconOut)
{
    return SetIcon(nIconIn, 0, 0, nIconOut, 0, 0);
}

DWORD CSkinButton::SetIcon(int nIconIn, int cxIn, int cyIn, int nIconOut, int cxOut, int cyOut)
{
    HINSTANCE module = AfxGetResourceHandle();
    HICON in = nIconIn ? (HICON)LoadImageW(module, MAKEINTRESOURCEW(nIconIn), IMAGE_ICON, cxIn, cyIn, 0) : nullptr;
    HICON out = nullptr;
    if (IsDerived(nIconOut)) {
        out = DerivedIcon(nIconOut);
    } else if (nIconOut) {
        out = (HICON)LoadImageW(module, MAKEINTRESOURCEW(nIconOut), IMAGE_ICON, cxOut, cyOut, 0);
        // A second icon that is asked for and missing is a failure, not a button without it.
        if (!out) {
            if (in)
                DestroyIcon(in);
            FreeImages();
            return SKIN_INVALID_RESOURCE;
        }
    }
    return SetIcon(in, out);
}

DWORD CSkinButton::SetIcon(HICON hIconIn, HICON hIconOut)
{
    FreeImages();
    ICONINFO info{};
    if (!hIconIn || !GetIconInfo(hIconIn, &info))
        return SKIN_INVALID_RESOURCE;
    auto store = [this](int slot, HICON icon, const ICONINFO& ii) {
        m_icons[slot] = {icon, int(ii.xHotspot) * 2, int(ii.yHotspot) * 2};
        if (ii.hbmColor)
            DeleteObject(ii.hbmColor);
        if (ii.hbmMask)
            DeleteObject(ii.hbmMask);
    };
    store(0, hIconIn, info);
    if (hIconOut) {
        if (IsDerived((INT_PTR)hIconOut))
            hIconOut = MakeDerivedIcon(hIconIn, int((INT_PTR)hIconOut));
        ICONINFO outInfo{};
        if (!hIconOut || !GetIconInfo(hIconOut, &outInfo)) {
            FreeImages();
            return SKIN_INVALID_RESOURCE;
        }
        store(1, hIconOut, outInfo);
    }
    Repaint(TRUE);
    return SKIN_OK;
}

HICON CSkinButton::MakeDerivedIcon(HICON hSource, int kind)
{
    ICONINFO ii{};
    if (!GetIconInfo(hSource, &ii))
        return nullptr;
    HICON result = nullptr;
    // The colour bitmap at its own size, whatever the hot spot says.
    BITMAP bm{};
    const int cx = ii.hbmColor && GetObjectW(ii.hbmColor, sizeof(bm), &bm) ? bm.bmWidth : 0;
    const int cy = cx ? bm.bmHeight : 0;
    std::vector<DWORD> pixels;
    if (cx > 0 && cy > 0 && ReadPixels(ii.hbmColor, cx, cy, pixels)) {
        for (DWORD& px : pixels) {
            COLORREF c = ColorOfPixel(px);
            if (c != RGB(0, 0, 0))
                px = WithColor(px, DerivedColor(c, kind));
        }
        HBITMAP color = BitmapOf(pixels, cx, cy);
        if (color) {
            ICONINFO made{TRUE, ii.xHotspot, ii.yHotspot, ii.hbmMask, color};
            result = CreateIconIndirect(&made);
            DeleteObject(color);
        }
    }
    if (ii.hbmColor)
        DeleteObject(ii.hbmColor);
    if (ii.hbmMask)
        DeleteObject(ii.hbmMask);
    return result;
}

DWORD CSkinButton::SetBitmaps(int nBitmapIn, COLORREF crKeyIn, int nBitmapOut, COLORREF crKeyOut)
{
    HINSTANCE module = AfxGetResourceHandle();
    HBITMAP in = nBitmapIn ? (HBITMAP)LoadImageW(module, MAKEINTRESOURCEW(nBitmapIn), IMAGE_BITMAP, 0, 0, 0) : nullptr;
    HBITMAP out = nullptr;
    if (IsDerived(nBitmapOut)) {
        out = DerivedBitmap(nBitmapOut);
    } else if (nBitmapOut) {
        out = (HBITMAP)LoadImageW(module, MAKEINTRESOURCEW(nBitmapOut), IMAGE_BITMAP, 0, 0, 0);
        if (!out) {
            if (in)
                DeleteObject(in);
            FreeImages();
            return SKIN_INVALID_RESOURCE;
        }
    }
    return SetBitmaps(in, crKeyIn, out, crKeyOut);
}

DWORD CSkinButton::SetBitmaps(HBITMAP hBitmapIn, COLORREF crKeyIn, HBITMAP hBitmapOut, COLORREF crKeyOut)
{
    FreeImages();
    BITMAP bm{};
    if (!hBitmapIn || !GetObjectW(hBitmapIn, sizeof(bm), &bm))
        return SKIN_INVALID_RESOURCE;
    m_bitmaps[0] = {hBitmapIn, bm.bmWidth, bm.bmHeight, nullptr, crKeyIn};
    // A derived image is made before the first image's key pixels are blackened by its mask.
    if (IsDerived((INT_PTR)hBitmapOut)) {
        hBitmapOut = MakeDerivedBitmap(hBitmapIn, bm.bmWidth, bm.bmHeight, crKeyIn, int((INT_PTR)hBitmapOut));
        crKeyOut = crKeyIn;
        if (!hBitmapOut) {
            FreeImages();
            return SKIN_INVALID_RESOURCE;
        }
    }
    m_bitmaps[0].hMask = MakeMask(hBitmapIn, bm.bmWidth, bm.bmHeight, crKeyIn);
    if (!m_bitmaps[0].hMask) {
        if (hBitmapOut)
            DeleteObject(hBitmapOut);
        FreeImages();
        return SKIN_MASK_FAILED;
    }
    if (hBitmapOut) {
        BITMAP outBm{};
        if (!GetObjectW(hBitmapOut, sizeof(outBm), &outBm)) {
            FreeImages();
            return SKIN_INVALID_RESOURCE;
        }
        m_bitmaps[1] = {hBitmapOut, outBm.bmWidth, outBm.bmHeight, nullptr, crKeyOut};
        m_bitmaps[1].hMask = MakeMask(hBitmapOut, outBm.bmWidth, outBm.bmHeight, crKeyOut);
        if (!m_bitmaps[1].hMask) {
            FreeImages();
            return SKIN_MASK_FAILED;
        }
    }
    Repaint(TRUE);
    return SKIN_OK;
}

HBITMAP CSkinButton::MakeDerivedBitmap(HBITMAP hSource, int cx, int cy, COLORREF crKey, int kind)
{
    std::vector<DWORD> pixels;
    if (cx <= 0 || cy <= 0 || !ReadPixels(hSource, cx, cy, pixels))
        return nullptr;
    for (DWORD& px : pixels) {
        COLORREF c = ColorOfPixel(px);
        if (c != crKey)
            px = WithColor(px, DerivedColor(c, kind));
    }
    return BitmapOf(pixels, cx, cy);
}

HBITMAP CSkinButton::MakeMask(HBITMAP hBitmap, int cx, int cy, COLORREF crKey)
{
    HBITMAP mask = CreateBitmap(cx, cy, 1, 1, nullptr);
    HDC src = CreateCompatibleDC(nullptr);
    HDC dst = CreateCompatibleDC(nullptr);
    HGDIOBJ oldSrc = (mask && src && dst) ? SelectObject(src, hBitmap) : nullptr;
    if (!oldSrc) {
        if (mask)
            DeleteObject(mask);
        DeleteDC(src);
        DeleteDC(dst);
        return nullptr;
    }
    HGDIOBJ oldDst = SelectObject(dst, mask);
    // Key pixels white in the mask, the picture black.
    SetBkColor(src, crKey);
    BitBlt(dst, 0, 0, cx, cy, src, 0, 0, SRCCOPY);
    // The key pixels of the picture black, so an OR over the masked background leaves it be.
    SetBkColor(src, RGB(0, 0, 0));
    SetTextColor(src, RGB(255, 255, 255));
    BitBlt(src, 0, 0, cx, cy, dst, 0, 0, SRCAND);
    SelectObject(src, oldSrc);
    SelectObject(dst, oldDst);
    DeleteDC(src);
    DeleteDC(dst);
    return mask;
}

// ---- Other setters -----------------------------------------------------------------------------

void CSkinButton::Repaint(BOOL bRepaint)
{
    if (bRepaint && m_hWnd)
        Invalidate();
}

DWORD CSkinButton::SetAlign(int nAlign, BOOL bRepaint)
{
    if (nAlign < ALIGN_IMAGE_LEFT || nAlign > ALIGN_OVERLAP)
        return SKIN_BAD_ALIGN;
    m_nAlign = nAlign;
    Repaint(bRepaint);
    return SKIN_OK;
}

DWORD CSkinButton::SetPressedOffset(int nStyle, BOOL bRepaint)
{
    if (nStyle == PRESSED_DIAGONAL)
        m_ptPressedOffset = CPoint(1, 1);
    else if (nStyle == PRESSED_DOWN)
        m_ptPressedOffset = CPoint(0, 2);
    else
        return SKIN_BAD_PRESSED_STYLE;
    Repaint(bRepaint);
    return SKIN_OK;
}

DWORD CSkinButton::SetCheck(int nCheck, BOOL bRepaint)
{
    if (m_bCheckBox) {
        m_nChecked = nCheck ? 1 : 0;
        Repaint(bRepaint);
    }
    return SKIN_OK;
}

DWORD CSkinButton::SetHoverCursor(int nCursorId, BOOL bRepaint)
{
    if (m_hHoverCursor)
        DestroyCursor(m_hHoverCursor);
    m_hHoverCursor = nullptr;
    if (nCursorId) {
        m_hHoverCursor = (HCURSOR)LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nCursorId), IMAGE_CURSOR, 0, 0, 0);
    }
    Repaint(bRepaint);
    return nCursorId && !m_hHoverCursor ? SKIN_INVALID_RESOURCE : SKIN_OK;
}

void CSkinButton::CreateToolTip()
{
    if (m_toolTip.m_hWnd || !m_hWnd)
        return;
    if (m_toolTip.Create(this, m_dwToolTipStyle)) {
        m_toolTip.Activate(FALSE);
        m_toolTip.SetMaxTipWidth(400);
    }
}

void CSkinButton::SetTooltipText(LPCWSTR lpszText, BOOL bActivate)
{
    if (!lpszText)
        return;
    CreateToolTip();
    if (!m_toolTip.m_hWnd)
        return;
    if (!m_bToolAdded) {
        CRect client;
        GetClientRect(&client);
        m_bToolAdded = m_toolTip.AddTool(this, lpszText, &client, 1);
    }
    m_toolTip.UpdateTipText(lpszText, this, 1);
    m_toolTip.Activate(bActivate);
}

void CSkinButton::SetTransparent(BOOL bRepaint)
{
    m_bTransparent = TRUE;
    DropSavedBackground();
    Repaint(bRepaint);
}

DWORD CSkinButton::SetClickUrl(LPCWSTR lpszUrl)
{
    std::fill(std::begin(m_szClickUrl), std::end(m_szClickUrl), u'\0');
    for (int i = 0; lpszUrl && lpszUrl[i] && i < MAX_PATH - 1; ++i)
        m_szClickUrl[i] = lpszUrl[i];
    return SKIN_OK;
}

DWORD CSkinButton::SetSound(LPCWSTR lpszSound, HMODULE hMod, BOOL nState, BOOL bAsync)
{
    Sound& sound = m_sounds[nState ? 1 : 0];
    sound = Sound{};
    if (!lpszSound)
        return SKIN_OK;
    if (IS_INTRESOURCE(lpszSound)) {
        // A resource id names nothing without the module that holds it.
        if (!hMod)
            return SKIN_INVALID_RESOURCE;
        sound.lpszName = lpszSound;
    } else {
        // Names are kept in the slot, so the caller's string need not outlive the button; one
        // that does not fit is refused rather than cut to another file's name.
        size_t length = 0;
        while (length < MAX_PATH && lpszSound[length])
            ++length;
        if (length >= MAX_PATH)
            return SKIN_INVALID_RESOURCE;
        std::copy(lpszSound, lpszSound + length, sound.szName);
        sound.lpszName = sound.szName;
    }
    sound.hMod = hMod;
    sound.dwFlags = (hMod ? SND_RESOURCE : SND_FILENAME) | (bAsync ? SND_ASYNC : 0) | SND_NODEFAULT | SND_NOWAIT;
    return SKIN_OK;
}

void CSkinButton::Play(const Sound& sound) const
{
    if (sound.lpszName)
        PlaySoundW(sound.lpszName, sound.hMod, sound.dwFlags);
}

// ---- Window ------------------------------------------------------------------------------------

void CSkinButton::PreSubclassWindow()
{
    const UINT style = UINT(GetStyle()) & 0xFF;
    m_nButtonType = style & 0x1F;
    // The check-box kinds toggle on click; the owner-drawn and group-box kinds, which share the
    // kinds' bit 0x2, stay push buttons.
    const UINT kind = style & BS_TYPEMASK;
    m_bCheckBox = kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_3STATE || kind == BS_AUTO3STATE;
    if (m_nButtonType == BS_DEFPUSHBUTTON) {
        m_bDefault = TRUE;
        m_nButtonType = BS_PUSHBUTTON;
    }
    CButton::PreSubclassWindow();
    ModifyStyle(0x1F, BS_OWNERDRAW, SWP_FRAMECHANGED);
}

BOOL CSkinButton::PreTranslateMessage(MSG* pMsg)
{
    CreateToolTip();
    if (m_toolTip.m_hWnd)
        m_toolTip.RelayEvent(pMsg);
    // A double click counts as a second click.
    if (pMsg->message == WM_LBUTTONDBLCLK)
        pMsg->message = WM_LBUTTONDOWN;
    return CButton::PreTranslateMessage(pMsg);
}

void CSkinButton::CancelHover()
{
    if (m_bHover) {
        m_bHover = FALSE;
        Invalidate();
    }
}

void CSkinButton::OnClicked()
{
    SetFocus();
    Play(m_sounds[1]);
    if (m_bCheckBox) {
        m_nChecked = !m_nChecked;
        Invalidate();
        return;
    }
    if (m_szClickUrl[0]) {
        SHELLEXECUTEINFOW sei{};
        sei.cbSize = sizeof(sei);
        sei.fMask = SEE_MASK_FLAG_NO_UI;
        sei.hwnd = nullptr;
        sei.lpVerb = u"open";
        sei.lpFile = m_szClickUrl;
        sei.nShow = SW_SHOWMAXIMIZED;
        ShellExecuteExW(&sei);
    }
}

BOOL CSkinButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        if (pResult)
            *pResult = (LRESULT)GetStockObject(NULL_BRUSH);
        return TRUE;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        OnClicked();
        // The owner still gets its command.
        return FALSE;
    }
    return CButton::OnChildNotify(message, wParam, lParam, pResult);
}

LRESULT CSkinButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETCURSOR:
        if (!m_hHoverCursor)
            break;
        ::SetCursor(m_hHoverCursor);
        return TRUE;
    case WM_MOUSEMOVE: {
        LRESULT result = CButton::WindowProc(message, wParam, lParam);
        if (!m_hWnd)
            return result;
        CPoint point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        ClientToScreen(&point);
        HWND under = ::WindowFromPoint(point);
        // Dragging onto the button with the left button held does not make it hover.
        if ((wParam & MK_LBUTTON) && !m_bHover)
            return result;
        if (under == m_hWnd) {
            if (!m_bHover) {
                m_bHover = TRUE;
                Invalidate();
                Play(m_sounds[0]);
                TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, m_hWnd, 0};
                _TrackMouseEvent(&tme);
            }
        } else {
            CancelHover();
        }
        return result;
    }
    case WM_MOUSELEAVE:
        CancelHover();
        return 0;
    case WM_KILLFOCUS:
    case WM_CANCELMODE: {
        LRESULT result = CButton::WindowProc(message, wParam, lParam);
        CancelHover();
        return result;
    }
    case WM_ACTIVATE: {
        LRESULT result = CButton::WindowProc(message, wParam, lParam);
        if (LOWORD(wParam) == WA_INACTIVE)
            CancelHover();
        return result;
    }
    case WM_ENABLE: {
        // Disabling takes the focus from the button (it is gone by now); it goes on to the next
        // tab item. A focus that some other window holds stays there.
        const HWND focusBefore = ::GetFocus();
        LRESULT result = CButton::WindowProc(message, wParam, lParam);
        if (!wParam) {
            HWND active = ::GetActiveWindow();
            bool focusWasOurs = focusBefore == m_hWnd || (!focusBefore && active && (active == m_hWnd || ::IsChild(active, m_hWnd)));
            CWnd* parent = GetParent();
            if (focusWasOurs && parent) {
                HWND next = ::GetNextDlgTabItem(parent->m_hWnd, m_hWnd, FALSE);
                ::SetFocus(next && next != m_hWnd ? next : parent->m_hWnd);
            }
            CancelHover();
        }
        return result;
    }
    case WM_SYSCOLORCHANGE: {
        LRESULT result = CButton::WindowProc(message, wParam, lParam);
        DropSavedBackground();
        SetDefaultColors(TRUE);
        return result;
    }
    case WM_GETDLGCODE: {
        LRESULT result = CButton::WindowProc(message, wParam, lParam);
        return result | (m_bDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    }
    case BM_SETSTYLE: {
        const UINT type = UINT(wParam) & 0x1F;
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)
            m_bDefault = type == BS_DEFPUSHBUTTON;
        // The kind stays owner-drawn whatever the dialog manager asks for.
        return CButton::WindowProc(message, (wParam & ~WPARAM(0x14)) | 0x0B, lParam);
    }
    case BM_SETCHECK:
        m_nChecked = (wParam == BST_CHECKED || wParam == BST_INDETERMINATE) ? 1 : 0;
        Invalidate();
        return 0;
    case BM_GETCHECK:
        return m_nChecked;
    }
    return CButton::WindowProc(message, wParam, lParam);
}

// ---- Drawing -----------------------------------------------------------------------------------

void CSkinButton::DropSavedBackground()
{
    if (!m_hSavedDC)
        return;
    SelectObject(m_hSavedDC, m_hReplacedBitmap);
    DeleteObject(m_hSavedBitmap);
    DeleteDC(m_hSavedDC);
    m_hSavedDC = nullptr;
    m_hSavedBitmap = nullptr;
    m_hReplacedBitmap = nullptr;
}

void CSkinButton::PaintSavedBackground(CDC* pDC)
{
    CWnd* parent = GetParent();
    if (!parent)
        return;
    CRect client;
    GetClientRect(&client);
    if (!m_hSavedDC) {
        CRect under = client;
        ::MapWindowPoints(m_hWnd, parent->m_hWnd, reinterpret_cast<LPPOINT>(&under), 2);
        HDC parentDC = ::GetDC(parent->m_hWnd);
        m_hSavedDC = CreateCompatibleDC(parentDC);
        m_hSavedBitmap = CreateCompatibleBitmap(parentDC, client.Width(), client.Height());
        m_hReplacedBitmap = SelectObject(m_hSavedDC, m_hSavedBitmap);
        BitBlt(m_hSavedDC, 0, 0, client.Width(), client.Height(), parentDC, under.left, under.top, SRCCOPY);
        ::ReleaseDC(parent->m_hWnd, parentDC);
    }
    BitBlt(pDC->GetSafeHdc(), 0, 0, client.Width(), client.Height(), m_hSavedDC, 0, 0, SRCCOPY);
}

void CSkinButton::PaintBackground(CDC* pDC, const CRect& rcItem)
{
    const int index = (m_bHover || m_bPressed) ? COLOR_BK_ACTIVE : m_bFocused ? COLOR_BK_FOCUS : COLOR_BK_NORMAL;
    pDC->FillSolidRect(&rcItem, m_colors[index]);
}

void CSkinButton::PaintBorder(CDC* pDC, const CRect& rcItem)
{
    if (!m_bFlat || !m_bDrawBorder)
        return;
    if (m_bPressed)
        pDC->Draw3dRect(&rcItem, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHILIGHT));
    else if (m_bHover)
        pDC->Draw3dRect(&rcItem, GetSysColor(COLOR_BTNHILIGHT), GetSysColor(COLOR_BTNSHADOW));
}

CRect CSkinButton::ImageRect(BOOL bHasCaption, const CRect& rcItem, CRect& rcCaption, int cx, int cy) const
{
    CRect image;
    const int centredX = rcItem.left + (rcItem.Width() - cx) / 2;
    const int centredY = rcItem.top + (rcItem.Height() - cy) / 2;
    switch (m_nAlign) {
    case ALIGN_IMAGE_LEFT:
        if (bHasCaption) {
            image.left = rcItem.left + m_nMarginX;
            rcCaption.left += m_nMarginX + cx;
        } else {
            image.left = centredX;
        }
        image.top = centredY;
        break;
    case ALIGN_IMAGE_TOP:
        image.left = centredX;
        if (bHasCaption) {
            image.top = rcItem.top + m_nMarginY;
            rcCaption.top += cy;
        } else {
            image.top = centredY;
        }
        break;
    case ALIGN_IMAGE_RIGHT:
        if (bHasCaption) {
            image.left = rcItem.right - m_nMarginX - cx;
            image.top = centredY;
            rcCaption.right -= rcCaption.left + m_nMarginX + cx;
            rcCaption.left = m_nMarginX;
        } else {
            image.left = centredX;
            image.top = rcItem.top;
        }
        break;
    default: // overlap
        image.left = rcItem.left;
        image.top = rcItem.top;
        break;
    }
    image.right = image.left + cx;
    image.bottom = image.top + cy;
    if (m_bPressed && !m_bCheckBox)
        image.OffsetRect(m_ptPressedOffset);
    return image;
}

int CSkinButton::ImageIndex(bool secondExists) const
{
    const bool first = m_bCheckBox ? m_bPressed : (m_bPressed || m_bHover);
    return first || !secondExists ? 0 : 1;
}

void CSkinButton::PaintIcon(CDC* pDC, BOOL bHasCaption, const CRect& rcItem, CRect& rcCaption)
{
    const IconImage& icon = m_icons[ImageIndex(m_icons[1].hIcon != nullptr)];
    CRect image = ImageRect(bHasCaption, rcItem, rcCaption, icon.cx, icon.cy);
    ::DrawStateW(pDC->GetSafeHdc(), nullptr, nullptr, (LPARAM)icon.hIcon, 0, image.left, image.top, image.Width(),
                 image.Height(), DST_ICON | (m_bDisabled ? DSS_DISABLED : DSS_NORMAL));
}

void CSkinButton::PaintBitmap(CDC* pDC, BOOL bHasCaption, const CRect& rcItem, CRect& rcCaption)
{
    const BitmapImage& bitmap = m_bitmaps[ImageIndex(m_bitmaps[1].hBitmap != nullptr)];
    CRect image = ImageRect(bHasCaption, rcItem, rcCaption, bitmap.cx, bitmap.cy);
    const int cx = bitmap.cx, cy = bitmap.cy;
    HDC dc = pDC->GetSafeHdc();
    HDC mem = CreateCompatibleDC(dc);
    if (m_bDisabled && m_bEmbossDisabled) {
        // The picture on white, so the embossing takes its shape and not the key area's.
        HDC scratchDC = CreateCompatibleDC(dc);
        HBITMAP scratch = CreateCompatibleBitmap(dc, cx, cy);
        HGDIOBJ oldScratch = SelectObject(scratchDC, scratch);
        PatBlt(scratchDC, 0, 0, cx, cy, WHITENESS);
        SetBkColor(scratchDC, RGB(255, 255, 255));
        SetTextColor(scratchDC, RGB(0, 0, 0));
        HGDIOBJ old = SelectObject(mem, bitmap.hMask);
        BitBlt(scratchDC, 0, 0, cx, cy, mem, 0, 0, SRCAND);
        SelectObject(mem, bitmap.hBitmap);
        BitBlt(scratchDC, 0, 0, cx, cy, mem, 0, 0, SRCPAINT);
        SelectObject(mem, old);
        SelectObject(scratchDC, oldScratch);
        DeleteDC(scratchDC);
        ::DrawStateW(dc, nullptr, nullptr, (LPARAM)scratch, 0, image.left, image.top, cx, cy, DST_BITMAP | DSS_DISABLED);
        DeleteObject(scratch);
    } else {
        // The mask keeps the background where the key colour was (white bits: the DC's white
        // background colour), and clears it under the picture (black bits: black text colour).
        COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
        HGDIOBJ old = SelectObject(mem, bitmap.hMask);
        BitBlt(dc, image.left, image.top, cx, cy, mem, 0, 0, SRCAND);
        SelectObject(mem, bitmap.hBitmap);
        BitBlt(dc, image.left, image.top, cx, cy, mem, 0, 0, SRCPAINT);
        SelectObject(mem, old);
        SetTextColor(dc, oldText);
    }
    DeleteDC(mem);
}

void CSkinButton::PaintCaption(CDC* pDC, const CString& caption, CRect rcCaption)
{
    if (m_bPressed && !m_bCheckBox)
        rcCaption.OffsetRect(m_ptPressedOffset);
    CRect text = rcCaption;
    pDC->DrawText(caption, &text, DT_WORDBREAK | DT_CENTER | DT_CALCRECT);
    text.OffsetRect((rcCaption.Width() - text.Width()) / 2, (rcCaption.Height() - text.Height()) / 2);
    if (m_bDisabled) {
        text.OffsetRect(1, 1);
        pDC->SetTextColor(GetSysColor(COLOR_3DHILIGHT));
        pDC->DrawText(caption, &text, DT_WORDBREAK | DT_CENTER);
        text.OffsetRect(-1, -1);
        pDC->SetTextColor(GetSysColor(COLOR_3DSHADOW));
        pDC->DrawText(caption, &text, DT_WORDBREAK | DT_CENTER);
        return;
    }
    const bool active = m_bHover || m_bPressed;
    pDC->SetTextColor(m_colors[active ? COLOR_FG_ACTIVE : m_bFocused ? COLOR_FG_FOCUS : COLOR_FG_NORMAL]);
    pDC->SetBkColor(m_colors[active ? COLOR_BK_ACTIVE : m_bFocused ? COLOR_BK_FOCUS : COLOR_BK_NORMAL]);
    pDC->DrawText(caption, &text, DT_WORDBREAK | DT_CENTER);
}

void CSkinButton::DrawItem(LPDRAWITEMSTRUCT lpDIS)
{
    const bool selected = lpDIS->itemState & ODS_SELECTED;
    m_bPressed = m_bCheckBox ? (selected || m_nChecked) : selected;
    m_bFocused = (lpDIS->itemState & ODS_FOCUS) != 0;
    m_bDisabled = (lpDIS->itemState & ODS_DISABLED) != 0;

    CDC* pDC = CDC::FromHandle(lpDIS->hDC);
    const int saved = pDC->SaveDC();
    // The caption in the button's own font, as a button's DC carries it.
    if (HFONT font = m_hWnd ? (HFONT)SendMessage(WM_GETFONT) : nullptr)
        pDC->SelectObject((HGDIOBJ)font);
    pDC->SetBkMode(TRANSPARENT);
    const CRect item = lpDIS->rcItem;
    if (m_bTransparent)
        PaintSavedBackground(pDC);
    else
        PaintBackground(pDC, item);
    PaintBorder(pDC, item);

    CString caption;
    if (m_hWnd)
        GetWindowText(caption);
    CRect rcCaption = item;
    const BOOL hasCaption = !caption.IsEmpty();
    if (m_icons[0].hIcon) {
        PaintIcon(pDC, hasCaption, item, rcCaption);
    } else if (m_bitmaps[0].hBitmap) {
        pDC->SetBkColor(RGB(255, 255, 255));
        PaintBitmap(pDC, hasCaption, item, rcCaption);
    }
    if (hasCaption)
        PaintCaption(pDC, caption, rcCaption);
    pDC->RestoreDC(saved);
}
