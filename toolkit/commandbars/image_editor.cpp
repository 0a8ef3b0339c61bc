// The button image editor: its pictures, the picture's tools with undo and redo, the pickers, the
// preview and the dialog that holds them.
#include "toolkit/commandbars/image_editor.h"

#include "afx/data_object.h"
#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/commandbars/customize_sheet.h"
#include "toolkit/commandbars/image_pixels.h"
#include "win32/dialogs.h"
#include "win32/picture.h"

#include <algorithm>
#include <cwctype>

IMPLEMENT_DYNAMIC(CTKPImageEditorPicker, CStatic)

namespace {

// At most this many undo steps are kept.
constexpr size_t kMaxUndo = 16;
// Pictures larger than this are not taken (a button image is small).
constexpr int kMaxPictureExtent = 256;

DWORD ToPixel(COLORREF color, BYTE alpha)
{
    return (DWORD(alpha) << 24) | (DWORD(GetRValue(color)) << 16) | (DWORD(GetGValue(color)) << 8) |
           DWORD(GetBValue(color));
}

COLORREF FromPixel(DWORD pixel)
{
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

COLORREF TableColor(int index)
{
    return GetColorTable().GetColorByIndex(index);
}

// The picture's pixels drawn at another size, nearest pixel.
void StretchPixels(const tkp_pixels::Image& source, CTKPEditorImage& target)
{
    if (source.width <= 0 || source.height <= 0)
        return;
    for (int y = 0; y < target.GetHeight(); ++y)
        for (int x = 0; x < target.GetWidth(); ++x) {
            const DWORD pixel = source.pixels[size_t(y * source.height / target.GetHeight()) * size_t(source.width) +
                                              size_t(x * source.width / target.GetWidth())];
            target.Bits()[size_t(y) * size_t(target.GetWidth()) + size_t(x)] = pixel;
        }
}

// Replaces one colour by another, keeping the alpha byte.
void SwapColor(CTKPEditorImage& image, COLORREF from, COLORREF to)
{
    const DWORD match = ToPixel(from, 0);
    const DWORD with = ToPixel(to, 0);
    DWORD* bits = image.Bits();
    for (int i = 0; i < image.GetWidth() * image.GetHeight(); ++i)
        if ((bits[i] & 0xFFFFFF) == match)
            bits[i] = (bits[i] & 0xFF000000) | with;
}

} // namespace

// ---- Pictures ----------------------------------------------------------------------------------
CTKPEditorImage::CTKPEditorImage(int width, int height, BOOL alpha)
    : m_nWidth(std::clamp(width, 1, kMaxPictureExtent)), m_nHeight(std::clamp(height, 1, kMaxPictureExtent)),
      m_bAlpha(alpha)
{
    void* bits = nullptr;
    m_hBitmap = tkp_pixels::CreateDib32(m_nWidth, m_nHeight, &bits);
    m_pBits = static_cast<DWORD*>(bits);
    if (m_pBits)
        std::fill(m_pBits, m_pBits + size_t(m_nWidth) * size_t(m_nHeight), ToPixel(TKP_EDITOR_TRANSPARENT, 0));
}

CTKPEditorImage::~CTKPEditorImage()
{
    if (m_hBitmap)
        ::DeleteObject(m_hBitmap);
}

std::unique_ptr<CTKPEditorImage> CTKPEditorImage::Clone() const
{
    auto copy = std::make_unique<CTKPEditorImage>(m_nWidth, m_nHeight, m_bAlpha);
    if (copy->m_pBits && m_pBits)
        std::copy(m_pBits, m_pBits + size_t(m_nWidth) * size_t(m_nHeight), copy->m_pBits);
    return copy;
}

COLORREF CTKPEditorImage::GetPixel(int x, int y) const
{
    if (!m_pBits || x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
        return TKP_EDITOR_TRANSPARENT;
    return FromPixel(m_pBits[size_t(y) * size_t(m_nWidth) + size_t(x)]);
}

BYTE CTKPEditorImage::GetAlphaAt(int x, int y) const
{
    if (!m_pBits || x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
        return 0;
    return BYTE(m_pBits[size_t(y) * size_t(m_nWidth) + size_t(x)] >> 24);
}

void CTKPEditorImage::SetPixel(int x, int y, COLORREF color, BYTE alpha)
{
    if (m_pBits && x >= 0 && y >= 0 && x < m_nWidth && y < m_nHeight)
        m_pBits[size_t(y) * size_t(m_nWidth) + size_t(x)] = ToPixel(color, alpha);
}

void CTKPEditorImage::RestoreAlpha(const CTKPEditorImage* previous)
{
    if (!m_bAlpha || !m_pBits)
        return;
    const DWORD transparent = ToPixel(TKP_EDITOR_TRANSPARENT, 0);
    for (int i = 0; i < m_nWidth * m_nHeight; ++i) {
        const DWORD before = previous && previous->m_pBits && previous->m_nWidth == m_nWidth &&
                                     previous->m_nHeight == m_nHeight
                                 ? previous->m_pBits[i]
                                 : transparent;
        if (m_pBits[i] != before && (m_pBits[i] & 0xFFFFFF) != transparent)
            m_pBits[i] |= 0xFF000000;
    }
}

// ---- Pickers -----------------------------------------------------------------------------------
LRESULT CTKPImageEditorPicker::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_LBUTTONDOWN) {
        NMHDR nm{m_hWnd, UINT_PTR(GetDlgCtrlID()), UINT(NM_CLICK)};
        ::SendMessageW(::GetParent(m_hWnd), WM_NOTIFY, nm.idFrom, LPARAM(&nm));
        return 0;
    }
    if (message != WM_PAINT)
        return CStatic::WindowProc(message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    auto fill = [&](const RECT& r, COLORREF color) {
        HBRUSH brush = ::CreateSolidBrush(color);
        ::FillRect(dc, &r, brush);
        ::DeleteObject(brush);
    };
    if (m_clr == TKP_EDITOR_TRANSPARENT) {
        fill(rc, RGB(255, 255, 255));
        const int mx = (rc.left + rc.right) / 2, my = (rc.top + rc.bottom) / 2;
        fill(RECT{rc.left, rc.top, mx, my}, RGB(0xEB, 0xEB, 0xEB));
        fill(RECT{mx, my, rc.right, rc.bottom}, RGB(0xEB, 0xEB, 0xEB));
    } else {
        fill(rc, m_clr);
    }
    auto frame = [&](const RECT& r, COLORREF color) {
        HBRUSH brush = ::CreateSolidBrush(color);
        ::FrameRect(dc, &r, brush);
        ::DeleteObject(brush);
    };
    if (m_bSelected) {
        frame(rc, RGB(0, 0, 0));
        frame(RECT{rc.left + 1, rc.top + 1, rc.right - 1, rc.bottom - 1}, RGB(255, 255, 255));
    } else {
        frame(rc, TableColor(COLOR_3DDKSHADOW));
    }
    ::EndPaint(m_hWnd, &ps);
    return 0;
}

// ---- The picture -------------------------------------------------------------------------------
CTKPImageEditorPicture::CTKPImageEditorPicture(CTKPButtonImageEditor* editor) : m_pEditor(editor)
{
    CTKPResourceLoader& loader = GetResourceLoader();
    m_hCursorDefault = loader.LoadCursor(9375);
    m_hCursorFill = loader.LoadCursor(9377);
    m_hCursorPencil = loader.LoadCursor(9378);
    m_hCursorPick = loader.LoadCursor(9376);
}

CTKPImageEditorPicture::~CTKPImageEditorPicture()
{
    for (HCURSOR cursor : {m_hCursorDefault, m_hCursorFill, m_hCursorPencil, m_hCursorPick})
        if (cursor)
            ::DestroyCursor(cursor);
}

void CTKPImageEditorPicture::SetPicture(int width, int height, std::unique_ptr<CTKPEditorImage> image)
{
    m_nPictureWidth = std::clamp(width, 1, kMaxPictureExtent);
    m_nPictureHeight = std::clamp(height, 1, kMaxPictureExtent);
    m_pCurrent = std::move(image);
    m_pPrevious.reset();
    m_undo.clear();
    m_redo.clear();
}

void CTKPImageEditorPicture::SetupWindow()
{
    if (!m_hWnd)
        return;
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    m_nCellWidth = std::max<int>(1, (rc.right - rc.left) / m_nPictureWidth);
    m_nCellHeight = std::max<int>(1, (rc.bottom - rc.top) / m_nPictureHeight);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, m_nCellWidth * m_nPictureWidth + 1, m_nCellHeight * m_nPictureHeight + 1,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::unique_ptr<CTKPEditorImage> CTKPImageEditorPicture::Blank() const
{
    return std::make_unique<CTKPEditorImage>(m_nPictureWidth, m_nPictureHeight,
                                             m_pCurrent ? m_pCurrent->IsAlpha() : FALSE);
}

POINT CTKPImageEditorPicture::PictureFromWindow(POINT client) const
{
    return POINT{client.x / m_nCellWidth, client.y / m_nCellHeight};
}

void CTKPImageEditorPicture::UpdateCursor()
{
    const int tool = m_pEditor ? m_pEditor->GetTool() : TKP_TOOL_PENCIL;
    HCURSOR cursor = tool == TKP_TOOL_FILL        ? m_hCursorFill
                     : tool == TKP_TOOL_PENCIL    ? m_hCursorPencil
                     : tool == TKP_TOOL_PICKCOLOR ? m_hCursorPick
                                                  : m_hCursorDefault;
    if (cursor)
        ::SetCursor(cursor);
}

void CTKPImageEditorPicture::ToolDown(POINT pt)
{
    const int tool = m_pEditor ? m_pEditor->GetTool() : TKP_TOOL_PENCIL;
    const COLORREF color = m_pEditor ? m_pEditor->GetDrawColor() : RGB(0, 0, 0);
    const COLORREF under = m_pCurrent ? m_pCurrent->GetPixel(pt.x, pt.y) : TKP_EDITOR_TRANSPARENT;
    switch (tool) {
    case TKP_TOOL_PICKCOLOR:
        if (m_pEditor)
            m_pEditor->OnColorPicked(under);
        return;
    case TKP_TOOL_FILL: {
        m_pPrevious = std::move(m_pCurrent);
        m_pCurrent = m_pPrevious ? m_pPrevious->Clone() : Blank();
        HDC dc = ::CreateCompatibleDC(nullptr);
        HGDIOBJ oldBitmap = ::SelectObject(dc, m_pCurrent->GetBitmap());
        HBRUSH brush = ::CreateSolidBrush(color);
        HGDIOBJ oldBrush = ::SelectObject(dc, brush);
        ::ExtFloodFill(dc, pt.x, pt.y, under, FLOODFILLSURFACE);
        ::SelectObject(dc, oldBrush);
        ::DeleteObject(brush);
        ::SelectObject(dc, oldBitmap);
        ::DeleteDC(dc);
        m_pCurrent->RestoreAlpha(m_pPrevious.get());
        Commit();
        return;
    }
    default:
        break;
    }
    m_pPrevious = std::move(m_pCurrent);
    m_pCurrent = m_pPrevious ? m_pPrevious->Clone() : Blank();
    m_clrDraw = under == color ? TKP_EDITOR_TRANSPARENT : color;
    m_ptDragStart = pt;
    m_bTracking = TRUE;
    if (m_hWnd)
        ::SetCapture(m_hWnd);
    ToolMove(pt);
}

void CTKPImageEditorPicture::DrawShape(POINT pt)
{
    const int tool = m_pEditor ? m_pEditor->GetTool() : TKP_TOOL_PENCIL;
    m_pCurrent = m_pPrevious ? m_pPrevious->Clone() : Blank();
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ oldBitmap = ::SelectObject(dc, m_pCurrent->GetBitmap());
    RECT shape{std::min(m_ptDragStart.x, pt.x), std::min(m_ptDragStart.y, pt.y), std::max(m_ptDragStart.x, pt.x) + 1,
               std::max(m_ptDragStart.y, pt.y) + 1};
    if (tool == TKP_TOOL_RECTANGLE) {
        HBRUSH brush = ::CreateSolidBrush(m_clrDraw);
        ::FrameRect(dc, &shape, brush);
        ::DeleteObject(brush);
    } else {
        CTKPSelectPen pen(dc, m_clrDraw);
        if (tool == TKP_TOOL_ELLIPSE) {
            CTKPSelectBrush inside(dc, TKP_EDITOR_TRANSPARENT);
            ::Ellipse(dc, shape.left, shape.top, shape.right, shape.bottom);
        } else {
            ::MoveToEx(dc, m_ptDragStart.x, m_ptDragStart.y, nullptr);
            ::LineTo(dc, pt.x, pt.y);
            ::SetPixel(dc, pt.x, pt.y, m_clrDraw);
        }
    }
    ::SelectObject(dc, oldBitmap);
    ::DeleteDC(dc);
}

void CTKPImageEditorPicture::ToolMove(POINT pt)
{
    if (!m_bTracking || !m_pCurrent)
        return;
    const int tool = m_pEditor ? m_pEditor->GetTool() : TKP_TOOL_PENCIL;
    if (tool == TKP_TOOL_PENCIL)
        m_pCurrent->SetPixel(pt.x, pt.y, m_clrDraw);
    else
        DrawShape(pt);
    m_pCurrent->RestoreAlpha(m_pPrevious.get());
    if (m_pEditor)
        m_pEditor->OnPictureChanged();
}

void CTKPImageEditorPicture::ToolUp()
{
    if (!m_bTracking)
        return;
    if (m_hWnd && ::GetCapture() == m_hWnd) {
        // Losing the capture ends the stroke (WM_CAPTURECHANGED).
        ::ReleaseCapture();
        if (!m_bTracking)
            return;
    }
    EndTracking();
}

void CTKPImageEditorPicture::EndTracking()
{
    if (!m_bTracking)
        return;
    m_bTracking = FALSE;
    Commit();
}

void CTKPImageEditorPicture::Commit()
{
    m_redo.clear();
    if (m_undo.size() >= kMaxUndo)
        m_undo.pop_front();
    m_undo.push_back(std::move(m_pPrevious));
    m_pPrevious.reset();
    if (m_pEditor)
        m_pEditor->OnPictureChanged();
}

void CTKPImageEditorPicture::Undo()
{
    if (m_undo.empty())
        return;
    m_redo.push_back(std::move(m_pCurrent));
    m_pCurrent = std::move(m_undo.back());
    m_undo.pop_back();
    if (m_pEditor)
        m_pEditor->OnPictureChanged();
}

void CTKPImageEditorPicture::Redo()
{
    if (m_redo.empty())
        return;
    m_undo.push_back(std::move(m_pCurrent));
    m_pCurrent = std::move(m_redo.back());
    m_redo.pop_back();
    if (m_pEditor)
        m_pEditor->OnPictureChanged();
}

void CTKPImageEditorPicture::Replace(std::unique_ptr<CTKPEditorImage> image)
{
    m_pPrevious = std::move(m_pCurrent);
    m_pCurrent = std::move(image);
    Commit();
}

void CTKPImageEditorPicture::MoveBy(int dx, int dy)
{
    // The picture shown now is the one moved (and the one undo brings back).
    m_pPrevious = std::move(m_pCurrent);
    m_pCurrent = Blank();
    if (m_pPrevious) {
        m_pCurrent->SetAlpha(m_pPrevious->IsAlpha());
        for (int y = 0; y < m_nPictureHeight; ++y)
            for (int x = 0; x < m_nPictureWidth; ++x) {
                const int sx = x - dx, sy = y - dy;
                if (sx >= 0 && sy >= 0 && sx < m_pPrevious->GetWidth() && sy < m_pPrevious->GetHeight())
                    m_pCurrent->Bits()[size_t(y) * size_t(m_nPictureWidth) + size_t(x)] =
                        m_pPrevious->Bits()[size_t(sy) * size_t(m_pPrevious->GetWidth()) + size_t(sx)];
            }
    }
    Commit();
}

void CTKPImageEditorPicture::Clear()
{
    m_pPrevious = std::move(m_pCurrent);
    Commit();
}

BOOL CTKPImageEditorPicture::CopyToClipboard()
{
    std::unique_ptr<CTKPEditorImage> copy = m_pCurrent ? m_pCurrent->Clone() : Blank();
    SwapColor(*copy, TKP_EDITOR_TRANSPARENT, TableColor(COLOR_BTNFACE));
    HBITMAP bitmap = tkp_pixels::CopyBitmap(copy->GetBitmap());
    if (!bitmap)
        return FALSE;
    if (!::OpenClipboard(m_hWnd)) {
        ::DeleteObject(bitmap);
        return FALSE;
    }
    if (!::EmptyClipboard()) {
        ::CloseClipboard();
        ::DeleteObject(bitmap);
        return FALSE;
    }
    ::SetClipboardData(CF_BITMAP, bitmap);
    if (copy->IsAlpha())
        if (HGLOBAL marker = ::GlobalAlloc(GMEM_MOVEABLE, 1))
            ::SetClipboardData(GetAlphaBitmapClipboardFormat(), marker);
    ::CloseClipboard();
    return TRUE;
}

BOOL CTKPImageEditorPicture::PasteFromClipboard()
{
    if (!::IsClipboardFormatAvailable(CF_BITMAP) || !::OpenClipboard(m_hWnd))
        return FALSE;
    BOOL alpha = ::IsClipboardFormatAvailable(GetAlphaBitmapClipboardFormat());
    for (UINT format = ::EnumClipboardFormats(0); format && !alpha; format = ::EnumClipboardFormats(format)) {
        WCHAR name[128] = {};
        if (::GetClipboardFormatNameW(format, name, 128) > 0) {
            const CString text(name);
            alpha = text.Find(u"DIB32") > 0;
        }
    }
    tkp_pixels::Image pixels;
    HBITMAP bitmap = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP));
    const BOOL read = bitmap && tkp_pixels::ReadBitmap(bitmap, pixels);
    ::CloseClipboard();
    if (!read)
        return FALSE;
    auto image = std::make_unique<CTKPEditorImage>(m_nPictureWidth, m_nPictureHeight, alpha);
    StretchPixels(pixels, *image);
    if (!alpha) {
        for (int i = 0; i < m_nPictureWidth * m_nPictureHeight; ++i)
            image->Bits()[i] &= 0xFFFFFF;
        SwapColor(*image, TableColor(COLOR_BTNFACE), TKP_EDITOR_TRANSPARENT);
    }
    Replace(std::move(image));
    return TRUE;
}

BOOL CTKPImageEditorPicture::ImportFile(const CString& path)
{
    CString extension = path.Mid(path.ReverseFind(u'.') + 1);
    extension.MakeLower();
    auto image = std::make_unique<CTKPEditorImage>(m_nPictureWidth, m_nPictureHeight, FALSE);
    if (extension == u"ico") {
        HICON icon = static_cast<HICON>(
            ::LoadImageW(nullptr, path, IMAGE_ICON, m_nPictureWidth, m_nPictureHeight, LR_LOADFROMFILE));
        tkp_pixels::IconImages parts;
        if (!icon || !tkp_pixels::ReadIcon(icon, parts)) {
            if (icon)
                ::DestroyIcon(icon);
            return FALSE;
        }
        ::DestroyIcon(icon);
        for (int i = 0; i < int(parts.color.pixels.size()) && i < int(parts.mask.pixels.size()); ++i)
            if (parts.mask.pixels[size_t(i)] & 0xFFFFFF)
                parts.color.pixels[size_t(i)] = ToPixel(TKP_EDITOR_TRANSPARENT, 0);
        StretchPixels(parts.color, *image);
    } else if (extension == u"bmp") {
        HBITMAP bitmap = static_cast<HBITMAP>(::LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0,
                                                           LR_LOADFROMFILE | LR_CREATEDIBSECTION | LR_DEFAULTSIZE));
        tkp_pixels::Image pixels;
        const BOOL read = bitmap && tkp_pixels::ReadBitmap(bitmap, pixels);
        if (bitmap)
            ::DeleteObject(bitmap);
        if (!read)
            return FALSE;
        image->SetAlpha(IsAlphaBitmapFile(path));
        StretchPixels(pixels, *image);
        if (!image->IsAlpha())
            for (int i = 0; i < m_nPictureWidth * m_nPictureHeight; ++i)
                image->Bits()[i] &= 0xFFFFFF;
    } else {
        IPicture* picture = nullptr;
        std::u16string wide(path.GetString());
        if (FAILED(::OleLoadPicturePath(wide.data(), nullptr, 0, 0, IID_IPicture, reinterpret_cast<void**>(&picture))) ||
            !picture)
            return FALSE;
        OLE_XSIZE_HIMETRIC cx = 0;
        OLE_YSIZE_HIMETRIC cy = 0;
        picture->get_Width(&cx);
        picture->get_Height(&cy);
        HDC dc = ::CreateCompatibleDC(nullptr);
        HGDIOBJ old = ::SelectObject(dc, image->GetBitmap());
        const HRESULT rendered =
            picture->Render(dc, 0, 0, m_nPictureWidth, m_nPictureHeight, 0, cy, cx, -cy, nullptr);
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
        picture->Release();
        if (FAILED(rendered))
            return FALSE;
        for (int i = 0; i < m_nPictureWidth * m_nPictureHeight; ++i)
            image->Bits()[i] &= 0xFFFFFF;
    }
    Replace(std::move(image));
    return TRUE;
}

