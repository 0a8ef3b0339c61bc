// The PDF viewer window: documents read and pages rendered by poppler, a few pages kept as bitmaps.
#include "preview/pdf_viewer_control.h"

#include "backend/images/image_decode.h"
#include "win32/picture.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <poppler-document.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>
#include <string>

IMPLEMENT_DYNCREATE(CWPViewPDFX, CWnd)
BEGIN_MESSAGE_MAP(CWPViewPDFX, CWnd)
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_WM_VSCROLL()
    ON_WM_MOUSEWHEEL()
END_MESSAGE_MAP()

const CLSID CWPViewPDFX::clsid = {0xD8D3A8F6, 0x46EF, 0x4424, {0xAE, 0x49, 0x43, 0x76, 0xF1, 0xFE, 0x1E, 0xB4}};

namespace {

// Rendered pages kept at once; others are rendered again when scrolled back into view.
constexpr size_t kCachedPages = 6;
constexpr int kDpi = 96;

void Quiet(const std::string&, void*) {}

} // namespace

CWPViewPDFX::CWPViewPDFX() = default;

CWPViewPDFX::~CWPViewPDFX() { Close(); }

BOOL CWPViewPDFX::Create(LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    LPCWSTR cls = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW, ::LoadCursorW(nullptr, IDC_ARROW),
                                      ::GetSysColorBrush(COLOR_APPWORKSPACE));
    return CWnd::Create(cls, lpszWindowName, dwStyle | WS_VSCROLL, rect, pParentWnd, nID);
}

void CWPViewPDFX::Close()
{
    for (Page& p : m_pages)
        if (p.bitmap)
            ::DeleteObject(p.bitmap);
    m_pages.clear();
    m_rendered.clear();
    m_document.reset();
    m_totalHeight = 0;
    m_scroll = 0;
}

BOOL CWPViewPDFX::OpenFile(BSTR path)
{
    Close();
    if (!path)
        return FALSE;
    poppler::set_debug_error_function(Quiet, nullptr);
    std::u16string wide(path);
    for (char16_t& c : wide)
        if (c == u'\\')
            c = u'/';
    std::string name;
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    name.resize(size_t(std::max(n, 0)));
    ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), int(wide.size()), name.data(), n, nullptr, nullptr);
    m_document.reset(poppler::document::load_from_file(name));
    if (!m_document || m_document->is_locked() || m_document->is_encrypted() || m_document->pages() <= 0) {
        m_document.reset();
        return FALSE;
    }
    const int count = m_document->pages();
    int top = kPageGap;
    for (int i = 0; i < count; ++i) {
        Page page;
        std::unique_ptr<poppler::page> p(m_document->create_page(i));
        if (p) {
            const poppler::rectf box = p->page_rect(poppler::media_box);
            const bool turned = p->orientation() == poppler::page::landscape || p->orientation() == poppler::page::seascape;
            const double w = turned ? box.height() : box.width(), h = turned ? box.width() : box.height();
            page.width = int(std::ceil(std::clamp(w, 0.0, 1e6) * kDpi / 72));
            page.height = int(std::ceil(std::clamp(h, 0.0, 1e6) * kDpi / 72));
        }
        // A page too large to render at screen resolution keeps its place, drawn blank.
        if (!p || !backend::ImageSizeAllowed(page.width, page.height)) {
            page.failed = true;
            page.width = std::clamp(page.width, 1, backend::kMaxImageDimension);
            page.height = std::clamp(page.height, 1, backend::kMaxImageDimension);
        }
        page.top = top;
        top += page.height + kPageGap;
        m_pages.push_back(page);
    }
    m_totalHeight = top;
    // The first page must render: a document whose pages cannot be drawn is damaged.
    if (!PageBitmap(0)) {
        Close();
        return FALSE;
    }
    UpdateScrollBar();
    if (m_hWnd)
        Invalidate(TRUE);
    return TRUE;
}

