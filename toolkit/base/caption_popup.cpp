// The caption popup: shows a caption's child window under a caption of its own with a pin, and
// ends when pinned or when the focus leaves it.
#include "toolkit/base/caption.h"

#include "toolkit/base/color_table.h"
#include "toolkit/base/resource_loader.h"

IMPLEMENT_DYNAMIC(CTKCaptionPopupWnd, CWnd)

BEGIN_MESSAGE_MAP(CTKCaptionPopupWnd, CWnd)
    ON_WM_PAINT()
    ON_BN_CLICKED(TK_IDC_CAPTIONBUTTON, OnPin)
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {

const WCHAR kPopupClass[] = u"TKCaptionPopupWnd";
const UINT_PTR kFocusTimer = 1;
const int kBandHeight = 19;

} // namespace

CTKCaptionPopupWnd::CTKCaptionPopupWnd()
{
    WNDCLASSW wc{};
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (::GetClassInfoW(instance, kPopupClass, &wc))
        return;
    wc.style = CS_VREDRAW | CS_HREDRAW;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
    wc.lpszClassName = kPopupClass;
    if (!::RegisterClassW(&wc))
        AfxThrowResourceException();
}

CTKCaptionPopupWnd::~CTKCaptionPopupWnd()
{
    if (m_hWnd)
        DestroyWindow();
}

BOOL CTKCaptionPopupWnd::Create(const CRect& rect, CTKCaption* caption, CWnd* child)
{
    if (!caption || !::IsWindow(caption->m_hWnd) || !child || !::IsWindow(child->m_hWnd))
        return FALSE;
    m_pCaption = caption;
    m_pChild = child;
    if (!CreateEx(WS_EX_TOOLWINDOW, kPopupClass, u"", WS_POPUP | WS_VISIBLE | WS_DLGFRAME, rect, caption, 0))
        return FALSE;
    m_pChildParent = child->GetParent();
    child->SetParent(this);

    CString text;
    GetResourceLoader().LoadString(text, 9036);
    if (!m_caption.Create(this, text, TKCS_SINGLEBORDER, WS_CHILD | WS_VISIBLE | SS_CENTER, CRect(0, 0, 0, 0), 0xFFFF))
        return FALSE;
    m_caption.m_bTextButton = 0;

    if (!m_pin.Create(u"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW | BS_ICON | BS_CENTER | BS_VCENTER, CRect(0, 0, 0, 0),
                      this, TK_IDC_CAPTIONBUTTON))
        return FALSE;
    m_pin.m_pCaption = &m_caption;
    // The pin lies on the inner caption's band and takes the clicks there.
    ::SetWindowPos(m_pin.m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    HIMAGELIST images = ::ImageList_Create(16, 15, ILC_COLOR8 | ILC_MASK, 3, 1);
    HBITMAP bitmap = nullptr;
    if (images && GetResourceLoader().LoadBitmap(bitmap, 9002)) {
        ::ImageList_AddMasked(images, bitmap, RGB(255, 0, 255));
        m_iconPinHot.Set(::ImageList_GetIcon(images, 0, ILD_NORMAL));
        m_iconPin.Set(::ImageList_GetIcon(images, 1, ILD_NORMAL));
        if (m_iconPin)
            m_pin.SetIcon(CSize(16, 15), HICON(m_iconPin), HICON(m_iconPinHot), TRUE);
    }
    if (bitmap)
        ::DeleteObject(bitmap);
    if (images)
        ::ImageList_Destroy(images);
    SetTimer(kFocusTimer, 10);
    return TRUE;
}

void CTKCaptionPopupWnd::RecalcLayout()
{
    if (!m_hWnd)
        return;
    CRect rc;
    GetClientRect(&rc);
    rc.DeflateRect(2, 2);
    CRect band(rc.left, rc.top, rc.right, rc.top + kBandHeight);
    if (m_pChild && ::IsWindow(m_pChild->m_hWnd))
        m_pChild->MoveWindow(rc.left, band.bottom, rc.Width(), rc.bottom - band.bottom);
    if (m_caption.m_hWnd)
        m_caption.MoveWindow(&band);
    band.DeflateRect(2, 2);
    if (m_pin.m_hWnd)
        m_pin.MoveWindow(band.right - 16, band.top, 16, band.Height());
}

void CTKCaptionPopupWnd::RestoreChild()
{
    if (m_pChild && ::IsWindow(m_pChild->m_hWnd) && m_pChildParent && ::IsWindow(m_pChildParent->m_hWnd))
        m_pChild->SetParent(m_pChildParent);
}

BOOL CTKCaptionPopupWnd::CheckFocus()
{
    HWND focus = ::GetFocus();
    if (focus && (focus == m_caption.m_hWnd || focus == m_pin.m_hWnd || focus == m_hWnd))
        return TRUE;
    // The child's own controls count as the child.
    if (focus && m_pChild && (focus == m_pChild->m_hWnd || ::IsChild(m_pChild->m_hWnd, focus)))
        return TRUE;
    PostEnd(TKM_CAPTIONPOPUP_CLOSED);
    return FALSE;
}

void CTKCaptionPopupWnd::PostEnd(UINT message)
{
    if (m_bEnding || !m_pCaption || !::IsWindow(m_pCaption->m_hWnd))
        return;
    m_bEnding = TRUE;
    KillTimer(kFocusTimer);
    m_pCaption->PostMessage(message, 0, LPARAM(m_hWnd));
}

void CTKCaptionPopupWnd::OnPaint()
{
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    rc.DeflateRect(1, 1);
    CTKPColorTable& table = GetColorTable();
    dc.Draw3dRect(&rc, table.GetColorByIndex(16), table.GetColorByIndex(20));
    if (m_caption.m_hWnd)
        m_caption.Invalidate();
}

void CTKCaptionPopupWnd::OnPin()
{
    PostEnd(TKM_CAPTIONPOPUP_PINNED);
}

void CTKCaptionPopupWnd::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kFocusTimer) {
        CheckFocus();
        return;
    }
    CWnd::OnTimer(nIDEvent);
}

void CTKCaptionPopupWnd::OnDestroy()
{
    KillTimer(kFocusTimer);
    RestoreChild();
    CWnd::OnDestroy();
}
