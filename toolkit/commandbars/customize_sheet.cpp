// The customise sheet: its pages, the control menu and its commands on the selected control, and
// the input filter that lets only the bars and the sheet react while it runs.
#include "toolkit/commandbars/customize_sheet.h"

#include "afx/data_object.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/customize_drag.h"
#include "toolkit/commandbars/customize_pages.h"
#include "toolkit/commandbars/edit_combo.h"
#include "toolkit/commandbars/image_editor.h"
#include "toolkit/commandbars/image_pixels.h"
#include "toolkit/commandbars/popup_bar.h"

#include <cmath>

IMPLEMENT_DYNAMIC(CTKPCustomizeSheet, CPropertySheet)

namespace {

// The process-wide record of the running sheet and its thread hooks.
struct InputFilter {
    HHOOK hMouseHook = nullptr;
    CTKPCustomizeSheet* pMouseSheet = nullptr;
    HHOOK hKeyboardHook = nullptr;
    CTKPCustomizeSheet* pKeyboardSheet = nullptr;
};
InputFilter* g_pInputFilter = nullptr;

LRESULT CALLBACK MouseFilterProc(int code, WPARAM wParam, LPARAM lParam)
{
    InputFilter* filter = g_pInputFilter;
    HHOOK hook = filter ? filter->hMouseHook : nullptr;
    if (code < 0 || !filter || !lParam)
        return ::CallNextHookEx(hook, code, wParam, lParam);
    const auto* info = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam);
    if (filter->pMouseSheet->FilterMouse(UINT(wParam), *info))
        return ::CallNextHookEx(hook, code, wParam, lParam);
    return 1;
}

LRESULT CALLBACK KeyboardFilterProc(int code, WPARAM wParam, LPARAM lParam)
{
    InputFilter* filter = g_pInputFilter;
    HHOOK hook = filter ? filter->hKeyboardHook : nullptr;
    if (code < 0 || !filter)
        return ::CallNextHookEx(hook, code, wParam, lParam);
    if (filter->pKeyboardSheet->FilterKey())
        return ::CallNextHookEx(hook, code, wParam, lParam);
    return 1;
}

BOOL IsInside(HWND outer, HWND hWnd)
{
    return outer && hWnd && (outer == hWnd || ::IsChild(outer, hWnd));
}

// The command bar that is the window or its parent.
CTKPCommandBar* BarOfWindow(HWND hWnd)
{
    for (int level = 0; hWnd && level < 2; ++level, hWnd = ::GetParent(hWnd))
        if (auto* bar = dynamic_cast<CTKPCommandBar*>(CWnd::FromHandlePermanent(hWnd)))
            return bar;
    return nullptr;
}

BOOL IsEditableType(const CTKPControl* control)
{
    const int type = control->GetType();
    return type >= TKP_CONTROL_BUTTON && type <= TKP_CONTROL_SPLITBUTTONPOPUP;
}

void Relayout(CTKPControl* control)
{
    if (CTKPCommandBar* bar = control->GetParent()) {
        bar->OnRecalcLayout();
        if (bar->m_hWnd)
            ::InvalidateRect(bar->m_hWnd, nullptr, FALSE);
    }
}

// The name box of the control menu: it reports its text to the sheet when executed, and when it
// loses the selection while its edit has the focus.
class CTKPCustomizeNameBox : public CTKPControlEdit {
public:
    void OnExecute() override { NotifySite(TKP_CN_EXECUTE); }
    BOOL SetSelected(int state) override
    {
        if (!state && m_nSelected && HasEditWindow() && ::GetFocus() == m_pEdit->m_hWnd)
            NotifySite(TKP_CN_EXECUTE);
        return CTKPControlEdit::SetSelected(state);
    }
};

