// The percentage progress dialog: modeless, disabling its owner while it exists.
#include "app/progress_wait_dlg.h"

#include "app_res.h"

#include <algorithm>

int ProgressPercent(int position, int lower, int upper)
{
    if (upper <= lower)
        return 100;
    long long percent = (static_cast<long long>(position) - lower) * 100 / (static_cast<long long>(upper) - lower);
    return static_cast<int>(std::clamp<long long>(percent, 0, 100));
}

BEGIN_MESSAGE_MAP(CProgressWaitDlg, CDialog)
    ON_WM_ERASEBKGND()
    ON_MESSAGE(WM_PROGRESS_SETPOS, OnSetPosMessage)
END_MESSAGE_MAP()

CProgressWaitDlg::CProgressWaitDlg(UINT captionId)
    : m_skin(IDB_MESSAGE_SKIN), m_nCaptionId(captionId ? captionId : IDS_PROGRESS_CAPTION)
{
}

CProgressWaitDlg::~CProgressWaitDlg()
{
    if (m_hWnd)
        DestroyWindow();
}

BOOL CProgressWaitDlg::Create(CWnd* pParent)
{
    CWnd* owner = CWnd::GetSafeOwner(pParent);
    m_hWndOwner = owner ? owner->m_hWnd : nullptr;
    m_bOwnerDisabled = FALSE;
    if (m_hWndOwner && ::IsWindowEnabled(m_hWndOwner)) {
        ::EnableWindow(m_hWndOwner, FALSE);
        m_bOwnerDisabled = TRUE;
    }
    if (!CDialog::Create(IDD_PROGRESS_WAIT, owner)) {
        if (m_bOwnerDisabled)
            ::EnableWindow(m_hWndOwner, TRUE);
        m_bOwnerDisabled = FALSE;
        return FALSE;
    }
    return TRUE;
}

BOOL CProgressWaitDlg::DestroyWindow()
{
    if (m_bOwnerDisabled && m_hWndOwner)
        ::EnableWindow(m_hWndOwner, TRUE);
    m_bOwnerDisabled = FALSE;
    return CDialog::DestroyWindow();
}

BOOL CProgressWaitDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (HWND percent = ::GetDlgItem(m_hWnd, IDC_PROGRESS_PERCENT))
        m_percent.SubclassWindow(percent);
    if (HWND bar = ::GetDlgItem(m_hWnd, IDC_PROGRESS_BAR))
        m_progress.SubclassWindow(bar);
    m_progress.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(m_nLower, m_nUpper));
    m_progress.SendMessage(PBM_SETSTEP, m_nStep, 0);
    m_progress.SendMessage(PBM_SETPOS, m_nLower, 0);
    CString caption;
    caption.LoadString(m_nCaptionId);
    SetWindowText(caption);
    return TRUE;
}

void CProgressWaitDlg::SetRange(int lower, int upper)
{
    m_nLower = lower;
    m_nUpper = upper;
    if (m_progress.m_hWnd)
        m_progress.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lower, upper));
}

int CProgressWaitDlg::SetPos(int position)
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The loop that owns the queue must still see the request to end.
            ::PostQuitMessage(int(msg.wParam));
            break;
        }
        if (!m_hWnd || !::IsDialogMessageW(m_hWnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    int previous = 0;
    if (m_progress.m_hWnd)
        previous = int(m_progress.SendMessage(PBM_SETPOS, position, 0));
    UpdatePercent(position);
    return previous;
}

void CProgressWaitDlg::UpdatePercent(int position)
{
    if (!m_hWnd)
        return;
    CString text;
    text.Format(u"%d%c", ProgressPercent(position, m_nLower, m_nUpper), u'%');
    CString shown;
    if (HWND percent = ::GetDlgItem(m_hWnd, IDC_PROGRESS_PERCENT)) {
        CWnd::FromHandle(percent)->GetWindowText(shown);
        if (shown != text)
            ::SetWindowTextW(percent, text);
    }
}

LRESULT CProgressWaitDlg::OnSetPosMessage(WPARAM wParam, LPARAM)
{
    SetPos(int(wParam));
    return 0;
}

BOOL CProgressWaitDlg::OnEraseBkgnd(CDC* pDC)
{
    return m_skin.Paint(pDC) ? TRUE : (BOOL)Default();
}
