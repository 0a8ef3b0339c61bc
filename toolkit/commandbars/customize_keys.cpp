// The customise sheet's keyboard and options pages, and the titled separators of the options.
#include "toolkit/base/draw_helpers.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/base/system_probes.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/customize_pages.h"
#include "toolkit/commandbars/customize_sheet.h"

IMPLEMENT_DYNAMIC(CTKPCustomizeKeysPage, CPropertyPage)
IMPLEMENT_DYNAMIC(CTKPCustomizeSettingsPage, CPropertyPage)

namespace {

CString LoadText(UINT id)
{
    CString text;
    GetResourceLoader().LoadString(text, id);
    return text;
}

CTKPShortcutTable* ShortcutsOf(CTKPCustomizeSheet* sheet)
{
    CTKPCommandBars* bars = sheet ? sheet->GetCommandBars() : nullptr;
    return bars ? bars->GetShortcutTable() : nullptr;
}

std::vector<ACCEL> TableEntries(HACCEL table)
{
    const int count = table ? ::CopyAcceleratorTableW(table, nullptr, 0) : 0;
    std::vector<ACCEL> entries(size_t(std::max(count, 0)));
    if (count > 0)
        ::CopyAcceleratorTableW(table, entries.data(), count);
    return entries;
}

BOOL IsPopupType(int type)
{
    return type == TKP_CONTROL_POPUP || type == TKP_CONTROL_BUTTONPOPUP || type == TKP_CONTROL_SPLITBUTTONPOPUP;
}

} // namespace

// ---- Keyboard page -----------------------------------------------------------------------------
CTKPCustomizeKeysPage::CTKPCustomizeKeysPage(CTKPCustomizeSheet* sheet)
    : CPropertyPage(TKP_IDD_CUSTOMIZE_KEYS), m_editShortcut(ShortcutsOf(sheet)), m_pSheet(sheet)
{
}

CTKPCustomizeKeysPage::~CTKPCustomizeKeysPage() = default;

BOOL CTKPCustomizeKeysPage::LoadKeyCategories(UINT menuId, BOOL expandPopups)
{
    HMENU menu = nullptr;
    if (!GetResourceLoader().LoadMenu(menu, menuId) || !menu)
        return FALSE;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        HMENU sub = ::GetSubMenu(menu, i);
        const int length = ::GetMenuStringW(menu, UINT(i), nullptr, 0, MF_BYPOSITION);
        std::vector<WCHAR> text(size_t(std::max(length, 0)) + 1, u'\0');
        ::GetMenuStringW(menu, UINT(i), text.data(), int(text.size()), MF_BYPOSITION);
        if (sub && text[0])
            AddCategoryFromMenu(CString(text.data()), CMenu::FromHandle(sub), expandPopups);
    }
    ::DestroyMenu(menu);
    return TRUE;
}

void CTKPCustomizeKeysPage::AddCategoryFromMenu(const CString& name, CMenu* menu, BOOL expandPopups)
{
    const CString stripped = StripMnemonicsCopy(name);
    CTKPControls* controls = nullptr;
    for (auto& category : m_categories)
        if (category->strName == stripped)
            controls = category->pControls;
    if (!controls) {
        CTKPCommandBars* bars = m_pSheet ? m_pSheet->GetCommandBars() : nullptr;
        m_categories.push_back(std::make_unique<CTKPCustomizeCategory>(stripped, bars));
        controls = m_categories.back()->pControls;
    }
    if (!menu)
        return;
    for (int i = 0; i < ::GetMenuItemCount(menu->m_hMenu); ++i) {
        if (::GetMenuItemID(menu->m_hMenu, i) == 0)
            continue;
        CTKPControl* control = controls->AddMenuItem(menu, i);
        CTKPCommandBar* popup = control ? control->GetCommandBar() : nullptr;
        if (!popup || !expandPopups)
            continue;
        for (int c = 0; c < popup->GetControlCount(); ++c) {
            CTKPControl* clone = controls->AddClone(popup->GetControl(c), -1, TRUE);
            clone->SetCaption(control->GetCaption() + u" | " + clone->GetCaption());
        }
    }
}

void CTKPCustomizeKeysPage::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, 9390, m_strDescription);
    if (m_cmbCategories.m_hWnd) {
        if (pDX->m_bSaveAndValidate)
            m_nCategory = m_cmbCategories.GetCurSel();
        else
            m_cmbCategories.SetCurSel(m_nCategory);
    }
}

BOOL CTKPCustomizeKeysPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    m_lstKeys.SubclassDlgItem(9383, this);
    m_lstCommands.SubclassDlgItem(9381, this);
    m_cmbCategories.SubclassDlgItem(9391, this);
    m_editShortcut.SubclassDlgItem(9385, this);
    for (auto& category : m_categories) {
        const int item = m_cmbCategories.AddString(category->strName);
        m_cmbCategories.SetItemDataPtr(item, category->pControls);
    }
    m_nCategory = 0;
    m_cmbCategories.SetCurSel(0);
    CTKPCommandBars* bars = m_pSheet ? m_pSheet->GetCommandBars() : nullptr;
    if (bars && bars->IsLayoutRTL()) {
        m_lstCommands.ModifyStyleEx(0, WS_EX_RIGHT | WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR);
        m_cmbCategories.ModifyStyleEx(0, WS_EX_RIGHT | WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR);
    }
    UpdateData(TRUE);
    ListCommands();
    ListKeys();
    UpdateButtons();
    return TRUE;
}

BOOL CTKPCustomizeKeysPage::OnSetActive()
{
    const BOOL result = CPropertyPage::OnSetActive();
    ListCommands();
    UpdateButtons();
    return result;
}

BOOL CTKPCustomizeKeysPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT code = HIWORD(wParam);
    switch (LOWORD(wParam)) {
    case 9391:
        if (code == CBN_SELCHANGE) {
            UpdateData(TRUE);
            ListCommands();
            ListKeys();
            UpdateButtons();
        }
        return TRUE;
    case 9381:
        if (code == LBN_SELCHANGE)
            ListKeys();
        return TRUE;
    case 9383:
        if (code == LBN_SELCHANGE)
            UpdateButtons();
        return TRUE;
    case 9385:
        if (code == EN_CHANGE)
            UpdateButtons();
        return TRUE;
    case 9386: OnAssign(); return TRUE;
    case 9387: OnRemove(); return TRUE;
    case 9388: OnResetAll(); return TRUE;
    default: return CPropertyPage::OnCommand(wParam, lParam);
    }
}

void CTKPCustomizeKeysPage::ListCommands()
{
    if (!m_lstCommands.m_hWnd)
        return;
    m_lstCommands.ResetContent();
    const int selected = m_cmbCategories.GetCurSel();
    auto* controls = selected >= 0 ? static_cast<CTKPControls*>(m_cmbCategories.GetItemDataPtr(selected)) : nullptr;
    for (int i = 0; controls && i < controls->GetCount(); ++i) {
        CTKPControl* control = controls->GetAt(i);
        const UINT id = control->GetID();
        if (!id || IsPopupType(control->GetType()) || (id >= 0xE110 && id <= 0xE11F))
            continue;
        m_lstCommands.SetItemDataPtr(m_lstCommands.AddString(StripMnemonicsCopy(control->GetCaption())), control);
    }
    if (m_lstCommands.GetCount() > 0)
        m_lstCommands.SetCurSel(0);
}

CTKPControl* CTKPCustomizeKeysPage::GetSelectedCommand() const
{
    const int selected = m_lstCommands.m_hWnd ? m_lstCommands.GetCurSel() : -1;
    return selected >= 0 ? static_cast<CTKPControl*>(m_lstCommands.GetItemDataPtr(selected)) : nullptr;
}

void CTKPCustomizeKeysPage::ListKeys()
{
    if (!m_lstKeys.m_hWnd)
        return;
    m_lstKeys.ResetContent();
    CTKPControl* command = GetSelectedCommand();
    CTKPShortcutTable* shortcuts = ShortcutsOf(m_pSheet);
    if (command && shortcuts) {
        const std::vector<ACCEL> entries = TableEntries(shortcuts->GetAccelTable());
        for (size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].cmd != command->GetID())
                continue;
            CString text;
            shortcuts->FormatAccelerator(text, entries[i]);
            m_lstKeys.SetItemData(m_lstKeys.AddString(text), DWORD_PTR(i));
        }
    }
    m_strDescription = command ? command->GetDescription() : CString();
    if (m_hWnd)
        ::SetDlgItemTextW(m_hWnd, 9390, m_strDescription);
    UpdateButtons();
}

