// The customise sheet's commands and tool bars pages, and the dialog that names a tool bar.
#include "toolkit/commandbars/customize_pages.h"

#include "toolkit/base/draw_helpers.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/base/resource_loader.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/customize_drag.h"
#include "toolkit/commandbars/customize_sheet.h"
#include "toolkit/commandbars/tool_bar.h"

IMPLEMENT_DYNAMIC(CTKPCustomizeCommandsPage, CPropertyPage)
IMPLEMENT_DYNAMIC(CTKPCustomizeToolbarsPage, CPropertyPage)

// ---- Categories --------------------------------------------------------------------------------
CTKPCustomizeCategory::CTKPCustomizeCategory(const CString& name, CTKPCommandBars* bars)
    : strName(name), pControls(new CTKPControls())
{
    pControls->SetCommandBars(bars);
}

CTKPCustomizeCategory::~CTKPCustomizeCategory()
{
    pControls->InternalRelease();
}

namespace {

CString LoadText(UINT id)
{
    CString text;
    GetResourceLoader().LoadString(text, id);
    return text;
}

CString MenuItemText(HMENU menu, int index)
{
    const int length = ::GetMenuStringW(menu, UINT(index), nullptr, 0, MF_BYPOSITION);
    std::vector<WCHAR> buffer(size_t(std::max(length, 0)) + 1, u'\0');
    ::GetMenuStringW(menu, UINT(index), buffer.data(), int(buffer.size()), MF_BYPOSITION);
    return CString(buffer.data());
}

CTKPControls* FindOrAddCategory(CTKPCustomizeCategories& categories, const CString& name, int index,
                                CTKPCommandBars* bars)
{
    for (auto& category : categories)
        if (category->strName == name)
            return category->pControls;
    auto record = std::make_unique<CTKPCustomizeCategory>(name, bars);
    CTKPControls* controls = record->pControls;
    if (index < 0 || index >= int(categories.size()))
        categories.push_back(std::move(record));
    else
        categories.insert(categories.begin() + index, std::move(record));
    return controls;
}

} // namespace

// ---- Commands page -----------------------------------------------------------------------------
CTKPCustomizeCommandsPage::CTKPCustomizeCommandsPage(CTKPCustomizeSheet* sheet)
    : CPropertyPage(TKP_IDD_CUSTOMIZE_COMMANDS), m_lstCommands(this), m_pSheet(sheet)
{
}

CTKPCustomizeCommandsPage::~CTKPCustomizeCommandsPage() = default;

CTKPCommandBars* CTKPCustomizeCommandsPage::GetCommandBars() const
{
    return m_pSheet ? m_pSheet->GetCommandBars() : nullptr;
}

BOOL CTKPCustomizeCommandsPage::LoadCommandCategories(UINT menuId, BOOL expandPopups)
{
    HMENU menu = nullptr;
    if (!GetResourceLoader().LoadMenu(menu, menuId) || !menu)
        return FALSE;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        HMENU sub = ::GetSubMenu(menu, i);
        const CString text = MenuItemText(menu, i);
        if (sub && !text.IsEmpty())
            AddCategoryFromMenu(text, CMenu::FromHandle(sub), expandPopups);
    }
    ::DestroyMenu(menu);
    return TRUE;
}

void CTKPCustomizeCommandsPage::AddCategoryFromMenu(const CString& name, CMenu* menu, BOOL expandPopups)
{
    CTKPControls* controls = AddCategory(StripMnemonicsCopy(name));
    if (!menu)
        return;
    for (int i = 0; i < ::GetMenuItemCount(menu->m_hMenu); ++i) {
        if (::GetMenuItemID(menu->m_hMenu, i) == 0)
            continue;
        CTKPControl* control = controls->AddMenuItem(menu, i);
        CTKPCommandBar* popup = control ? control->GetCommandBar() : nullptr;
        if (!popup || !expandPopups)
            continue;
        for (int c = 0; c < popup->GetControlCount(); ++c)
            controls->AddClone(popup->GetControl(c), -1, TRUE);
    }
}