// The stock images' popup: a grid of buttons, filled by the sheet the first time it opens.
class CTKPCustomizeImagePopup : public CTKPPopupBar {
public:
    explicit CTKPCustomizeImagePopup(CTKPCustomizeSheet* sheet) : m_pSheet(sheet)
    {
        m_barType = TKP_BARTYPE_TOOLBAR;
        m_nBarID = TKP_ID_CUSTOMIZE_CHANGEIMAGE;
    }
    BOOL Popup(CTKPControlPopup* parentControl) override
    {
        if (GetControlCount() == 0)
            m_pSheet->FillImagePopup(this);
        return CTKPPopupBar::Popup(parentControl);
    }
    CSize CalcLayout(int length, DWORD mode) override
    {
        CTKPPaintManager* paint = GetPaintManager();
        if (m_nMRUWidth <= 0 || m_nMRUWidth == 32767 || !paint)
            return CTKPPopupBar::CalcLayout(length, mode);
        CClientDC dc(m_hWnd ? this : nullptr);
        HGDIOBJ oldFont = ::SelectObject(dc.m_hDC, paint->GetBarFont(this));
        const RECT border = paint->GetBarBorders(this);
        CSize size = m_pControls->CalcSize(&dc, m_nMRUWidth, LM_HORZ | LM_COMMIT, border);
        ::SelectObject(dc.m_hDC, oldFont);
        size.cx = m_nMRUWidth;
        return size;
    }

private:
    CTKPCustomizeSheet* m_pSheet;
};

} // namespace

UINT GetAlphaBitmapClipboardFormat()
{
    static const UINT format = ::RegisterClipboardFormatW(u"Alpha Bitmap Image");
    return format;
}

// ---- Construction ------------------------------------------------------------------------------
CTKPCustomizeSheet::CTKPCustomizeSheet(CTKPCommandBars* commandBars)
    : CPropertySheet(u"", commandBars ? commandBars->GetSite() : nullptr)
{
    GetResourceLoader().LoadString(m_strCaption, 9312);
    m_pToolbarsPage = new CTKPCustomizeToolbarsPage(this);
    AddPage(m_pToolbarsPage);
    m_pCommandsPage = new CTKPCustomizeCommandsPage(this);
    AddPage(m_pCommandsPage);
    m_pSite = commandBars ? commandBars->GetSite() : nullptr;
    m_pCommandBars = commandBars;

    HBITMAP strip = nullptr;
    if (GetResourceLoader().LoadBitmap(strip, TKP_IDB_CUSTOMIZE_IMAGES) && strip) {
        BITMAP bm{};
        ::GetObjectW(strip, sizeof(bm), &bm);
        ::DeleteObject(strip);
        const int count = bm.bmWidth / 16;
        m_pCustomImages = new CTKPImageManager();
        std::vector<UINT> ids;
        for (int i = 1; i <= count; ++i)
            ids.push_back(UINT(i));
        if (count > 0)
            m_pCustomImages->SetIconsFromBitmap(TKP_IDB_CUSTOMIZE_IMAGES, ids.data(), count, 16, 16);
    }
    m_psh.dwFlags |= PSH_NOAPPLYNOW;
    BuildControlMenu();
}

CTKPCustomizeSheet::~CTKPCustomizeSheet()
{
    if (m_hWnd)
        DestroyWindow();
    delete m_pToolbarsPage;
    delete m_pCommandsPage;
    if (m_pControlMenu)
        m_pControlMenu->InternalRelease();
    if (m_pCustomImages)
        m_pCustomImages->InternalRelease();
}

void CTKPCustomizeSheet::AddPage(CPropertyPage* page)
{
    CPropertySheet::AddPage(page);
    if (!page)
        return;
    const LPCWSTR name = page->m_psp.pszTemplate;
    if (reinterpret_cast<ULONG_PTR>(name) >> 16)
        return;
    if (const void* tmpl = GetResourceLoader().LoadDialogTemplate(UINT(reinterpret_cast<ULONG_PTR>(name)))) {
        page->m_psp.pResource = static_cast<LPCDLGTEMPLATEW>(tmpl);
        page->m_psp.dwFlags |= PSP_DLGINDIRECT;
    }
}

