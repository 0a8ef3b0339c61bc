// The About box.
#include "app/about_dlg.h"

#include "app/banner_dlg.h"
#include "app_res.h"

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX), m_skin(IDB_ABOUT_SKIN) {}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The lines are drawn over the skin.
    if (HWND title = ::GetDlgItem(m_hWnd, IDC_ABOUT_TITLE))
        m_title.SubclassWindow(title);
    if (HWND line2 = ::GetDlgItem(m_hWnd, IDC_ABOUT_LINE2))
        m_line2.SubclassWindow(line2);
    struct Link {
        CHyperlinkStatic& control;
        int id;
        const char16_t* url;
    } links[] = {
        {m_linkWeb, IDC_ABOUT_LINK_WEB, kMakerWebPage},
        {m_linkMail, IDC_ABOUT_LINK_MAIL, u"mailto:support@dovemark.example"},
        {m_linkHelp, IDC_ABOUT_LINK_HELP, u"https://www.dovemark.example/help/"},
    };
    for (Link& link : links) {
        if (HWND item = ::GetDlgItem(m_hWnd, link.id)) {
            link.control.SubclassWindow(item);
            link.control.SetLinkUrl(link.url);
            link.control.SetLinkUnderline(1);
        }
    }
    return TRUE;
}

BOOL CAboutDlg::OnEraseBkgnd(CDC* pDC)
{
    return m_skin.Paint(pDC) ? TRUE : (BOOL)Default();
}