void CTKPImageEditorPicture::Paint(HDC target)
{
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0)
        return;
    void* bits = nullptr;
    HBITMAP buffer = tkp_pixels::CreateDib32(width, height, &bits);
    if (!buffer)
        return;
    auto* out = static_cast<DWORD*>(bits);
    const CTKPEditorImage* image = m_pCurrent.get();
    const DWORD transparent = ToPixel(TKP_EDITOR_TRANSPARENT, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int bg = ((x + 3) / 4 + (y + 3) / 4) % 2 ? 0xEB : 0xFF;
            const int px = x * m_nPictureWidth / width, py = y * m_nPictureHeight / height;
            const DWORD pixel =
                image ? image->Bits()[size_t(py) * size_t(image->GetWidth()) + size_t(px)] : transparent;
            DWORD shown;
            if (image && image->IsAlpha()) {
                const int a = int(pixel >> 24);
                auto blend = [&](int c) { return bg - (bg - c) * a / 255; };
                shown = DWORD(blend(int((pixel >> 16) & 0xFF)) << 16) | DWORD(blend(int((pixel >> 8) & 0xFF)) << 8) |
                        DWORD(blend(int(pixel & 0xFF)));
            } else if ((pixel & 0xFFFFFF) == transparent) {
                shown = DWORD(bg) * 0x010101;
            } else {
                shown = pixel & 0xFFFFFF;
            }
            out[size_t(y) * size_t(width) + size_t(x)] = shown;
        }
    HDC dc = ::CreateCompatibleDC(target);
    HGDIOBJ old = ::SelectObject(dc, buffer);
    HBRUSH black = ::CreateSolidBrush(RGB(0, 0, 0));
    ::FrameRect(dc, &rc, black);
    ::DeleteObject(black);
    ::BitBlt(target, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::DeleteObject(buffer);
}