void CTKPCustomizeSheet::BuildControlMenu()
{
    HMENU menu = nullptr;
    if (!m_pCommandBars || !GetResourceLoader().LoadMenu(menu, TKP_IDR_CUSTOMIZE_MENU) || !menu)
        return;
    HMENU items = ::GetSubMenu(menu, 0);
    if (!items) {
        ::DestroyMenu(menu);
        return;
    }
    CTKPPopupBar* bar = CTKPPopupBar::CreatePopupBar(nullptr);
    bar->m_pPopupOwner = m_pSite;
    bar->m_pCommandOwner = this;
    if (CTKPPaintManager* paint = m_pCommandBars->GetPaintManager()) {
        paint->InternalAddRef();
        bar->SetPaintManager(paint);
    }
    if (m_pCustomImages) {
        m_pCustomImages->m_bDrawReverted = m_pCommandBars->IsLayoutRTL();
        m_pCustomImages->InternalAddRef();
        bar->SetImageManager(m_pCustomImages);
    }
    BOOL beginGroup = FALSE;
    const int count = ::GetMenuItemCount(items);
    for (int i = 0; i < count; ++i) {
        const UINT id = ::GetMenuItemID(items, i);
        if (id == 0 || id == UINT(-1) || (::GetMenuState(items, UINT(i), MF_BYPOSITION) & MF_SEPARATOR)) {
            beginGroup = TRUE;
            continue;
        }
        WCHAR text[256] = {};
        ::GetMenuStringW(items, UINT(i), text, 256, MF_BYPOSITION);
        CTKPControl* control;
        if (id == TKP_ID_CUSTOMIZE_CHANGEIMAGE) {
            auto* popup = new CTKPControlPopup(TKP_CONTROL_POPUP);
            auto* images = new CTKPCustomizeImagePopup(this);
            popup->SetCommandBar(images);
            images->InternalRelease();
            control = popup;
        } else if (id == TKP_ID_CUSTOMIZE_NAME) {
            control = new CTKPCustomizeNameBox();
        } else {
            control = new CTKPControlButton();
        }
        bar->GetControls()->AddControl(control, id);
        control->SetCaption(text);
        control->SetBeginGroup(beginGroup);
        beginGroup = FALSE;
    }
    ::DestroyMenu(menu);
    m_pControlMenu = bar;
}

void CTKPCustomizeSheet::FillImagePopup(CTKPPopupBar* popup)
{
    const CTKPImageManager* images = m_pCustomImages;
    int count = 0;
    while (images && images->GetIconSet(UINT(count + 1)))
        ++count;
    for (int i = 1; i <= count; ++i) {
        CTKPControl* button = popup->GetControls()->AddControl(new CTKPControlButton(), TKP_ID_CUSTOMIZE_CHANGEIMAGE);
        button->SetIconId(i);
        button->SetFlags(TKP_FLAG_MANUALUPDATE);
    }
    popup->m_nMRUWidth = 23 * int(std::floor(std::sqrt(double(count)))) + 6;
}

CTKPCustomizeSheet* CTKPCustomizeSheet::GetRunningSheet()
{
    return g_pInputFilter ? g_pInputFilter->pMouseSheet : nullptr;
}

