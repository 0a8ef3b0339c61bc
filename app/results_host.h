// What the found-folder tree and the found-file list ask of the window around them: the preview
// pane and the main frame's preview words, the message dialog, and the dialogs that their commands
// open. The results page answers for the running program; tests answer with a recording host.
#pragma once

#include "afx/afx.h"
#include "afx/menu.h"

// The inputs of the properties dialog for one row.
struct ItemProperties {
    BOOL folder = FALSE;
    DWORD id = 0;
    CString name;
    CString size;
    CString created;
    CString modified;
};

// The properties dialog for a row's inputs, run modally (properties_dlg.cpp).
void RunPropertiesDialog(const ItemProperties& item);

class IResultsHost {
public:
    virtual ~IResultsHost() = default;

    // The main frame's PreviewItem: the pane drops its viewer and shows the file by its extension.
    virtual void PreviewItem(const CString& path, const CString& extension) = 0;
    // The preview pane's own list of extensions it can show (extension with its dot).
    virtual BOOL IsPreviewableExtension(const CString& extension) = 0;
    // The main frame's preview words.
    virtual void SetNoPreviewItemFlag(DWORD value) = 0;
    virtual void SetPreviewableFlag(DWORD value) = 0;
    // The header text of the preview pane changed (PreviewItemPath).
    virtual void PreviewPathChanged() {}

    // An information message (kind 1) that the user acknowledges.
    virtual void ShowInformation(const CString& text) = 0;
    // The recover command once something is ticked: destination, then the save progress dialog.
    virtual void RunSave() = 0;
    // Commands of the list's context menu that open other dialogs.
    virtual void RunSearch() {}
    virtual void RunSettings() {}
    virtual void RunProperties(const ItemProperties& item) { RunPropertiesDialog(item); }
    // The list's popup menu, tracked through the command bars where there are any; the chosen command.
    virtual UINT TrackPopup(CMenu* popup, UINT flags, int x, int y, CWnd* owner)
    {
        return (UINT)::TrackPopupMenuEx(popup->m_hMenu, flags, x, y, owner->m_hWnd, nullptr);
    }
    // The main frame's m_bResultsReady, and whether the search dialog is open.
    virtual BOOL IsResultsReady() { return TRUE; }
    virtual BOOL IsSearchDialogOpen() { return FALSE; }
    // The results page's wait cursor around a preview.
    virtual void BeginBusy() {}
    virtual void EndBusy() {}
};