CTKPControls* CTKPCustomizeCommandsPage::AddCategory(const CString& name, int index)
{
    return FindOrAddCategory(m_categories, name, index, GetCommandBars());
}

void CTKPCustomizeCommandsPage::AddCategoriesFromMenu(UINT menuId, UINT nameId, int index)
{
    HMENU menu = nullptr;
    if (!GetResourceLoader().LoadMenu(menu, menuId) || !menu)
        return;
    CTKPControls* controls = AddCategory(LoadText(nameId), index);
    CMenu* wrapper = CMenu::FromHandle(menu);
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i)
        controls->AddMenuItem(wrapper, i);
    ::DestroyMenu(menu);
}

void CTKPCustomizeCommandsPage::AddNewMenuCategory(UINT nameId, int index)
{
    const CString name = LoadText(nameId);
    CTKPControls* controls = AddCategory(name, index);
    if (CTKPControl* popup = controls->Add(TKP_CONTROL_POPUP, 0))
        popup->SetCaption(name);
}

void CTKPCustomizeCommandsPage::AddAllCommandsCategory(UINT nameId, int index)
{
    std::vector<CTKPControls*> sources;
    for (auto& category : m_categories)
        sources.push_back(category->pControls);
    CTKPControls* all = AddCategory(LoadText(nameId), index);
    for (CTKPControls* source : sources) {
        if (source == all)
            continue;
        for (int i = 0; i < source->GetCount(); ++i)
            all->AddClone(source->GetAt(i), -1, TRUE);
    }
}

BOOL CTKPCustomizeCommandsPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    m_lstCategories.SubclassDlgItem(9338, this);
    m_lstCommands.SubclassDlgItem(9327, this);
    for (size_t i = 0; i < m_categories.size(); ++i) {
        const int item = m_lstCategories.AddString(m_categories[i]->strName);
        m_lstCategories.SetItemData(item, DWORD_PTR(i));
    }
    m_lstCategories.SetCurSel(0);
    CTKPCommandBars* bars = GetCommandBars();
    if (CTKPPaintManager* paint = bars ? bars->GetPaintManager() : nullptr) {
        const SIZE entry = paint->DrawCustomizeListEntry(nullptr, nullptr, RECT{0, 0, 0, 0}, FALSE, FALSE, nullptr);
        m_lstCommands.SetItemHeight(0, UINT(std::max<LONG>(entry.cy, 1)));
    }
    if (bars && bars->IsLayoutRTL()) {
        m_lstCommands.ModifyStyleEx(0, WS_EX_LAYOUTRTL);
        m_lstCategories.ModifyStyleEx(0, WS_EX_RIGHT | WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR);
    }
    CTKPMouseTracker::GetThreadTracker()->AddExcludedWindow(m_hWnd);
    ListCommands();
    return TRUE;
}

LRESULT CTKPCustomizeCommandsPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        CTKPMouseTracker::GetThreadTracker()->RemoveExcludedWindow(m_hWnd);
    return CPropertyPage::WindowProc(message, wParam, lParam);
}

BOOL CTKPCustomizeCommandsPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == 9338 && HIWORD(wParam) == LBN_SELCHANGE) {
        ListCommands();
        return TRUE;
    }
    return CPropertyPage::OnCommand(wParam, lParam);
}

void CTKPCustomizeCommandsPage::ListCommands()
{
    if (!m_lstCommands.m_hWnd)
        return;
    m_lstCommands.ResetContent();
    const int selected = m_lstCategories.m_hWnd ? m_lstCategories.GetCurSel() : -1;
    if (selected < 0)
        return;
    const size_t index = size_t(m_lstCategories.GetItemData(selected));
    if (index >= m_categories.size())
        return;
    CTKPControls* controls = m_categories[index]->pControls;
    for (int i = 0; i < controls->GetCount(); ++i)
        m_lstCommands.SetItemDataPtr(m_lstCommands.AddString(u""), controls->GetAt(i));
}

