// The tab client of an MDI frame: it subclasses the frame's MDI client window and shows the MDI
// children as tabs, in one or more tab groups side by side or stacked, with splitters between
// them. The command bars refresh it when the frame's windows change.
#pragma once

#include "afx/wnd.h"
#include "toolkit/docking/tab_manager.h"

#include <memory>
#include <vector>

class CMDIFrameWnd;
class CCmdUI;

// The tab-group commands: move the active child to the previous or next group, or into a new
// group stacked below or standing beside its own.
#define TKP_ID_WORKSPACE_PREVIOUS 9420
#define TKP_ID_WORKSPACE_NEXT 9421
#define TKP_ID_WORKSPACE_NEWHORIZONTAL 9422
#define TKP_ID_WORKSPACE_NEWVERTICAL 9423

class CTKPTabClientWnd : public CWnd {
    DECLARE_DYNAMIC(CTKPTabClientWnd)
public:
    // One tab group: a tab strip of MDI children with its rectangle, the splitter after it and
    // its share of the client along the split direction.
    class CWorkspace : public CTKPTabStrip {
    public:
        explicit CWorkspace(CTKPTabClientWnd* client);
        void Reposition() override;
        CTKPTabPainter* GetPaintManager() const override;
        void RedrawControl() override;
        BOOL DrawItemIcon(CDC* pDC, CPoint point, CTKPTabManagerItem* item, BOOL draw, CSize& size) override;
        void SetSelectedItem(CTKPTabManagerItem* item) override;

        CTKPTabClientWnd* m_pClient;
        CRect m_rcWorkspace;
        CRect m_rcSplitter;
        double m_dWeight = 0;
    };

    CTKPTabClientWnd();
    ~CTKPTabClientWnd() override;

    // Subclasses the frame's MDI client; with grouping, more than one tab group may exist and the
    // children lose their frames. Fails without a client window or when already attached.
    BOOL Attach(CMDIFrameWnd* frame, BOOL grouping = TRUE);
    // Gives the client window back to the frame as it was.
    void Detach();
    BOOL IsAttached() const { return m_bAttached; }

    // Re-reads the MDI children into the groups; with recalc it also lays itself and the frame out.
    void Refresh(BOOL recalc = FALSE);
    int GetWorkspaceCount() const { return int(m_workspaces.size()); }
    CWorkspace* GetWorkspace(int index) const
    {
        return index >= 0 && index < GetWorkspaceCount() ? m_workspaces[size_t(index)].get() : nullptr;
    }
    // The tab of an MDI child in any group.
    CTKPTabManagerItem* FindItem(HWND child) const;
    CTKPTabPainter* GetPaintManager() const { return m_pPaintManager; }

    // Whether a tab-group command applies to the active child.
    virtual BOOL IsWorkspaceCommandEnabled(UINT id) const;
    void OnUpdateCommand(CCmdUI* pCmdUI);
    using CWnd::OnCommand;
    // Runs a tab-group command for the active child; FALSE when it does not apply.
    BOOL OnCommand(UINT id);
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    // Lays the groups out over the client area from their weights and places the children.
    void RepositionWorkspaces();
    // Follows the mouse along the splitter after group index until the button is released
    // (the two neighbours share their room anew) or Escape is pressed (nothing changes).
    void TrackSplitter(int index, CPoint start);

    BOOL m_bRefreshPending = FALSE;
    CMDIFrameWnd* m_pMDIFrame = nullptr;
    BOOL m_bRefreshing = FALSE;
    CTKPTabPainter* m_pPaintManager = nullptr;
    std::vector<std::unique_ptr<CWorkspace>> m_workspaces;
    BOOL m_bHorizSplit = FALSE;  // groups stacked one above the other
    HCURSOR m_hCursorHorz = nullptr;
    HCURSOR m_hCursorVert = nullptr;
    BOOL m_bAttached = FALSE;
    BOOL m_bGrouping = FALSE;
    int m_nSplitterWidth = 4;
    BOOL m_bDirty = FALSE;
    BOOL m_bClosing = FALSE;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Gives every MDI child exactly one tab with the child as its data: new children join the
    // group of the active child, tabs of children that went are dropped, groups left empty go.
    virtual void ReadChildren();

private:
    HWND GetActiveChild() const;
    CWorkspace* FindWorkspace(const CTKPTabManagerItem* item, int* index = nullptr) const;
    // The group of the active child and its tab, or FALSE.
    BOOL GetActiveTab(int& workspace, CTKPTabManagerItem*& item) const;
    void MoveToWorkspace(CTKPTabManagerItem* item, int target);
    void MoveToNewWorkspace(CTKPTabManagerItem* item, BOOL stacked);
    void SetWeightsFromExtents();
    void Paint(HDC hdc);
    int SplitterHit(CPoint point) const;
    void TrackHot(CPoint point);

    BOOL m_bMoving = FALSE;
};
