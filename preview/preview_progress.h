// The progress dialog a viewer shows while a library loads its file. The dialog lives in the
// application; it reaches the viewers through this port, and tests put a double of their own in.
#pragma once

#include "afx/afx.h"

#include <memory>

class IPreviewProgressDlg {
public:
    virtual ~IPreviewProgressDlg() = default;
    virtual BOOL Create(CWnd* pParent) = 0;
    virtual void SetRange(int lower, int upper) = 0;
    // Moves the bar; the dialog serves the waiting messages meanwhile, so the windows keep painting.
    virtual void SetPos(int position) {}
    virtual HWND GetSafeHwnd() const = 0;
    virtual BOOL DestroyWindow() = 0;
};

using PreviewProgressFactory = std::unique_ptr<IPreviewProgressDlg> (*)();
// With no factory set the viewers load without a dialog.
void SetPreviewProgressFactory(PreviewProgressFactory factory);
std::unique_ptr<IPreviewProgressDlg> CreatePreviewProgressDlg();
