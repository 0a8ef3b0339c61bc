// The scan page's side pane: partition and volume data, the full scan's inputs and the running scan's counters.
#include "app/second_display.h"

#include "app/dovemark_app.h"
#include "app/main_frame.h"
#include "app/page_band.h"
#include "app/wizard_state.h"
#include "engine/engine_state.h"
#include "engine/scan_flags.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CSecondDisplay, CView)

BEGIN_MESSAGE_MAP(CSecondDisplay, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_SHOWWINDOW()
    ON_WM_LBUTTONDOWN()
    ON_WM_CTLCOLOR()
    ON_COMMAND(61486, OnToggleDetails)
END_MESSAGE_MAP()

namespace {

constexpr UINT kModeLineId = 61482, kStatusId = 170, kGroupId = 61479, kHintId = 61487, kFsLabelId = 61458,
               kFsChooserId = 61463, kStartLabelId = 61459, kEndLabelId = 61460, kStartId = 61462, kEndId = 61461,
               kPieId = 61467, kDetailsId = 61486, kFirstLabelId = 32812, kFirstValueId = 32817;

const char16_t kHideDetails[] = u"隐藏进程     ";
const char16_t kShowDetails[] = u"显示进程     ";

const char16_t* KindName(WORD kind)
{
    switch (kind) {
    case FS_KIND_FAT16: return u"FAT16";
    case FS_KIND_FAT32: return u"FAT32";
    case FS_KIND_NTFS: return u"NTFS";
    default: return u"UNKNOWN";
    }
}

CString Number(DWORD value)
{
    CString text;
    text.Format(u"%lu", static_cast<unsigned long>(value));
    return text;
}

} // namespace

bool ParseSectorNumber(const CString& text, DWORD* value)
{
    const int n = text.GetLength();
    if (n == 0)
        return false;
    ULONGLONG v = 0;
    for (int i = 0; i < n; ++i) {
        const WCHAR c = text[i];
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + ULONGLONG(c - u'0');
        // Longer input must be refused, never wrapped into a small number.
        if (v > 0xFFFFFFFFULL)
            return false;
    }
    *value = DWORD(v);
    return true;
}

int CSecondDisplay::OnCreate(LPCREATESTRUCTW cs)
{
    if (CView::OnCreate(cs) == -1)
        return -1;
    m_whiteBrush.CreateSolidBrush(RGB(255, 255, 255));
    m_font.CreateFont(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Arial");
    const CRect none(0, 0, 0, 0);
    m_modeLine.Create(u"", WS_CHILD | WS_VISIBLE, none, this, kModeLineId);
    m_status.Create(u"", WS_CHILD | WS_VISIBLE, none, this, kStatusId);
    m_driveGroup.Create(CString(u"选定的驱动器信息") + CString(u' ', 10), WS_CHILD | BS_GROUPBOX, none, this, kGroupId);
    m_partitionGroup.Create(CString(u"分区信息") + CString(u' ', 13), WS_CHILD | WS_VISIBLE | BS_GROUPBOX, none, this,
                            kGroupId);
    m_hint.Create(u"选择“隐藏进程”可以提高性能。你可以在任何时间通过选择“显示进程”返回查看进程细节。", WS_CHILD, none, this,
                  kHintId);
    for (int i = 0; i < 5; ++i) {
        m_label[i].Create(u"", WS_CHILD | WS_VISIBLE, none, this, kFirstLabelId + i);
        m_value[i].Create(u"", WS_CHILD | WS_VISIBLE, none, this, kFirstValueId + i);
    }
    m_fsLabel.Create(u"选择文件系统 :", WS_CHILD, none, this, kFsLabelId);
    m_fsChooser.Create(WS_CHILD | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST, CRect(0, 0, 100, 120), this, kFsChooserId);
    for (const char16_t* item : {u"NTFS", u"FAT 32", u"FAT 16"})
        m_fsChooser.AddString(item);
    m_fsChooser.SetCurSel(0);
    m_startLabel.Create(u"起始扇区         :", WS_CHILD, none, this, kStartLabelId);
    m_endLabel.Create(u"结束扇区         :", WS_CHILD, none, this, kEndLabelId);
    m_start.Create(WS_CHILD | WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, none, this, kStartId);
    m_end.Create(WS_CHILD | WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, none, this, kEndId);
    m_pieGroup.Create(u"", WS_CHILD | BS_GROUPBOX, none, this, kGroupId);
    m_pie.Create(u"", WS_CHILD, none, this, kPieId);
    m_details.Create(kHideDetails, WS_CHILD | BS_PUSHBUTTON, none, this, kDetailsId);
    for (CWnd* w : std::initializer_list<CWnd*>{&m_modeLine, &m_status, &m_driveGroup, &m_partitionGroup, &m_hint,
                                                &m_fsLabel, &m_fsChooser, &m_startLabel, &m_endLabel, &m_start,
                                                &m_end, &m_details, &m_pieGroup})
        w->SetFont(&m_font);
    for (int i = 0; i < 5; ++i) {
        m_label[i].SetFont(&m_font);
        m_value[i].SetFont(&m_font);
    }
    ShowNoPartitionInfo();
    return 0;
}

void CSecondDisplay::OnSize(UINT type, int cx, int cy)
{
    CView::OnSize(type, cx, cy);
    if (!m_status.m_hWnd)
        return;
    CRect c;
    GetClientRect(&c);
    for (int i = 0; i < 5; ++i)
        m_label[i].MoveWindow(80, 70 + 20 * i, 140, 20);
    PlaceGroups();
    m_fsLabel.MoveWindow(80, 190, 180, 22);
    m_fsChooser.MoveWindow(280, 188, 120, 120);
    m_startLabel.MoveWindow(80, 220, 180, 22);
    m_start.MoveWindow(280, 218, 160, 22);
    m_endLabel.MoveWindow(80, 250, 180, 22);
    m_end.MoveWindow(280, 248, 160, 22);
    m_status.MoveWindow(20, 310, std::max(0, int(c.right) - 40), 36);
    m_hint.MoveWindow(20, 350, std::max(0, int(c.right) - 40), 36);
    m_details.MoveWindow(20, 390, 120, 28);
    // Its two lines stay whole in the pane of the smallest frame, below the details button.
    m_modeLine.MoveWindow(20, std::max(420, int(c.bottom) - 50), std::max(0, int(c.right) - 40), 40);
}

void CSecondDisplay::OnDraw(CDC*) { m_modeLine.SetWindowText(ScanModeText); }

void CSecondDisplay::OnShowWindow(BOOL show, UINT status)
{
    CView::OnShowWindow(show, status);
    Invalidate();
    if (m_fsChooser.m_hWnd)
        m_fsChooser.Invalidate();
}

void CSecondDisplay::OnLButtonDown(UINT, CPoint)
{
    CDovemarkApp* app = DovemarkApp();
    if (CMainFrame* frame = MainFrame(); frame && app && app->GetPage(2))
        frame->SetActiveView(app->GetPage(2));
}

HBRUSH CSecondDisplay::OnCtlColor(CDC* dc, CWnd* wnd, UINT)
{
    const int id = wnd ? wnd->GetDlgCtrlID() : 0;
    if (id == int(kModeLineId)) {
        dc->SetBkColor(RGB(255, 255, 255));
        dc->SetTextColor(RGB(0, 0, 0));
        return GetSysColorBrush(COLOR_WINDOW);
    }
    if (id == int(kStatusId) || id == int(kHintId)) {
        dc->SetBkColor(RGB(255, 255, 255));
        dc->SetTextColor(RGB(0, 0, 0));
        return m_whiteBrush;
    }
    return GetSysColorBrush(COLOR_WINDOW);
}

void CSecondDisplay::SetLabels(const char16_t* const (&labels)[5])
{
    for (int i = 0; i < 5; ++i) {
        m_label[i].SetWindowText(labels[i]);
        m_label[i].ShowWindow(SW_SHOW);
        m_value[i].ShowWindow(SW_SHOW);
    }
}

void CSecondDisplay::SetValue(int line, LPCWSTR text)
{
    if (line >= 0 && line < 5 && m_value[line].m_hWnd)
        m_value[line].SetWindowText(text);
}

void CSecondDisplay::SetStatusText(LPCWSTR text)
{
    if (m_status.m_hWnd)
        m_status.SetWindowText(text);
}

void CSecondDisplay::SetGroupCaption(LPCWSTR text)
{
    if (m_partitionGroup.m_hWnd)
        m_partitionGroup.SetWindowText(text);
}

// A logical volume keeps the pie at the right of its data. A pane too narrow for both (the frame at its smallest,
// and not much wider) takes the room from the data's box, whose values are short then, rather than cut the pie
// off at the pane's edge.
void CSecondDisplay::PlaceGroups()
{
    if (!m_pie.m_hWnd)
        return;
    CRect c;
    GetClientRect(&c);
    const bool pie = (m_pieGroup.GetStyle() & WS_VISIBLE) != 0;
    const int pieLeft = std::clamp(int(c.right) - 240, 430, 530);
    const int pieWidth = std::clamp(int(c.right) - 10 - pieLeft, 0, 230);
    const int dataWidth = pie ? pieLeft - 30 : 500;
    m_partitionGroup.MoveWindow(20, 40, dataWidth, 260);
    m_driveGroup.MoveWindow(20, 40, dataWidth, 260);
    for (int i = 0; i < 5; ++i)
        m_value[i].MoveWindow(280, 70 + 20 * i, std::min(220, dataWidth - 270), 20);
    m_pieGroup.MoveWindow(pieLeft, 40, pieWidth, 260);
    m_pie.MoveWindow(pieLeft + 10, 60, std::max(0, pieWidth - 20), 230);
}

void CSecondDisplay::ShowPie(bool show)
{
    ShowControl(m_pie, show);
    ShowControl(m_pieGroup, show);
    PlaceGroups();
    if (show && PartitionParams.LogicalDriveIndex < LogicalDriveTable.Count)
        m_pie.SetDrive(static_cast<LPCWSTR>(CString(LogicalDriveTable.RootText[PartitionParams.LogicalDriveIndex])));
}

void CSecondDisplay::SelectChooser(WORD kind)
{
    if (kind == FS_KIND_NTFS)
        m_fsChooser.SetCurSel(0);
    else if (kind == FS_KIND_FAT32)
        m_fsChooser.SetCurSel(1);
    else if (kind == FS_KIND_FAT16)
        m_fsChooser.SetCurSel(2);
}

WORD CSecondDisplay::ChosenFsKind() const
{
    switch (m_fsChooser.GetCurSel()) {
    case 0: return FS_KIND_NTFS;
    case 1: return FS_KIND_FAT32;
    case 2: return FS_KIND_FAT16;
    default: return 0;
    }
}

void CSecondDisplay::ShowPartitionInfo(int index)
{
    if (index < 0) {
        ShowNoPartitionInfo();
        return;
    }
    const PartitionParamsBlock& p = PartitionParams;
    if (p.SectorCount)
        PartitionParams.BackupSector = DWORD(std::min<ULONGLONG>(ULONGLONG(p.StartSector) + p.SectorCount - 1,
                                                                 0xFFFFFFFFULL));
    ShowSelectedPartition();
    CString size;
    size.Format(u"%d MB (大约)", int(p.SectorCount / 2048));
    SetValue(3, size);
}

void CSecondDisplay::ShowSelectedPartition()
{
    const char16_t* const labels[5] = {u"分区类型\t :", u"分区起始\t :", u"分区结束\t :", u"分区大小         :", u""};
    SetLabels(labels);
    const PartitionParamsBlock& p = PartitionParams;
    SetValue(0, KindName(p.PartitionFsType));
    SelectChooser(p.PartitionFsType);
    SetValue(1, Number(p.StartSector));
    SetValue(2, Number(p.BackupSector));
    m_start.SetWindowText(Number(p.StartSector));
    m_end.SetWindowText(Number(p.BackupSector));
    SetValue(3, Number(p.SectorCount / 2048) + CString(u" MB ( 大约 ) "));
    SetValue(4, u"");
    ShowPie(DriveKind == 2);
}

void CSecondDisplay::ShowNoPartitionInfo()
{
    const char16_t* const labels[5] = {u"分区类型\t :", u"分区起始\t :", u"分区结束\t   :", u"分区大小         :", u""};
    SetLabels(labels);
    ClearDriveInfo();
    ShowPie(false);
}

void CSecondDisplay::ShowVolumeInfoLines()
{
    const char16_t* const labels[5] = {u"卷名        :", u"容量        :", u"每簇扇区:", u"文件系统:", u""};
    SetLabels(labels);
    const int i = PartitionParams.LogicalDriveIndex;
    if (DriveKind != 2 || i >= LogicalDriveTable.Count) {
        ShowNoPartitionInfo();
        return;
    }
    CString capacity, spc;
    capacity.Format(u"%d MB (大约)", int(LogicalDriveTable.SectorCount[i] / 2 / 1024));
    spc.Format(u"%u", unsigned(LogicalDriveTable.SectorsPerCluster[i]));
    SetValue(1, capacity);
    SetValue(2, spc);
    SetValue(3, KindName(LogicalDriveTable.Kind[i]));
    SelectChooser(LogicalDriveTable.Kind[i]);
    SetValue(4, u"");
    m_start.SetWindowText(capacity);
    m_end.SetWindowText(capacity);
}

void CSecondDisplay::ShowVolumeInfo()
{
    ShowVolumeInfoLines();
    const int i = PartitionParams.LogicalDriveIndex;
    if (DriveKind != 2 || i >= LogicalDriveTable.Count)
        return;
    CString name;
    name.Format(u"%s ( %c )", static_cast<LPCWSTR>(CString(LogicalDriveTable.VolumeName[i])),
                LogicalDriveTable.RootText[i][0]);
    SetValue(0, name);
    ShowPie(true);
}

void CSecondDisplay::ShowSectorRangeInputs()
{
    if (ScanMode != 0)
        return;
    for (CWnd* w : std::initializer_list<CWnd*>{&m_fsLabel, &m_startLabel, &m_endLabel, &m_fsChooser, &m_start, &m_end})
        ShowControl(*w, true);
}

void CSecondDisplay::ShowFsChoiceOnly()
{
    ShowFsChooser();
    for (CWnd* w : std::initializer_list<CWnd*>{&m_startLabel, &m_endLabel, &m_start, &m_end})
        ShowControl(*w, false);
}

void CSecondDisplay::HideScanInputs()
{
    for (CWnd* w : std::initializer_list<CWnd*>{&m_fsLabel, &m_startLabel, &m_endLabel, &m_fsChooser, &m_start, &m_end})
        ShowControl(*w, false);
}

void CSecondDisplay::ShowFsChooser()
{
    ShowControl(m_fsLabel, true);
    ShowControl(m_fsChooser, true);
}

void CSecondDisplay::ResetScanCounters()
{
    const char16_t* const labels[5] = {u"找到文件夹       :", u"找到文件         :", u"当前扇区         : ",
                                       u"最后文件/文件夹   : ", u""};
    SetLabels(labels);
    ClearDriveInfo();
}

void CSecondDisplay::ShowFatScanCounters()
{
    const char16_t* const labels[5] = {u"找到引导扇区 :        ", u"找到文件夹\t        :     ", u"当前扇区\t        :      ",
                                       u"", u""};
    SetLabels(labels);
    for (int i = 0; i < 5; ++i)
        SetValue(i, u"");
}

void CSecondDisplay::ShowNtfsScanCounters()
{
    const char16_t* const labels[5] = {u"找到引导扇区 :        ", u"找到索引项目 :         ", u"找到文件         :         ",
                                       u"找到文件夹     :         ", u"当前扇区         :        "};
    SetLabels(labels);
}

void CSecondDisplay::ClearDriveInfo()
{
    for (int i = 0; i < 5; ++i)
        SetValue(i, u"");
    if (m_start.m_hWnd) {
        m_start.SetWindowText(u"");
        m_end.SetWindowText(u"");
    }
}

void CSecondDisplay::SetDetailsToggle(bool show, bool enable)
{
    ShowControl(m_details, show);
    ShowControl(m_hint, show);
    m_details.EnableWindow(enable);
}

void CSecondDisplay::ResetDetails()
{
    ShowScanDetails = 1;
    if (m_details.m_hWnd)
        m_details.SetWindowText(kHideDetails);
}

void CSecondDisplay::OnToggleDetails()
{
    if (ShowScanDetails != 1) {
        m_details.SetWindowText(kHideDetails);
        ShowScanDetails = 1;
    } else {
        m_details.SetWindowText(kShowDetails);
        ShowScanDetails = 0;
    }
    CDovemarkApp* app = DovemarkApp();
    if (CMainFrame* frame = MainFrame(); frame && app && app->GetPage(2))
        frame->SetActiveView(app->GetPage(2));
}
