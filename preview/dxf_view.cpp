// The drawing preview: the run-time bound drawing library, its canvas and the view that loads the
// previewed file behind the progress dialog.
#include "preview/dxf_view.h"

#include "engine/engine_state.h"
#include "preview/preview_host.h"
#include "preview/preview_progress.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* const kDrwNames[20] = {"drwCreate",          "drwDestroy",          "drwAddTableType",
                                   "drwDeleteTableType", "drwFindTableType",    "drwAddBlock",
                                   "drwDeleteBlock",     "drwFindBlock",        "drwAddEntity",
                                   "drwDeleteEntity",    "drwChangeEntity",     "drwFindEntity",
                                   "drwSaveDataToFile",  "drwLoadDataFromFile", "drwInitView",
                                   "drwPaint",           "drwGetViewProperties", "drwSetViewProperties",
                                   "drwGetDrawingBorder", "drwZoomExtents"};
enum {
    kCreate = 0, kDestroy = 1, kLoad = 13, kInitView = 14, kPaint = 15, kGetView = 16, kSetView = 17, kExtents = 19,
};

template <typename Fn>
Fn Proc(FARPROC p)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(p));
}

PreviewProgressFactory g_progressFactory = nullptr;

// Destroys the progress dialog however the load ends, exceptions included.
struct ProgressGuard {
    std::unique_ptr<IPreviewProgressDlg> dlg;
    bool shown = false;
    void Destroy()
    {
        if (dlg && shown)
            dlg->DestroyWindow();
        shown = false;
    }
    ~ProgressGuard() { Destroy(); }
};

} // namespace

void SetPreviewProgressFactory(PreviewProgressFactory factory) { g_progressFactory = factory; }
std::unique_ptr<IPreviewProgressDlg> CreatePreviewProgressDlg()
{
    return g_progressFactory ? g_progressFactory() : nullptr;
}

// ---- CDxfDrawing ----------------------------------------------------------------------------------

CDxfDrawing::CDxfDrawing()
{
    m_hModule = ::LoadLibraryW(u"DXF.dll");
    if (!m_hModule)
        return;
    bool all = true;
    for (int i = 0; i < 20; ++i) {
        m_procs[i] = ::GetProcAddress(m_hModule, kDrwNames[i]);
        all = all && m_procs[i];
    }
    m_bLoaded = all;
}

CDxfDrawing::~CDxfDrawing()
{
    if (m_bLoaded && m_hDrawing)
        Destroy();
    if (m_hModule)
        ::FreeLibrary(m_hModule);
    m_hModule = nullptr;
    m_bLoaded = FALSE;
}

int CDxfDrawing::Create()
{
    if (!m_bLoaded || m_hDrawing)
        return 0;
    m_hDrawing = Proc<DRWHANDLE(WINAPI*)()>(m_procs[kCreate])();
    return m_hDrawing ? 1 : 0;
}

int CDxfDrawing::Destroy()
{
    if (!m_bLoaded)
        return 0;
    int r = Proc<BOOL(WINAPI*)(DRWHANDLE)>(m_procs[kDestroy])(m_hDrawing);
    if (r)
        m_hDrawing = 0;
    return r;
}

int CDxfDrawing::InitView(int x, int y, int width, int height)
{
    if (!m_bLoaded || !m_hDrawing)
        return 0;
    return Proc<BOOL(WINAPI*)(DRWHANDLE, int, int, int, int)>(m_procs[kInitView])(m_hDrawing, x, y, width, height);
}

int CDxfDrawing::Paint(HDC hdc)
{
    if (!m_bLoaded)
        return 0;
    return Proc<BOOL(WINAPI*)(DRWHANDLE, HDC)>(m_procs[kPaint])(m_hDrawing, hdc);
}

int CDxfDrawing::GetViewProperties(DrwViewProperties* record)
{
    if (!m_bLoaded)
        return 0;
    return Proc<BOOL(WINAPI*)(DRWHANDLE, DrwViewProperties*)>(m_procs[kGetView])(m_hDrawing, record);
}

