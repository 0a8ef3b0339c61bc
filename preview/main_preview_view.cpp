// The preview pane: its header band, its viewer slots and the dispatcher that picks a viewer.
#include "preview/main_preview_view.h"

#include "preview/archive/archive_libraries.h"
#include "preview/archive/archive_list_view.h"
#include "preview/avi_view.h"
#include "preview/dbf_view.h"
#include "preview/html/html_views.h"
#include "preview/document_view.h"
#include "preview/dxf_library.h"
#include "preview/dxf_view.h"
#include "preview/image_view.h"
#include "preview/mdb_view.h"
#include "preview/media_player.h"
#include "preview/media_view.h"
#include "preview/no_preview_view.h"
#include "preview/office_converter.h"
#include "preview/ole_picture_view.h"
#include "preview/preview_host.h"
#include "preview/preview_progress.h"
#include "preview/psd_view.h"
#include "preview/slide_pictures.h"
#include "preview/text_converters.h"
#include "preview/thumb_view.h"
#include "res/preview/preview_res.h"
#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"
#include "toolkit/base/global_data.h"
#include "toolkit/base/paint_manager.h"

namespace {

// The groups of the dispatcher, in the order it tries them.
enum PreviewGroup {
    kImage = 1, kPicture, kHtml, kCustomHtml, kDocument, kArchive, kPsd, kAvi, kMedia, kPowerPoint, kDbf, kMdb,
    kSource, kText, kDxf, kLargeFile,
};

struct ExtensionGroup {
    const char16_t* extension;
    PreviewGroup group;
};

// Every extension the pane can show, in group order: the previewable set and the dispatch table
// are one list, so no previewable extension can miss its viewer.
const ExtensionGroup kExtensions[] = {
    {u".png", kImage}, {u".j2k", kImage}, {u".jp2", kImage}, {u".j2c", kImage}, {u".jpc", kImage},
    {u".jpeg", kImage}, {u".pcx", kImage}, {u".pnm", kImage}, {u".pgm", kImage}, {u".ppm", kImage},
    {u".bmp", kImage}, {u".tga", kImage}, {u".tif", kImage}, {u".tiff", kImage}, {u".jpg", kImage},
    {u".ico", kPicture}, {u".emf", kPicture},
    {u".gif", kHtml}, {u".kdoc", kHtml}, {u".xls", kHtml}, {u".htm", kHtml}, {u".mht", kHtml},
    {u".html", kCustomHtml},
    {u".pdf", kDocument}, {u".rtf", kDocument}, {u".doc", kDocument}, {u".gz", kDocument}, {u".tgz", kDocument},
    {u".zip", kArchive}, {u".cab", kArchive}, {u".rar", kArchive},
    {u".psd", kPsd},
    {u".avi", kAvi},
    {u".wmv", kMedia}, {u".asf", kMedia}, {u".wm", kMedia}, {u".wma", kMedia}, {u".wav", kMedia},
    {u".snd", kMedia}, {u".au", kMedia}, {u".aif", kMedia}, {u".mpeg", kMedia}, {u".mpg", kMedia},
    {u".m1v", kMedia}, {u".mp2", kMedia}, {u".mpa", kMedia}, {u".mid", kMedia}, {u".rmi", kMedia},
    {u".midi", kMedia}, {u".dvr-ms", kMedia}, {u".wvx", kMedia}, {u".wmx", kMedia}, {u".asx", kMedia},
    {u".mp3", kMedia}, {u".dat", kMedia},
    {u".ppt", kPowerPoint},
    {u".dbf", kDbf},
    {u".mdb", kMdb},
    {u".c", kSource}, {u".cpp", kSource}, {u".h", kSource}, {u".hpp", kSource},
    {u".txt", kText}, {u".ini", kText}, {u".xml", kText},
    {u".dxf", kDxf},
    {u".largefile", kLargeFile},
};

int GroupOf(const CString& extension)
{
    for (const ExtensionGroup& e : kExtensions)
        if (extension == e.extension)
            return e.group;
    return 0;
}

const int kHeaderHeight = 50;
const int kBareHeaderHeight = 5;
// The viewers sit this far below the pane's top, under the header's texts.
const int kViewerTop = 35;
// About how long the suite takes for a small document, started afresh.
const DWORD kUsualConversionMs = 10000;

} // namespace

