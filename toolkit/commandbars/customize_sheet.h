// The customise sheet: the property sheet through which the user rearranges the command bars. While
// it runs the bars are in customise mode and only the bars and the sheet take the mouse and keys.
#pragma once

#include "afx/property_sheet.h"

class CTKPCommandBars;
class CTKPControl;
class CTKPCustomizeCommandsPage;
class CTKPCustomizeToolbarsPage;
class CTKPImageManager;
class CTKPPopupBar;

// Commands of the sheet's control menu (menu 9336).
#define TKP_ID_CUSTOMIZE_RESET 9315
#define TKP_ID_CUSTOMIZE_DELETE 9316
#define TKP_ID_CUSTOMIZE_NAME 9317
#define TKP_ID_CUSTOMIZE_COPYIMAGE 9318
#define TKP_ID_CUSTOMIZE_PASTEIMAGE 9319
#define TKP_ID_CUSTOMIZE_RESETIMAGE 9320
#define TKP_ID_CUSTOMIZE_EDITIMAGE 9321
#define TKP_ID_CUSTOMIZE_CHANGEIMAGE 9322
#define TKP_ID_CUSTOMIZE_DEFAULTSTYLE 9323
#define TKP_ID_CUSTOMIZE_IMAGEANDTEXT 9324
#define TKP_ID_CUSTOMIZE_TEXTONLY 9325
#define TKP_ID_CUSTOMIZE_BEGINGROUP 9326
#define TKP_IDR_CUSTOMIZE_MENU 9336
#define TKP_IDB_CUSTOMIZE_IMAGES 9322

class CTKPCustomizeSheet : public CPropertySheet {
    DECLARE_DYNAMIC(CTKPCustomizeSheet)
public:
    explicit CTKPCustomizeSheet(CTKPCommandBars* commandBars);
    ~CTKPCustomizeSheet() override;

    // Adds a page, giving it the template the toolkit's resource loader finds for its id.
    void AddPage(CPropertyPage* page);
    // IDCANCEL at once when another customise sheet is running.
    INT_PTR DoModal() override;
    // The control menu at a screen point, for the control the bars have selected.
    void ShowControlMenu(int x, int y);

    CTKPCommandBars* GetCommandBars() const { return m_pCommandBars; }
    CWnd* GetSite() const { return m_pSite; }
    CTKPCustomizeToolbarsPage* GetToolbarsPage() const { return m_pToolbarsPage; }
    CTKPCustomizeCommandsPage* GetCommandsPage() const { return m_pCommandsPage; }
    CTKPImageManager* GetCustomImages() const { return m_pCustomImages; }
    CTKPPopupBar* GetControlMenu() const { return m_pControlMenu; }
    // The running sheet of the process, or none.
    static CTKPCustomizeSheet* GetRunningSheet();

    // The commands of the control menu on the bars' selected control; each returns FALSE when it
    // did nothing (no control selected, or the command does not apply to it).
    BOOL ExecuteCommand(UINT id);
    // Whether the command applies to the selected control, and its tick; FALSE for `enabled`
    // leaves the item as it was (nothing is selected).
    BOOL GetCommandState(UINT id, BOOL& enabled, BOOL& checked);
    // A picked stock image (1-based) becomes the selected control's custom image.
    BOOL ChangeButtonImage(int stockImage);
    // Fills the stock images' popup the first time it opens.
    void FillImagePopup(CTKPPopupBar* popup);

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL ContinueModal() override;

    // The input filters of a running sheet: TRUE lets the event through.
    BOOL FilterMouse(UINT message, const MOUSEHOOKSTRUCT& info);
    BOOL FilterKey();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual BOOL OnInitDialog();
    LRESULT OnControlNotify(WPARAM wParam, LPARAM lParam);

private:
    void BuildControlMenu();
    CTKPControl* GetSelected() const;
    BOOL CopyButtonImage(CTKPControl* control);
    BOOL PasteButtonImage(CTKPControl* control);
    BOOL EditButtonImage(CTKPControl* control);

    CTKPCustomizeToolbarsPage* m_pToolbarsPage = nullptr;
    CTKPCustomizeCommandsPage* m_pCommandsPage = nullptr;
    CWnd* m_pSite = nullptr;
    CTKPCommandBars* m_pCommandBars = nullptr;
    CTKPPopupBar* m_pControlMenu = nullptr;
    CTKPImageManager* m_pCustomImages = nullptr;
};

// The format that marks a clipboard bitmap as one with per-pixel alpha.
UINT GetAlphaBitmapClipboardFormat();
