// The information pane of the volume choice page: labels and values of the chosen volume's layout.
#include "app/file_system_form.h"

#include <algorithm>

namespace {

constexpr UINT kGroupId = 61479;
constexpr UINT kFirstLabel = 32812;
constexpr UINT kFirstValue = 32817;
constexpr UINT kModeLineId = 61482;
constexpr UINT kHintId = 170;

const WCHAR* const kFatLabels[5] = {u"", u"文件系统起始 :", u"每簇扇区数    :", u"文件系统大小 :", u""};
const WCHAR* const kNtfsLabels[5] = {u"文件系统起始 :", u"每簇扇区数    :", u"MFT 起始         :", u"MFT 镜像起始 :",
                                     u"文件系统大小 :"};

} // namespace

IMPLEMENT_DYNCREATE(CFileSystemForm, CView)

BEGIN_MESSAGE_MAP(CFileSystemForm, CView)
    ON_WM_CREATE()
    ON_WM_CTLCOLOR()
    ON_WM_LBUTTONDOWN()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
END_MESSAGE_MAP()

CFileSystemForm::CFileSystemForm()
{
    m_whiteBrush.CreateSolidBrush(RGB(255, 255, 255));
}

CFileSystemForm::~CFileSystemForm() = default;

int CFileSystemForm::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    m_font.CreatePointFont(90, u"Arial");
    m_bigFont.CreateFont(16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, 0, 0, 0, 0, u"Arial");
    m_group.Create(u"     文件系统信息     ", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, CRect(50, 50, 520, 350), this,
                   kGroupId);
    m_group.SetBackgroundColor(RGB(255, 255, 255));
    for (int i = 0; i < 5; ++i) {
        const int y = 70 + 20 * i;
        m_labels[i].Create(u"", WS_CHILD | WS_VISIBLE, CRect(80, y, 220, y + 18), this, kFirstLabel + i);
        m_values[i].Create(u"", WS_CHILD | WS_VISIBLE, CRect(250, y, 410, y + 18), this, kFirstValue + i);
        m_labels[i].SetFont(&m_font);
        m_values[i].SetFont(&m_font);
    }
    m_modeLine.Create(u"", WS_CHILD | WS_VISIBLE, CRect(50, 370, 51, 371), this, kModeLineId);
    m_hint.Create(u"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 1, 35), this, kHintId);
    m_modeLine.SetFont(&m_bigFont);
    m_hint.SetFont(&m_bigFont);
    EnableWindow(FALSE);
    return 0;
}

// The mode line runs from (50, 370) to the bottom right, the hint line along the top.
void CFileSystemForm::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    if (m_modeLine.GetSafeHwnd())
        m_modeLine.MoveWindow(50, 370, std::max(1, cx - 50), std::max(1, cy - 370));
    if (m_hint.GetSafeHwnd())
        m_hint.MoveWindow(0, 0, std::max(1, cx), 35);
}

void CFileSystemForm::SetLabels(const WCHAR* const labels[5])
{
    for (int i = 0; i < 5; ++i) {
        m_labels[i].SetWindowText(labels[i]);
        m_values[i].SetWindowText(u"");
        m_labels[i].ShowWindow(SW_SHOW);
        m_values[i].ShowWindow(SW_SHOW);
    }
}

void CFileSystemForm::SetFatInfoText()
{
    if (!GetSafeHwnd())
        return;
    SetLabels(kFatLabels);
    m_labels[0].ShowWindow(SW_HIDE);
    m_values[0].ShowWindow(SW_HIDE);
}

void CFileSystemForm::SetNtfsInfoText()
{
    if (GetSafeHwnd())
        SetLabels(kNtfsLabels);
}

void CFileSystemForm::ShowFatVolumeInfo(const CString& start, const CString& sectorsPerCluster, const CString& size)
{
    if (!GetSafeHwnd())
        return;
    SetFatInfoText();
    m_values[1].SetWindowText(start);
    m_values[2].SetWindowText(sectorsPerCluster);
    m_values[3].SetWindowText(size);
}

void CFileSystemForm::ShowNtfsVolumeInfo(const CString& start, const CString& sectorsPerCluster, const CString& mft,
                                         const CString& mftMirror, const CString& size)
{
    if (!GetSafeHwnd())
        return;
    SetNtfsInfoText();
    const CString* values[5] = {&start, &sectorsPerCluster, &mft, &mftMirror, &size};
    for (int i = 0; i < 5; ++i)
        m_values[i].SetWindowText(*values[i]);
}

void CFileSystemForm::ClearInfo()
{
    if (!GetSafeHwnd())
        return;
    for (CStatic& value : m_values)
        value.SetWindowText(u"");
}

void CFileSystemForm::SetHint(LPCWSTR text)
{
    if (GetSafeHwnd())
        m_hint.SetWindowText(text);
}

CString CFileSystemForm::GetLabel(int row) const
{
    CString text;
    m_labels[row].GetWindowText(text);
    return text;
}

CString CFileSystemForm::GetValue(int row) const
{
    CString text;
    m_values[row].GetWindowText(text);
    return text;
}

BOOL CFileSystemForm::IsRowVisible(int row) const
{
    return m_labels[row].IsWindowVisible();
}

void CFileSystemForm::OnDraw(CDC*)
{
    if (m_pModeText && m_modeLine.GetSafeHwnd())
        m_modeLine.SetWindowText(*m_pModeText);
}

BOOL CFileSystemForm::OnEraseBkgnd(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    pDC->FillRect(&client, &m_whiteBrush);
    return TRUE;
}

HBRUSH CFileSystemForm::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    const UINT id = pWnd ? (UINT)pWnd->GetDlgCtrlID() : 0;
    if (nCtlColor == CTLCOLOR_STATIC &&
        (id == kModeLineId || id == kHintId || (id >= kFirstLabel && id <= kFirstValue + 4))) {
        pDC->SetTextColor(RGB(0, 0, 0));
        pDC->SetBkColor(RGB(255, 255, 255));
        return (HBRUSH)m_whiteBrush.GetSafeHandle();
    }
    return ::GetSysColorBrush(COLOR_WINDOW);
}

void CFileSystemForm::OnLButtonDown(UINT, CPoint)
{
    // Clicking the pane makes the page that holds it the frame's active view.
    CFrameWnd* frame = GetParentFrame();
    CWnd* page = GetParent();
    if (frame && page && page->IsKindOf(RUNTIME_CLASS(CView)))
        frame->SetActiveView(static_cast<CView*>(page));
}