// ---- Running -----------------------------------------------------------------------------------
INT_PTR CTKPCustomizeSheet::DoModal()
{
    if (g_pInputFilter || !m_pCommandBars || m_hWnd)
        return IDCANCEL;
    m_pCommandBars->SetCustomizeMode(TRUE);
    m_pCommandBars->GetDragContext()->m_pSheet = this;

    static InputFilter filter;
    filter = InputFilter{};
    filter.pMouseSheet = filter.pKeyboardSheet = this;
    g_pInputFilter = &filter;
    filter.hMouseHook = ::SetWindowsHookExW(WH_MOUSE, &MouseFilterProc, nullptr, ::GetCurrentThreadId());
    filter.hKeyboardHook = ::SetWindowsHookExW(WH_KEYBOARD, &KeyboardFilterProc, nullptr, ::GetCurrentThreadId());

    if (HWND capture = ::GetCapture())
        ::SendMessageW(capture, WM_CANCELMODE, 0, 0);
    INT_PTR result = IDCANCEL;
    CWnd* parent = m_pSite;
    if (CPropertySheet::Create(parent)) {
        m_nModalResult = -1;
        RunModalLoop(0);
        result = SendMessage(PSM_GETRESULT) > 0 ? IDOK : IDCANCEL;
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
    }

    if (filter.hMouseHook)
        ::UnhookWindowsHookEx(filter.hMouseHook);
    if (filter.hKeyboardHook)
        ::UnhookWindowsHookEx(filter.hKeyboardHook);
    if (m_hWnd && ::GetActiveWindow() == m_hWnd && parent && parent->m_hWnd)
        ::SetActiveWindow(parent->m_hWnd);
    if (m_hWnd)
        DestroyWindow();
    m_pCommandBars->SetCustomizeMode(FALSE);
    m_pCommandBars->GetDragContext()->m_pSheet = nullptr;
    CTKPMouseTracker::GetThreadTracker()->CloseAll();
    g_pInputFilter = nullptr;
    return result;
}

BOOL CTKPCustomizeSheet::ContinueModal()
{
    return m_hWnd && ::IsWindow(m_hWnd) && SendMessage(PSM_GETCURRENTPAGEHWND) != 0;
}

BOOL CTKPCustomizeSheet::FilterMouse(UINT message, const MOUSEHOOKSTRUCT& info)
{
    if (message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE)
        return TRUE;
    const HWND hWnd = info.hwnd;
    CTKPMouseTracker* tracker = CTKPMouseTracker::GetThreadTracker();
    CTKPCommandBar* bar = BarOfWindow(hWnd);
    const BOOL popups = tracker->GetTrackedCount() > 0;
    if (popups && bar && !bar->GetCommandBars())
        return TRUE;
    HWND site = m_pSite ? m_pSite->m_hWnd : nullptr;
    const BOOL pass = !IsInside(site, hWnd) || IsInside(m_hWnd, hWnd) || IsInside(::GetForegroundWindow(), hWnd) ||
                      (bar && bar->GetCommandBars() == m_pCommandBars);
    // A passed event reaches the tracker through its own hook; a swallowed one still closes the
    // tracked popups when it is a click outside them.
    if (!pass && popups)
        tracker->OnMouseMessage(message, info);
    return pass;
}

BOOL CTKPCustomizeSheet::FilterKey()
{
    HWND focus = ::GetFocus();
    if (IsInside(m_hWnd, focus))
        return TRUE;
    if (focus && dynamic_cast<CTKPCommandBar*>(CWnd::FromHandlePermanent(::GetParent(focus))))
        return TRUE;
    if (focus && IsInside(::GetForegroundWindow(), focus))
        return TRUE;
    return ::GetCapture() != nullptr;
}

LRESULT CTKPCustomizeSheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        const LRESULT result = CPropertySheet::WindowProc(message, wParam, lParam);
        OnInitDialog();
        return result;
    }
    if (message == TKP_WM_CONTROLNOTIFY)
        return OnControlNotify(wParam, lParam);
    return CPropertySheet::WindowProc(message, wParam, lParam);
}

BOOL CTKPCustomizeSheet::OnInitDialog()
{
    if (HWND ok = ::GetDlgItem(m_hWnd, IDOK))
        ::ShowWindow(ok, SW_HIDE);
    if (HWND cancel = ::GetDlgItem(m_hWnd, IDCANCEL)) {
        CString close;
        if (GetResourceLoader().LoadString(close, 9307))
            ::SetWindowTextW(cancel, close);
    }
    return TRUE;
}

