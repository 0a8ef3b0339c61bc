// The command bars' customize drag context: the bars that can take a dropped control.
#pragma once

#include "afx/wnd.h"

#include <vector>

class CTKPCommandBar;
class CTKPCommandBars;
class CTKPControl;

class CTKPCustomizeDragContext {
public:
    explicit CTKPCustomizeDragContext(CTKPCommandBars* bars) : m_pCommandBars(bars) {}

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
    std::vector<CTKPCommandBar*> m_bars;
    CTKPCommandBars* m_pCommandBars;
};