IMPLEMENT_DYNCREATE(CMainPreviewView, CView)
BEGIN_MESSAGE_MAP(CMainPreviewView, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
END_MESSAGE_MAP()

IMPLEMENT_DYNCREATE(CLargeFileView, CView)

template <class F>
void CMainPreviewView::ForEachSlot(F&& f)
{
    CView** slots[] = {&m_pDxfView,     &m_pImageView,    &m_pHtmlView,      &m_pDocumentView, &m_pAviView,
                       &m_pMediaView,   &m_pDbfView,      &m_pThumbView,     &m_pArchiveView,  &m_pMdbView,
                       &m_pNoPreviewView, &m_pCustomHtmlView, &m_pPsdView,   &m_pLargeFileView, &m_pPictureView};
    for (CView** slot : slots)
        f(*slot);
}

int CMainPreviewView::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    if (IPreviewHost* host = GetPreviewHost())
        host->SetPreviewPane(this);
    // The archive viewers bind the RAR and cabinet libraries at run time; the program brings its own.
    RegisterArchiveLibraries();
    RegisterDxfLibrary();
    RegisterWordConverter();
    // No file is chosen yet: an extension that is not previewable starts the pane on its
    // no-preview viewer.
    DispatchPreview(u"fileName", u"fileType");
    return 0;
}

BOOL CMainPreviewView::IsPreviewableExtension(CString fileName, CString extension)
{
    return GroupOf(extension) != 0;
}

void CMainPreviewView::DispatchPreview(CString path, CString extension)
{
    IPreviewHost* host = GetPreviewHost();
    ResetPreviewComponentUnavailable();
    if (host)
        host->SetPreviewOkFlag(0);
    // Only the extension is compared without case: the copy's path is kept as it is, since folders of a
    // case-sensitive file system (the private temporary folder among them) differ by case.
    extension.MakeLower();
    BOOL previewable = IsPreviewableExtension(path, extension);
    if (host) {
        host->SetPreviewableFlag(previewable);
        host->SetPreviewOkFlag(1);
    }
    if (!previewable) {
        ShowNoPreview();
        Invalidate(TRUE);
        return;
    }
    int group = GroupOf(extension);
    bool check = true;
    switch (group) {
    case kImage: ShowImage(path); break;
    case kPicture: ShowPicture(path); break;
    case kHtml: ShowHtml(path); break;
    case kCustomHtml: ShowCustomHtml(path); break;
    case kDocument:
    case kSource: ShowDocument(path); break;
    case kArchive: ShowArchive(path); break;
    case kPsd: ShowPsd(path); break;
    case kAvi: ShowAvi(path); break;
    case kMedia: ShowMedia(path); break;
    case kPowerPoint: {
        BOOL ok = ShowPowerPoint(path);
        if (host)
            host->SetPreviewOkFlag(ok);
        if (!ok) {
            if (host)
                host->SetPreviewOkFlag(1);
            ShowNoPreview();
        }
        check = false;
        break;
    }
    case kDbf: ShowDbf(path); break;
    case kMdb: {
        BOOL ok = ShowMdb(path);
        if (host && !IsPreviewComponentUnavailable())
            host->SetPreviewOkFlag(ok);
        break;
    }
    case kText:
        ShowDocument(path);
        check = false;
        break;
    case kDxf: ShowDxf(path); break;
    case kLargeFile:
        ShowLargeFile();
        check = false;
        break;
    }
    // A missing component is shown as such even where a failure would not be (the picture says
    // the type cannot be previewed here, not that the file is damaged).
    bool failed = host && host->GetPreviewOkFlag() == 0;
    if ((check && failed) || (IsPreviewComponentUnavailable() && !m_pNoPreviewView))
        ShowNoPreview();
    Invalidate(TRUE);
    if (host)
        host->FocusFoundFileList();
}