LRESULT CTKPImageEditorPicture::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const POINT client{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(m_hWnd, &ps);
        Paint(dc);
        ::EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return TRUE;
    case WM_SETCURSOR:
        UpdateCursor();
        return TRUE;
    case WM_LBUTTONDOWN:
        ToolDown(PictureFromWindow(client));
        return 0;
    case WM_MOUSEMOVE:
        if (m_bTracking)
            ToolMove(PictureFromWindow(client));
        return 0;
    case WM_LBUTTONUP:
        ToolUp();
        return 0;
    case WM_CAPTURECHANGED:
        EndTracking();
        return 0;
    default:
        return CStatic::WindowProc(message, wParam, lParam);
    }
}

// ---- Preview -----------------------------------------------------------------------------------
LRESULT CTKPImageEditorPreview::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND)
        return TRUE;
    if (message != WM_PAINT)
        return CWnd::WindowProc(message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    const COLORREF face = TableColor(COLOR_BTNFACE);
    HBRUSH faceBrush = ::CreateSolidBrush(face);
    ::FillRect(dc, &rc, faceBrush);
    ::DeleteObject(faceBrush);
    const CTKPEditorImage* image = m_pEditor ? m_pEditor->m_wndPicture.GetCurrent() : nullptr;
    const int w = m_pEditor ? m_pEditor->m_wndPicture.GetPictureWidth() : 16;
    const int h = m_pEditor ? m_pEditor->m_wndPicture.GetPictureHeight() : 16;
    const RECT box{10, (rc.bottom - h) / 2, 10 + w, (rc.bottom - h) / 2 + h};
    auto edge = [&](int inset, COLORREF light, COLORREF dark) {
        const RECT r{box.left - inset, box.top - inset, box.right + inset, box.bottom + inset};
        CTKPSelectPen top(dc, dark);
        ::MoveToEx(dc, r.left, r.bottom - 1, nullptr);
        ::LineTo(dc, r.left, r.top);
        ::LineTo(dc, r.right, r.top);
        CTKPSelectPen bottom(dc, light);
        ::MoveToEx(dc, r.right - 1, r.top + 1, nullptr);
        ::LineTo(dc, r.right - 1, r.bottom - 1);
        ::LineTo(dc, r.left - 1, r.bottom - 1);
    };
    edge(4, RGB(255, 255, 255), TableColor(COLOR_BTNSHADOW));
    edge(3, face, TableColor(COLOR_3DDKSHADOW));
    for (int y = 0; image && y < h; ++y)
        for (int x = 0; x < w; ++x) {
            COLORREF color = image->GetPixel(x, y);
            if (image->IsAlpha()) {
                const int a = image->GetAlphaAt(x, y);
                auto blend = [&](int bg, int c) { return bg - (bg - c) * a / 255; };
                color = RGB(blend(GetRValue(face), GetRValue(color)), blend(GetGValue(face), GetGValue(color)),
                            blend(GetBValue(face), GetBValue(color)));
            } else if (color == TKP_EDITOR_TRANSPARENT) {
                color = face;
            }
            ::SetPixel(dc, box.left + x, box.top + y, color);
        }
    ::EndPaint(m_hWnd, &ps);
    return 0;
}

