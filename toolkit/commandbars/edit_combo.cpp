// The edit and combo box controls of the command bars: their hosted edit windows, the hint shown
// in an empty field, focus and keys, completion from the list, and the drop-down list.
#include "toolkit/commandbars/edit_combo.h"

#include "toolkit/base/color_table.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/prop_exchange.h"
#include "toolkit/commandbars/trackers.h"

#include <algorithm>
#include <memory>

IMPLEMENT_SERIAL(CTKPControlEdit, CTKPControl, VERSIONABLE_SCHEMA | 16)
IMPLEMENT_SERIAL(CTKPControlComboBoxList, CTKPPopupBar, VERSIONABLE_SCHEMA | 16)

int& TKPFocusedEditCount()
{
    thread_local int count = 0;
    return count;
}

namespace {

const DWORD kFieldStyle = WS_CHILD | ES_AUTOHSCROLL;

// A key the control passes to its edit comes back through the edit's window procedure: that
// nested key is the edit's own.
thread_local int g_keyDepth = 0;
struct KeyScope {
    KeyScope() { ++g_keyDepth; }
    ~KeyScope() { --g_keyDepth; }
};

CString WindowText(HWND hWnd)
{
    const int length = ::GetWindowTextLengthW(hWnd);
    std::u16string text(size_t(length) + 1, u'\0');
    ::GetWindowTextW(hWnd, text.data(), length + 1);
    return CString(text.c_str());
}

// The keyboard moves into a bar's field or back out of it: the field takes it and its bar tracks the field;
// leaving gives it back to the window that had it before.
void MoveFieldFocus(CTKPCommandBar* bar, HWND field, int index, BOOL focused)
{
    if (focused) {
        if (field && ::GetFocus() != field)
            ::SetFocus(field);
        if (bar) {
            bar->SetTrackingMode(1, FALSE, TRUE);
            bar->SetSelected(index, TRUE);
        }
        ++TKPFocusedEditCount();
    } else {
        if (field && ::GetFocus() == field && bar && bar->m_pPopupOwner && bar->m_pPopupOwner->m_hWnd)
            ::SetFocus(bar->m_pPopupOwner->m_hWnd);
        --TKPFocusedEditCount();
    }
}

// Shows or hides a field window without moving it.
void ShowField(HWND field, BOOL show)
{
    ::SetWindowPos(field, nullptr, 0, 0, 0, 0, show ? 0x57 : 0x97);
}

// The part of a field rectangle its edit window takes.
RECT FieldRect(RECT rc, int labelWidth, int buttonWidth)
{
    rc.left += labelWidth + 4;
    rc.top += 3;
    rc.right -= buttonWidth + 3;
    rc.bottom -= 3;
    return rc;
}

// What a field does with the messages common to both controls; TRUE when the message is done.
template <class Control, class Base>
BOOL FieldMessage(CWnd* field, Control* control, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                  Base base)
{
    CTKPCommandBar* bar = control->GetParent();
    switch (message) {
    case 10824:
        result = 1;
        return TRUE;
    case WM_SETFOCUS:
        if (bar && bar->IsCustomizeMode())
            return FALSE;
        control->OnSetFocus(HWND(wParam));
        result = base();
        field->PostMessage(EM_SETSEL, 0, -1);
        return TRUE;
    case WM_KILLFOCUS:
        result = base();
        control->OnKillFocus();
        return TRUE;
    case WM_DESTROY:
        // The text outlives the window.
        control->m_strCachedText = WindowText(field->m_hWnd);
        control->m_bTextDirty = FALSE;
        if (control->m_strCachedText == control->GetEditHint())
            control->m_strCachedText.Empty();
        return FALSE;
    case WM_MOUSEMOVE:
        if (bar && bar->m_hWnd) {
            POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ::MapWindowPoints(field->m_hWnd, bar->m_hWnd, &pt, 1);
            bar->SendMessage(WM_MOUSEMOVE, wParam, MAKELPARAM(pt.x, pt.y));
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

// ---- Edit control ------------------------------------------------------------------------------
CTKPControlEdit::CTKPControlEdit()
{
    m_controlType = TKP_CONTROL_EDIT;
}

CTKPControlEdit::~CTKPControlEdit()
{
    if (m_bFocused)
        --TKPFocusedEditCount();
    if (m_pEdit && m_pEdit->m_hWnd)
        m_pEdit->DestroyWindow();
    delete m_pEdit;
    delete m_pShellAutoComplete;
}

CString CTKPControlEdit::GetEditText() const
{
    if (m_bTextDirty && HasEditWindow()) {
        m_strCachedText = WindowText(m_pEdit->m_hWnd);
        m_bTextDirty = FALSE;
    }
    return m_strCachedText == m_strEditHint && !m_strEditHint.IsEmpty() ? CString() : m_strCachedText;
}

void CTKPControlEdit::SetEditText(const CString& text)
{
    const CString shown = text.IsEmpty() && !m_bFocused ? m_strEditHint : text;
    if (HasEditWindow() && WindowText(m_pEdit->m_hWnd) != shown) {
        ::SetWindowTextW(m_pEdit->m_hWnd, nullptr);
        ::SetWindowTextW(m_pEdit->m_hWnd, shown);
    }
    m_strCachedText = text;
    m_bTextDirty = FALSE;
}

void CTKPControlEdit::SetEditHint(const CString& hint)
{
    if (HasEditWindow() && !m_strEditHint.IsEmpty() && WindowText(m_pEdit->m_hWnd) == m_strEditHint)
        ::SetWindowTextW(m_pEdit->m_hWnd, u"");
    m_strEditHint = hint;
    if (HasEditWindow() && !m_bFocused && !hint.IsEmpty() && WindowText(m_pEdit->m_hWnd).IsEmpty())
        ::SetWindowTextW(m_pEdit->m_hWnd, hint);
}

void CTKPControlEdit::CreateEditField()
{
    if (!m_pEdit)
        m_pEdit = new CTKPControlEditField(this);
}

void CTKPControlEdit::SetRect(const RECT& rc)
{
    const CString text = GetEditText();
    CWnd* bar = m_pParent;
    if (HasEditWindow() && (!bar || ::GetParent(m_pEdit->m_hWnd) != bar->m_hWnd))
        m_pEdit->DestroyWindow();
    if (::EqualRect(&rc, &m_rcControl) && HasEditWindow() && !m_bRelayout)
        return;
    m_rcControl = rc;
    if (!bar || !bar->m_hWnd)
        return;
    CreateEditField();
    if (!m_pEdit->m_hWnd) {
        if (!m_pEdit->CreateEdit(kFieldStyle, bar))
            return;
        SetEditText(text);
        if (!m_bEnabled)
            m_pEdit->EnableWindow(FALSE);
        SetReadOnly(m_bReadOnly);
        if (m_dwShellAutoCompleteFlags && !m_pShellAutoComplete) {
            m_pShellAutoComplete = new CTKPShellAutoComplete();
            if (FAILED(m_pShellAutoComplete->Enable(m_pEdit->m_hWnd, m_dwShellAutoCompleteFlags))) {
                delete m_pShellAutoComplete;
                m_pShellAutoComplete = nullptr;
            }
        }
    }
    if (CTKPPaintManager* paint = GetPaintManager())
        m_pEdit->SendMessage(WM_SETFONT, WPARAM(paint->GetBarFont(m_pParent)), 0);
    m_pEdit->SendMessage(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    m_pEdit->SendMessage(EM_SETREADONLY, m_bReadOnly, 0);
    const RECT field = FieldRect(rc, m_nLabelWidth, 0);
    m_pEdit->MoveWindow(field.left, field.top, field.right - field.left, field.bottom - field.top);
    ShowField(m_pEdit->m_hWnd, m_dwHideFlags == 0);
    m_bRelayout = FALSE;
}

void CTKPControlEdit::SetCachedWidths(int labelWidth, int)
{
    if (labelWidth != m_nLabelWidth)
        m_bRelayout = TRUE;
    m_nLabelWidth = labelWidth;
}

void CTKPControlEdit::SetWidth(int width)
{
    m_nWidth = width;
    DelayLayoutParent();
}

void CTKPControlEdit::SetReadOnly(BOOL readOnly)
{
    m_bReadOnly = readOnly;
    if (HasEditWindow())
        m_pEdit->SendMessage(EM_SETREADONLY, readOnly, 0);
}

void CTKPControlEdit::SetEnabled(BOOL enabled)
{
    CTKPControl::SetEnabled(enabled);
    if (HasEditWindow())
        m_pEdit->EnableWindow(enabled);
}

void CTKPControlEdit::SetHideFlags(DWORD flags)
{
    m_dwHideFlags = flags;
    if (HasEditWindow())
        ShowField(m_pEdit->m_hWnd, flags == 0);
}

void CTKPControlEdit::SetFocused(BOOL focused)
{
    focused = focused != FALSE;
    if (m_bFocused == focused)
        return;
    m_bFocused = focused;
    MoveFieldFocus(m_pParent, HasEditWindow() ? m_pEdit->m_hWnd : nullptr, m_nIndex, focused);
    NotifySite(focused ? EN_SETFOCUS : EN_KILLFOCUS);
    RedrawParent();
}

void CTKPControlEdit::OnSetFocus(HWND previous)
{
    if (!m_strEditHint.IsEmpty() && WindowText(m_pEdit->m_hWnd) == m_strEditHint)
        ::SetWindowTextW(m_pEdit->m_hWnd, u"");
    m_bTextDirty = TRUE;
    m_strTextAtFocus = GetEditText();
    if (m_pParent && !m_pParent->m_pPopupOwner) {
        CWnd* site = m_pParent->GetSite();
        HWND owner = previous ? previous : (site ? site->m_hWnd : nullptr);
        if (owner)
            m_pParent->m_pPopupOwner = CWnd::FromHandle(owner);
    }
    SetFocused(TRUE);
    if (m_pShellAutoComplete)
        m_pShellAutoComplete->SetHook(TRUE);
}

void CTKPControlEdit::OnKillFocus()
{
    m_bTextDirty = TRUE;
    const CString text = GetEditText();
    if (text.IsEmpty() && !m_strEditHint.IsEmpty() && HasEditWindow())
        ::SetWindowTextW(m_pEdit->m_hWnd, m_strEditHint);
    SetFocused(FALSE);
    if (m_pShellAutoComplete)
        m_pShellAutoComplete->SetHook(FALSE);
}

void CTKPControlEdit::OnEditChanged()
{
    m_bTextDirty = TRUE;
    NotifySite(EN_CHANGE);
}

int CTKPControlEdit::OnKeyDown(UINT vk)
{
    if (!m_bFocused || !HasEditWindow())
        return 0;
    if (g_keyDepth)
        return 2;
    KeyScope scope;
    if (m_pEdit->IsImeComposing())
        return 2;
    switch (vk) {
    case VK_RETURN:
    case VK_TAB:
        return 0;
    case VK_ESCAPE:
        SetEditText(m_strTextAtFocus);
        SetFocused(FALSE);
        if (m_pParent)
            m_pParent->SetTrackingMode(0, TRUE, FALSE);
        return 1;
    default:
        break;
    }
    if (m_pShellAutoComplete && m_pShellAutoComplete->ProcessKey(vk))
        return 1;
    return m_pEdit->ProcessKey(vk) ? 1 : 2;
}

int CTKPControlEdit::OnHookKeyDown(UINT vk, LPARAM)
{
    return OnKeyDown(vk);
}

void CTKPControlEdit::SetParent(CTKPCommandBar* bar)
{
    CTKPControl::SetParent(bar);
    if (!bar && HasEditWindow())
        m_pEdit->DestroyWindow();
}

void CTKPControlEdit::OnClick(BOOL keyboard, POINT)
{
    if (IsCustomizeMode()) {
        if (m_pParent)
            if (CTKPCommandBars* bars = m_pParent->GetCommandBars())
                bars->SetDragControl(this);
        return;
    }
    if (!m_bEnabled || !HasEditWindow())
        return;
    if (keyboard && m_bFocused)
        OnExecute();
    else
        ::SetFocus(m_pEdit->m_hWnd);
}

BOOL CTKPControlEdit::SetSelected(int state)
{
    const BOOL changed = CTKPControl::SetSelected(state);
    if (!state && m_bFocused)
        SetFocused(FALSE);
    return changed;
}

BOOL CTKPControlEdit::Compare(CTKPControl* other) const
{
    auto* edit = dynamic_cast<CTKPControlEdit*>(other);
    return CTKPControl::Compare(other) && edit && edit->m_nWidth == m_nWidth;
}

void CTKPControlEdit::Copy(CTKPControl* source, BOOL recursive)
{
    if (auto* edit = dynamic_cast<CTKPControlEdit*>(source); edit && edit != this) {
        m_nWidth = edit->m_nWidth;
        SetEditText(edit->GetEditText());
        m_bHasLabel = edit->m_bHasLabel;
        m_bReadOnly = edit->m_bReadOnly;
        m_strEditHint = edit->m_strEditHint;
        m_dwShellAutoCompleteFlags = edit->m_dwShellAutoCompleteFlags;
    }
    CTKPControl::Copy(source, recursive);
}

CTKPControl* CTKPControlEdit::Clone(BOOL recursive)
{
    auto* clone = new CTKPControlEdit();
    clone->Copy(this, recursive);
    return clone;
}

void CTKPControlEdit::DoPropExchange(CTKPPropExchange* px)
{
    CTKPControl::DoPropExchange(px);
    if (px->GetSchema() > 5) {
        PropExchangeBool(px, u"HasLabel", &m_bHasLabel, FALSE);
        PropExchangeInt(px, u"Width", &m_nWidth, 0);
    }
    if (px->GetSchema() > 7)
        PropExchangeBool(px, u"ReadOnly", &m_bReadOnly, FALSE);
    if (px->GetSchema() > 8) {
        PropExchangeString(px, u"EditHint", &m_strEditHint, u"");
        int flags = int(m_dwShellAutoCompleteFlags);
        PropExchangeInt(px, u"ShellAutoCompleteFlags", &flags, 0);
        m_dwShellAutoCompleteFlags = DWORD(flags);
    }
}

LRESULT CTKPControlEditField::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (FieldMessage(this, m_pEdit, message, wParam, lParam, result,
                     [&] { return CTKPEdit::WindowProc(message, wParam, lParam); }))
        return result;
    if (message == WM_KEYDOWN) {
        const int answer = m_pEdit->OnKeyDown(UINT(wParam));
        if (answer == 1)
            return 0;
        if (answer == 0 && wParam == VK_RETURN) {
            m_pEdit->OnExecute();
            return 0;
        }
    }
    const CString before = message == WM_CHAR || message == WM_KEYDOWN || message == WM_PASTE ||
                                   message == WM_CUT || message == WM_CLEAR || message == WM_UNDO
                               ? WindowText(m_hWnd)
                               : CString();
    result = CTKPEdit::WindowProc(message, wParam, lParam);
    if ((message == WM_CHAR || message == WM_KEYDOWN || message == WM_PASTE || message == WM_CUT ||
         message == WM_CLEAR || message == WM_UNDO) &&
        m_hWnd && WindowText(m_hWnd) != before)
        m_pEdit->OnEditChanged();
    return result;
}

// ---- Combo box ---------------------------------------------------------------------------------
CTKPControlComboBox::CTKPControlComboBox() : CTKPControlPopup(TKP_CONTROL_COMBOBOX)
{
    auto* list = new CTKPControlComboBoxList();
    list->Create();
    SetCommandBar(list);
    list->InternalRelease();
}

CTKPControlComboBox::~CTKPControlComboBox()
{
    if (m_bFocused)
        --TKPFocusedEditCount();
    if (CTKPControlComboBoxList* list = GetList(); list && list->m_pCombo == this)
        list->m_pCombo = nullptr;
    if (m_pEdit && m_pEdit->m_hWnd)
        m_pEdit->DestroyWindow();
    delete m_pEdit;
    delete m_pShellAutoComplete;
}

CTKPControlComboBoxList* CTKPControlComboBox::GetList() const
{
    return dynamic_cast<CTKPControlComboBoxList*>(m_pCommandBar);
}

BOOL CTKPControlComboBox::IsDroppedDown() const
{
    CTKPControlComboBoxList* list = GetList();
    return list && list->GetTrackingMode() && list->m_pCombo == this;
}

CString CTKPControlComboBox::GetEditText() const
{
    if (m_bTextDirty && m_pEdit && m_pEdit->m_hWnd) {
        m_strCachedText = WindowText(m_pEdit->m_hWnd);
        m_bTextDirty = FALSE;
    }
    return m_strCachedText == m_strEditHint && !m_strEditHint.IsEmpty() ? CString() : m_strCachedText;
}

void CTKPControlComboBox::SetEditText(const CString& text)
{
    const CString shown = text.IsEmpty() && !m_bFocused ? m_strEditHint : text;
    if (m_pEdit && m_pEdit->m_hWnd && WindowText(m_pEdit->m_hWnd) != shown) {
        ::SetWindowTextW(m_pEdit->m_hWnd, nullptr);
        ::SetWindowTextW(m_pEdit->m_hWnd, shown);
    }
    m_strCachedText = text;
    m_bTextDirty = FALSE;
}

void CTKPControlComboBox::SetEditHint(const CString& hint)
{
    const BOOL window = m_pEdit && m_pEdit->m_hWnd;
    if (window && !m_strEditHint.IsEmpty() && WindowText(m_pEdit->m_hWnd) == m_strEditHint)
        ::SetWindowTextW(m_pEdit->m_hWnd, u"");
    m_strEditHint = hint;
    if (window && !m_bFocused && !hint.IsEmpty() && WindowText(m_pEdit->m_hWnd).IsEmpty())
        ::SetWindowTextW(m_pEdit->m_hWnd, hint);
    RedrawParent();
}

BOOL CTKPControlComboBox::HasText() const
{
    return m_nComboStyle == 1 && !GetEditText().IsEmpty();
}

void CTKPControlComboBox::SetDropDown(BOOL dropDown)
{
    m_bDropDown = dropDown != FALSE;
    if (m_bDropDown) {
        CreateEditField();
    } else if (m_pEdit) {
        if (m_pEdit->m_hWnd)
            m_pEdit->DestroyWindow();
        delete m_pEdit;
        m_pEdit = nullptr;
    }
    DelayLayoutParent();
}

void CTKPControlComboBox::SetShellAutoComplete(DWORD flags)
{
    m_dwShellAutoCompleteFlags = flags;
    delete m_pShellAutoComplete;
    m_pShellAutoComplete = nullptr;
    if (flags && m_pEdit && m_pEdit->m_hWnd) {
        m_pShellAutoComplete = new CTKPShellAutoComplete();
        if (FAILED(m_pShellAutoComplete->Enable(m_pEdit->m_hWnd, flags))) {
            delete m_pShellAutoComplete;
            m_pShellAutoComplete = nullptr;
        }
    }
}

void CTKPControlComboBox::CreateEditField()
{
    if (!m_pEdit)
        m_pEdit = new CTKPControlComboBoxEditField(this);
}

int CTKPControlComboBox::GetCurSel() const
{
    CTKPControlComboBoxList* list = GetList();
    if (!list || !list->m_hWnd)
        return m_nCurSel;
    return int(::SendMessageW(list->m_hWnd, LB_GETCURSEL, 0, 0));
}

void CTKPControlComboBox::SetCurSel(int index)
{
    m_nCurSel = index;
    if (CTKPControlComboBoxList* list = GetList(); list && list->m_hWnd)
        ::SendMessageW(list->m_hWnd, LB_SETCURSEL, WPARAM(index), 0);
    RedrawParent();
}

CString CTKPControlComboBox::GetListText() const
{
    CTKPControlComboBoxList* list = GetList();
    const int index = GetCurSel();
    return list && index >= 0 ? list->GetText(index) : CString();
}

void CTKPControlComboBox::SetRect(const RECT& rc)
{
    const CString text = GetEditText();
    CWnd* bar = m_pParent;
    const BOOL window = m_pEdit && m_pEdit->m_hWnd;
    if (window && (!bar || ::GetParent(m_pEdit->m_hWnd) != bar->m_hWnd))
        m_pEdit->DestroyWindow();
    if (::EqualRect(&rc, &m_rcControl) && (!m_pEdit || m_pEdit->m_hWnd) && !m_bRelayout)
        return;
    m_rcControl = rc;
    m_bRelayout = FALSE;
    if (!m_pEdit || !bar || !bar->m_hWnd)
        return;
    if (!m_pEdit->m_hWnd) {
        if (!m_pEdit->CreateEdit(kFieldStyle, bar))
            return;
        SetEditText(text);
        if (!m_bEnabled)
            m_pEdit->EnableWindow(FALSE);
        if (m_dwShellAutoCompleteFlags)
            SetShellAutoComplete(m_dwShellAutoCompleteFlags);
    }
    if (CTKPPaintManager* paint = GetPaintManager())
        m_pEdit->SendMessage(WM_SETFONT, WPARAM(paint->GetBarFont(m_pParent)), 0);
    m_pEdit->SendMessage(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    RECT field = FieldRect(rc, m_nLabelWidth, m_nButtonWidth);
    if (m_nEditIconId)
        if (CTKPImageManager* images = GetImageManager())
            if (CTKPImageIcon* icon = images->GetImage(m_nEditIconId, 16))
                field.left += icon->GetWidth() + 2;
    m_pEdit->MoveWindow(field.left, field.top, field.right - field.left, field.bottom - field.top);
    ShowField(m_pEdit->m_hWnd, m_dwHideFlags == 0);
}

void CTKPControlComboBox::SetCachedWidths(int labelWidth, int buttonWidth)
{
    if (labelWidth != m_nLabelWidth || buttonWidth != m_nButtonWidth)
        m_bRelayout = TRUE;
    m_nLabelWidth = labelWidth;
    m_nButtonWidth = buttonWidth;
}

void CTKPControlComboBox::SetWidth(int width)
{
    m_nWidth = width;
    DelayLayoutParent();
}

void CTKPControlComboBox::SetEnabled(BOOL enabled)
{
    CTKPControl::SetEnabled(enabled);
    if (m_pEdit && m_pEdit->m_hWnd)
        m_pEdit->EnableWindow(enabled);
}

void CTKPControlComboBox::SetHideFlags(DWORD flags)
{
    m_dwHideFlags = flags;
    if (m_pEdit && m_pEdit->m_hWnd)
        ShowField(m_pEdit->m_hWnd, flags == 0);
}

void CTKPControlComboBox::SetFocused(BOOL focused)
{
    focused = focused != FALSE;
    if (m_bFocused == focused)
        return;
    m_bFocused = focused;
    if (focused) {
        m_nSavedSel = GetCurSel();
        m_bSelAccepted = FALSE;
    } else if (!m_bSelAccepted && !IsDroppedDown() && !m_pEdit) {
        SetCurSel(m_nSavedSel);
        NotifySite(CBN_SELENDCANCEL);
    }
    MoveFieldFocus(m_pParent, m_pEdit && m_pEdit->m_hWnd ? m_pEdit->m_hWnd : nullptr, m_nIndex, focused);
    NotifySite(focused ? CBN_SETFOCUS : CBN_KILLFOCUS);
    RedrawParent();
}

void CTKPControlComboBox::OnSetFocus(HWND previous)
{
    if (!m_strEditHint.IsEmpty() && WindowText(m_pEdit->m_hWnd) == m_strEditHint)
        ::SetWindowTextW(m_pEdit->m_hWnd, u"");
    m_bTextDirty = TRUE;
    m_strTextAtFocus = GetEditText();
    m_bNoComplete = TRUE;
    OnEditChanged();
    if (m_pParent) {
        CWnd* site = m_pParent->GetSite();
        HWND owner = previous ? previous : (site ? site->m_hWnd : nullptr);
        if (!m_pParent->m_pPopupOwner && owner)
            m_pParent->m_pPopupOwner = CWnd::FromHandle(owner);
        if (!IsDroppedDown())
            m_pParent->SetSelected(-1);
    }
    SetFocused(TRUE);
    if (m_pShellAutoComplete)
        m_pShellAutoComplete->SetHook(TRUE);
}

void CTKPControlComboBox::OnKillFocus()
{
    m_bTextDirty = TRUE;
    if (GetEditText().IsEmpty() && !m_strEditHint.IsEmpty() && m_pEdit && m_pEdit->m_hWnd)
        ::SetWindowTextW(m_pEdit->m_hWnd, m_strEditHint);
    SetFocused(FALSE);
    if (IsDroppedDown() && m_pParent)
        m_pParent->SetSelected(-1);
    if (m_pShellAutoComplete)
        m_pShellAutoComplete->SetHook(FALSE);
}

void CTKPControlComboBox::OnSelChanged()
{
    const CString text = GetListText();
    m_nCurSel = GetCurSel();
    if (m_pEdit && m_pEdit->m_hWnd) {
        SetEditText(text);
        m_pEdit->SendMessage(EM_SETSEL, 0, -1);
        m_pEdit->SendMessage(EM_SCROLLCARET, 0, 0);
    }
    RedrawParent();
    NotifySite(CBN_SELCHANGE);
}

void CTKPControlComboBox::OnEditChanged()
{
    m_bTextDirty = TRUE;
    CTKPControlComboBoxList* list = GetList();
    const BOOL listWindow = list && list->m_hWnd;
    const BOOL field = m_pEdit && m_pEdit->m_hWnd;
    if (m_bAutoComplete && !m_bNoComplete) {
        if (!field) {
            NotifySite(CBN_EDITCHANGE);
            return;
        }
        const CString text = GetEditText();
        DWORD start = 0, end = 0;
        m_pEdit->SendMessage(EM_GETSEL, WPARAM(&start), LPARAM(&end));
        if (listWindow && !text.IsEmpty() && int(start) == text.GetLength() && int(end) == text.GetLength()) {
            const int found = int(::SendMessageW(list->m_hWnd, LB_FINDSTRING, 0, LPARAM(text.GetString())));
            if (found >= 0) {
                const CString item = list->GetText(found);
                SetEditText(item);
                m_pEdit->SendMessage(EM_SETSEL, WPARAM(item.GetLength()), LPARAM(text.GetLength()));
                m_pEdit->SendMessage(EM_SCROLLCARET, 0, 0);
            }
        }
        m_bNoComplete = TRUE;
    }
    if (listWindow) {
        const CString text = GetEditText();
        const int exact = int(::SendMessageW(list->m_hWnd, LB_FINDSTRINGEXACT, 0, LPARAM(text.GetString())));
        if (exact >= 0) {
            ::SendMessageW(list->m_hWnd, LB_SETCURSEL, WPARAM(exact), 0);
        } else {
            const int prefix = int(::SendMessageW(list->m_hWnd, LB_FINDSTRING, 0, LPARAM(text.GetString())));
            if (prefix >= 0)
                ::SendMessageW(list->m_hWnd, LB_SETTOPINDEX, WPARAM(prefix), 0);
            ::SendMessageW(list->m_hWnd, LB_SETCURSEL, WPARAM(-1), 0);
        }
        m_nCurSel = GetCurSel();
    }
    NotifySite(CBN_EDITCHANGE);
}

void CTKPControlComboBox::OnSetPopup(BOOL open)
{
    if (open) {
        m_nSavedSel = GetCurSel();
        m_bSelAccepted = FALSE;
        return;
    }
    if (!m_bFocused && !m_pEdit && !m_bSelAccepted) {
        SetCurSel(m_nSavedSel);
        NotifySite(CBN_SELENDCANCEL);
    }
    if (m_pShellAutoComplete)
        m_pShellAutoComplete->HideDropDown();
}

BOOL CTKPControlComboBox::SetPopuped(BOOL popuped)
{
    OnSetPopup(popuped);
    return CTKPControlPopup::SetPopuped(popuped);
}

int CTKPControlComboBox::OnKeyDown(UINT vk)
{
    if (!m_bFocused)
        return 0;
    if (g_keyDepth)
        return 2;
    KeyScope scope;
    m_bNoComplete = vk == VK_DELETE || vk == VK_BACK;
    if (m_pEdit && m_pEdit->m_hWnd && m_pEdit->IsImeComposing())
        return 2;
    const BOOL alt = ::GetKeyState(VK_MENU) < 0;
    CTKPControlComboBoxList* list = GetList();
    switch (vk) {
    case VK_TAB:
        if (!(m_pShellAutoComplete && (m_dwShellAutoCompleteFlags & 8)))
            return 0;
        break;
    case VK_RETURN:
        return 0;
    case VK_ESCAPE:
        if (IsDroppedDown() && m_pParent)
            m_pParent->SetPopuped(-1);
        SetCurSel(m_nSavedSel);
        SetEditText(m_strTextAtFocus);
        SetFocused(FALSE);
        if (m_pParent)
            m_pParent->SetTrackingMode(0, TRUE, FALSE);
        return 1;
    default:
        break;
    }
    if ((vk == VK_F4 && !alt) || ((vk == VK_UP || vk == VK_DOWN) && alt)) {
        if (m_pParent)
            m_pParent->SetPopuped(IsDroppedDown() ? -1 : m_nIndex, TRUE);
        return 1;
    }
    if (m_pShellAutoComplete && m_pShellAutoComplete->ProcessKey(vk))
        return 1;
    const BOOL listKey = !alt && (vk == VK_UP || vk == VK_DOWN || vk == VK_PRIOR || vk == VK_NEXT);
    if ((!m_pEdit || listKey) && list && list->m_hWnd) {
        list->ProcessKey(this, vk);
        return 1;
    }
    if (m_pEdit && m_pEdit->m_hWnd)
        return m_pEdit->ProcessKey(vk) ? 1 : 2;
    return 2;
}

int CTKPControlComboBox::OnHookKeyDown(UINT vk, LPARAM)
{
    return OnKeyDown(vk);
}

void CTKPControlComboBox::OnExecute()
{
    if ((GetCurSel() >= 0 && IsDroppedDown()) || (!m_pEdit && m_bFocused))
        NotifySite(CBN_SELENDOK);
    m_bSelAccepted = TRUE;
    m_nSavedSel = GetCurSel();
    CTKPControl::OnExecute();
}

void CTKPControlComboBox::OnClick(BOOL keyboard, POINT pt)
{
    if (m_pEdit && m_pEdit->m_hWnd && m_pEdit->IsImeComposing())
        return;
    if (IsCustomizeMode()) {
        if (m_pParent)
            if (CTKPCommandBars* bars = m_pParent->GetCommandBars())
                bars->SetDragControl(this);
        return;
    }
    if (keyboard && m_bEnabled) {
        if (!m_bFocused)
            SetFocused(TRUE);
        else
            OnExecute();
        return;
    }
    if (m_bFocused && m_pParent && m_pParent->m_nExpanded == m_nIndex) {
        m_pParent->SetSelected(-1);
        return;
    }
    CTKPControlPopup::OnClick(keyboard, pt);
}

BOOL CTKPControlComboBox::SetSelected(int state)
{
    const BOOL changed = CTKPControlPopup::SetSelected(state);
    if (!state && m_bFocused)
        SetFocused(FALSE);
    return changed;
}

void CTKPControlComboBox::SetParent(CTKPCommandBar* bar)
{
    CTKPControl::SetParent(bar);
    CTKPControlComboBoxList* list = GetList();
    if (list && list->m_hWnd && bar)
        if (CWnd* site = bar->GetSite(); site && site->m_hWnd)
            ::SetWindowLongPtrW(list->m_hWnd, GWLP_HWNDPARENT, LONG_PTR(site->m_hWnd));
    if (!bar && m_pEdit && m_pEdit->m_hWnd)
        m_pEdit->DestroyWindow();
}

BOOL CTKPControlComboBox::Compare(CTKPControl* other) const
{
    auto* combo = dynamic_cast<CTKPControlComboBox*>(other);
    return CTKPControl::Compare(other) && combo && combo->m_nWidth == m_nWidth;
}

void CTKPControlComboBox::Copy(CTKPControl* source, BOOL recursive)
{
    auto* combo = dynamic_cast<CTKPControlComboBox*>(source);
    if (combo && combo != this) {
        m_nComboStyle = combo->m_nComboStyle;
        m_nWidth = combo->m_nWidth;
        SetEditText(combo->GetEditText());
        m_strEditHint = combo->m_strEditHint;
        SetDropDown(combo->m_bDropDown);
        m_bAutoComplete = combo->m_bAutoComplete;
        m_dwShellAutoCompleteFlags = combo->m_dwShellAutoCompleteFlags;
        m_nEditIconId = combo->m_nEditIconId;
        m_nDropDownItemCount = combo->m_nDropDownItemCount;
    }
    CTKPControl::Copy(source, recursive);
    // Each combo keeps a list of its own, filled like the source's.
    if (combo && combo != this)
        if (CTKPControlComboBoxList* list = GetList())
            if (CTKPControlComboBoxList* from = combo->GetList())
                list->Copy(from, recursive);
}

CTKPControl* CTKPControlComboBox::Clone(BOOL recursive)
{
    auto* clone = new CTKPControlComboBox();
    clone->Copy(this, recursive);
    return clone;
}

void CTKPControlComboBox::DoPropExchange(CTKPPropExchange* px)
{
    CTKPControlPopup::DoPropExchange(px);
    BOOL dropDown = m_bDropDown;
    PropExchangeBool(px, u"DropDown", &dropDown, TRUE);
    PropExchangeInt(px, u"Width", &m_nWidth, 0);
    PropExchangeInt(px, u"ComboStyle", &m_nComboStyle, 0);
    if (px->GetSchema() > 8) {
        PropExchangeString(px, u"EditHint", &m_strEditHint, u"");
        int flags = int(m_dwShellAutoCompleteFlags);
        PropExchangeInt(px, u"ShellAutoCompleteFlags", &flags, 0);
        m_dwShellAutoCompleteFlags = DWORD(flags);
        PropExchangeBool(px, u"AutoComplete", &m_bAutoComplete, FALSE);
        int iconId = int(m_nEditIconId);
        PropExchangeInt(px, u"EditIconId", &iconId, 0);
        m_nEditIconId = UINT(iconId);
        PropExchangeInt(px, u"DropDownItemCount", &m_nDropDownItemCount, 12);
        m_nDropDownItemCount = std::clamp(m_nDropDownItemCount, 1, 1000);
    }
    if (px->IsLoading())
        SetDropDown(dropDown);
}

void CTKPControlComboBox::DrawFieldText(HDC hdc, const RECT& field)
{
    if (m_pEdit)
        return;
    RECT rc{field.left + 3, field.top + 1, field.right - m_nButtonWidth - 1, field.bottom - 1};
    if (m_bEnabled && m_bFocused) {
        RECT fill{rc.left - 1, rc.top + 1, rc.right - 1, rc.bottom - 1};
        ::FillRect(hdc, &fill, ::GetSysColorBrush(COLOR_HIGHLIGHT));
    }
    if (m_nEditIconId)
        if (CTKPImageManager* images = GetImageManager())
            if (CTKPImageIcon* icon = images->GetImage(m_nEditIconId, 16)) {
                const POINT at{rc.left, (rc.top + rc.bottom - icon->GetHeight()) / 2};
                icon->Draw(hdc, at, m_bEnabled ? icon->GetIcon() : icon->GetDisabledIcon(), CLR_NONE);
                rc.left += icon->GetWidth() + 2;
            }
    CString text = GetListText();
    COLORREF color = ::GetSysColor(m_bEnabled ? (m_bFocused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT) : COLOR_GRAYTEXT);
    if (text.IsEmpty() && m_bEnabled && !m_bFocused) {
        text = m_strEditHint;
        color = ::GetSysColor(COLOR_GRAYTEXT);
    }
    ::SetTextColor(hdc, color);
    ::SetBkMode(hdc, TRANSPARENT);
    ::DrawTextW(hdc, text, text.GetLength(), &rc, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

LRESULT CTKPControlComboBoxEditField::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (FieldMessage(this, m_pCombo, message, wParam, lParam, result,
                     [&] { return CTKPEdit::WindowProc(message, wParam, lParam); }))
        return result;
    if (message == WM_KEYDOWN) {
        const int answer = m_pCombo->OnKeyDown(UINT(wParam));
        if (answer == 1)
            return 0;
        if (answer == 0 && wParam == VK_RETURN) {
            m_pCombo->OnExecute();
            return 0;
        }
    }
    const BOOL changes = message == WM_CHAR || message == WM_KEYDOWN || message == WM_PASTE || message == WM_CUT ||
                         message == WM_CLEAR || message == WM_UNDO;
    const CString before = changes ? WindowText(m_hWnd) : CString();
    result = CTKPEdit::WindowProc(message, wParam, lParam);
    if (changes && m_hWnd && WindowText(m_hWnd) != before)
        m_pCombo->OnEditChanged();
    return result;
}

// ---- Drop-down list ----------------------------------------------------------------------------
CTKPControlComboBoxList::CTKPControlComboBoxList()
{
    m_barType = TKP_BARTYPE_POPUP;
    m_barPosition = 6;
}

BOOL CTKPControlComboBoxList::Create()
{
    if (m_hWnd)
        return TRUE;
    return CreateEx(0x20080, u"LISTBOX", u"", m_dwStyle | 0x82A00000 | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                    RECT{0, 0, 0, 0}, nullptr, 0);
}

int CTKPControlComboBoxList::GetCount() const
{
    return m_hWnd ? int(::SendMessageW(m_hWnd, LB_GETCOUNT, 0, 0)) : 0;
}

CString CTKPControlComboBoxList::GetText(int index) const
{
    if (!m_hWnd)
        return CString();
    const int length = int(::SendMessageW(m_hWnd, LB_GETTEXTLEN, WPARAM(index), 0));
    if (length < 0)
        return CString();
    std::u16string text(size_t(length) + 1, u'\0');
    ::SendMessageW(m_hWnd, LB_GETTEXT, WPARAM(index), LPARAM(text.data()));
    return CString(text.c_str());
}

BOOL CTKPControlComboBoxList::IsVisible() const
{
    return m_hWnd && ::IsWindowVisible(m_hWnd);
}

BOOL CTKPControlComboBoxList::Popup(CTKPControlPopup* parentControl)
{
    auto* combo = dynamic_cast<CTKPControlComboBox*>(parentControl);
    if (!combo || !Create())
        return FALSE;
    m_pParentControl = parentControl;
    m_pCombo = combo;
    CWnd* site = GetSite();
    if (!site)
        if (CTKPCommandBar* bar = combo->GetParent())
            site = bar->GetSite();
    if (CTKPPaintManager* paint = combo->GetPaintManager())
        SendMessage(WM_SETFONT, WPARAM(paint->GetBarFont(combo->GetParent())), 0);
    if (site && site->m_hWnd)
        ::SendMessageW(site->m_hWnd, 10331, 0, LPARAM(this));
    LONG_PTR exStyle = ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) & ~LONG_PTR(0x7000);
    CTKPCommandBars* bars = combo->GetParent() ? combo->GetParent()->GetCommandBars() : nullptr;
    if (bars && bars->IsLayoutRTL())
        exStyle |= WS_EX_LAYOUTRTL;
    ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, exStyle);
    const int rows = std::max(1, std::min(combo->m_nDropDownItemCount, GetCount()));
    const int itemHeight = int(SendMessage(LB_GETITEMHEIGHT, 0, 0));
    RECT rc = combo->GetRect();
    if (CTKPCommandBar* bar = combo->GetParent(); bar && bar->m_hWnd)
        ::MapWindowPoints(bar->m_hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    const int width = m_nListWidth >= 1 ? m_nListWidth : rc.right - rc.left;
    SetTrackingMode(1, FALSE, FALSE);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, rc.left, rc.bottom, width, rows * itemHeight + 4,
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
    EnableWindow(TRUE);
    return TRUE;
}

BOOL CTKPControlComboBoxList::SetTrackingMode(int mode, BOOL selectFirst, BOOL fromKeyboard)
{
    // The list keeps its window (and its items) when it closes: it only hides.
    if (!CTKPCommandBar::SetTrackingMode(mode, FALSE, fromKeyboard))
        return FALSE;
    CTKPControlComboBox* combo = m_pCombo;
    if (!combo)
        return TRUE;
    if (mode) {
        ++TKPFocusedEditCount();
        if (combo->GetEditField() && combo->GetEditField()->m_hWnd)
            ::SetFocus(combo->GetEditField()->m_hWnd);
        combo->OnEditChanged();
        combo->NotifySite(CBN_DROPDOWN);
    } else {
        combo->NotifySite(CBN_CLOSEUP);
        --TKPFocusedEditCount();
        if (m_hWnd)
            ::ShowWindow(m_hWnd, SW_HIDE);
        if (CTKPCommandBar* bar = combo->GetParent(); bar && bar->m_nExpanded == combo->GetIndex())
            bar->SetPopuped(-1);
        m_pCombo = nullptr;
        m_pParentControl = nullptr;
    }
    (void)selectFirst;
    return TRUE;
}

BOOL CTKPControlComboBoxList::ProcessKey(CTKPControlComboBox* combo, UINT vk)
{
    if (!m_hWnd)
        return FALSE;
    const int before = int(SendMessage(LB_GETCURSEL, 0, 0));
    const BOOL alt = ::GetKeyState(VK_MENU) < 0;
    if (!combo->GetEditField()) {
        if ((vk == VK_F4 && !alt) || ((vk == VK_UP || vk == VK_DOWN) && alt))
            return FALSE;
        DefWindowProc(WM_KEYDOWN, vk, 0);
    } else if (!alt && (vk == VK_UP || vk == VK_DOWN || vk == VK_PRIOR || vk == VK_NEXT)) {
        DefWindowProc(WM_KEYDOWN, vk, 0);
    }
    if (int(SendMessage(LB_GETCURSEL, 0, 0)) == before)
        return FALSE;
    combo->OnSelChanged();
    return TRUE;
}

int CTKPControlComboBoxList::OnHookKeyDown(UINT vk, LPARAM)
{
    CTKPControlComboBox* combo = m_pCombo;
    if (!combo)
        return 2;
    switch (vk) {
    case VK_ESCAPE:
        if (combo->IsFocused() && combo->OnKeyDown(vk) == 1)
            return 1;
        SetTrackingMode(0);
        return 1;
    case VK_TAB:
        return 1;
    case VK_RETURN:
        combo->OnExecute();
        return 1;
    default:
        break;
    }
    if (combo->IsFocused()) {
        const int answer = combo->OnKeyDown(vk);
        return answer == 0 ? 2 : answer;
    }
    ProcessKey(combo, vk);
    return 1;
}

void CTKPControlComboBoxList::Copy(CTKPCommandBar* source, BOOL recursive)
{
    CTKPPopupBar::Copy(source, recursive);
    auto* list = dynamic_cast<CTKPControlComboBoxList*>(source);
    if (!list || list == this || !Create())
        return;
    SendMessage(LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < list->GetCount(); ++i)
        SendMessage(LB_ADDSTRING, 0, LPARAM(list->GetText(i).GetString()));
}

void CTKPControlComboBoxList::DoPropExchange(CTKPPropExchange* px)
{
    CTKPPopupBar::DoPropExchange(px);
    std::unique_ptr<CTKPPropExchange> items(px->GetSection(u"Items"));
    if (!items)
        return;
    if (px->IsLoading()) {
        if (!Create())
            return;
        SendMessage(LB_RESETCONTENT, 0, 0);
        const DWORD count = items->ReadCount();
        // Items are a few bytes each at the least: a count the document cannot hold is refused.
        if (count > 100000)
            AfxThrowArchiveException(CArchiveException::badIndex);
        for (DWORD i = 0; i < count; ++i) {
            CString name, text;
            name.Format(u"Item%i", int(i));
            if (!PropExchangeString(items.get(), name, &text, u""))
                AfxThrowArchiveException(CArchiveException::endOfFile);
            SendMessage(LB_ADDSTRING, 0, LPARAM(text.GetString()));
        }
        return;
    }
    const int count = GetCount();
    items->WriteCount(DWORD(count));
    for (int i = 0; i < count; ++i) {
        CString name, text = GetText(i);
        name.Format(u"Item%i", i);
        PropExchangeString(items.get(), name, &text, u"");
    }
}

LRESULT CTKPControlComboBoxList::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE: {
        const LRESULT hit = SendMessage(LB_ITEMFROMPOINT, 0, lParam);
        if (!HIWORD(hit) && int(LOWORD(hit)) != int(SendMessage(LB_GETCURSEL, 0, 0)))
            SendMessage(LB_SETCURSEL, LOWORD(hit), 0);
        return 0;
    }
    case WM_LBUTTONDOWN:
        return 0;
    case WM_LBUTTONUP:
        if (CTKPControlComboBox* combo = m_pCombo) {
            combo->OnSelChanged();
            combo->OnExecute();
        }
        return 0;
    case WM_ERASEBKGND: {
        RECT rc;
        ::GetClientRect(m_hWnd, &rc);
        ::FillRect(HDC(wParam), &rc, ::GetSysColorBrush(COLOR_WINDOW));
        return 1;
    }
    case WM_CREATE:
    case WM_NCCREATE:
    case WM_PAINT:
    case WM_PRINTCLIENT:
    case WM_TIMER:
    case WM_NCHITTEST:
    case WM_NCMOUSEMOVE:
    case WM_MOUSELEAVE:
    case WM_NCLBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEWHEEL:
        return DefWindowProc(message, wParam, lParam);
    default:
        return CTKPPopupBar::WindowProc(message, wParam, lParam);
    }
}
