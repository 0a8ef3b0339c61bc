// The toolkit button: owner drawing through its theme, hot tracking, pushed and checked states.
#include "toolkit/base/button.h"

#include "toolkit/base/color_table.h"
#include "toolkit/base/draw_helpers.h"

IMPLEMENT_DYNAMIC(CTKButton, CButton)

BEGIN_MESSAGE_MAP(CTKButton, CButton)
    ON_WM_MOUSEMOVE()
    ON_WM_TIMER()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_CREATE()
    ON_WM_ERASEBKGND_NOERASE()
    ON_WM_PAINT()
    ON_MESSAGE(BM_SETCHECK, OnSetCheck)
    ON_MESSAGE(BM_GETCHECK, OnGetCheck)
    ON_MESSAGE(BM_GETSTATE, OnGetState)
    ON_MESSAGE(WM_GETDLGCODE, OnGetDlgCode)
    ON_CONTROL_REFLECT_EX(BN_CLICKED, OnClicked)
END_MESSAGE_MAP()

namespace {

const UINT_PTR kHotTimer = 1;

bool IsCheckBoxKind(UINT kind)
{
    switch (kind) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_AUTORADIOBUTTON: return true;
    default: return false;
    }
}

} // namespace

void CTKButton::StyleClient::OnStyleChanged()
{
    if (m_pOwner->GetSafeHwnd())
        m_pOwner->Invalidate();
}

CTKButton::CTKButton(CRuntimeClass* factoryClass)
    : m_styleClient(this, factoryClass ? factoryClass : RUNTIME_CLASS(CTKButtonThemeFactory))
{
}

CTKButtonTheme* CTKButton::GetTheme()
{
    // A factory of another kind of style gives the button no look rather than a wrong one.
    return dynamic_cast<CTKButtonTheme*>(m_styleClient.GetStyle());
}

void CTKButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (CTKButtonTheme* theme = GetTheme())
        theme->DrawButton(lpDrawItemStruct, this);
}

BOOL CTKButton::SetTextImagePos(CPoint image, CPoint text, BOOL redraw)
{
    m_ptImage = image;
    m_ptText = text;
    m_bUserPositions = TRUE;
    if (redraw && GetSafeHwnd())
        Invalidate();
    return TRUE;
}

DWORD CTKButton::SetXButtonStyle(DWORD style, BOOL redraw)
{
    const DWORD old = m_dwXButtonStyle;
    m_dwXButtonStyle = style;
    if (style & TKBS_THEME1) {
        auto* theme = new CTKFlatButtonTheme(FALSE);
        theme->SetThemeId(1);
        SetTheme(theme);
    } else if (style & TKBS_FLAT) {
        SetTheme(new CTKButtonTheme);
    } else {
        SetTheme(nullptr);
    }
    if (redraw && GetSafeHwnd())
        Invalidate();
    return old;
}

void CTKButton::SetColorFace(COLORREF color)
{
    if (CTKButtonTheme* theme = GetTheme())
        theme->SetColorFace(color);
}

COLORREF CTKButton::GetColorFace()
{
    if (CTKButtonTheme* theme = GetTheme())
        return theme->GetColorFace();
    return GetColorTable().GetColorByIndex(15);
}

void CTKButton::SetColorLightFace(COLORREF color)
{
    if (CTKButtonTheme* theme = GetTheme())
        theme->SetColorLightFace(color);
}

void CTKButton::SetColorShadow(COLORREF color)
{
    if (CTKButtonTheme* theme = GetTheme())
        theme->SetColorShadow(color);
}

void CTKButton::SetColorText(COLORREF color)
{
    if (CTKButtonTheme* theme = GetTheme())
        theme->SetColorText(color);
}

void CTKButton::SetXPColors(COLORREF shadow, COLORREF checked, COLORREF hot)
{
    auto* theme = dynamic_cast<CTKFlatButtonTheme*>(GetTheme());
    if (!theme)
        return;
    theme->m_clrLightFace.SetOverride(shadow);
    theme->m_clrShadow.SetOverride(shadow);
    theme->m_clrCheckedBack.SetOverride(checked);
    theme->m_clrHotBack.SetOverride(hot);
}

void CTKButton::ToggleFlat()
{
    m_dwXButtonStyle ^= TKBS_FLAT;
    if (GetSafeHwnd())
        Invalidate();
}

CFont* CTKButton::SetFontEx(CFont* font)
{
    if (!GetSafeHwnd())
        return nullptr;
    HFONT previous = HFONT(SendMessage(WM_GETFONT));
    SendMessage(WM_SETFONT, WPARAM(font ? font->GetSafeHandle() : nullptr), TRUE);
    return previous ? CFont::FromHandle(previous) : nullptr;
}

BOOL CTKButton::MakeOwnerDrawn()
{
    if (!GetSafeHwnd())
        return FALSE;
    const DWORD style = GetStyle();
    const UINT kind = style & BS_TYPEMASK;
    if (kind == BS_OWNERDRAW)
        return TRUE;
    // A check box or radio button keeps its state and its clicks once the button draws itself.
    if (IsCheckBoxKind(kind)) {
        m_nCheckKind = kind;
        m_bChecked = int(::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0));
    }
    // The kind is replaced, not or-ed: radio and three-state kinds or-ed with BS_OWNERDRAW would
    // give a kind that no button has.
    ::SetWindowLongW(m_hWnd, GWL_STYLE, LONG((style & ~DWORD(BS_TYPEMASK)) | BS_OWNERDRAW));
    return TRUE;
}