CView* CMainPreviewView::CreateViewer(CRuntimeClass* pClass, CView*& slot, const CString* path, bool show)
{
    IPreviewHost* host = GetPreviewHost();
    if (!host)
        return nullptr;
    if (path)
        host->SetPreviewPath(*path);
    CCreateContext context;
    context.m_pNewViewClass = pClass;
    context.m_pCurrentDoc = GetDocument();
    auto* view = static_cast<CView*>(pClass->CreateObject());
    if (!view)
        return nullptr;
    if (context.m_pCurrentDoc)
        context.m_pCurrentDoc->AddView(view);
    if (!view->Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 0, 0), this, AFX_IDW_PANE_FIRST, &context)) {
        // A view that refused its creation has freed itself with its window. The file it was
        // given is reported as not shown, unless its component was missing.
        if (!IsPreviewComponentUnavailable())
            host->SetPreviewOkFlag(0);
        return nullptr;
    }
    slot = view;
    if (show) {
        view->ShowWindow(SW_SHOW);
        SendMessage(WM_SIZE, 0, 0);
    }
    return view;
}

// ---- Handlers -----------------------------------------------------------------------------------

void CMainPreviewView::ShowCustomHtml(CString path)
{
    CreateViewer(RUNTIME_CLASS(CCustomHTMLViewer), m_pCustomHtmlView, &path);
}

// Pages, web archives and GIF pictures (as a page holding the picture) are shown by the own
// renderer; workbooks as the page the office suite makes of them. ".kdoc" files have no reader here: a
// missing component.
void CMainPreviewView::ShowHtml(CString path)
{
    IPreviewHost* host = GetPreviewHost();
    if (!host)
        return;
    int dot = path.ReverseFind(u'.');
    CString extension = dot < 0 ? CString() : path.Mid(dot);
    extension.MakeLower();
    CString page = path;
    if (extension == u".xls") {
        switch (ConvertWithProgress(path, "html", page)) {
        case OfficeResult::kOk: break;
        case OfficeResult::kNoSuite: ReportPreviewComponentUnavailable(); return;
        case OfficeResult::kFailed: host->SetPreviewOkFlag(0); return;
        }
    } else if (extension != u".htm" && extension != u".mht" && extension != u".gif") {
        ReportPreviewComponentUnavailable();
        return;
    }
    auto* view = static_cast<CHtml_View*>(CreateViewer(RUNTIME_CLASS(CHtml_View), m_pHtmlView, &path));
    if (view && !view->Navigate2(page))
        host->SetPreviewOkFlag(0);
    if (extension == u".xls")
        ::Sleep(100);
}

// Sound and movies play through the media framework; without it their kinds cannot be previewed here.
void CMainPreviewView::ShowAvi(CString path)
{
    if (!CMediaPlayer::IsAvailable()) {
        ReportPreviewComponentUnavailable();
        return;
    }
    CreateViewer(RUNTIME_CLASS(CAviView), m_pAviView, &path);
}
void CMainPreviewView::ShowMedia(CString path)
{
    if (!CMediaPlayer::IsAvailable()) {
        ReportPreviewComponentUnavailable();
        return;
    }
    CreateViewer(RUNTIME_CLASS(CMyMedia), m_pMediaView, &path);
}
void CMainPreviewView::ShowDxf(CString path) { CreateViewer(RUNTIME_CLASS(CDFXView), m_pDxfView, &path); }
// The folder holds exported slides: the thumbnails keep their pictures in the image list, so the folder is
// removed once they are drawn.
void CMainPreviewView::ShowThumbnails(CString folder)
{
    auto* doc = dynamic_cast<IImageFolderDocument*>(GetDocument());
    if (!doc) {
        ReportPreviewComponentUnavailable();
        return;
    }
    CView* view = CreateViewer(RUNTIME_CLASS(CThumbView), m_pThumbView, &folder, false);
    if (!view)
        return;
    doc->OpenImageFolder(folder);
    view->ShowWindow(SW_SHOW);
    SendMessage(WM_SIZE, 0, 0);
    ::Sleep(500);
    doc->DeleteFolderFiles(folder);
    ::RemoveDirectoryW(folder);
}

