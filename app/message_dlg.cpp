// The message dialogs of the protocol and the skin bitmap of the program's dialogs.
#include "app/message_dlg.h"

#include "app_res.h"
#include "controls/html_message_box.h"

const WCHAR kMessageCaption[] = u"Dovemark For Windows";

CDialogSkin::CDialogSkin(UINT bitmapId)
{
    m_hBitmap = static_cast<HBITMAP>(
        ::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

CDialogSkin::~CDialogSkin()
{
    if (m_hBitmap)
        ::DeleteObject(m_hBitmap);
}

BOOL CDialogSkin::Paint(CDC* pDC) const
{
    if (!m_hBitmap || !pDC)
        return FALSE;
    HDC memory = ::CreateCompatibleDC(pDC->GetSafeHdc());
    if (!memory)
        return FALSE;
    HGDIOBJ old = ::SelectObject(memory, m_hBitmap);
    if (!old) {
        ::DeleteDC(memory);
        return FALSE;
    }
    BITMAP bm{};
    ::GetObjectW(m_hBitmap, sizeof(bm), &bm);
    ::BitBlt(pDC->GetSafeHdc(), 0, 0, bm.bmWidth, bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight, memory, 0, 0,
             SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    return TRUE;
}

UINT MessageBoxStyleForKind(UINT kind, bool yesNo)
{
    UINT icon = 0;
    switch (kind) {
    case MSG_KIND_INFO:
        icon = MB_ICONINFORMATION;
        break;
    case MSG_KIND_ERROR:
        icon = MB_ICONERROR;
        break;
    case MSG_KIND_QUESTION:
        icon = MB_ICONQUESTION;
        break;
    default:
        return 0;
    }
    return icon | (yesNo ? MB_YESNO : MB_OK);
}

namespace {

// The message area is filled with a soft blue gradient; the other areas keep the plain button face.
MessageBoxParams MessageParams()
{
    MessageBoxParams params{};
    InitMessageBoxArea(&params.areaA);
    InitMessageBoxArea(&params.areaB);
    InitMessageBoxArea(&params.areaC);
    InitMessageBoxArea(&params.areaD);
    params.areaA.edge = 2;
    params.areaA.titleAlign = 0;
    params.areaA.effect = 12;
    params.areaA.color1 = 0xFFB39D;
    params.areaA.color2 = 0xFFFFFF;
    params.areaA.color3 = 0xFFB39D;
    params.buttonAlign = 2;
    params.style = 48;
    return params;
}

} // namespace

BEGIN_MESSAGE_MAP(CMessageDlg, CDialog)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CMessageDlg::CMessageDlg(LPCWSTR text, UINT kind, CWnd* pParent)
    : CDialog(IDD_MESSAGE, pParent), m_strText(text ? text : u""), m_nKind(kind), m_skin(IDB_MESSAGE_SKIN)
{
}

INT_PTR CMessageDlg::DoModal()
{
    UINT style = MessageBoxStyleForKind(m_nKind, m_nYesNoStyle != 0);
    if (!style)
        return CDialog::DoModal();
    MessageBoxParams params = MessageParams();
    return HtmlMessageBox(nullptr, m_strText, kMessageCaption, style, &params);
}

BOOL CMessageDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_MESSAGE_TEXT, m_strText);
    if (HWND back = ::GetDlgItem(m_hWnd, IDC_MESSAGE_BACK))
        m_back.SubclassWindow(back);
    return TRUE;
}

BOOL CMessageDlg::OnEraseBkgnd(CDC* pDC)
{
    return m_skin.Paint(pDC) ? TRUE : (BOOL)Default();
}

CSkinMessageDlg::CSkinMessageDlg(LPCWSTR text, UINT kind, CWnd* pParent) : CMessageDlg(text, kind, pParent)
{
    m_nYesNoStyle = MB_YESNO;
}

INT_PTR CSkinMessageDlg::DoModal()
{
    INT_PTR result = CMessageDlg::DoModal();
    if (!MessageBoxStyleForKind(m_nKind, true))
        return result;
    return result == IDYES ? IDOK : IDCANCEL;
}

void ShowAppMessage(LPCWSTR text, UINT kind)
{
    CMessageDlg dlg(text, kind);
    dlg.DoModal();
}

bool AskAppQuestion(LPCWSTR text, UINT kind)
{
    CSkinMessageDlg dlg(text, kind);
    return dlg.DoModal() == IDOK;
}