void CTKButton::GetButtonText(CString& text, BOOL stripMnemonics)
{
    text.Empty();
    if (GetSafeHwnd())
        GetWindowText(text);
    if (stripMnemonics)
        StripMnemonics(text);
}

BOOL CTKButton::PreCreateWindow(CREATESTRUCTW& cs)
{
    m_bMakeOwnerDrawnOnSubclass = 0;
    return CButton::PreCreateWindow(cs);
}

void CTKButton::PreSubclassWindow()
{
    CButton::PreSubclassWindow();
    if (m_bMakeOwnerDrawnOnSubclass)
        MakeOwnerDrawn();
}

BOOL CTKButton::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    RefreshThemedStyle(m_styleClient, message);
    // Capture taken away while the button was held: it is no longer pushed.
    if (message == WM_CAPTURECHANGED && HWND(lParam) != m_hWnd)
        m_bPushed = FALSE;
    return CButton::OnWndMsg(message, wParam, lParam, pResult);
}

void CTKButton::TrackHot()
{
    CTKButtonTheme* theme = GetTheme();
    POINT cursor{};
    ::GetCursorPos(&cursor);
    CRect window;
    GetWindowRect(&window);
    if (!m_bPushed && window.PtInRect(cursor)) {
        if (theme && theme->IsHotTrackEnabled(this) && !m_bHotDrawn) {
            m_bHot = TRUE;
            Invalidate();
            m_bHotDrawn = TRUE;
        }
        return;
    }
    KillTimer(kHotTimer);
    m_bHot = FALSE;
    if (m_bHotDrawn)
        Invalidate();
    m_bHotDrawn = FALSE;
}

void CTKButton::OnMouseMove(UINT, CPoint)
{
    CTKButtonTheme* theme = GetTheme();
    if (theme && theme->IsHotTrackEnabled(this)) {
        SetTimer(kHotTimer, 10, nullptr);
        TrackHot();
    }
    Default();
}

void CTKButton::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kHotTimer) {
        TrackHot();
        return;
    }
    Default();
}

void CTKButton::OnLButtonDown(UINT, CPoint)
{
    if (!m_bPushed) {
        m_bPushed = TRUE;
        Invalidate();
    }
    Default();
}

void CTKButton::OnLButtonUp(UINT, CPoint)
{
    if (m_bPushed) {
        m_bPushed = FALSE;
        Invalidate();
    }
    Default();
}

void CTKButton::OnLButtonDblClk(UINT nFlags, CPoint)
{
    // A double click acts as a second click.
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ScreenToClient(&cursor);
    SendMessage(WM_LBUTTONDOWN, nFlags, MAKELPARAM(cursor.x, cursor.y));
    Default();
}

int CTKButton::OnCreate(LPCREATESTRUCTW)
{
    if (Default() == -1)
        return -1;
    MakeOwnerDrawn();
    return 0;
}

void CTKButton::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    if (!hdc)
        return;
    CRect client;
    GetClientRect(&client);
    {
        CTKMemDC dc(hdc, client, CTKPGradientColor(GetColorTable().GetColorByIndex(15)));
        if (dc.IsValid())
            DefWindowProc(WM_PAINT, WPARAM(dc.GetSafeHdc()), 0);
    }
    ::EndPaint(m_hWnd, &ps);
}

// ---- Check boxes and radio buttons made owner-drawn ---------------------------------------------
BOOL CTKButton::IsCheckKind() const
{
    return m_nCheckKind != 0;
}

void CTKButton::SetChecked(int check)
{
    const bool threeState = m_nCheckKind == BS_3STATE || m_nCheckKind == BS_AUTO3STATE;
    if (check != BST_UNCHECKED && !(threeState && check == BST_INDETERMINATE))
        check = BST_CHECKED;
    if (m_bChecked == check)
        return;
    m_bChecked = check;
    if (GetSafeHwnd())
        Invalidate();
}

LRESULT CTKButton::OnSetCheck(WPARAM wParam, LPARAM)
{
    if (!IsCheckKind())
        return Default();
    SetChecked(int(wParam));
    return 0;
}

LRESULT CTKButton::OnGetCheck(WPARAM, LPARAM)
{
    return IsCheckKind() ? m_bChecked : Default();
}

LRESULT CTKButton::OnGetState(WPARAM, LPARAM)
{
    return Default() | (IsCheckKind() ? m_bChecked : 0);
}

LRESULT CTKButton::OnGetDlgCode(WPARAM, LPARAM)
{
    if (m_nCheckKind == BS_RADIOBUTTON || m_nCheckKind == BS_AUTORADIOBUTTON)
        return DLGC_BUTTON | DLGC_RADIOBUTTON;
    return Default();
}

BOOL CTKButton::OnClicked()
{
    switch (m_nCheckKind) {
    case BS_AUTOCHECKBOX: SetChecked(m_bChecked ? BST_UNCHECKED : BST_CHECKED); break;
    case BS_AUTO3STATE: SetChecked((m_bChecked + 1) % 3); break;
    case BS_AUTORADIOBUTTON: {
        HWND parent = ::GetParent(m_hWnd);
        HWND first = parent ? ::GetNextDlgGroupItem(parent, m_hWnd, FALSE) : nullptr;
        for (HWND other = first; other && other != m_hWnd;) {
            if (::SendMessageW(other, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)
                ::SendMessageW(other, BM_SETCHECK, BST_UNCHECKED, 0);
            other = ::GetNextDlgGroupItem(parent, other, FALSE);
            if (other == first)
                break;
        }
        SetChecked(BST_CHECKED);
        break;
    }
    default: break;
    }
    // The parent hears of the click as well.
    return FALSE;
}