// ---- The dialog --------------------------------------------------------------------------------
namespace {

const struct {
    COLORREF color;
    UINT nameId;
} kPalette[16] = {{0x000000, 9450}, {0x808080, 9465}, {0x000080, 9458}, {0x008080, 9460},
                  {0x008000, 9461}, {0x808000, 9462}, {0x800000, 9455}, {0x800080, 9472},
                  {0xFFFFFF, 9489}, {0xC0C0C0, 9481}, {0x0000FF, 9466}, {0x00FFFF, 9476},
                  {0x00FF00, 9477}, {0xFFFF00, 9478}, {0xFF0000, 9463}, {0xFF00FF, 9474}};

const UINT kToolIds[] = {TKP_ID_EDITOR_PENCIL, TKP_ID_EDITOR_FILL,   TKP_ID_EDITOR_UNDO,      TKP_ID_EDITOR_REDO,
                         TKP_ID_EDITOR_PICKCOLOR, TKP_ID_EDITOR_LINE, TKP_ID_EDITOR_COPY,      TKP_ID_EDITOR_PASTE,
                         TKP_ID_EDITOR_RECTANGLE, TKP_ID_EDITOR_ELLIPSE, TKP_ID_EDITOR_CLEAR, TKP_ID_EDITOR_IMPORT};
// The image of each button in the strips of bitmaps 9352 and 9353.
const int kToolImages[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
const UINT kMoveIds[] = {TKP_ID_EDITOR_MOVELEFT, TKP_ID_EDITOR_MOVEDOWN, TKP_ID_EDITOR_MOVEUP, TKP_ID_EDITOR_MOVERIGHT};
const int kMoveImages[] = {12, 13, 14, 15};

} // namespace

CTKPButtonImageEditor::CTKPButtonImageEditor(CWnd* parent)
    : CDialog(TKP_IDD_IMAGE_EDITOR, parent), m_wndPicture(this), m_wndPreview(this)
{
    for (auto& picker : m_wndPalette)
        picker.m_pEditor = this;
    m_wndFreeColor.m_pEditor = m_wndTransparent.m_pEditor = this;
    m_wndTransparent.m_clr = TKP_EDITOR_TRANSPARENT;
    m_wndPalette[0].m_clr = kPalette[0].color;
    m_wndPalette[0].m_bSelected = TRUE;
    m_pSelected = &m_wndPalette[0];
    for (int i = 0; i < 16; ++i)
        m_wndPalette[i].m_clr = kPalette[i].color;
    m_wndPicture.SetPicture(m_nPictureWidth, m_nPictureHeight, nullptr);
}

CTKPButtonImageEditor::~CTKPButtonImageEditor() = default;

void CTKPButtonImageEditor::SetImage(const CTKPIconHandle& icon)
{
    if (icon.IsEmpty())
        return;
    const SIZE size = icon.GetExtent();
    m_nPictureWidth = std::clamp<int>(size.cx, 1, kMaxPictureExtent);
    m_nPictureHeight = std::clamp<int>(size.cy, 1, kMaxPictureExtent);
    auto image = std::make_unique<CTKPEditorImage>(m_nPictureWidth, m_nPictureHeight, icon.IsAlpha());
    if (icon.IsAlpha()) {
        tkp_pixels::Image pixels;
        if (tkp_pixels::ReadBitmap(icon.GetAlphaBitmap(), pixels)) {
            for (DWORD& pixel : pixels.pixels)
                if (pixel == 0)
                    pixel = ToPixel(TKP_EDITOR_TRANSPARENT, 0);
            StretchPixels(pixels, *image);
        }
    } else {
        HDC dc = ::CreateCompatibleDC(nullptr);
        HGDIOBJ old = ::SelectObject(dc, image->GetBitmap());
        ::DrawIconEx(dc, 0, 0, icon.GetIcon(), m_nPictureWidth, m_nPictureHeight, 0, nullptr, DI_NORMAL);
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
        for (int i = 0; i < m_nPictureWidth * m_nPictureHeight; ++i)
            image->Bits()[i] &= 0xFFFFFF;
    }
    m_wndPicture.SetPicture(m_nPictureWidth, m_nPictureHeight, std::move(image));
}

void CTKPButtonImageEditor::SetPictureSize(int width, int height)
{
    m_nPictureWidth = std::clamp(width, 1, kMaxPictureExtent);
    m_nPictureHeight = std::clamp(height, 1, kMaxPictureExtent);
    m_wndPicture.SetPicture(m_nPictureWidth, m_nPictureHeight, nullptr);
}

INT_PTR CTKPButtonImageEditor::DoModal()
{
    const void* tmpl = GetResourceLoader().LoadDialogTemplate(TKP_IDD_IMAGE_EDITOR);
    if (!tmpl)
        return -1;
    InitModalIndirect(static_cast<LPCDLGTEMPLATEW>(tmpl), m_pParentWnd);
    return CDialog::DoModal();
}

BOOL CTKPButtonImageEditor::GetResultIcon(CTKPIconHandle& icon) const
{
    icon.Release();
    std::unique_ptr<CTKPEditorImage> blank;
    const CTKPEditorImage* image = m_wndPicture.GetCurrent();
    if (!image) {
        blank = std::make_unique<CTKPEditorImage>(m_nPictureWidth, m_nPictureHeight, FALSE);
        image = blank.get();
    }
    if (image->IsAlpha()) {
        HBITMAP copy = tkp_pixels::CopyBitmap(image->GetBitmap());
        if (!copy)
            return FALSE;
        // Transparent pixels carry no colour in an alpha icon.
        tkp_pixels::Image pixels;
        if (tkp_pixels::ReadBitmap(copy, pixels)) {
            for (DWORD& pixel : pixels.pixels)
                if ((pixel & 0xFFFFFF) == ToPixel(TKP_EDITOR_TRANSPARENT, 0) && !(pixel >> 24))
                    pixel = 0;
            ::DeleteObject(copy);
            copy = tkp_pixels::MakeBitmap(pixels);
        }
        icon.SetAlphaBitmap(copy);
        return !icon.IsEmpty();
    }
    HIMAGELIST list = ::ImageList_Create(m_nPictureWidth, m_nPictureHeight, ILC_COLOR24 | ILC_MASK, 0, 1);
    if (!list)
        return FALSE;
    HBITMAP copy = tkp_pixels::CopyBitmap(image->GetBitmap());
    if (copy) {
        ::ImageList_AddMasked(list, copy, TKP_EDITOR_TRANSPARENT);
        ::DeleteObject(copy);
    }
    if (::ImageList_GetImageCount(list) == 1)
        icon.SetIcon(::ImageList_GetIcon(list, 0, ILD_NORMAL));
    ::ImageList_Destroy(list);
    return !icon.IsEmpty();
}

BOOL CTKPButtonImageEditor::CreateToolBar(CToolBarCtrl& bar, UINT placeholder, const UINT* ids, const int* images,
                                          int count)
{
    HWND place = ::GetDlgItem(m_hWnd, int(placeholder));
    if (!place)
        return FALSE;
    RECT rc;
    ::GetWindowRect(place, &rc);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    ::ShowWindow(place, SW_HIDE);
    if (!bar.Create(WS_CHILD | WS_VISIBLE | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN | TBSTYLE_FLAT |
                        TBSTYLE_WRAPABLE | TBSTYLE_TOOLTIPS,
                    rc, this, placeholder + 0x100))
        return FALSE;
    CImageList& list = &bar == &m_wndTools ? m_ilTools : m_ilMoves;
    if (list.GetSafeHandle() == nullptr) {
        HBITMAP strip = nullptr;
        const BOOL alpha = GetGlobalImageManager()->IsAlphaIconsSupported();
        if (alpha)
            strip = LoadAlphaBitmapResource(9353);
        if (strip) {
            list.Create(16, 16, ILC_COLOR32, 0, 16);
            ::ImageList_Add(list.GetSafeHandle(), strip, nullptr);
        } else if (GetResourceLoader().LoadBitmap(strip, 9352) && strip) {
            list.Create(16, 16, ILC_COLOR24 | ILC_MASK, 0, 16);
            ::ImageList_AddMasked(list.GetSafeHandle(), strip, RGB(0xC0, 0xC0, 0xC0));
        }
        if (strip)
            ::DeleteObject(strip);
    }
    bar.SetBitmapSize(CSize(16, 16));
    bar.SetButtonSize(CSize(23, 23));
    bar.SetImageList(&list);
    std::vector<TBBUTTON> buttons(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        buttons[size_t(i)] = TBBUTTON{};
        buttons[size_t(i)].iBitmap = images[i];
        buttons[size_t(i)].idCommand = int(ids[i]);
        buttons[size_t(i)].fsState = TBSTATE_ENABLED;
        buttons[size_t(i)].fsStyle = TBSTYLE_BUTTON;
    }
    bar.AddButtons(count, buttons.data());
    return TRUE;
}

BOOL CTKPButtonImageEditor::OnInitDialog()
{
    CDialog::OnInitDialog();
    CreateToolBar(m_wndTools, 9358, kToolIds, kToolImages, int(std::size(kToolIds)));
    CreateToolBar(m_wndMoves, TKP_ID_EDITOR_MOVELEFT, kMoveIds, kMoveImages, int(std::size(kMoveIds)));
    RECT anchor{0, 0, 0, 0};
    if (HWND place = ::GetDlgItem(m_hWnd, TKP_ID_EDITOR_MOVERIGHT)) {
        ::GetWindowRect(place, &anchor);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&anchor), 2);
    }
    for (int i = 0; i < 16; ++i) {
        const int x = anchor.left + (i % 8) * 13, y = anchor.top - 4 + (i / 8) * 13;
        CString name;
        GetResourceLoader().LoadString(name, kPalette[i].nameId);
        m_wndPalette[i].Create(name, WS_CHILD | WS_VISIBLE | SS_NOTIFY, CRect(x, y, x + 11, y + 11), this,
                               kPalette[i].nameId);
    }
    m_wndTransparent.SubclassDlgItem(TKP_ID_EDITOR_TRANSPARENTPICKER, this);
    m_wndFreeColor.SubclassDlgItem(TKP_ID_EDITOR_FREEPICKER, this);
    m_wndPicture.SubclassDlgItem(TKP_ID_EDITOR_PICTURE, this);
    m_wndPicture.SetupWindow();
    m_wndPreview.SubclassDlgItem(TKP_ID_EDITOR_PREVIEW, this);
    UpdateToolBars();
    return TRUE;
}