void CTKPCustomizeCommandsPage::OnCommandPressed(int index)
{
    CTKPCommandBars* bars = GetCommandBars();
    if (bars)
        bars->SetDragControl(nullptr);
    m_lstCommands.SetCurSel(index);
    m_lstCommands.SetFocus();
    ::PostMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(9327, LBN_SELCHANGE), LPARAM(m_lstCommands.m_hWnd));
    auto* control = static_cast<CTKPControl*>(m_lstCommands.GetItemDataPtr(index));
    if (control && bars)
        bars->GetDragContext()->DoDragDrop(control, TRUE);
}

// The commands list draws through an off-screen buffer over the paint manager's background.
BOOL CTKPCustomizeCommandList::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_DRAWITEM) {
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        if (pResult)
            *pResult = TRUE;
        return TRUE;
    }
    return CListBox::OnChildNotify(message, wParam, lParam, pResult);
}

void CTKPCustomizeCommandList::DrawItem(LPDRAWITEMSTRUCT dis)
{
    CTKPCommandBars* bars = m_pPage ? m_pPage->GetCommandBars() : nullptr;
    CTKPPaintManager* paint = bars ? bars->GetPaintManager() : nullptr;
    auto* control = reinterpret_cast<CTKPControl*>(dis->itemData);
    if (!paint || !control || dis->itemID == UINT(-1))
        return;
    paint->DrawCustomizeListEntry(dis->hDC, control, dis->rcItem, (dis->itemState & ODS_SELECTED) != 0, TRUE,
                                  nullptr);
}

LRESULT CTKPCustomizeCommandList::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    CTKPCommandBars* bars = m_pPage ? m_pPage->GetCommandBars() : nullptr;
    CTKPPaintManager* paint = bars ? bars->GetPaintManager() : nullptr;
    switch (message) {
    case WM_ERASEBKGND:
        if (paint) {
            RECT rc;
            ::GetClientRect(m_hWnd, &rc);
            paint->DrawCustomizeListEntry(reinterpret_cast<HDC>(wParam), nullptr, rc, FALSE, TRUE, nullptr);
            return TRUE;
        }
        break;
    case WM_PAINT:
        if (paint) {
            PAINTSTRUCT ps;
            HDC target = ::BeginPaint(m_hWnd, &ps);
            RECT rc;
            ::GetClientRect(m_hWnd, &rc);
            {
                CTKPOffscreenDC buffer(target, rc);
                paint->DrawCustomizeListEntry(buffer.m_hDC, nullptr, rc, FALSE, TRUE, nullptr);
                CListBox::WindowProc(WM_PRINTCLIENT, WPARAM(buffer.m_hDC), PRF_CLIENT);
            }
            ::EndPaint(m_hWnd, &ps);
            return 0;
        }
        break;
    case WM_LBUTTONDOWN: {
        BOOL outside = TRUE;
        const int index = int(ItemFromPoint(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)), outside));
        if (!outside && index >= 0 && index < GetCount() && m_pPage) {
            m_pPage->OnCommandPressed(index);
            return 0;
        }
        break;
    }
    default:
        break;
    }
    return CListBox::WindowProc(message, wParam, lParam);
}

// ---- Tool bars page ----------------------------------------------------------------------------
CTKPCustomizeToolbarsPage::CTKPCustomizeToolbarsPage(CTKPCustomizeSheet* sheet)
    : CPropertyPage(TKP_IDD_CUSTOMIZE_TOOLBARS), m_pSheet(sheet)
{
}

BOOL CTKPCustomizeToolbarsPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    m_lstToolbars.SubclassDlgItem(9305, this);
    Refresh();
    return TRUE;
}

void CTKPCustomizeToolbarsPage::Refresh()
{
    CTKPCommandBars* bars = m_pSheet ? m_pSheet->GetCommandBars() : nullptr;
    if (!m_lstToolbars.m_hWnd || !bars)
        return;
    const int selection = m_lstToolbars.GetCurSel();
    const int selectedBar = selection >= 0 ? int(m_lstToolbars.GetItemData(selection)) : -1;
    const int top = m_lstToolbars.GetTopIndex();
    m_lstToolbars.ResetContent();
    for (int i = 0; i < bars->GetCount(); ++i) {
        CTKPCommandBar* bar = bars->GetAt(i);
        if (bar->GetType() == TKP_BARTYPE_MENUBAR && !bar->IsVisible())
            continue;
        const int item = m_lstToolbars.AddString(bar->GetTitle());
        m_lstToolbars.SetCheck(item, bar->IsVisible() ? 1 : 0);
        m_lstToolbars.SetItemData(item, DWORD_PTR(i));
        if (i == selectedBar)
            m_lstToolbars.SetCurSel(item);
    }
    m_lstToolbars.SetTopIndex(top);
    UpdateButtons();
}

