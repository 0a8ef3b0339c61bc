// The command bars' customize drag context: the bars that can take a dropped control, and the modal
// loop that drags a control onto them.
#pragma once

#include "afx/wnd.h"

#include <vector>

class CTKPCommandBar;
class CTKPCommandBars;
class CTKPControl;

// Drop effects of DoDragDrop.
#define TKP_DROPEFFECT_NONE 0
#define TKP_DROPEFFECT_COPY 1
#define TKP_DROPEFFECT_MOVE 2
#define TKP_DROPEFFECT_CANCEL 5

class CTKPCustomizeDragContext {
public:
    explicit CTKPCustomizeDragContext(CTKPCommandBars* bars) : m_pCommandBars(bars) {}
    ~CTKPCustomizeDragContext();

    // Drags the control with the mouse captured until it is dropped (copy or move onto a bar),
    // released over no bar, or cancelled (Esc, right button, capture lost).
    int DoDragDrop(CTKPControl* control, BOOL fromSheet);

    // Bars take part from their window's creation to its destruction.
    void Register(CTKPCommandBar* bar);
    void Unregister(CTKPCommandBar* bar);
    BOOL IsRegistered(CTKPCommandBar* bar) const;
    int GetBarCount() const { return int(m_bars.size()); }
    CTKPCommandBars* GetCommandBars() const { return m_pCommandBars; }

    CWnd* m_pCapture = nullptr;
    CTKPControl* m_pControl = nullptr;
    BOOL m_bMove = TRUE;
    BOOL m_bFromSheet = FALSE;
    CTKPCommandBar* m_pTarget = nullptr;
    CWnd* m_pSheet = nullptr;
    POINT m_ptStart{0, 0};

private:
    int RunLoop();
    int Drop(int effect);
    void HitTest(POINT screen);
    void UpdateCursor();
    HCURSOR Cursor(UINT id);

    std::vector<CTKPCommandBar*> m_bars;
    HCURSOR m_hNoDrop = nullptr;
    HCURSOR m_hMove = nullptr;
    HCURSOR m_hCopy = nullptr;
    CTKPCommandBars* m_pCommandBars;
};