// The office suite converts the presentation to PDF, whose pages become the slide pictures of the "ssss"
// folder under the temporary path; without the suite the kind cannot be shown here.
BOOL CMainPreviewView::ShowPowerPoint(CString path)
{
    if (!GetPreviewHost())
        return FALSE;
    CString pdf;
    switch (ConvertWithProgress(path, "pdf", pdf)) {
    case OfficeResult::kOk: break;
    case OfficeResult::kNoSuite: ReportPreviewComponentUnavailable(); return FALSE;
    case OfficeResult::kFailed: return FALSE;
    }
    WCHAR temp[255] = {};
    DWORD length = ::GetTempPathW(255, temp);
    if (length == 0 || length >= 255)
        return FALSE;
    CString slides = CString(temp, int(length)) + u"ssss";
    // Pictures of an earlier presentation must not join this one's.
    if (auto* doc = dynamic_cast<IImageFolderDocument*>(GetDocument()))
        doc->DeleteFolderFiles(slides);
    ::CreateDirectoryW(slides, nullptr);
    if (ExportSlidePictures(pdf, slides, CThumbView::kThumbWidth, CThumbView::kThumbHeight) <= 0) {
        if (auto* doc = dynamic_cast<IImageFolderDocument*>(GetDocument()))
            doc->DeleteFolderFiles(slides);
        ::RemoveDirectoryW(slides);
        return FALSE;
    }
    ShowThumbnails(slides);
    return m_pThumbView != nullptr;
}