CTKPCommandBar* CTKPCustomizeToolbarsPage::GetSelectedBar() const
{
    CTKPCommandBars* bars = m_pSheet ? m_pSheet->GetCommandBars() : nullptr;
    const int selection = m_lstToolbars.m_hWnd ? m_lstToolbars.GetCurSel() : -1;
    return bars && selection >= 0 ? bars->GetAt(int(m_lstToolbars.GetItemData(selection))) : nullptr;
}

void CTKPCustomizeToolbarsPage::UpdateButtons()
{
    auto* bar = dynamic_cast<CTKPToolBar*>(GetSelectedBar());
    const BOOL builtIn = bar && bar->m_bBuiltIn;
    const struct {
        int id;
        BOOL enable;
    } buttons[] = {{9311, bar && builtIn}, {9309, bar && !builtIn}, {9310, bar && !builtIn}};
    for (const auto& b : buttons)
        if (HWND button = ::GetDlgItem(m_hWnd, b.id))
            ::EnableWindow(button, b.enable);
}

BOOL CTKPCustomizeToolbarsPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case 9305:
        if (HIWORD(wParam) == CLBN_CHKCHANGE)
            OnCheckChanged();
        else if (HIWORD(wParam) == LBN_SELCHANGE)
            UpdateButtons();
        return TRUE;
    case 9308: OnNewToolbar(); return TRUE;
    case 9309: OnRenameToolbar(); return TRUE;
    case 9310: OnDeleteToolbar(); return TRUE;
    case 9311: OnResetToolbar(); return TRUE;
    default: return CPropertyPage::OnCommand(wParam, lParam);
    }
}

void CTKPCustomizeToolbarsPage::OnCheckChanged()
{
    CTKPCommandBars* bars = m_pSheet ? m_pSheet->GetCommandBars() : nullptr;
    const int item = m_lstToolbars.GetCaretIndex();
    if (!bars || item < 0 || item >= m_lstToolbars.GetCount())
        return;
    CTKPCommandBar* bar = bars->GetAt(int(m_lstToolbars.GetItemData(item)));
    auto* toolBar = dynamic_cast<CTKPToolBar*>(bar);
    if (toolBar && bar->GetType() != TKP_BARTYPE_MENUBAR && bar->m_bCloseable) {
        toolBar->SetVisible(m_lstToolbars.GetCheck(item) != 0);
        bars->RecalcFrameLayout();
    }
    Refresh();
}

void CTKPCustomizeToolbarsPage::OnNewToolbar()
{
    CTKPCommandBars* bars = m_pSheet ? m_pSheet->GetCommandBars() : nullptr;
    if (!bars)
        return;
    CTKPNewToolbarDlg dlg(bars, nullptr, this);
    if (dlg.DoModal() == IDOK)
        bars->AddCustomToolBar(dlg.m_strName, dlg.m_nNewId, FALSE);
    Refresh();
}

void CTKPCustomizeToolbarsPage::OnRenameToolbar()
{
    CTKPCommandBars* bars = m_pSheet ? m_pSheet->GetCommandBars() : nullptr;
    auto* bar = dynamic_cast<CTKPToolBar*>(GetSelectedBar());
    if (!bars || !bar || bar->m_bBuiltIn)
        return;
    CTKPNewToolbarDlg dlg(bars, bar, this);
    if (dlg.DoModal() != IDOK)
        return;
    bar->SetTitle(dlg.m_strName);
    bar->m_dwFlags &= ~DWORD(4);
    if (bar->GetPosition() == TKP_BARPOS_TOP && bar->m_hWnd)
        ::InvalidateRect(bar->m_hWnd, nullptr, TRUE);
    const int item = m_lstToolbars.GetCurSel();
    const int check = m_lstToolbars.GetCheck(item);
    const DWORD_PTR data = m_lstToolbars.GetItemData(item);
    m_lstToolbars.DeleteString(UINT(item));
    m_lstToolbars.InsertString(item, dlg.m_strName);
    m_lstToolbars.SetCheck(item, check);
    m_lstToolbars.SetItemData(item, data);
    m_lstToolbars.SetCurSel(item);
}

