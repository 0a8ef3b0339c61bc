// Page 0: three picture buttons choose the scan mode, under a painted frame of instructions.
#include "app/ex_style_view.h"

#include "afx/list_ctrl.h"
#include "app/dovemark_app.h"
#include "app/main_frame.h"
#include "app/page_band.h"
#include "app/smooth_shapes.h"
#include "app/wizard_state.h"
#include "engine/engine_state.h"
#include "res/app/wizard_front_res.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CEx_StyleView, CView)

BEGIN_MESSAGE_MAP(CEx_StyleView, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_KEYDOWN()
    ON_WM_CTLCOLOR()
    ON_WM_ERASEBKGND()
    ON_COMMAND(131, OnQuickScan)
    ON_COMMAND(132, OnFileTracing)
    ON_COMMAND(133, OnFullScan)
    ON_COMMAND(ID_FILE_PRINT, CView::OnFilePrint)
    ON_COMMAND(ID_FILE_PRINT_DIRECT, CView::OnFilePrint)
    ON_COMMAND(ID_FILE_PRINT_PREVIEW, CView::OnFilePrintPreview)
END_MESSAGE_MAP()

namespace {

constexpr UINT kHintId = 170;
// The caption box of the inner frame ends 110 pixels above the middle; the buttons keep 10 below it.
constexpr int kButtonsBelowCaption = 100;
// The outer frame spans 400 to each side of the middle; its rounded corners leave 380 at the hint's rows.
constexpr int kHintHalfWidthMax = 380;
constexpr COLORREF kFrameColour = 0x0099A8AC;

// Each column shows its own sub-item: the rows' fillers write type, size, times and id by column number.
const FoundListColumn kFileColumns[] = {
    {u"文件名   ", 200}, {u"类型", 100}, {u"大小", 100}, {u"创建时间     ", 150}, {u"修改时间         ", 150}, {u"ID", 150},
};
const FoundListColumn kTracedColumns[] = {{u"文件名   ", 200}, {u"类型", 100}, {u"ID", 150}};

} // namespace

int SetFoundListColumns(CListCtrl* list, DWORD scanMode)
{
    if (!list || !list->m_hWnd)
        return 0;
    // Each visit to page 0 starts from an empty column set, so choosing twice never doubles the columns.
    while (list->DeleteColumn(0)) {
    }
    const FoundListColumn* columns = scanMode == 1 ? kTracedColumns : kFileColumns;
    const int count = scanMode == 1 ? int(std::size(kTracedColumns)) : int(std::size(kFileColumns));
    for (int i = 0; i < count; ++i)
        list->InsertColumn(i, columns[i].heading, LVCFMT_LEFT, columns[i].width);
    return count;
}

CEx_StyleView::CEx_StyleView()
{
    m_drawFont.CreateFont(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Arial");
}

CEx_StyleView::~CEx_StyleView() = default;

BOOL CEx_StyleView::PreCreateWindow(CREATESTRUCTW& cs) { return CView::PreCreateWindow(cs); }

void CEx_StyleView::ShowPrompt()
{
    if (m_hint.m_hWnd)
        m_hint.SetWindowText(CHoverButton::kPrompt);
}

int CEx_StyleView::OnCreate(LPCREATESTRUCTW cs)
{
    if (CView::OnCreate(cs) == -1)
        return -1;
    m_whiteBrush.CreateSolidBrush(RGB(255, 255, 255));
    m_hint.Create(CHoverButton::kPrompt, WS_CHILD | WS_VISIBLE | SS_CENTER, CRect(0, 0, 0, 0), this, kHintId);
    m_hintFont.CreateFont(18, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Arial");
    m_hint.SendMessage(WM_SETFONT, (WPARAM)(HFONT)m_hintFont, TRUE);

    const struct {
        CHoverButton* button;
        UINT id;
        CRect rect;
        UINT normal, hover;
        CString hint;
    } buttons[] = {
        {&m_quick, 131, CRect(50, 50, 100, 100), IDB_QUICK, IDB_QUICK_HOVER,
         PaddedText(u"\t\t\r\n选择“快速扫描”模式恢复最近删除的文件和文件夹。", 38)},
        {&m_tracing, 132, CRect(100, 100, 100, 100), IDB_TRACING, IDB_TRACING_HOVER,
         PaddedText(u"\t\t\r\n如果“快速扫描”和“全面扫描”模式不适合你，请选择“文件跟踪”模式。", 22)},
        {&m_full, 133, CRect(150, 150, 100, 100), IDB_FULL, IDB_FULL_HOVER,
         PaddedText(u"\t\t\r\n硬盘格式化，分区删除，娱乐等情况下选择“全面扫描”恢复模式...", 45)},
    };
    for (const auto& b : buttons) {
        b.button->Create(nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, b.rect, this, b.id);
        b.button->LoadBitmaps(b.normal, b.hover);
        b.button->m_pStatusWnd = &m_hint;
        b.button->m_strHint = b.hint;
    }
    return 0;
}

void CEx_StyleView::OnSize(UINT type, int cx, int cy)
{
    CView::OnSize(type, cx, cy);
    CRect client;
    GetClientRect(&client);
    const int h = client.Height();
    // The buttons belong inside the painted inner frame, under its caption (which ends at
    // h/2 - 110); on a tall page the first-quarter formula would lift them over the caption and the
    // instructions, so there they stay just under the caption.
    const int top = std::max(((h / 2) - 80) / 2 + 80, h / 2 - kButtonsBelowCaption);
    const struct {
        CWnd* wnd;
        int left;
    } places[] = {{&m_quick, cx / 2 - 259}, {&m_full, cx / 2 - 83}, {&m_tracing, cx / 2 + 93}};
    for (const auto& p : places)
        if (p.wnd->m_hWnd)
            p.wnd->MoveWindow(p.left, top, 166, 160, TRUE);
    // As wide as the page is high, but never past the painted outer frame, whose sides it would cover.
    const int hintHalf = std::min(cy / 2, kHintHalfWidthMax);
    if (m_hint.m_hWnd)
        m_hint.MoveWindow(cx / 2 - hintHalf, cy / 2 + 130, 2 * hintHalf, 70, TRUE);
}

void CEx_StyleView::OnDraw(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    const int w = client.Width(), h = client.Height();
    CDC memory;
    memory.CreateCompatibleDC(pDC);
    CBitmap buffer;
    buffer.CreateCompatibleBitmap(pDC, w, h);
    CBitmap* oldBitmap = memory.SelectObject(&buffer);
    memory.SetBkMode(TRANSPARENT);

    StretchPageBitmap(&memory, IDB_PAGE_BACKGROUND, client);
    DrawPageBand(&memory, client, IDB_BANNER_MODES);

    const int cx = w / 2, cy = h / 2;
    CFont* oldFont = memory.SelectObject(&m_drawFont);
    memory.SetTextColor(RGB(0, 0, 0));
    CString line1 = PaddedText(u"请选择进行恢复的“扫描模式”。选择“快速扫描”恢复最近删除的文件。选择“全面扫描”恢复如硬盘格式化等。", 25);
    CString line2 = PaddedText(u"如果两种模式都失败，那再使用“文件跟踪”扫描。", 15);
    CRect r1(cx - 380, cy - 200, cx + 360, cy - 180), r2(cx - 380, cy - 180, cx + 350, cy - 160);
    memory.DrawText(line1, &r1, 0);
    memory.DrawText(line2, &r2, 0);

    SmoothRoundRect(&memory, cx - 400, cy - 225, cx + 400, cy + 225, 100, 100, kFrameColour);
    SmoothRoundRect(&memory, cx - 300, cy - 140, cx + 300, cy + 120, 100, 100, kFrameColour);
    memory.FillSolidRect(CRect(cx - 60, cy - 140, cx + 60, cy - 110), RGB(255, 255, 255));
    memory.SetBkMode(TRANSPARENT);
    memory.TextOut(cx - 50, cy - 148, CString(u"    恢复模式    "));
    memory.SelectObject(oldFont);

    pDC->BitBlt(0, 0, w, h, &memory, 0, 0, SRCCOPY);
    memory.SelectObject(oldBitmap);
}

HBRUSH CEx_StyleView::OnCtlColor(CDC* dc, CWnd* wnd, UINT)
{
    if (wnd && wnd->GetDlgCtrlID() == int(kHintId)) {
        dc->SetBkColor(RGB(255, 255, 255));
        const CMainFrame* frame = MainFrame();
        dc->SetTextColor(frame && frame->ButtonHoverFlag ? 0x000769FF : RGB(0, 0, 0));
    }
    return GetSysColorBrush(COLOR_WINDOW);
}

void CEx_StyleView::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    if (key == VK_RETURN) {
        if (m_quick.m_hWnd && m_quick.SendMessage(BM_GETSTATE) == BST_PUSHED)
            OnQuickScan();
        if (m_tracing.m_hWnd && m_tracing.SendMessage(BM_GETSTATE) == BST_PUSHED)
            OnFileTracing();
        if (m_full.m_hWnd && m_full.SendMessage(BM_GETSTATE) == BST_PUSHED)
            OnFullScan();
    }
    CView::OnKeyDown(key, repeat, flags);
}

void CEx_StyleView::OnQuickScan() { ChooseMode(2); }
void CEx_StyleView::OnFileTracing() { ChooseMode(1); }
void CEx_StyleView::OnFullScan() { ChooseMode(0); }

void CEx_StyleView::ChooseMode(DWORD mode)
{
    if (CMainFrame* frame = MainFrame()) {
        frame->ModeHintFlag = 0;
        frame->m_bDriveChoice = 1;
        frame->m_bPartitionChoice = 0;
        frame->m_bResultsReady = 0;
        frame->m_bFullResultsReady = 0;
        frame->SelectedPartitionIndex = -1;
        frame->m_bLoadEnabled = 1;
    }
    ScanMode = mode;
    switch (mode) {
    case 2: ScanModeText = PaddedText(u"已选择模式 : 快速扫描", 5); break;
    case 0: ScanModeText = PaddedText(u"已选择模式 : 全面扫描", 9); break;
    default: ScanModeText = PaddedText(u"已选择模式 : 文件跟踪", 5); break;
    }
    if (CDovemarkApp* app = DovemarkApp()) {
        SetFoundListColumns(app->m_pFoundList, mode);
        app->SwitchView(1);
    }
}