// The suite takes seconds: the progress dialog shows meanwhile, and its pump keeps the windows painted (or,
// without it, the paint messages are served here). Other input waits, so no second preview starts meanwhile.
OfficeResult CMainPreviewView::ConvertWithProgress(const CString& path, const char* format, CString& converted)
{
    std::unique_ptr<IPreviewProgressDlg> dlg = CreatePreviewProgressDlg();
    const bool shown = dlg && dlg->Create(this);
    if (shown)
        dlg->SetRange(0, 100);
    const DWORD start = ::GetTickCount();
    auto idle = [&]() {
        if (shown) {
            // The suite tells nothing of its progress: the bar fills over the usual time and waits near its end.
            const DWORD elapsed = ::GetTickCount() - start;
            dlg->SetPos(int(std::min<DWORD>(95, elapsed / (kUsualConversionMs / 100))));
        } else {
            // A bounded round, so a window that keeps invalidating itself cannot hold the wait.
            MSG msg;
            for (int i = 0; i < 64 && ::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
                ::DispatchMessageW(&msg);
        }
        return true;
    };
    OfficeResult result = ConvertOfficeDocument(path, format, converted, idle);
    if (shown) {
        dlg->SetPos(100);
        dlg->DestroyWindow();
        // What the dialog covered is painted again, children included (the found-file list beneath it kept
        // the picture of the dialog otherwise).
        if (CWnd* top = GetTopLevelParent())
            top->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    return result;
}

// The viewer is shown only once the document has opened the database in it.
BOOL CMainPreviewView::ShowMdb(CString path)
{
    auto* doc = dynamic_cast<IDaoDocument*>(GetDocument());
    if (!doc) {
        ReportPreviewComponentUnavailable();
        return FALSE;
    }
    CView* view = CreateViewer(RUNTIME_CLASS(CMDB_View), m_pMdbView, &path, false);
    if (!view || !doc->OpenDaoDatabase(path))
        return FALSE;
    view->ShowWindow(SW_SHOW);
    SendMessage(WM_SIZE, 0, 0);
    return TRUE;
}

void CMainPreviewView::ShowDocument(CString path)
{
    CreateViewer(RUNTIME_CLASS(CAdobeReaderView), m_pDocumentView, &path);
}
void CMainPreviewView::ShowArchive(CString path)
{
    CreateViewer(RUNTIME_CLASS(CMyListCtrl), m_pArchiveView, &path);
}
void CMainPreviewView::ShowImage(CString path) { CreateViewer(RUNTIME_CLASS(CImage_View), m_pImageView, &path); }
void CMainPreviewView::ShowPicture(CString path)
{
    CreateViewer(RUNTIME_CLASS(CTextView), m_pPictureView, &path);
}
void CMainPreviewView::ShowPsd(CString path) { CreateViewer(RUNTIME_CLASS(CPSDViewView), m_pPsdView, &path); }
void CMainPreviewView::ShowDbf(CString path) { CreateViewer(RUNTIME_CLASS(CDBF_View), m_pDbfView, &path); }

void CMainPreviewView::ShowLargeFile() { CreateViewer(RUNTIME_CLASS(CLargeFileView), m_pLargeFileView, nullptr); }

void CMainPreviewView::ShowNoPreview()
{
    if (IPreviewHost* host = GetPreviewHost())
        host->SetPreviewItemPath(CString());
    CreateViewer(RUNTIME_CLASS(CCorrupted_NoPreview_View), m_pNoPreviewView, nullptr);
}

void CMainPreviewView::CloseChildViews()
{
    ForEachSlot([](CView*& slot) {
        if (slot && ::IsWindow(slot->m_hWnd))
            slot->SendMessage(WM_CLOSE);
        slot = nullptr;
    });
}

void CMainPreviewView::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    CRect client;
    GetClientRect(&client);
    ForEachSlot([&](CView* slot) {
        if (slot && ::IsWindow(slot->m_hWnd))
            slot->MoveWindow(client.left, client.top + kViewerTop, client.Width(), client.Height() - kViewerTop, TRUE);
    });
}

// ---- Header band --------------------------------------------------------------------------------

void CMainPreviewView::OnDraw(CDC* pDC)
{
    CTKPColorTable& colors = GetColorTable();
    GetWindowRect(&m_rcHeader);
    ScreenToClient(&m_rcHeader);
    pDC->FillSolidRect(&m_rcHeader, colors.GetColorByIndex(5));
    int bandBottom = m_bShowHeader ? kHeaderHeight : kBareHeaderHeight;
    m_rcHeader.bottom = bandBottom;

    if (!g_pGlobalPaintManager)
        SetGlobalTheme(0);
    int theme = g_pGlobalPaintManager ? g_pGlobalPaintManager->GetThemeId() : 0;
    if (theme == 2) {
        const CTKPGradientColor& g = colors.m_gradients[0];
        GetGradientHelper().GradientFillRect(pDC->m_hDC, m_rcHeader, g.Dark(), g.Light(), FALSE);
        pDC->FillSolidRect(m_rcHeader.left, m_rcHeader.bottom - 1, m_rcHeader.right, 1, colors.GetColorByIndex(54));
    } else {
        pDC->FillSolidRect(&m_rcHeader, colors.GetColorByIndex(13));
        CRect frame = m_rcHeader;
        frame.left += 1;
        frame.top += 1;
        frame.right -= theme == 3 ? 0 : 1;
        UINT bottomRight = theme == 3 ? 57 : theme == 2 ? 54 : 16;
        pDC->Draw3dRect(&frame, colors.GetColorByIndex(20), colors.GetColorByIndex(bottomRight));
    }

    pDC->SetBkMode(TRANSPARENT);
    if (m_bShowHeader) {
        COLORREF oldText = pDC->SetTextColor(colors.GetColorByIndex(5));
        CTKGlobalData& data = GetGlobalData();
        HGDIOBJ oldFont = ::SelectObject(pDC->m_hDC, data.m_fontBold);
        pDC->TextOut(4, 4, m_strHeadLine1);
        pDC->TextOut(4, 18, m_strHeadLine2);
        ::SelectObject(pDC->m_hDC, data.m_fontRegular);
        pDC->TextOut(75, 4, m_strValueLine1);
        IPreviewHost* host = GetPreviewHost();
        pDC->TextOut(75, 18, host ? host->GetPreviewItemPath() : CString());
        ::SelectObject(pDC->m_hDC, oldFont);
        pDC->SetTextColor(oldText);
    }

    CRect client;
    GetClientRect(&client);
    client.top += bandBottom;
    pDC->FillSolidRect(&client, RGB(189, 211, 255));
}

// ---- Too-large page -----------------------------------------------------------------------------

void DrawCentredBitmap(CDC* pDC, const CRect& client, UINT nIDBitmap)
{
    CBitmap bitmap;
    if (!bitmap.LoadBitmap(nIDBitmap))
        return;
    BITMAP bm{};
    bitmap.GetObject(sizeof(bm), &bm);
    CDC memDC;
    if (!memDC.CreateCompatibleDC(pDC))
        return;
    CBitmap* old = memDC.SelectObject(&bitmap);
    pDC->StretchBlt(client.Width() / 2 - bm.bmWidth / 2, client.Height() / 2 - bm.bmHeight / 2, bm.bmWidth,
                    bm.bmHeight, &memDC, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    memDC.SelectObject(old);
}

void CLargeFileView::OnDraw(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    DrawCentredBitmap(pDC, client, IDB_PREVIEW_TOO_LARGE);
}
