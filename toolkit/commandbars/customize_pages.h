// The pages of the customise sheet (commands, tool bars, keyboard, options) and the dialog that
// names a tool bar.
#pragma once

#include "afx/check_list_box.h"
#include "afx/property_sheet.h"
#include "afx/std_controls.h"
#include "toolkit/commandbars/command_bars.h"

#include <memory>
#include <vector>

class CTKPCommandBar;
class CTKPControls;
class CTKPCustomizeSheet;

#define TKP_IDD_CUSTOMIZE_TOOLBARS 9304
#define TKP_IDD_CUSTOMIZE_COMMANDS 9313
#define TKP_IDD_NEW_TOOLBAR 9328
#define TKP_IDD_CUSTOMIZE_OPTIONS 9339
#define TKP_IDD_CUSTOMIZE_KEYS 9379

// One entry of a category list: its name and its controls (bound to the command bars).
struct CTKPCustomizeCategory {
    CTKPCustomizeCategory(const CString& name, CTKPCommandBars* bars);
    ~CTKPCustomizeCategory();
    CTKPCustomizeCategory(const CTKPCustomizeCategory&) = delete;
    CTKPCustomizeCategory& operator=(const CTKPCustomizeCategory&) = delete;

    CString strName;
    CTKPControls* pControls;
};
using CTKPCustomizeCategories = std::vector<std::unique_ptr<CTKPCustomizeCategory>>;

class CTKPCustomizeCommandsPage;

// The commands list: each item draws its control as the bars draw it, and a press on one starts
// dragging that control.
class CTKPCustomizeCommandList : public CListBox {
public:
    explicit CTKPCustomizeCommandList(CTKPCustomizeCommandsPage* page) : m_pPage(page) {}
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);

    CTKPCustomizeCommandsPage* m_pPage;

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class CTKPCustomizeCommandsPage : public CPropertyPage {
    DECLARE_DYNAMIC(CTKPCustomizeCommandsPage)
public:
    explicit CTKPCustomizeCommandsPage(CTKPCustomizeSheet* sheet);
    ~CTKPCustomizeCommandsPage() override;

    // Categories from the popups of a menu; FALSE when the menu cannot be loaded.
    BOOL LoadCommandCategories(UINT menuId, BOOL expandPopups);
    void AddCategoryFromMenu(const CString& name, CMenu* menu, BOOL expandPopups);
    // The existing category of that name, else a new one at the index (-1: at the end).
    CTKPControls* AddCategory(const CString& name, int index = -1);
    // One category holding a popup control per top-level item of the menu.
    void AddCategoriesFromMenu(UINT menuId, UINT nameId, int index = -1);
    void AddNewMenuCategory(UINT nameId, int index = -1);
    // A category with clones of every control of every category so far.
    void AddAllCommandsCategory(UINT nameId, int index = -1);

    const CTKPCustomizeCategories& GetCategories() const { return m_categories; }
    CTKPCustomizeSheet* GetSheet() const { return m_pSheet; }
    CTKPCommandBars* GetCommandBars() const;
    // Lists the selected category's controls.
    void ListCommands();
    // A press on an item: it is selected and, when it has a control, that control is dragged.
    void OnCommandPressed(int index);

    CTKPCustomizeCommandList m_lstCommands;
    CListBox m_lstCategories;

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CTKPCustomizeSheet* m_pSheet;
    CTKPCustomizeCategories m_categories;
};

class CTKPCustomizeToolbarsPage : public CPropertyPage {
    DECLARE_DYNAMIC(CTKPCustomizeToolbarsPage)
public:
    explicit CTKPCustomizeToolbarsPage(CTKPCustomizeSheet* sheet);

    // Lists the bars again, keeping the selection and the scroll position.
    void Refresh();
    // The bar of the selected list item, or none.
    CTKPCommandBar* GetSelectedBar() const;
    void OnNewToolbar();
    void OnRenameToolbar();
    void OnDeleteToolbar();
    void OnResetToolbar();
    void OnCheckChanged();

    CCheckListBox m_lstToolbars;

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void UpdateButtons();

private:
    CTKPCustomizeSheet* m_pSheet;
};

// Names a new tool bar (or renames one), refusing empty and duplicate names.
class CTKPNewToolbarDlg : public CDialog {
public:
    CTKPNewToolbarDlg(CTKPCommandBars* bars, CTKPCommandBar* renamed, CWnd* parent = nullptr);
    INT_PTR DoModal() override;
    // The first "Custom n" that no bar has as its title.
    CString DefaultName() const;

    UINT m_nNewId = 0xE800;
    CString m_strName;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange* pDX) override;

private:
    CTKPCommandBars* m_pCommandBars;
    CTKPCommandBar* m_pRenamed;
};

// The keyboard page: shortcuts of the commands, assigned and removed at once in the bars' table.
class CTKPCustomizeKeysPage : public CPropertyPage {
    DECLARE_DYNAMIC(CTKPCustomizeKeysPage)
public:
    explicit CTKPCustomizeKeysPage(CTKPCustomizeSheet* sheet);
    ~CTKPCustomizeKeysPage() override;

    BOOL LoadKeyCategories(UINT menuId, BOOL expandPopups);
    void AddCategoryFromMenu(const CString& name, CMenu* menu, BOOL expandPopups);
    const CTKPCustomizeCategories& GetCategories() const { return m_categories; }

    void ListCommands();
    void ListKeys();
    void UpdateButtons();
    // The control of the selected command, or none.
    CTKPControl* GetSelectedCommand() const;
    void OnAssign();
    void OnRemove();
    void OnResetAll();

    CListBox m_lstKeys;
    CListBox m_lstCommands;
    CComboBox m_cmbCategories;
    CTKPShortcutKeyEdit m_editShortcut;
    CString m_strDescription;
    int m_nCategory = 0;

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(CDataExchange* pDX) override;

private:
    CTKPCustomizeCategories m_categories;
    CTKPCustomizeSheet* m_pSheet;
};

// A title over a group of options: its text, then an etched line to the right edge.
class CTKPCustomizeSeparator : public CStatic {
protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The options page: each change is written into the bars' options at once.
class CTKPCustomizeSettingsPage : public CPropertyPage {
    DECLARE_DYNAMIC(CTKPCustomizeSettingsPage)
public:
    explicit CTKPCustomizeSettingsPage(CTKPCustomizeSheet* sheet);

    BOOL m_bAlwaysShowFullMenus = FALSE;
    BOOL m_bShowFullAfterDelay = FALSE;
    BOOL m_bLargeIcons = FALSE;
    BOOL m_bToolBarScreenTips = FALSE;
    BOOL m_bToolBarAccelTips = FALSE;
    CComboBox m_cmbAnimation;
    int m_nAnimation = 0;
    CTKPCustomizeSeparator m_wndSeparators[2];

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(CDataExchange* pDX) override;
    void UpdateEnabling();

private:
    CTKPCustomizeSheet* m_pSheet;
};