void CTKPButtonImageEditor::SetTool(UINT id)
{
    if (id < TKP_ID_EDITOR_PENCIL || id > TKP_ID_EDITOR_ELLIPSE)
        return;
    if (m_nTool != TKP_TOOL_PICKCOLOR)
        m_nPreviousTool = m_nTool;
    m_nTool = int(id - TKP_ID_EDITOR_PENCIL);
    m_wndPicture.UpdateCursor();
    UpdateToolBars();
}

COLORREF CTKPButtonImageEditor::GetDrawColor() const
{
    return m_pSelected ? m_pSelected->m_clr : RGB(0, 0, 0);
}

void CTKPButtonImageEditor::SelectPicker(CTKPImageEditorPicker* picker)
{
    if (!picker || picker == m_pSelected)
        return;
    if (m_pSelected) {
        m_pSelected->m_bSelected = FALSE;
        if (m_pSelected->m_hWnd)
            m_pSelected->Invalidate();
    }
    m_pSelected = picker;
    picker->m_bSelected = TRUE;
    if (picker->m_hWnd)
        picker->Invalidate();
}

void CTKPButtonImageEditor::OnColorPicked(COLORREF color)
{
    m_wndFreeColor.m_clr = color;
    if (m_wndFreeColor.m_hWnd)
        m_wndFreeColor.Invalidate();
    SelectPicker(&m_wndFreeColor);
    m_nTool = m_nPreviousTool;
    m_wndPicture.UpdateCursor();
    UpdateToolBars();
}

