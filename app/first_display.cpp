// The drive page's side pane: disk geometry or volume data, the partitions' pie or the volume's capacity pie.
#include "app/first_display.h"

#include "app/dovemark_app.h"
#include "app/main_frame.h"
#include "app/wizard_state.h"
#include "engine/drive_identify.h"
#include "engine/engine_state.h"
#include "app/drive_listing.h"

IMPLEMENT_DYNCREATE(CFirstDisplay, CView)

BEGIN_MESSAGE_MAP(CFirstDisplay, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

namespace {

constexpr UINT kHintId = 170, kModeLineId = 61482, kGroupId = 61479, kPieId = 61467;

const char16_t* KindName(WORD kind)
{
    switch (kind) {
    case FS_KIND_FAT16: return u"FAT16";
    case FS_KIND_FAT32: return u"FAT32";
    case FS_KIND_NTFS: return u"NTFS";
    default: return u"UNKNOWN";
    }
}

} // namespace

int CFirstDisplay::OnCreate(LPCREATESTRUCTW cs)
{
    if (CView::OnCreate(cs) == -1)
        return -1;
    m_brush.CreateSolidBrush(RGB(189, 211, 255));
    m_whiteBrush.CreateSolidBrush(RGB(255, 255, 255));
    m_font.CreateFont(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Arial");
    const CString caption = PaddedText(u"选定的驱动器信息", 10);
    m_group.Create(caption, WS_CHILD | BS_GROUPBOX, CRect(0, 0, 0, 0), this, kGroupId);
    m_driveGroup.Create(caption, WS_CHILD | WS_VISIBLE | BS_GROUPBOX, CRect(0, 0, 0, 0), this, kGroupId);
    for (int i = 0; i < 5; ++i) {
        m_label[i].Create(u"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, UINT(0xFFFF));
        m_value[i].Create(u"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, UINT(0xFFFF));
        m_label[i].SetFont(&m_font);
        m_value[i].SetFont(&m_font);
    }
    m_hint.Create(PaddedText(u"请从左侧面板中选择包含无法存取数据的逻辑驱动器。如果您看不到盘符，先选择硬盘，其中已包含丢失的驱动器，"
                         u"并单击[下一步]继续恢复。",
                         89),
                  WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, kHintId);
    m_capacityPie.Create(u"", WS_CHILD, CRect(0, 0, 0, 0), this, kPieId);
    m_modeLine.Create(u"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, kModeLineId);
    for (CWnd* w : {static_cast<CWnd*>(&m_hint), static_cast<CWnd*>(&m_modeLine), static_cast<CWnd*>(&m_group),
                    static_cast<CWnd*>(&m_driveGroup)})
        w->SetFont(&m_font);
    ShowDiskHeading();
    return 0;
}

void CFirstDisplay::OnSize(UINT type, int cx, int cy)
{
    CView::OnSize(type, cx, cy);
    if (!m_hint.m_hWnd)
        return;
    CRect c;
    GetClientRect(&c);
    m_hint.MoveWindow(c.left + 10, c.top + 20, c.right - 10 - (c.left + 10), 60);
    const int ys[5] = {100, 120, 140, 160, 180}, hs[5] = {20, 40, 60, 20, 20};
    for (int i = 0; i < 5; ++i) {
        m_label[i].MoveWindow(c.left + 30, c.top + ys[i], 210, hs[i]);
        m_value[i].MoveWindow(c.left + 220, c.top + ys[i], 190, hs[i]);
    }
    m_driveGroup.MoveWindow(c.left + 10, c.top + 80, 520 - (c.left + 10), 345 - (c.top + 80));
    m_modeLine.MoveWindow(c.left + 10, 350, c.right - 10 - (c.left + 10), std::max(0, int(c.bottom) - 360));
    // Below the five lines, inside the group box: over the lines its legend would hide the last two.
    m_capacityPie.MoveWindow(60, c.top + 205, 200, 135);
    m_group.MoveWindow(0, 0, 0, 0);
}

void CFirstDisplay::OnDraw(CDC* pDC)
{
    m_pie.m_crText = 0x00808080;
    CFont* old = pDC->SelectObject(&m_font);
    m_pie.Draw(pDC, 160, 270, 60, 1, TRUE, FALSE);
    pDC->SelectObject(old);
    m_modeLine.SetWindowText(ScanModeText);
}

void CFirstDisplay::OnLButtonDown(UINT, CPoint)
{
    CDovemarkApp* app = DovemarkApp();
    if (CMainFrame* frame = MainFrame(); frame && app && app->GetPage(1))
        frame->SetActiveView(app->GetPage(1));
}

HBRUSH CFirstDisplay::OnCtlColor(CDC* dc, CWnd* wnd, UINT)
{
    const int id = wnd ? wnd->GetDlgCtrlID() : 0;
    if (id == int(kHintId) || id == int(kModeLineId)) {
        dc->SetBkColor(RGB(255, 255, 255));
        dc->SetTextColor(RGB(0, 0, 0));
        return m_whiteBrush;
    }
    return GetSysColorBrush(COLOR_WINDOW);
}

void CFirstDisplay::SetValues(const CString (&values)[5])
{
    for (int i = 0; i < 5; ++i)
        m_value[i].SetWindowText(values[i]);
}

void CFirstDisplay::ShowDiskHeading()
{
    const char16_t* labels[5] = {u"型号\t\t\t: ", u"容量\t\t\t:   ", u"柱面\t\t\t:    ", u"磁头\t\t\t:",
                                 u"每磁道扇区\t\t:      "};
    for (int i = 0; i < 5; ++i)
        m_label[i].SetWindowText(labels[i]);
}

void CFirstDisplay::ShowVolumeHeading()
{
    const char16_t* labels[5] = {u"卷名\t\t\t:      ", u"容量\t\t\t:   ", u"SPC\t\t\t:", u"每扇区字节\t\t:     ",
                                 u"文件系统\t\t:   "};
    for (int i = 0; i < 5; ++i)
        m_label[i].SetWindowText(labels[i]);
}

void CFirstDisplay::ClearInfo()
{
    SetValues({});
    m_capacityPie.ShowWindow(SW_HIDE);
    m_capacityPie.EnableWindow(FALSE);
    m_group.ShowWindow(SW_HIDE);
    m_group.EnableWindow(FALSE);
    m_pie.RemoveAllSlices();
    Invalidate();
}

void CFirstDisplay::ShowDiskInfo(int disk)
{
    ShowDiskHeading();
    if (disk < 0 || DWORD(disk) >= DetectedDriveCount) {
        ClearInfo();
        return;
    }
    m_capacityPie.ShowWindow(SW_HIDE);
    m_capacityPie.EnableWindow(FALSE);
    const DetectedDisk& d = DetectedDisks[disk];
    CString values[5];
    values[0] = CString(d.Model);
    values[1].Format(u"%d MB (大约)  ", int(DiskSectorCounts[disk] / 2048));
    values[2].Format(u"%d", int(d.Cylinders));
    values[3].Format(u"%d", int(d.TracksPerCylinder));
    values[4].Format(u"%ld", long(d.SectorsPerTrack));
    SetValues(values);
}

void CFirstDisplay::ShowDriveInfo(int volume)
{
    m_nVolume = volume;
    ShowVolumeHeading();
    if (volume < 0 || volume >= LogicalDriveTable.Count) {
        SetValues({});
        return;
    }
    m_capacityPie.ShowWindow(SW_SHOW);
    m_capacityPie.EnableWindow(TRUE);
    m_group.ShowWindow(SW_SHOW);
    m_group.EnableWindow(TRUE);
    m_group.SetWindowText(u"Selecteed Drive Information");
    m_pie.RemoveAllSlices();
    CString values[5];
    values[0].Format(u"%s", static_cast<LPCWSTR>(CString(LogicalDriveTable.VolumeName[volume])));
    values[1].Format(u"%d MB (大约)", int(LogicalDriveTable.SectorCount[volume] / 2 / 1024));
    values[2].Format(u"%u", unsigned(LogicalDriveTable.SectorsPerCluster[volume]));
    values[3] = u"512";
    values[4] = KindName(LogicalDriveTable.Kind[volume]);
    SetValues(values);
    m_capacityPie.SetDrive(static_cast<LPCWSTR>(CString(LogicalDriveTable.RootText[volume])));
    Invalidate();
}

void CFirstDisplay::DrawVolumePie()
{
    FillPartitionPie(m_pie, DriveNumber < DetectedDriveCount ? DiskSectorCounts[DriveNumber] : 0);
    Invalidate();
}