void CTKPCustomizeKeysPage::UpdateButtons()
{
    if (!m_hWnd)
        return;
    const BOOL hasKey = ::GetWindowTextLengthW(m_editShortcut.m_hWnd) > 0 && m_editShortcut.GetAccel().key != 0;
    if (HWND assign = ::GetDlgItem(m_hWnd, 9386))
        ::EnableWindow(assign, hasKey);
    if (HWND remove = ::GetDlgItem(m_hWnd, 9387))
        ::EnableWindow(remove, m_lstKeys.GetCurSel() >= 0);
}

void CTKPCustomizeKeysPage::OnAssign()
{
    CTKPControl* command = GetSelectedCommand();
    CTKPShortcutTable* shortcuts = ShortcutsOf(m_pSheet);
    if (!command || !shortcuts)
        return;
    ACCEL captured = m_editShortcut.GetAccel();
    if (!captured.key)
        return;
    std::vector<ACCEL> entries = TableEntries(shortcuts->GetAccelTable());
    size_t at = entries.size();
    for (size_t i = 0; i < entries.size(); ++i)
        if ((entries[i].fVirt & ~FNOINVERT) == (captured.fVirt & ~FNOINVERT) && entries[i].key == captured.key) {
            at = i;
            break;
        }
    if (at < entries.size()) {
        if (AfxMessageBox(LoadText(9393), MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
            return;
    } else {
        entries.push_back(captured);
    }
    entries[at].fVirt = captured.fVirt;
    entries[at].key = captured.key;
    entries[at].cmd = WORD(command->GetID());
    shortcuts->SetAccelTable(entries.data(), int(entries.size()));
    ListKeys();
    m_editShortcut.ResetKey();
    UpdateButtons();
}

void CTKPCustomizeKeysPage::OnRemove()
{
    CTKPShortcutTable* shortcuts = ShortcutsOf(m_pSheet);
    const int selected = m_lstKeys.GetCurSel();
    if (!shortcuts || selected < 0)
        return;
    std::vector<ACCEL> entries = TableEntries(shortcuts->GetAccelTable());
    const size_t index = size_t(m_lstKeys.GetItemData(selected));
    if (index >= entries.size())
        return;
    entries[index] = entries.back();
    entries.pop_back();
    shortcuts->SetAccelTable(entries.data(), int(entries.size()));
    ListKeys();
}

void CTKPCustomizeKeysPage::OnResetAll()
{
    CTKPShortcutTable* shortcuts = ShortcutsOf(m_pSheet);
    if (!shortcuts ||
        AfxMessageBox(LoadText(9392), MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES)
        return;
    shortcuts->Reset();
    ListKeys();
}

// ---- Options page ------------------------------------------------------------------------------
CTKPCustomizeSettingsPage::CTKPCustomizeSettingsPage(CTKPCustomizeSheet* sheet)
    : CPropertyPage(TKP_IDD_CUSTOMIZE_OPTIONS), m_pSheet(sheet)
{
    CTKPCommandBars* bars = sheet ? sheet->GetCommandBars() : nullptr;
    if (CTKPCommandBarsSettings* options = bars ? bars->GetCommandBarsOptions() : nullptr) {
        m_bAlwaysShowFullMenus = options->bAlwaysShowFullMenus;
        m_bShowFullAfterDelay = options->bShowFullAfterDelay;
        m_bLargeIcons = options->bLargeIcons;
        m_bToolBarScreenTips = options->bToolBarScreenTips;
        m_bToolBarAccelTips = options->bToolBarAccelTips;
        m_nAnimation = options->nAnimation;
    }
}

void CTKPCustomizeSettingsPage::DoDataExchange(CDataExchange* pDX)
{
    DDX_Check(pDX, 9340, m_bAlwaysShowFullMenus);
    DDX_Check(pDX, 9341, m_bShowFullAfterDelay);
    DDX_Check(pDX, 9343, m_bLargeIcons);
    DDX_Check(pDX, 9344, m_bToolBarScreenTips);
    DDX_Check(pDX, 9345, m_bToolBarAccelTips);
    if (m_cmbAnimation.m_hWnd && !pDX->m_bSaveAndValidate)
        m_cmbAnimation.SetCurSel(m_nAnimation);
}

BOOL CTKPCustomizeSettingsPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    m_cmbAnimation.SubclassDlgItem(9410, this);
    const int separators[] = {9352, 9353};
    for (int i = 0; i < 2; ++i)
        if (::GetDlgItem(m_hWnd, separators[i]))
            m_wndSeparators[i].SubclassDlgItem(separators[i], this);
    for (UINT id = 9411; id <= 9416; ++id)
        m_cmbAnimation.AddString(LoadText(id));
    UpdateData(FALSE);
    UpdateEnabling();
    return TRUE;
}

void CTKPCustomizeSettingsPage::UpdateEnabling()
{
    if (HWND delayed = ::GetDlgItem(m_hWnd, 9341))
        ::EnableWindow(delayed, !m_bAlwaysShowFullMenus);
    if (HWND accel = ::GetDlgItem(m_hWnd, 9345))
        ::EnableWindow(accel, m_bToolBarScreenTips);
}

BOOL CTKPCustomizeSettingsPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    CTKPCommandBars* bars = m_pSheet ? m_pSheet->GetCommandBars() : nullptr;
    CTKPCommandBarsSettings* options = bars ? bars->GetCommandBarsOptions() : nullptr;
    if (!options)
        return CPropertyPage::OnCommand(wParam, lParam);
    auto checked = [&](int control) { return ::IsDlgButtonChecked(m_hWnd, control) == BST_CHECKED; };
    switch (id) {
    case 9340:
        options->bAlwaysShowFullMenus = m_bAlwaysShowFullMenus = checked(9340);
        UpdateEnabling();
        return TRUE;
    case 9341:
        options->bShowFullAfterDelay = m_bShowFullAfterDelay = checked(9341);
        return TRUE;
    case 9343:
        options->bLargeIcons = m_bLargeIcons = checked(9343);
        bars->RecalcAllBars();
        return TRUE;
    case 9344:
        options->bToolBarScreenTips = m_bToolBarScreenTips = checked(9344);
        UpdateEnabling();
        return TRUE;
    case 9345:
        options->bToolBarAccelTips = m_bToolBarAccelTips = checked(9345);
        return TRUE;
    case 9410:
        if (code == CBN_SELCHANGE)
            if (const int selected = m_cmbAnimation.GetCurSel(); selected >= 0)
                options->nAnimation = m_nAnimation = selected;
        return TRUE;
    case 9342:
        if (AfxMessageBox(LoadText(9346), MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDYES)
            bars->ResetUsedCommands();
        return TRUE;
    default:
        return CPropertyPage::OnCommand(wParam, lParam);
    }
}

// ---- Separator ---------------------------------------------------------------------------------
LRESULT CTKPCustomizeSeparator::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT)
        return CStatic::WindowProc(message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    CTKPThemeHandle theme;
    theme.OpenThemeData(m_hWnd, u"BUTTON");
    const BOOL themed = theme.IsAppThemed();
    COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
    if (themed)
        theme.GetThemeColor(4, 1, 3803, &text);
    const BOOL rtl = (::GetWindowLongW(m_hWnd, GWL_EXSTYLE) & WS_EX_RTLREADING) != 0;
    HWND parent = ::GetParent(m_hWnd);
    HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0)));
    ::SetTextColor(dc, text);
    ::SetBkMode(dc, TRANSPARENT);
    WCHAR caption[256] = {};
    ::GetWindowTextW(m_hWnd, caption, 256);
    UINT format = DT_SINGLELINE | DT_VCENTER;
    if (rtl)
        format |= DT_RIGHT | DT_RTLREADING;
    RECT measured = rc;
    ::DrawTextW(dc, caption, -1, &measured, format | DT_CALCRECT);
    ::DrawTextW(dc, caption, -1, &rc, format);
    const int textWidth = measured.right - measured.left;
    const int y = (rc.top + rc.bottom) / 2;
    const int from = rtl ? rc.left : rc.left + textWidth + 6;
    const int to = rtl ? rc.right - textWidth - 6 : rc.right;
    if (to > from) {
        COLORREF edge = ::GetSysColor(COLOR_BTNSHADOW);
        if (themed && SUCCEEDED(theme.GetThemeColor(4, 1, 3822, &edge))) {
            CTKPSelectPen pen(dc, edge);
            ::MoveToEx(dc, from, y, nullptr);
            ::LineTo(dc, to, y);
        } else {
            {
                CTKPSelectPen shadow(dc, ::GetSysColor(COLOR_BTNSHADOW));
                ::MoveToEx(dc, from, y, nullptr);
                ::LineTo(dc, to, y);
            }
            CTKPSelectPen light(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
            ::MoveToEx(dc, from, y + 1, nullptr);
            ::LineTo(dc, to, y + 1);
        }
    }
    ::SelectObject(dc, oldFont);
    ::EndPaint(m_hWnd, &ps);
    return 0;
}