BOOL CTKPCustomizeSheet::PreTranslateMessage(MSG* pMsg)
{
    if (!m_hWnd || !IsInside(m_hWnd, pMsg->hwnd))
        return FALSE;
    if (pMsg->message == WM_SYSKEYDOWN) {
        HWND tab = reinterpret_cast<HWND>(SendMessage(PSM_GETTABCONTROL));
        const int count = tab ? int(::SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0)) : 0;
        for (int i = 0; i < count; ++i) {
            WCHAR text[257] = {};
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = 256;
            if (!::SendMessageW(tab, TCM_GETITEMW, WPARAM(i), LPARAM(&item)))
                continue;
            const CString caption(text);
            const int amp = caption.ReverseFind(u'&');
            if (amp >= 0 && amp + 1 < caption.GetLength() &&
                CTKPShortcutTable::IsSameKey(caption[amp + 1], UINT(pMsg->wParam))) {
                SetActivePage(i);
                break;
            }
        }
    }
    return SendMessage(PSM_ISDIALOGMESSAGE, 0, LPARAM(pMsg)) != 0;
}

void CTKPCustomizeSheet::ShowControlMenu(int x, int y)
{
    if (!m_pControlMenu || !m_pCommandBars)
        return;
    const UINT flags = m_pCommandBars->IsLayoutRTL() ? 9 : 1;
    CTKPCommandBars::TrackPopupBar(m_pControlMenu, flags, x, y, m_pSite, nullptr, this);
}

// ---- Command routing ---------------------------------------------------------------------------
BOOL CTKPCustomizeSheet::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (nID >= TKP_ID_CUSTOMIZE_RESET && nID <= TKP_ID_CUSTOMIZE_BEGINGROUP) {
        if (nCode == CN_COMMAND) {
            if (!pHandlerInfo)
                ExecuteCommand(nID);
            return TRUE;
        }
        if (nCode == int(CN_UPDATE_COMMAND_UI) && pExtra) {
            auto* ui = static_cast<CCmdUI*>(pExtra);
            BOOL enabled = FALSE, checked = FALSE;
            const BOOL known = GetCommandState(nID, enabled, checked);
            if (nID == TKP_ID_CUSTOMIZE_NAME) {
                auto* bar = dynamic_cast<CTKPCommandBar*>(ui->m_pOther);
                if (auto* box = dynamic_cast<CTKPControlEdit*>(bar ? bar->GetControl(int(ui->m_nIndex)) : nullptr);
                    box && !box->IsFocused()) {
                    CTKPControl* selected = GetSelected();
                    box->SetEditText(selected ? selected->GetCaption() : CString());
                }
                ui->Enable(TRUE);
                return TRUE;
            }
            if (nID >= TKP_ID_CUSTOMIZE_DEFAULTSTYLE && nID <= TKP_ID_CUSTOMIZE_TEXTONLY && known) {
                ui->SetCheck(0);
                if (!enabled)
                    ui->Enable(FALSE);
                else
                    ui->SetCheck(checked);
                return TRUE;
            }
            if (known) {
                ui->Enable(enabled);
                if (nID == TKP_ID_CUSTOMIZE_BEGINGROUP)
                    ui->SetCheck(checked);
            }
            return TRUE;
        }
        return FALSE;
    }
    if (nCode == CN_COMMAND && (nID == IDOK || nID == IDCANCEL || nID == 9))
        return CPropertySheet::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
    if (m_pSite && m_pSite->m_hWnd)
        return m_pSite->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
    return CPropertySheet::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

LRESULT CTKPCustomizeSheet::OnControlNotify(WPARAM wParam, LPARAM lParam)
{
    const auto* notify = reinterpret_cast<const TKP_CONTROL_NOTIFY*>(lParam);
    const UINT id = UINT(wParam);
    if (!notify || notify->hdr.code != TKP_CN_EXECUTE)
        return 0;
    if (id == TKP_ID_CUSTOMIZE_NAME) {
        auto* box = dynamic_cast<CTKPControlEdit*>(notify->pControl);
        if (CTKPControl* selected = GetSelected(); selected && box) {
            selected->m_strCustomCaption = box->GetEditText();
            Relayout(selected);
        }
        return 1;
    }
    if (id == TKP_ID_CUSTOMIZE_CHANGEIMAGE) {
        if (notify->pControl)
            ChangeButtonImage(notify->pControl->m_nIconId);
        return 1;
    }
    if (id >= TKP_ID_CUSTOMIZE_RESET && id <= TKP_ID_CUSTOMIZE_BEGINGROUP)
        return 0;
    CTKPMouseTracker::GetThreadTracker()->CloseAll();
    if (m_pSite && m_pSite->m_hWnd && !::SendMessageW(m_pSite->m_hWnd, TKP_WM_CONTROLNOTIFY, wParam, lParam))
        ::SendMessageW(m_pSite->m_hWnd, WM_COMMAND, wParam, 0);
    return 1;
}

