// Drop shadows of popups: two thin top-most windows along the right and bottom edges of a popup
// bar, which follow it while it shows and go when it goes.
#pragma once

#include "afx/wnd.h"

#include <vector>

class CTKPCommandBar;
class CTKPControl;
class CTKPShadowWnd;

class CTKPPopupShadows {
public:
    // The process's manager.
    static CTKPPopupShadows& Get();
    ~CTKPPopupShadows();

    // Layered shadows need the system's UpdateLayeredWindow; without it the strips are solid.
    BOOL IsLayered() const { return m_pfnUpdateLayeredWindow != nullptr; }
    int GetThickness() const { return IsLayered() ? 4 : 2; }

    // Casts the shadow of the bar's window, leaving out the exclusion rectangle (screen).
    void ShowShadow(CTKPCommandBar* bar, const RECT& exclude);
    // The shadow of an expanded control, in its bar.
    void ShowControlShadow(CTKPControl* control);
    // Unhooks and destroys every strip of the bar.
    void RemoveShadows(CTKPCommandBar* bar);
    std::vector<HWND> GetShadowWindows(const CTKPCommandBar* bar) const;

    // The bottom (horizontal) or right strip of a window rectangle.
    static RECT StripRect(const RECT& bar, BOOL horizontal, int thickness);
    // A strip that runs into a strip of the other direction (of another popup) ends where that
    // one begins, so the two join without overlapping.
    static RECT JoinStrip(RECT strip, BOOL horizontal, const RECT& other);
    // The pixels (top-down 0xAARRGGBB, pre-multiplied) of a layered strip `length` long and 4
    // thick: across the thickness the alpha falls from the popup's edge outwards, along the strip
    // it fades in at both ends.
    static std::vector<DWORD> MakeLayeredPixels(int length, BOOL horizontal, COLORREF color, BOOL themeShadow);

    // A strip's window went: it leaves the list.
    void Forget(CTKPShadowWnd* strip);

private:
    CTKPPopupShadows();
    // Leaves the part of a strip that a popup covers out of its window region.
    static void CutStrip(HWND strip, const RECT& cover);
    void CreateStrip(BOOL horizontal, const RECT& barRect, const RECT& exclude, CTKPCommandBar* owner,
                     BOOL themeShadow);

    std::vector<CTKPShadowWnd*> m_strips;
    FARPROC m_pfnUpdateLayeredWindow = nullptr;
};
