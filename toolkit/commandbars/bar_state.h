// The saved state of the command bars: the exchange context of the customised bars, one bar's
// saved place and the set of them written to and read from the profile.
#pragma once

#include "afx/core.h"
#include "afx/string.h"
#include "win32/types.h"

#include <vector>

class CTKPCommandBar;
class CTKPCommandBars;

// Hung on the exchange while the customised bars are stored or loaded.
struct CTKPPropExchangeContext {
    DWORD reserved = 0;
    BOOL bSaveOnlyChanged = FALSE;
    BOOL bLoadSilent = FALSE;
    BOOL bSaveOriginalControls = TRUE;
    DWORD words[4] = {0, 0, 1, 0};
    CTKPCommandBars* pCommandBars = nullptr;
    // How deep collections of original controls nest in the document being loaded.
    int nNesting = 0;
};

// Limits a saved document must keep: no save makes more, so a document beyond them is refused.
#define TKP_MAX_SAVED_BARS 1000
#define TKP_MAX_SAVED_CONTROLS 10000
#define TKP_MAX_EXPANDED_CONTROLS 100000
// The size above which the saved controls go to a file of their own.
#define TKP_MAX_PROFILE_CONTROLS 16000

// One bar's saved place.
struct CTKPBarInfo {
    UINT nBarID = 0;
    BOOL bVisible = FALSE;
    BOOL bFloating = FALSE;
    POINT ptPos{-1, -1};
    int nMRUWidth = 32767;
    UINT nMRUDockID = 0;
    RECT rcMRUDockPos{0, 0, 0, 0};
    POINT ptMRUFloatPos{0, 0};
    CTKPCommandBar* pBar = nullptr;
    BOOL bDialogBar = FALSE;
    SIZE szDockingClient{200, 200};
    SIZE szFloatingClient{200, 200};

    void SaveBarPosition(LPCWSTR profileName, int index) const;
    void LoadBarPosition(LPCWSTR profileName, int index, class CTKPDockState* state);
};

class CTKPDockState : public CObject {
public:
    CTKPDockState();
    ~CTKPDockState() override;

    void SaveState(LPCWSTR profileName) const;
    void LoadState(LPCWSTR profileName);
    void ScalePoint(POINT& pt) const;
    void ScaleRectPos(RECT& rc) const;
    SIZE GetScreenSize() const { return m_szSaved; }
    // Sets the saved size; rescaling follows when it differs from the screen and is usable.
    void SetScreenSize(SIZE size);
    void Clear();

    std::vector<CTKPBarInfo*> m_arrBarInfo;
    BOOL m_bScaling = FALSE;
    RECT m_rcScreen{0, 0, 0, 0};
    SIZE m_szSaved{0, 0};
    RECT m_rcClip{0, 0, 0, 0};
};

void GetBarInfo(CTKPCommandBar* bar, CTKPBarInfo* info);
void SetBarInfo(CTKPBarInfo* info, CTKPCommandBar* bar);
void GetDockState(CTKPCommandBars* bars, CTKPDockState& state);
void SetDockState(CTKPCommandBars* bars, CTKPDockState& state);
void SaveDockBars(CTKPCommandBars* bars, LPCWSTR profileName);
void LoadDockBars(CTKPCommandBars* bars, LPCWSTR profileName);
// The full path of a file in the application's folder of the user's application data; empty
// when there is none.
CString GetAppDataFileName(LPCWSTR fileName);