// ---- Commands on the selected control ----------------------------------------------------------
CTKPControl* CTKPCustomizeSheet::GetSelected() const
{
    return m_pCommandBars ? m_pCommandBars->GetDragControl() : nullptr;
}

BOOL CTKPCustomizeSheet::GetCommandState(UINT id, BOOL& enabled, BOOL& checked)
{
    enabled = checked = FALSE;
    CTKPControl* control = GetSelected();
    if (!control)
        return FALSE;
    const BOOL editable = IsEditableType(control);
    const BOOL hasIcon = control->GetIconId() > 0;
    switch (id) {
    case TKP_ID_CUSTOMIZE_RESET:
        enabled = control->m_nCustomIconId >= 1 || !control->m_strCustomCaption.IsEmpty() ||
                  control->m_nCustomStyle != 0;
        break;
    case TKP_ID_CUSTOMIZE_DELETE:
    case TKP_ID_CUSTOMIZE_NAME:
        enabled = TRUE;
        break;
    case TKP_ID_CUSTOMIZE_COPYIMAGE:
    case TKP_ID_CUSTOMIZE_EDITIMAGE:
    case TKP_ID_CUSTOMIZE_CHANGEIMAGE:
        enabled = hasIcon && editable;
        break;
    case TKP_ID_CUSTOMIZE_PASTEIMAGE:
        enabled = ::IsClipboardFormatAvailable(CF_BITMAP) && editable;
        break;
    case TKP_ID_CUSTOMIZE_RESETIMAGE:
        enabled = control->m_nCustomIconId >= 1;
        break;
    case TKP_ID_CUSTOMIZE_DEFAULTSTYLE:
    case TKP_ID_CUSTOMIZE_IMAGEANDTEXT:
    case TKP_ID_CUSTOMIZE_TEXTONLY: {
        const int style = id == TKP_ID_CUSTOMIZE_DEFAULTSTYLE ? 0 : id == TKP_ID_CUSTOMIZE_IMAGEANDTEXT ? 3 : 1;
        enabled = editable;
        checked = editable && control->m_nCustomStyle == style;
        break;
    }
    case TKP_ID_CUSTOMIZE_BEGINGROUP:
        enabled = control->GetIndex() != 0;
        checked = control->GetBeginGroup();
        break;
    default:
        return FALSE;
    }
    return TRUE;
}

