// The toolkit frames: a frame window (and its MDI form) joined to its command bars, which see its
// keys and messages first, follow print preview and translate its keyboard shortcuts.
#pragma once

#include "afx/frame.h"
#include "afx/mdi_frame.h"

class CTKPCommandBars;

class CTKPFrameWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CTKPFrameWnd)
public:
    CTKPFrameWnd() = default;
    // Releases the frame's reference to its command bars.
    ~CTKPFrameWnd() override;

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr) override;
    void OnSetPreviewMode(BOOL bPreview, CPrintPreviewState* pState) override;

    CTKPCommandBars* GetCommandBars() const { return m_pCommandBars; }

    // Made by the derived frame when it creates its bars; the frame holds one reference.
    CTKPCommandBars* m_pCommandBars = nullptr;
};

class CTKPMDIFrameWnd : public CMDIFrameWnd {
    DECLARE_DYNCREATE(CTKPMDIFrameWnd)
public:
    CTKPMDIFrameWnd() = default;
    ~CTKPMDIFrameWnd() override;

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr) override;
    void OnSetPreviewMode(BOOL bPreview, CPrintPreviewState* pState) override;

    CTKPCommandBars* GetCommandBars() const { return m_pCommandBars; }

    CTKPCommandBars* m_pCommandBars = nullptr;
};