int CDxfDrawing::SetViewProperties(const DrwViewProperties* record)
{
    if (!m_bLoaded)
        return 0;
    return Proc<BOOL(WINAPI*)(DRWHANDLE, const DrwViewProperties*)>(m_procs[kSetView])(m_hDrawing, record);
}

int CDxfDrawing::ZoomExtents()
{
    if (!m_bLoaded)
        return 0;
    return Proc<BOOL(WINAPI*)(DRWHANDLE)>(m_procs[kExtents])(m_hDrawing);
}

BOOL CDxfDrawing::LoadFile(LPCSTR path, HWND progress)
{
    if (!m_bLoaded)
        return FALSE;
    return Proc<BOOL(WINAPI*)(DRWHANDLE, DWORD, DWORD, LPCSTR, HWND)>(m_procs[kLoad])(m_hDrawing, 0, 0, path,
                                                                                        progress);
}

double CDxfDrawing::GetZoom()
{
    DrwViewProperties record{};
    if (!GetViewProperties(&record))
        return 0.0;
    return record.zoom;
}

// Keeps the drawing point under the window's centre where it is.
int CDxfDrawing::SetZoom(double zoom)
{
    DrwViewProperties v{};
    if (!GetViewProperties(&v))
        return 0;
    double scale = v.pixelsPerUnit * v.zoom;
    int cx = (v.windowRight - v.windowLeft) / 2;
    int cy = (v.windowBottom - v.windowTop) / 2;
    double ux = cx / scale + v.viewLeft;
    double uy = cy / scale + v.viewBottom;
    v.zoom = zoom;
    double newScale = v.pixelsPerUnit * zoom;
    v.viewLeft = ux - cx / newScale;
    v.viewBottom = uy - cy / newScale;
    return SetViewProperties(&v);
}

// ---- CDxfCanvas -----------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDxfCanvas, CStatic)
    ON_WM_PAINT()
    ON_MESSAGE(WM_LBUTTONDOWN, OnMButtonDown)
    ON_MESSAGE(WM_MBUTTONDOWN, OnMButtonDown)
    ON_MESSAGE(WM_LBUTTONUP, OnMButtonUp)
    ON_MESSAGE(WM_MBUTTONUP, OnMButtonUp)
    ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

void CDxfCanvas::OnPaint()
{
    CPaintDC dc(this);
    if (!m_pDrawing)
        return;
    if (m_pDrawing->IsValid()) {
        m_pDrawing->Paint(dc.m_hDC);
        return;
    }
    CRect client;
    GetClientRect(&client);
    HGDIOBJ old = ::SelectObject(dc.m_hDC, ::GetStockObject(BLACK_BRUSH));
    dc.Rectangle(&client);
    ::SelectObject(dc.m_hDC, old);
}

void CDxfCanvas::OnButtonDown(UINT, CPoint point)
{
    SetCapture();
    m_nLastX = point.x;
    m_nLastY = point.y;
    m_bDragging = 1;
}

void CDxfCanvas::OnButtonUp(UINT, CPoint)
{
    ::ReleaseCapture();
    m_bDragging = 0;
}

LRESULT CDxfCanvas::OnMButtonDown(WPARAM wParam, LPARAM lParam)
{
    OnButtonDown((UINT)wParam, CPoint((short)LOWORD(lParam), (short)HIWORD(lParam)));
    return 0;
}

LRESULT CDxfCanvas::OnMButtonUp(WPARAM wParam, LPARAM lParam)
{
    OnButtonUp((UINT)wParam, CPoint((short)LOWORD(lParam), (short)HIWORD(lParam)));
    return 0;
}

void CDxfCanvas::OnMouseMove(UINT, CPoint point)
{
    if (!m_bDragging)
        return;
    HDC hdc = ::GetDC(m_hWnd);
    BOOL visible = hdc && ::PtVisible(hdc, point.x, point.y);
    if (hdc)
        ::ReleaseDC(m_hWnd, hdc);
    if (!visible || !m_pDrawing || !m_pDrawing->IsValid())
        return;
    DrwViewProperties v{};
    if (!m_pDrawing->GetViewProperties(&v))
        return;
    double scale = v.zoom * v.pixelsPerUnit;
    v.viewLeft -= (point.x - m_nLastX) / scale;
    v.viewBottom += (point.y - m_nLastY) / scale;
    m_pDrawing->SetViewProperties(&v);
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    m_nLastX = point.x;
    m_nLastY = point.y;
}