void CTKPCustomizeToolbarsPage::OnDeleteToolbar()
{
    CTKPCommandBars* bars = m_pSheet ? m_pSheet->GetCommandBars() : nullptr;
    auto* bar = dynamic_cast<CTKPToolBar*>(GetSelectedBar());
    if (!bars || !bar || bar->m_bBuiltIn)
        return;
    CString question;
    question.Format(LoadText(9335), bar->GetTitle().GetString());
    if (AfxMessageBox(question, MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK)
        return;
    bars->Remove(bar);
    Refresh();
}

void CTKPCustomizeToolbarsPage::OnResetToolbar()
{
    auto* bar = dynamic_cast<CTKPToolBar*>(GetSelectedBar());
    if (!bar || !bar->m_bBuiltIn)
        return;
    bar->Reset();
    Refresh();
}

// ---- New tool bar dialog -----------------------------------------------------------------------
CTKPNewToolbarDlg::CTKPNewToolbarDlg(CTKPCommandBars* bars, CTKPCommandBar* renamed, CWnd* parent)
    : CDialog(TKP_IDD_NEW_TOOLBAR, parent), m_pCommandBars(bars), m_pRenamed(renamed)
{
}

INT_PTR CTKPNewToolbarDlg::DoModal()
{
    const void* tmpl = GetResourceLoader().LoadDialogTemplate(TKP_IDD_NEW_TOOLBAR);
    if (!tmpl)
        return -1;
    InitModalIndirect(static_cast<LPCDLGTEMPLATEW>(tmpl), m_pParentWnd);
    return CDialog::DoModal();
}

CString CTKPNewToolbarDlg::DefaultName() const
{
    const CString format = LoadText(9330);
    CString name;
    for (int n = 1;; ++n) {
        name.Format(format, n);
        BOOL taken = FALSE;
        for (int i = 0; m_pCommandBars && i < m_pCommandBars->GetCount() && !taken; ++i)
            taken = m_pCommandBars->GetAt(i)->GetTitle() == name;
        if (!taken || n > 0xFFFF)
            return name;
    }
}

BOOL CTKPNewToolbarDlg::OnInitDialog()
{
    if (m_pRenamed) {
        m_strName = m_pRenamed->GetTitle();
        SetWindowText(LoadText(9334));
    } else {
        m_strName = DefaultName();
    }
    return CDialog::OnInitDialog();
}

void CTKPNewToolbarDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, 9329, m_strName);
}

void CTKPNewToolbarDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    if (m_strName.IsEmpty()) {
        AfxMessageBox(LoadText(9331), MB_ICONHAND);
        return;
    }
    m_nNewId = 0xE800;
    if (!m_pRenamed) {
        for (int i = 0; m_pCommandBars && i < m_pCommandBars->GetCount();) {
            if (m_pCommandBars->GetAt(i)->GetBarID() == m_nNewId) {
                if (++m_nNewId >= 0xE8FF) {
                    AfxMessageBox(LoadText(9332), MB_ICONHAND);
                    EndDialog(IDCANCEL);
                    return;
                }
                i = 0;
                continue;
            }
            ++i;
        }
    }
    for (int i = 0; m_pCommandBars && i < m_pCommandBars->GetCount(); ++i) {
        CTKPCommandBar* bar = m_pCommandBars->GetAt(i);
        if (bar != m_pRenamed && bar->GetTitle() == m_strName) {
            CString message;
            message.Format(LoadText(9333), m_strName.GetString());
            AfxMessageBox(message, MB_ICONHAND);
            return;
        }
    }
    EndDialog(IDOK);
}
