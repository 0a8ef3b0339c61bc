// The cabinet lister's records: one entry per file of the last cabinet listed, and the state of
// one enumeration through the cabinet library.
#pragma once

#include "afx/afx.h"
#include "preview/archive/cabinet_library.h"

class CCabEntry : public CObject {
    DECLARE_DYNAMIC(CCabEntry)
public:
    CString m_strName;   // after the last "\" of the name in the cabinet
    CString m_strFolder; // up to and including it
    DWORD m_nSize = 0;
    FILETIME m_time{};
    WORD m_nAttributes = 0;
};

// The files of the last cabinet listed, in the reverse of their order in the cabinet.
extern CObList CabEntryList;

class CCabinetReader {
public:
    ~CCabinetReader();
    // Loads "Cabinet.dll" and its four entry points.
    BOOL Load();
    BOOL Create();
    void Close();

    HFDI m_hContext = nullptr;
    ERF m_erf{};
    HMODULE m_hModule = nullptr;
    FDICreateFn m_pCreate = nullptr;
    FDICopyFn m_pCopy = nullptr;
    FDIIsCabinetFn m_pIsCabinet = nullptr;
    FDIDestroyFn m_pDestroy = nullptr;
};

INT_PTR CabNotify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION pfdin);