BOOL CTKPCustomizeSheet::ExecuteCommand(UINT id)
{
    CTKPControl* control = GetSelected();
    BOOL enabled = FALSE, checked = FALSE;
    if (!control || !GetCommandState(id, enabled, checked) || !enabled)
        return FALSE;
    switch (id) {
    case TKP_ID_CUSTOMIZE_RESET:
        control->m_nCustomIconId = 0;
        control->m_strCustomCaption.Empty();
        control->m_nCustomStyle = 0;
        break;
    case TKP_ID_CUSTOMIZE_DELETE: {
        CTKPCommandBar* bar = control->GetParent();
        control->InternalAddRef();
        m_pCommandBars->SetDragControl(nullptr);
        if (bar)
            bar->GetControls()->Remove(control);
        else if (CTKPControls* controls = control->GetControls())
            controls->Remove(control);
        if (bar) {
            bar->OnRecalcLayout();
            if (bar->m_hWnd)
                ::InvalidateRect(bar->m_hWnd, nullptr, FALSE);
        }
        control->InternalRelease();
        return TRUE;
    }
    case TKP_ID_CUSTOMIZE_COPYIMAGE:
        return CopyButtonImage(control);
    case TKP_ID_CUSTOMIZE_PASTEIMAGE:
        if (!PasteButtonImage(control))
            return FALSE;
        break;
    case TKP_ID_CUSTOMIZE_RESETIMAGE:
        control->m_nCustomIconId = 0;
        break;
    case TKP_ID_CUSTOMIZE_EDITIMAGE:
        if (!EditButtonImage(control))
            return FALSE;
        break;
    case TKP_ID_CUSTOMIZE_CHANGEIMAGE:
        return FALSE; // a picked image comes through ChangeButtonImage
    case TKP_ID_CUSTOMIZE_DEFAULTSTYLE:
        control->m_nCustomStyle = 0;
        break;
    case TKP_ID_CUSTOMIZE_IMAGEANDTEXT:
        control->m_nCustomStyle = 3;
        break;
    case TKP_ID_CUSTOMIZE_TEXTONLY:
        control->m_nCustomStyle = 1;
        break;
    case TKP_ID_CUSTOMIZE_BEGINGROUP:
        control->SetBeginGroup(!control->GetBeginGroup());
        break;
    default:
        return FALSE;
    }
    Relayout(control);
    return TRUE;
}

BOOL CTKPCustomizeSheet::ChangeButtonImage(int stockImage)
{
    CTKPControl* control = GetSelected();
    CTKPImageManager* images = m_pCommandBars ? m_pCommandBars->GetImageManager() : nullptr;
    CTKPImageIconSet* set = m_pCustomImages && stockImage > 0 ? m_pCustomImages->GetIconSet(UINT(stockImage)) : nullptr;
    if (!control || !images || !set || set->GetCount() != 1)
        return FALSE;
    CTKPIconHandle handle;
    handle.CopyOwned(set->m_icons.begin()->second->GetIcon());
    if (const UINT id = images->AddCustomIcon(handle)) {
        control->m_nCustomIconId = id;
        Relayout(control);
        return TRUE;
    }
    return FALSE;
}

BOOL CTKPCustomizeSheet::CopyButtonImage(CTKPControl* control)
{
    CTKPImageManager* images = m_pCommandBars->GetImageManager();
    const UINT iconId = UINT(control->GetIconId());
    CTKPImageIcon* icon = images ? images->GetImage(iconId, 16) : nullptr;
    if (!icon || icon->GetIcon().IsEmpty())
        return FALSE;
    const BOOL alpha = icon->GetIcon().IsAlpha();
    HBITMAP bitmap = nullptr;
    if (alpha) {
        bitmap = tkp_pixels::CopyBitmap(icon->GetIcon().GetAlphaBitmap());
    } else {
        const SIZE size = icon->GetIcon().GetExtent();
        HDC screen = ::GetDC(m_hWnd);
        bitmap = ::CreateCompatibleBitmap(screen, size.cx, size.cy);
        HDC dc = ::CreateCompatibleDC(screen);
        HGDIOBJ old = ::SelectObject(dc, bitmap);
        RECT rc{0, 0, size.cx, size.cy};
        ::FillRect(dc, &rc, ::GetSysColorBrush(COLOR_BTNFACE));
        ::DrawIconEx(dc, 0, 0, icon->GetIcon().GetIcon(), size.cx, size.cy, 0, nullptr, DI_NORMAL);
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
        ::ReleaseDC(m_hWnd, screen);
    }
    if (!bitmap)
        return FALSE;
    if (!::OpenClipboard(m_hWnd)) {
        ::DeleteObject(bitmap);
        return FALSE;
    }
    if (!::EmptyClipboard()) {
        ::CloseClipboard();
        ::DeleteObject(bitmap);
        return FALSE;
    }
    ::SetClipboardData(CF_BITMAP, bitmap);
    if (alpha)
        if (HGLOBAL marker = ::GlobalAlloc(GMEM_MOVEABLE, 1))
            ::SetClipboardData(GetAlphaBitmapClipboardFormat(), marker);
    if (images->GetIconSet(iconId)) {
        COleDataSource source;
        if (images->CopyIconSetToClipboard(iconId, &source))
            if (HGLOBAL block = source.CopyData(CTKPImageManager::GetClipboardFormat()))
                ::SetClipboardData(CTKPImageManager::GetClipboardFormat(), block);
    }
    ::CloseClipboard();
    return TRUE;
}

