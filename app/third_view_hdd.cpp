// Page 4 of the wizard: the found-folder tree, the found-file list over the preview pane, the status
// lines and the buttons that save, go back or start over.
#include "app/third_view_hdd.h"

#include "app/dovemark_app.h"
#include "app/file_system_view.h"
#include "app/main_frame.h"
#include "app/second_view_hdd.h"
#include "app/message_dlg.h"
#include "app/results_controls.h"
#include "app/page_band.h"
#include "app/wizard_state.h"
#include "controls/shell_file_info.h"
#include "engine/engine_state.h"
#include "engine/folder_tree_build.h"
#include "engine/found_list_fill.h"
#include "engine/recovery_writer.h"
#include "engine/scan_flags.h"
#include "preview/main_preview_view.h"
#include "res/app/results_res.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/command_bars.h"

namespace {

enum : UINT {
    kSummaryId = 61482,
    kStatus1Id = 61483,
    kStatus2Id = 61484,
    kStatus3Id = 61488,
    kTreeId = 162,
    kOuterSplitterId = 164,
    kListId = 165,
    kInnerSplitterId = 181,
    kSaveId = 159,
    kBackId = 160,
    kHomeId = 61481,
    kPreviewId = 0xE901,
};
constexpr UINT kListBackground = 160;
constexpr UINT kBannerLeft = 252, kBanner = 281;

} // namespace

IMPLEMENT_DYNCREATE(CThirdView_HDD, CView)

BEGIN_MESSAGE_MAP(CThirdView_HDD, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_KEYDOWN()
    ON_WM_SETCURSOR()
    ON_WM_CTLCOLOR()
    ON_WM_DESTROY()
    ON_BN_CLICKED(kSaveId, OnSave)
    ON_BN_CLICKED(kBackId, OnBack)
    ON_BN_CLICKED(kHomeId, OnStartOver)
END_MESSAGE_MAP()

CThirdView_HDD::CThirdView_HDD() = default;

CThirdView_HDD::~CThirdView_HDD()
{
    delete m_pFoundList;
}

int CThirdView_HDD::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    m_brWhite.CreateSolidBrush(RGB(255, 255, 255));

    m_wndTree.Create(WS_VISIBLE | WS_CHILD | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS |
                         TVS_CHECKBOXES,
                     CRect(0, 0, 0, 0), this, kTreeId);
    m_wndTree.InitControl();

    const DWORD buttonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    m_btnSave.Create(u"继续", buttonStyle, CRect(0, 0, 85, 35), this, kSaveId);
    m_btnBack.Create(u"返回", buttonStyle, CRect(0, 0, 85, 35), this, kBackId);
    m_btnHome.Create(u"", buttonStyle, CRect(0, 0, 40, 38), this, kHomeId);
    SetupWizardButton(m_btnSave, WIZARD_NEXT);
    SetupWizardButton(m_btnBack, WIZARD_BACK);
    SetupWizardButton(m_btnHome, WIZARD_HOME);
    m_btnSave.SetAlign(2);

    CStatic* statics[] = {&m_stSummary, &m_stStatus1, &m_stStatus2, &m_stStatus3};
    const UINT ids[] = {kSummaryId, kStatus1Id, kStatus2Id, kStatus3Id};
    for (int i = 0; i < 4; ++i)
        statics[i]->Create(u"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, ids[i]);

    m_pFoundList = new CFoundListCtrl;
    m_pFoundList->Create(WS_VISIBLE | WS_BORDER | WS_CHILD | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_EDITLABELS,
                         CRect(0, 0, 0, 0), this, kListId);
    m_pFoundList->SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    m_pFoundList->CreateCheckImages();
    m_pFoundList->CreateColumns();
    m_pFoundList->SetupHeader();
    // The rows name their icons by the shell's system list, so that is the list the rows are drawn from.
    m_pFoundList->SetImageList(CImageList::FromHandle(CShellFileInfo::GetSystemImageList(TRUE)), LVSIL_SMALL);
    WCHAR folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    m_strCurrentDir = folder;
    HBITMAP tile = (HBITMAP)LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(kListBackground), IMAGE_BITMAP, 0, 0,
                                       LR_CREATEDIBSECTION);
    if (tile) {
        LVBKIMAGEW image{};
        image.ulFlags = LVBKIF_SOURCE_HBITMAP | LVBKIF_STYLE_TILE;
        image.hbm = tile;
        m_pFoundList->SendMessage(LVM_SETBKIMAGEW, 0, (LPARAM)&image);
    }
    m_wndTree.SetFoundList(m_pFoundList);
    m_pFoundList->SetFoundTree(&m_wndTree);
    m_pFoundList->SetHost(this);
    // Only the results page's list is the application's; the search dialog's own list never is.
    if (CDovemarkApp* app = DovemarkApp())
        app->m_pFoundList = m_pFoundList;
    TheResultsControls().tree = &m_wndTree;
    TheResultsControls().list = m_pFoundList;

    m_fontStatics.CreateFont(16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, 0, 0, 0, 0, u"Arial");
    for (CStatic* s : statics)
        s->SetFont(&m_fontStatics);

    CMainFrame* frame = MainFrame();
    if (frame) {
        CCreateContext context;
        context.m_pCurrentDoc = frame->GetActiveDocument();
        context.m_pCurrentFrame = frame;
        m_pPreviewView = new CMainPreviewView;
        if (m_pPreviewView->Create(nullptr, u"", WS_CHILD | WS_BORDER, CRect(0, 0, 0, 0), frame, kPreviewId,
                                   &context)) {
            m_pPreviewView->OnInitialUpdate();
            m_pPreviewView->ShowWindow(SW_SHOW);
            frame->m_pPreviewView = m_pPreviewView;
        } else {
            m_pPreviewView = nullptr;
        }
    }
    if (m_pPreviewView)
        m_wndInnerSplitter.Create(0x52000002, this, m_pFoundList, m_pPreviewView, kInnerSplitterId,
                                  CRect(0, 0, 0, 0), 90, 110);
    m_wndOuterSplitter.Create(0x52800001, this, &m_wndTree,
                              m_pPreviewView ? static_cast<CWnd*>(&m_wndInnerSplitter) : m_pFoundList,
                              kOuterSplitterId, CRect(0, 0, 0, 0), 110, 110);
    if (CHeaderCtrl* header = m_pFoundList->GetHeaderCtrl())
        m_wndHeader.SubclassWindow(header->m_hWnd);

    TheResultsControls().sizeStatic = &m_stStatus1;
    ShowResultButtons(FALSE);
    m_bBusy = 0;
    return 0;
}