// ---- CDFXView -------------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CDFXView, CView)
BEGIN_MESSAGE_MAP(CDFXView, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_MOUSEWHEEL()
END_MESSAGE_MAP()

CDFXView::CDFXView() { m_canvas.m_pDrawing = &m_drawing; }

CDFXView::~CDFXView()
{
    if (m_drawing.IsValid())
        m_drawing.Destroy();
    if (::IsWindow(m_canvas.m_hWnd))
        m_canvas.DestroyWindow();
}

namespace {

// Whether the file's first 511 bytes read as drawing-exchange text: a section and a section's name.
int LooksLikeDxf(const CString& path)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyNone))
        return -1;
    char head[512] = {};
    UINT n = file.Read(head, 511);
    head[n] = 0;
    std::string text(head, n);
    if (text.find("SECTION") == std::string::npos)
        return 0;
    // The header section is optional: a drawing may open with its tables, blocks or entities.
    for (const char* name : {"HEADER", "CLASSES", "TABLES", "BLOCKS", "ENTITIES", "OBJECTS"})
        if (text.find(name) != std::string::npos)
            return 1;
    return 0;
}

} // namespace

int CDFXView::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    m_canvas.Create(u"", WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_BLACKRECT, CRect(100, 0, 700, 200), this, IDC_CANVAS);
    IPreviewHost* host = GetPreviewHost();
    if (!host)
        return 0;
    CString path = host->GetPreviewPath();
    if (m_drawing.IsValid())
        m_drawing.Destroy();
    // Without the drawing library the kind cannot be shown here, which says nothing of the file.
    if (!m_drawing.IsLoaded()) {
        ReportPreviewComponentUnavailable();
        return 0;
    }
    if (!m_drawing.Create()) {
        host->SetPreviewOkFlag(0);
        return 0;
    }
    ProgressGuard progress;
    try {
        progress.dlg = CreatePreviewProgressDlg();
        if (progress.dlg && progress.dlg->Create(this)) {
            progress.shown = true;
            progress.dlg->SetRange(0, 100);
        }
        int dxf = LooksLikeDxf(path);
        if (dxf == 1 && ScanMode != 1) {
            CStringA narrow(path);
            host->SetPreviewOkFlag(m_drawing.LoadFile(narrow.GetString(), progress.shown ? progress.dlg->GetSafeHwnd()
                                                                                         : nullptr));
        } else {
            // A file that cannot be opened is a failure as much as one that is not a drawing.
            host->SetPreviewOkFlag(0);
        }
        progress.Destroy();
        if (host->GetPreviewOkFlag()) {
            CRect client;
            m_canvas.GetClientRect(&client);
            m_drawing.InitView(0, 0, client.Width(), client.Height());
            m_drawing.ZoomExtents();
            m_canvas.ShowWindow(SW_SHOW);
            m_canvas.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        }
    } catch (...) {
        host->SetPreviewOkFlag(0);
    }
    return 0;
}

void CDFXView::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    if (!::IsWindow(m_canvas.m_hWnd))
        return;
    CRect client;
    GetClientRect(&client);
    m_canvas.MoveWindow(&client);
    m_drawing.InitView(0, 0, client.Width(), client.Height());
    m_drawing.ZoomExtents();
    m_canvas.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

BOOL CDFXView::OnMouseWheel(UINT nFlags, short zDelta, CPoint pt)
{
    if (m_drawing.IsValid()) {
        double zoom = m_drawing.GetZoom() * (zDelta >= 1 ? 1.5 : 2.0 / 3.0);
        m_drawing.SetZoom(zoom);
        m_canvas.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    return CView::OnMouseWheel(nFlags, zDelta, pt);
}