void CTKPButtonImageEditor::OnPictureChanged()
{
    if (m_wndPicture.m_hWnd)
        m_wndPicture.Invalidate();
    if (m_wndPreview.m_hWnd)
        m_wndPreview.Invalidate();
    UpdateToolBars();
}

void CTKPButtonImageEditor::UpdateToolBars()
{
    if (!m_wndTools.m_hWnd)
        return;
    m_wndTools.EnableButton(TKP_ID_EDITOR_UNDO, m_wndPicture.CanUndo());
    m_wndTools.EnableButton(TKP_ID_EDITOR_REDO, m_wndPicture.CanRedo());
    for (UINT id = TKP_ID_EDITOR_PENCIL; id <= TKP_ID_EDITOR_ELLIPSE; ++id)
        m_wndTools.CheckButton(int(id), int(id - TKP_ID_EDITOR_PENCIL) == m_nTool);
}

BOOL CTKPButtonImageEditor::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    if (lParam && (HWND(lParam) == m_wndPicture.m_hWnd || HWND(lParam) == m_wndPreview.m_hWnd))
        return CDialog::OnCommand(wParam, lParam);
    switch (id) {
    case TKP_ID_EDITOR_PENCIL:
    case TKP_ID_EDITOR_FILL:
    case TKP_ID_EDITOR_PICKCOLOR:
    case TKP_ID_EDITOR_LINE:
    case TKP_ID_EDITOR_RECTANGLE:
    case TKP_ID_EDITOR_ELLIPSE: SetTool(id); return TRUE;
    case TKP_ID_EDITOR_UNDO: m_wndPicture.Undo(); return TRUE;
    case TKP_ID_EDITOR_REDO: m_wndPicture.Redo(); return TRUE;
    case TKP_ID_EDITOR_CLEAR: m_wndPicture.Clear(); return TRUE;
    case TKP_ID_EDITOR_COPY: m_wndPicture.CopyToClipboard(); return TRUE;
    case TKP_ID_EDITOR_PASTE: m_wndPicture.PasteFromClipboard(); return TRUE;
    case TKP_ID_EDITOR_IMPORT: OnImport(); return TRUE;
    case TKP_ID_EDITOR_MOVELEFT: m_wndPicture.MoveBy(-1, 0); return TRUE;
    case TKP_ID_EDITOR_MOVEDOWN: m_wndPicture.MoveBy(0, 1); return TRUE;
    case TKP_ID_EDITOR_MOVEUP: m_wndPicture.MoveBy(0, -1); return TRUE;
    case TKP_ID_EDITOR_MOVERIGHT: m_wndPicture.MoveBy(1, 0); return TRUE;
    default: return CDialog::OnCommand(wParam, lParam);
    }
}

