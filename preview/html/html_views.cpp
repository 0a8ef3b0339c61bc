// The views over the own renderer: the ".html" preview with its status bar, and the browser-control view.
#include "preview/html/html_views.h"

#include "preview/html/html_res_protocol.h"
#include "preview/preview_host.h"
#include "res/preview/preview_res.h"
#include "win32/controls/statusbar.h"

HWND HtmlViewDialog = nullptr;
CHtmlRenderer* HtmlViewRenderer = nullptr;
HWND HtmlViewStatusBar = nullptr;

namespace {

// The renderer's window: a child dialog without controls that hands every message to its renderer.
HWND CreateRendererWindow(HWND parent)
{
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_HTML_RENDERER), parent,
                                     HtmlRendererDialogProc, 0);
    if (dialog)
        ShowWindow(dialog, SW_SHOW);
    return dialog;
}

void AttachRenderer(HWND dialog, CHtmlRenderer* renderer)
{
    SetWindowLongPtrW(dialog, GWLP_USERDATA, LONG_PTR(renderer));
}

HtmlText FileAddress(const CString& path)
{
    HtmlText p(path.GetString(), size_t(path.GetLength()));
    if (StartsWithNoCase(p, u"file://") || StartsWithNoCase(p, u"res://"))
        return p;
    return u"file://" + p;
}

} // namespace

// ---- CCustomHTMLViewer ---------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CCustomHTMLViewer, CView)
BEGIN_MESSAGE_MAP(CCustomHTMLViewer, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

int CCustomHTMLViewer::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    HtmlViewDialog = nullptr;
    HtmlViewRenderer = nullptr;
    HtmlViewStatusBar = nullptr;
    IPreviewHost* host = GetPreviewHost();
    if (!host)
        return 0;
    HtmlText address = FileAddress(host->GetPreviewPath());
    HtmlViewDialog = CreateRendererWindow(m_hWnd);
    HtmlViewStatusBar = CreateStatusWindowW(WS_CHILD | WS_VISIBLE, u"", m_hWnd, 0);
    if (!HtmlViewDialog)
        return 0;
    HtmlViewRenderer = new CHtmlRenderer(HtmlViewDialog, m_hWnd, HtmlViewStatusBar, nullptr, nullptr);
    AttachRenderer(HtmlViewDialog, HtmlViewRenderer);
    // The renderer lays out for the dialog's size, so it is sized before the first page.
    CRect client;
    GetClientRect(&client);
    OnSize(SIZE_RESTORED, client.Width(), client.Height());
    HtmlViewRenderer->Navigate(address);
    return 0;
}

void CCustomHTMLViewer::OnSize(UINT nType, int cx, int cy)
{
    CRect client;
    GetClientRect(&client);
    if (HtmlViewStatusBar) {
        ::MoveWindow(HtmlViewStatusBar, 0, client.Height() - 20, client.Width(), 20, TRUE);
        ::InvalidateRect(HtmlViewStatusBar, nullptr, TRUE);
    }
    if (HtmlViewDialog)
        ::MoveWindow(HtmlViewDialog, 0, 0, client.Width(), std::max(0, client.Height() - 20), TRUE);
    CView::OnSize(nType, cx, cy);
}

CCustomHTMLViewer::~CCustomHTMLViewer()
{
    if (HtmlViewDialog && ::IsWindow(HtmlViewDialog)) {
        AttachRenderer(HtmlViewDialog, nullptr);
        ::DestroyWindow(HtmlViewDialog);
    }
    delete HtmlViewRenderer;
    CResProtocolHost::Shutdown();
    HtmlViewRenderer = nullptr;
    HtmlViewDialog = nullptr;
    HtmlViewStatusBar = nullptr;
}

// ---- CHtmlView -------------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CHtmlView, CView)
BEGIN_MESSAGE_MAP(CHtmlView, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

int CHtmlView::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    m_hRenderer = CreateRendererWindow(m_hWnd);
    if (!m_hRenderer)
        return -1;
    m_pRenderer = std::make_unique<CHtmlRenderer>(m_hRenderer, m_hWnd, nullptr, nullptr, nullptr);
    AttachRenderer(m_hRenderer, m_pRenderer.get());
    return 0;
}