void CThirdView_HDD::OnDestroy()
{
    ResultsControls& controls = TheResultsControls();
    if (controls.tree == &m_wndTree) {
        controls.tree = nullptr;
        controls.list = nullptr;
        controls.sizeStatic = nullptr;
    }
    CDovemarkApp* app = DovemarkApp();
    if (app && app->m_pFoundList == m_pFoundList)
        app->m_pFoundList = nullptr;
    CView::OnDestroy();
}

void CThirdView_HDD::ShowResultButtons(BOOL show)
{
    for (CSkinButton* b : {&m_btnSave, &m_btnBack, &m_btnHome}) {
        if (!b->GetSafeHwnd())
            continue;
        b->ShowWindow(show ? SW_SHOW : SW_HIDE);
        b->EnableWindow(show);
    }
}

void CThirdView_HDD::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    const int W = cx, H = cy;
    if (m_btnSave.GetSafeHwnd()) {
        m_btnSave.MoveWindow(W - 135, H - 41, 85, 35);
        if (m_btnBack.GetSafeHwnd())
            m_btnBack.MoveWindow(W - 225, H - 41, 85, 35);
    }
    if (m_stSummary.GetSafeHwnd())
        m_stSummary.MoveWindow(50, H - 105, 210, 40);
    if (m_stStatus1.GetSafeHwnd())
        m_stStatus1.MoveWindow(350, H - 105, 200, 40);
    if (m_stStatus2.GetSafeHwnd())
        m_stStatus2.MoveWindow(650, H - 105, W - 700, 20);
    if (m_stStatus3.GetSafeHwnd())
        m_stStatus3.MoveWindow(650, H - 85, W - 700, 20);
    if (m_btnHome.GetSafeHwnd())
        m_btnHome.MoveWindow(60, H - 43, 40, 38);
    if (m_wndOuterSplitter.GetSafeHwnd())
        m_wndOuterSplitter.MoveWindow(5, 45, W - 10, H - 155);
}