BOOL CTKPCustomizeSheet::PasteButtonImage(CTKPControl* control)
{
    CTKPImageManager* images = m_pCommandBars->GetImageManager();
    if (!images)
        return FALSE;
    COleDataObject data;
    if (!data.AttachClipboard())
        return FALSE;
    if (data.IsDataAvailable(CTKPImageManager::GetClipboardFormat())) {
        if (const UINT id = images->PasteIconSet(data)) {
            control->m_nCustomIconId = id;
            return TRUE;
        }
        return FALSE;
    }
    if (!data.IsDataAvailable(CF_BITMAP) || !::OpenClipboard(m_hWnd))
        return FALSE;
    CTKPIconHandle handle;
    if (HBITMAP bitmap = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP))) {
        if (::IsClipboardFormatAvailable(GetAlphaBitmapClipboardFormat())) {
            if (HBITMAP copy = tkp_pixels::CopyBitmap(bitmap))
                handle.SetAlphaBitmap(copy);
        } else {
            BITMAP bm{};
            ::GetObjectW(bitmap, sizeof(bm), &bm);
            if (bm.bmWidth > 0 && bm.bmHeight > 0 && bm.bmWidth <= TKP_MAX_ICON_EXTENT &&
                bm.bmHeight <= TKP_MAX_ICON_EXTENT) {
                HIMAGELIST list = ::ImageList_Create(bm.bmWidth, bm.bmHeight, ILC_COLOR24 | ILC_MASK, 0, 1);
                if (list) {
                    ::ImageList_AddMasked(list, bitmap, ::GetSysColor(COLOR_BTNFACE));
                    if (::ImageList_GetImageCount(list) == 1)
                        handle.SetIcon(::ImageList_GetIcon(list, 0, ILD_NORMAL));
                    ::ImageList_Destroy(list);
                }
            }
        }
    }
    ::CloseClipboard();
    if (handle.IsEmpty())
        return FALSE;
    const UINT id = images->AddCustomIcon(handle);
    if (!id)
        return FALSE;
    control->m_nCustomIconId = id;
    return TRUE;
}

BOOL CTKPCustomizeSheet::EditButtonImage(CTKPControl* control)
{
    CTKPMouseTracker::GetThreadTracker()->CloseAll();
    const UINT iconId = UINT(control->GetIconId());
    CTKPImageManager* images = m_pCommandBars->GetImageManager();
    if (!iconId || !images)
        return FALSE;
    SIZE size{16, 16};
    if (CTKPCommandBar* bar = control->GetParent())
        size = bar->GetIconSize();
    CTKPButtonImageEditor editor(this);
    CTKPImageIconSet* set = images->GetIconSet(iconId);
    CTKPImageIcon* icon = set ? set->GetIcon(size.cx) : nullptr;
    if (icon && !icon->GetIcon().IsEmpty())
        editor.SetImage(icon->GetIcon());
    else
        editor.SetPictureSize(size.cx, size.cy);
    if (editor.DoModal() != IDOK)
        return FALSE;
    CTKPIconHandle result;
    if (!editor.GetResultIcon(result))
        return FALSE;
    if (control->m_nCustomIconId) {
        images->SetIcon(result, control->m_nCustomIconId);
        return TRUE;
    }
    if (const UINT id = images->AddCustomIcon(result)) {
        control->m_nCustomIconId = id;
        return TRUE;
    }
    return FALSE;
}