void CHtmlView::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    if (m_hRenderer)
        ::MoveWindow(m_hRenderer, 0, 0, cx, cy, TRUE);
}

CHtmlView::~CHtmlView()
{
    if (m_hRenderer && ::IsWindow(m_hRenderer)) {
        AttachRenderer(m_hRenderer, nullptr);
        ::DestroyWindow(m_hRenderer);
    }
    m_pRenderer.reset();
}

BOOL CHtmlView::Navigate2(LPCWSTR url, DWORD, LPCWSTR)
{
    if (!m_pRenderer || !url)
        return FALSE;
    m_bBusy = TRUE;
    m_strLocation = url;
    HtmlText address = FileAddress(m_strLocation);
    BOOL shown = FALSE;
    size_t dot = address.rfind(u'.');
    const HtmlView extension = dot == HtmlText::npos ? HtmlView() : HtmlView(address).substr(dot);
    if (EqualsNoCase(extension, u".gif") || EqualsNoCase(extension, u".jpg") || EqualsNoCase(extension, u".png")) {
        // A picture opened by itself stands on the viewer's own background, as a browser shows it; only a
        // link followed inside a page shows one on the renderer's picture page.
        HtmlText source;
        for (char16_t c : address)
            source += c == u'"' ? HtmlText(u"&quot;") : c == u'&' ? HtmlText(u"&amp;") : HtmlText(1, c);
        m_pRenderer->ShowPage(address, u"<body><img src=\"" + source + u"\"></body>", u"");
        shown = TRUE;
    } else if (EqualsNoCase(extension, u".mht")) {
        std::string archive;
        HtmlText page, location;
        if (FetchLocalFile(address, kMaxPageBytes, archive) && ReadMhtPage(archive, page, location)) {
            // The page's relative references resolve beside the archive: nothing is fetched from
            // the addresses the archive names.
            m_pRenderer->ShowPage(address, page);
            shown = TRUE;
        }
    } else {
        shown = m_pRenderer->Navigate(address);
    }
    m_bBusy = FALSE;
    return shown;
}

void CHtmlView::Refresh()
{
    if (!m_strLocation.IsEmpty())
        Navigate2(m_strLocation);
}

void CHtmlView::OnVisible(BOOL visible) { ShowWindow(visible ? SW_SHOW : SW_HIDE); }

// ---- CHtmlChildDlg and CHtml_View ------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CHtmlChildDlg, CDialog)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CHtmlChildDlg::CHtmlChildDlg(CWnd*) : CDialog(IDD_HTML_CHILD) {}

IMPLEMENT_DYNCREATE(CHtml_View, CHtmlView)
BEGIN_MESSAGE_MAP(CHtml_View, CHtmlView)
    ON_WM_CREATE()
    ON_WM_SIZE()
END_MESSAGE_MAP()

BOOL CHtml_View::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    return CView::PreCreateWindow(cs);
}

int CHtml_View::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CHtmlView::OnCreate(lpcs) == -1)
        return -1;
    m_pDialog = new CHtmlChildDlg(this);
    if (m_pDialog->Create(IDD_HTML_CHILD, this))
        m_pDialog->ShowWindow(SW_SHOW);
    return 0;
}

void CHtml_View::OnSize(UINT nType, int cx, int cy)
{
    CHtmlView::OnSize(nType, cx, cy);
    if (m_pDialog && ::IsWindow(m_pDialog->m_hWnd)) {
        CRect client;
        GetClientRect(&client);
        m_pDialog->MoveWindow(client.left, client.top, client.Width() - 8, client.Height() - 8, TRUE);
        m_pDialog->SetFocus();
    }
}

CHtml_View::~CHtml_View()
{
    if (m_pDialog && ::IsWindow(m_pDialog->m_hWnd))
        m_pDialog->DestroyWindow();
    delete m_pDialog;
}