void CThirdView_HDD::OnDraw(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    DrawPageBitmap(pDC, kBannerLeft, 0, 0);
    DrawPageBand(pDC, client, kBanner);

    // The bottom strip in the colours of the toolkit's theme.
    CRect strip(client.left, client.bottom - 50, client.right, client.bottom);
    CTKPPaintManager* paint = GetGlobalPaintManager();
    if (paint && paint->GetThemeId() == 2) {
        const COLORREF top = ::GetSysColor(COLOR_WINDOW), bottom = ::GetSysColor(COLOR_BTNFACE);
        TRIVERTEX v[2] = {{strip.left, strip.top, USHORT(GetRValue(top) << 8), USHORT(GetGValue(top) << 8),
                           USHORT(GetBValue(top) << 8), 0},
                          {strip.right, strip.bottom, USHORT(GetRValue(bottom) << 8),
                           USHORT(GetGValue(bottom) << 8), USHORT(GetBValue(bottom) << 8), 0}};
        GRADIENT_RECT r{0, 1};
        ::GradientFill(pDC->m_hDC, v, 2, &r, 1, GRADIENT_FILL_RECT_V);
        CPen line(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW));
        CPen* old = pDC->SelectObject(&line);
        pDC->MoveTo(strip.left, strip.top);
        pDC->LineTo(strip.right, strip.top);
        pDC->SelectObject(old);
    } else {
        pDC->FillSolidRect(&strip, ::GetSysColor(COLOR_BTNFACE));
        pDC->Draw3dRect(&strip, ::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_BTNSHADOW));
    }
    if (m_stSummary.GetSafeHwnd())
        m_stSummary.SetWindowText(ScanModeText);
}

HBRUSH CThirdView_HDD::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    const UINT id = pWnd ? (UINT)pWnd->GetDlgCtrlID() : 0;
    if (nCtlColor == CTLCOLOR_STATIC &&
        (id == kSummaryId || id == kStatus1Id || id == kStatus2Id || id == kStatus3Id)) {
        pDC->SetBkColor(RGB(255, 255, 255));
        pDC->SetTextColor(id == kSummaryId ? RGB(0, 0, 0) : RGB(255, 0, 0));
        return (HBRUSH)m_brWhite.GetSafeHandle();
    }
    return ::GetSysColorBrush(COLOR_WINDOW);
}

BOOL CThirdView_HDD::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (m_bBusy) {
        RestoreWaitCursor();
        return TRUE;
    }
    return CView::OnSetCursor(pWnd, nHitTest, message);
}

void CThirdView_HDD::BeginBusy()
{
    m_bBusy = 1;
    BeginWaitCursor();
}

void CThirdView_HDD::EndBusy()
{
    m_bBusy = 0;
    EndWaitCursor();
}

void CThirdView_HDD::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (nChar == VK_TAB) {
        if (m_bTreeTurn) {
            m_bTreeTurn = FALSE;
            m_bSaveTurn = TRUE;
            m_btnSave.SendMessage(BM_SETSTATE, TRUE);
            m_wndTree.SendMessage(WM_KILLFOCUS);
        } else if (m_bSaveTurn) {
            m_bSaveTurn = FALSE;
            m_bBackTurn = TRUE;
            m_btnSave.SendMessage(BM_SETSTATE, FALSE);
            m_btnBack.SendMessage(BM_SETSTATE, TRUE);
        } else {
            m_bBackTurn = FALSE;
            m_bTreeTurn = TRUE;
            m_btnBack.SendMessage(BM_SETSTATE, FALSE);
            ::SetActiveWindow(m_wndTree.m_hWnd);
            m_wndTree.SetFocus();
        }
    } else if (nChar == VK_RETURN) {
        if (m_bSaveTurn)
            OnSave();
        else if (m_bBackTurn)
            OnBack();
    }
    CView::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CThirdView_HDD::SetSelectedSizeText(LPCWSTR text)
{
    if (m_stStatus1.GetSafeHwnd())
        m_stStatus1.SetWindowText(text);
}

// ---- Save, Back, Start over -------------------------------------------------------------------

void CThirdView_HDD::OnSave()
{
    if (!m_pFoundList)
        return;
    if (m_pFoundList->RecoverFileIds.IsEmpty() && m_pFoundList->RecoverFolderItems.IsEmpty()) {
        ShowInformation(CString(u"请点击复选框勾选要保存的文件和文件夹。\r\n") + CString(u' ', 46));
        return;
    }
    RunSave();
}