HBITMAP CWPViewPDFX::PageBitmap(int index)
{
    if (!m_document || index < 0 || index >= int(m_pages.size()))
        return nullptr;
    Page& page = m_pages[size_t(index)];
    if (page.bitmap || page.failed)
        return page.bitmap;
    std::unique_ptr<poppler::page> p(m_document->create_page(index));
    poppler::page_renderer renderer;
    renderer.set_render_hints(poppler::page_renderer::antialiasing | poppler::page_renderer::text_antialiasing);
    renderer.set_image_format(poppler::image::format_argb32);
    poppler::image image = p ? renderer.render_page(p.get(), kDpi, kDpi) : poppler::image();
    if (!image.is_valid() || image.format() != poppler::image::format_argb32 || image.width() <= 0 ||
        image.height() <= 0 || !backend::ImageSizeAllowed(image.width(), image.height())) {
        page.failed = true;
        return nullptr;
    }
    void* bits = nullptr;
    HBITMAP bitmap = dovemark::CreateTopDownDib32(image.width(), image.height(), &bits);
    if (!bitmap) {
        page.failed = true;
        return nullptr;
    }
    const char* src = image.const_data();
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(static_cast<char*>(bits) + size_t(y) * image.width() * 4, src + size_t(y) * image.bytes_per_row(),
                    size_t(image.width()) * 4);
    page.width = image.width();
    page.height = std::min(page.height, image.height());
    page.bitmap = bitmap;
    m_rendered.push_back(index);
    while (m_rendered.size() > kCachedPages) {
        Page& old = m_pages[size_t(m_rendered.front())];
        ::DeleteObject(old.bitmap);
        old.bitmap = nullptr;
        m_rendered.erase(m_rendered.begin());
    }
    return bitmap;
}

void CWPViewPDFX::UpdateScrollBar()
{
    if (!m_hWnd)
        return;
    CRect client;
    GetClientRect(&client);
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_ALL, 0, std::max(0, m_totalHeight - 1), UINT(std::max<LONG>(client.Height(), 0)),
                  m_scroll, 0};
    ::SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
}

void CWPViewPDFX::ScrollTo(int pos)
{
    CRect client;
    GetClientRect(&client);
    pos = std::clamp(pos, 0, std::max(0, m_totalHeight - int(client.Height())));
    if (pos == m_scroll)
        return;
    m_scroll = pos;
    UpdateScrollBar();
    Invalidate(TRUE);
}

void CWPViewPDFX::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    UpdateScrollBar();
}

void CWPViewPDFX::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar*)
{
    CRect client;
    GetClientRect(&client);
    const int page = std::max<int>(client.Height() - 20, 20);
    switch (nSBCode) {
    case SB_LINEUP: ScrollTo(m_scroll - 40); break;
    case SB_LINEDOWN: ScrollTo(m_scroll + 40); break;
    case SB_PAGEUP: ScrollTo(m_scroll - page); break;
    case SB_PAGEDOWN: ScrollTo(m_scroll + page); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: ScrollTo(int(nPos)); break;
    case SB_TOP: ScrollTo(0); break;
    case SB_BOTTOM: ScrollTo(m_totalHeight); break;
    default: break;
    }
}

BOOL CWPViewPDFX::OnMouseWheel(UINT, short zDelta, CPoint)
{
    ScrollTo(m_scroll - zDelta * 40 / WHEEL_DELTA * 3);
    return TRUE;
}

void CWPViewPDFX::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, ::GetSysColor(COLOR_APPWORKSPACE));
    CDC mem;
    if (!mem.CreateCompatibleDC(&dc))
        return;
    for (int i = 0; i < int(m_pages.size()); ++i) {
        const Page& page = m_pages[size_t(i)];
        const int y = page.top - m_scroll;
        if (y + page.height <= client.top || y >= client.bottom)
            continue;
        const int x = std::max(0, (int(client.Width()) - page.width) / 2);
        HBITMAP bitmap = PageBitmap(i);
        if (!bitmap) {
            dc.FillSolidRect(x, y, page.width, page.height, RGB(255, 255, 255));
            continue;
        }
        HGDIOBJ old = ::SelectObject(mem.m_hDC, bitmap);
        ::BitBlt(dc.m_hDC, x, y, page.width, page.height, mem.m_hDC, 0, 0, SRCCOPY);
        ::SelectObject(mem.m_hDC, old);
    }
}