BOOL CTKPButtonImageEditor::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* nm = reinterpret_cast<NMHDR*>(lParam);
    if (!nm)
        return CDialog::OnNotify(wParam, lParam, pResult);
    if (nm->code == TTN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        CString text;
        if (GetResourceLoader().LoadString(text, UINT(nm->idFrom))) {
            const int newline = text.Find(u'\n');
            const CString tip = (newline >= 0 ? text.Mid(newline + 1) : text).Left(79);
            std::copy(tip.GetString(), tip.GetString() + tip.GetLength() + 1, info->szText);
            info->lpszText = info->szText;
        }
        if (HWND tips = nm->hwndFrom)
            ::SetWindowPos(tips, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return TRUE;
    }
    if (nm->code != UINT(NM_CLICK))
        return CDialog::OnNotify(wParam, lParam, pResult);
    if (nm->idFrom == TKP_ID_EDITOR_FREEPICKER) {
        static COLORREF custom[16] = {};
        CHOOSECOLORW cc{};
        cc.lStructSize = sizeof(cc);
        cc.hwndOwner = m_hWnd;
        cc.rgbResult = m_wndFreeColor.m_clr;
        cc.lpCustColors = custom;
        cc.Flags = CC_RGBINIT;
        if (::ChooseColorW(&cc)) {
            m_wndFreeColor.m_clr = cc.rgbResult;
            m_wndFreeColor.Invalidate();
            SelectPicker(&m_wndFreeColor);
        }
        return TRUE;
    }
    if (nm->idFrom == TKP_ID_EDITOR_TRANSPARENTPICKER) {
        SelectPicker(&m_wndTransparent);
        return TRUE;
    }
    for (auto& picker : m_wndPalette)
        if (picker.m_hWnd == nm->hwndFrom) {
            SelectPicker(&picker);
            return TRUE;
        }
    return CDialog::OnNotify(wParam, lParam, pResult);
}

void CTKPButtonImageEditor::OnImport()
{
    CString filter;
    GetResourceLoader().LoadString(filter, 9396);
    std::u16string filters(filter.GetString());
    std::replace(filters.begin(), filters.end(), u'|', u'\0');
    filters.push_back(u'\0');
    WCHAR path[MAX_PATH] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = filters.c_str();
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_HIDEREADONLY;
    if (::GetOpenFileNameW(&ofn))
        m_wndPicture.ImportFile(CString(path));
}
