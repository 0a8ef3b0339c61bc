// The banner child dialog.
#include "app/banner_dlg.h"

#include "app_res.h"

const WCHAR kMakerWebPage[] = u"https://www.dovemark.example/";

BEGIN_MESSAGE_MAP(CBannerDlg, CDialog)
    ON_WM_SIZE()
END_MESSAGE_MAP()

BOOL CBannerDlg::Create(CWnd* pParent)
{
    if (!CDialog::Create(IDD_BANNER, pParent))
        return FALSE;
    ShowWindow(SW_SHOW);
    return TRUE;
}

BOOL CBannerDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (HWND link = ::GetDlgItem(m_hWnd, IDC_BANNER_LINK)) {
        m_link.SubclassWindow(link);
        m_link.SetBitmaps(IDB_BANNER, RGB(0, 255, 0));
        m_link.SetHoverCursor(IDC_LINK_HAND);
        m_link.SetClickUrl(kMakerWebPage);
        m_link.SetTooltipText(kMakerWebPage);
    }
    return TRUE;
}

void CBannerDlg::OnSize(UINT, int cx, int cy)
{
    // The picture button is the whole banner.
    if (m_link.m_hWnd)
        m_link.MoveWindow(0, 0, cx, cy);
}
