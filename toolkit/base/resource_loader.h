// The one place toolkit code loads its strings, menus, tool bars, bitmaps, cursors and dialog templates.
#pragma once

#include "afx/string.h"
#include "win32/user.h"

#include <vector>

// A tool-bar resource: the button image size and the command ids, 0 for a separator.
struct CTKPToolBarResource {
    int width = 0, height = 0;
    std::vector<UINT> items;
};

class CTKPResourceLoader {
public:
    CTKPResourceLoader() = default;
    virtual ~CTKPResourceLoader();
    CTKPResourceLoader(const CTKPResourceLoader&) = delete;
    CTKPResourceLoader& operator=(const CTKPResourceLoader&) = delete;

    virtual BOOL LoadString(CString& out, UINT id);
    virtual BOOL LoadMenu(HMENU& out, UINT id);
    virtual BOOL LoadToolBar(CTKPToolBarResource& out, UINT id);
    virtual BOOL LoadBitmap(HBITMAP& out, UINT id);
    virtual HCURSOR LoadCursor(UINT id);
    // The locked template, or null.
    virtual const void* LoadDialogTemplate(UINT id);
    virtual void FreeResourceModule();

    BOOL m_bFlag = TRUE;
    HMODULE m_hModule = nullptr;

protected:
    // The module whose resources hold the id of the type: the program's own, which carries
    // every resource of this single-image program.
    HMODULE FindResourceHandle(UINT id, LPCWSTR type) const;
};

CTKPResourceLoader& GetResourceLoader();
int ResourceMessageBox(UINT id, UINT style);