void CThirdView_HDD::OnBack()
{
    CMainFrame* frame = MainFrame();
    CDovemarkApp* app = DovemarkApp();
    SelectionTotals[1] = 0;
    SelectionTotals[3] = 0;
    TreeItemCount = 0;
    TracedFileSize = 0;
    FolderBrowseActive = 0;
    ListResetRequest = 1;
    SnapshotLoaded = 0;
    ShowScanDetails = 1;
    if (m_pFoundList) {
        DeleteTempFiles(m_pFoundList->PreviewTempFileList());
        DeleteTempFiles(m_pFoundList->PreviewTempFileList());
    }
    if (frame) {
        frame->m_bDriveChoice = 0;
        frame->m_bPartitionChoice = 1;
        frame->m_bResultsReady = 0;
        frame->m_bFullResultsReady = 0;
        frame->m_bPartitionTableRead = 1;
        frame->SelectedPartitionIndex = -1;
        frame->NoPreviewItemFlag = 1;
        frame->PreviewableFlag = 0;
    }
    m_wndTree.ClearItemMap();
    if (m_pFoundList)
        m_pFoundList->ClearSets(FALSE);
    m_wndTree.DeleteAllItems();
    FoundTreeRootItem = 0;
    if (m_pFoundList)
        m_pFoundList->DeleteAllItems();
    if (!app)
        return;
    switch (ScanMode) {
    case 0:
        FreeScanResultLists();
        ResetNtfsLists();
        if (app->m_pFileSystemView)
            app->m_pFileSystemView->ResetForChoice();
        app->SwitchView(3);
        break;
    case 1:
        FreeTracedFiles();
        FreeTracedFolders();
        if (app->m_pSecondView)
            app->m_pSecondView->ReturnFromResults();
        app->SwitchView(2);
        break;
    default:
        FreeScanResultLists();
        if (app->m_pSecondView)
            app->m_pSecondView->ReturnFromResults();
        app->SwitchView(2);
        break;
    }
}

void CThirdView_HDD::OnStartOver()
{
    OnBack();
    CDovemarkApp* app = DovemarkApp();
    if (ScanMode == 0 && app && app->m_pFileSystemView)
        app->m_pFileSystemView->OnBack();
    // Back down the scan page and the drive page, so the wizard starts again from its first page.
    // Only when the steps back were taken: a run the user chose to keep leaves the wizard where it is.
    CMainFrame* frame = MainFrame();
    if (app && app->m_pSecondView && frame && frame->GetActiveView() == app->GetPage(2))
        app->m_pSecondView->OnHome();
}

// ---- What the tree and the list ask of the page -----------------------------------------------

void CThirdView_HDD::PreviewItem(const CString& path, const CString& extension)
{
    if (CMainFrame* frame = MainFrame())
        frame->PreviewItem(path, extension);
}

BOOL CThirdView_HDD::IsPreviewableExtension(const CString& extension)
{
    return CMainPreviewView::IsPreviewableExtension(CString(), extension);
}

void CThirdView_HDD::SetNoPreviewItemFlag(DWORD value)
{
    if (CMainFrame* frame = MainFrame())
        frame->NoPreviewItemFlag = LONG(value);
}

void CThirdView_HDD::SetPreviewableFlag(DWORD value)
{
    if (CMainFrame* frame = MainFrame())
        frame->PreviewableFlag = LONG(value);
}

void CThirdView_HDD::PreviewPathChanged()
{
    if (m_pPreviewView && m_pPreviewView->GetSafeHwnd())
        m_pPreviewView->Invalidate();
}

void CThirdView_HDD::ShowInformation(const CString& text)
{
    ShowAppMessage(text, MSG_KIND_INFO);
}

void CThirdView_HDD::RunSave()
{
    if (CMainFrame* frame = MainFrame())
        frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_RECOVER_SELECTED, 0), 0);
}

void CThirdView_HDD::RunSearch()
{
    if (CMainFrame* frame = MainFrame())
        frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_FIND_FILES, 0), 0);
}

void CThirdView_HDD::RunSettings()
{
    if (CMainFrame* frame = MainFrame())
        frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_RECOVERY_SETTINGS, 0), 0);
}

UINT CThirdView_HDD::TrackPopup(CMenu* popup, UINT flags, int x, int y, CWnd* owner)
{
    CMainFrame* frame = MainFrame();
    if (frame && frame->GetCommandBars())
        return (UINT)frame->GetCommandBars()->TrackPopupMenuAt(popup, flags, x, y, owner);
    return IResultsHost::TrackPopup(popup, flags, x, y, owner);
}

BOOL CThirdView_HDD::IsResultsReady()
{
    CMainFrame* frame = MainFrame();
    return frame && frame->m_bResultsReady;
}
