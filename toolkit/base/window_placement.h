// The store that keeps a frame's window placement as one binary value of the per-user profile.
#pragma once

#include "afx/wnd.h"
#include "win32/user.h"

class CTKWindowPlacementStore {
public:
    CTKWindowPlacementStore();

    // Entry and section default to "Window Position" and "Settings".
    BOOL SaveWindowPlacement(CWnd* pWnd, LPCWSTR entry = nullptr, LPCWSTR section = nullptr);
    BOOL RestoreWindowPlacement(CWnd* pWnd, LPCWSTR entry = nullptr, LPCWSTR section = nullptr);
    // Reads the record only; a value that is not a whole record counts as nothing stored.
    BOOL LoadWindowPlacement(LPCWSTR entry = nullptr, LPCWSTR section = nullptr);

    const WINDOWPLACEMENT& GetPlacement() const { return m_wp; }

    // The stored record: one reserved word, then the placement.
    static constexpr UINT RecordSize = 48;

private:
    DWORD m_dwReserved = 0;
    WINDOWPLACEMENT m_wp;
};
