// The toolkit's own tip windows: a popup that answers the tooltip messages itself, shows a tool's
// text after a delay below the cursor, and hides when the mouse leaves the tool; with rich-text
// rendering, or with a themed background.
#pragma once

#include "afx/wnd.h"
#include "win32/controls/tooltip.h"

#include <memory>
#include <vector>

class CTKPTipContext;

// One tool of a tip window.
struct CTKPTipTool {
    CString strText;
    // The text is asked of the tool's window when shown.
    BOOL bCallback = FALSE;
    UINT uFlags = 0;
    RECT rect{0, 0, 0, 0};
    HINSTANCE hInstance = nullptr;
    HWND hWnd = nullptr;
    UINT_PTR uId = UINT_PTR(-1);

    BOOL IsEmpty() const { return hWnd == nullptr && uId == UINT_PTR(-1); }
    BOOL IsSame(const CTKPTipTool& other) const { return hWnd == other.hWnd && uId == other.uId; }
    void Clear() { *this = CTKPTipTool(); }
};

class CTKPTipWindow : public CWnd {
public:
    explicit CTKPTipWindow(CTKPTipContext* context);
    ~CTKPTipWindow() override;

    // A popup owned by the owner's window, with the tip style bits in its style.
    BOOL CreateTipWindow(CWnd* owner, DWORD tipStyle);

    // The window's size for a tool (its text already fetched); an empty size shows nothing.
    virtual CSize CalcTipSize(CDC* pDC, const CTKPTipTool& tool);
    virtual void DrawTipText(CDC* pDC, const CTKPTipTool& tool, const RECT& rc);
    virtual void DrawTipBackground(CDC* pDC, const RECT& rc);

    int GetToolCount() const { return int(m_tools.size()); }
    const CTKPTipTool& GetShownTool() const { return m_shown; }
    const CTKPTipTool& GetPendingTool() const { return m_pending; }
    BOOL IsActive() const { return m_bActive; }
    CString GetTitle() const { return m_strTitle; }

    // How long the mouse rests on a tool before its tip shows, and how soon after a tip went the
    // next one shows at once.
    DWORD m_dwInitialDelay = 500;
    DWORD m_dwReshowWindow = 200;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The tool under the cursor, or null (always null while a mouse button is held).
    CTKPTipTool* ToolFromCursor();
    // The tool's text, asked of its window for a callback tool, without "&" unless the style keeps them.
    CString GetToolText(const CTKPTipTool& tool);
    void RelayEvent(const MSG* msg);
    void ShowTool(const CTKPTipTool& tool);
    void HideTip();
    void AddTool(const TOOLINFOW* info);
    void DeleteTool(const TOOLINFOW* info);
    void Paint();
    COLORREF GetBackColor() const;
    COLORREF GetTextColor() const;
    RECT GetMargins() const;

    CTKPTipContext* m_pContext;
    std::vector<std::unique_ptr<CTKPTipTool>> m_tools;
    BOOL m_bActive = FALSE;
    CTKPTipTool m_shown;
    CTKPTipTool m_pressed;
    CTKPTipTool m_pending;
    HFONT m_hFont = nullptr;
    UINT_PTR m_nTimer = 0;
    DWORD m_dwLastShowHide = 0;
    CString m_strTitle;

private:
    static LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam);
    void InstallHook();
    void RemoveHook();
};

// A tip window whose text is rich text, shown by a child rich edit.
class CTKPRichTipWindow : public CTKPTipWindow {
public:
    using CTKPTipWindow::CTKPTipWindow;

    CSize CalcTipSize(CDC* pDC, const CTKPTipTool& tool) override;
    void DrawTipText(CDC* pDC, const CTKPTipTool& tool, const RECT& rc) override;
    HWND GetRichEdit() const { return m_hWndRich; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The narrowest width that does not make the text taller, and the height there.
    CSize MeasureRichText();
    HWND m_hWndRich = nullptr;
    SIZE m_szRequested{0, 0};
};

// A tip window with a gradient background in the colours of the system's visual style.
class CTKPThemedTipWindow : public CTKPTipWindow {
public:
    using CTKPTipWindow::CTKPTipWindow;
    void DrawTipBackground(CDC* pDC, const RECT& rc) override;
};
