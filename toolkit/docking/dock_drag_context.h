// Dragging panes: the modal mouse loop that finds where a dragged pane would dock, shows that place
// as a ghost (an inverted frame, or translucent windows) and the docking guides, and on release
// docks, attaches as a tab, floats or moves the pane through the pane manager.
#pragma once

#include "afx/wnd.h"
#include "toolkit/docking/pane_base.h"

#include <map>
#include <vector>

class CTKPDockDragContext;

// Guide flags: the arrows a guide shows, the centre (join as a tab) and the compass shape.
enum TKPGuideFlags {
    guideLeft = 0x01,
    guideRight = 0x02,
    guideTop = 0x04,
    guideBottom = 0x08,
    guideCentre = 0x10,
    guideCompass = 0x20,
};

// Resource ids of the guide pictures.
#define TKP_IDB_GUIDE_COMPASS 9903
#define TKP_IDB_GUIDE_ARROWS 9904
#define TKP_IDB_GUIDE_ARROWS_OLIVE 9905
#define TKP_IDB_GUIDE_ARROWS_SILVER 9906
#define TKP_IDB_GUIDE_PIECES 9910

// One piece of a guide picture: where it sits in the guide and where it lies in the bitmap.
struct CTKPGuidePiece {
    POINT offset;
    RECT source;
};
// The pieces of guide style 0 (11 entries) and style 1 (19 entries).
const CTKPGuidePiece* GetGuidePieces(int style, int& count);

// The ghost of the place a pane would take: a window filled with the highlight colour.
class CTKPDockGhostWnd : public CWnd {
public:
    BOOL Create(CWnd* owner);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// A docking guide: a shaped window with arrows the user drops onto.
class CTKPDockGuideWnd : public CWnd {
public:
    CTKPDockGuideWnd(CTKPDockDragContext* context, DWORD flags) : m_dwFlags(flags), m_pContext(context) {}

    // The flag of the piece under a screen point, 0 for none; the test is exact to the pixel.
    int HitTest(POINT screen) const;
    // Draws the guide at the origin of dc.
    void Draw(CDC* dc) const;

    DWORD m_dwFlags;
    int m_nHot = 0;
    CTKPDockDragContext* m_pContext;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override {}
};

class CTKPDockDragContext {
public:
    typedef BOOL(WINAPI* PFNSETLAYEREDWINDOWATTRIBUTES)(HWND, COLORREF, BYTE, DWORD);

    explicit CTKPDockDragContext(CTKPPaneManager* manager);
    virtual ~CTKPDockDragContext();
    CTKPDockDragContext(const CTKPDockDragContext&) = delete;
    CTKPDockDragContext& operator=(const CTKPDockDragContext&) = delete;

    // Drags pane (a single pane, a tabbed container or a floating mini window) from a screen point
    // until the mouse is released or the drag is cancelled.
    virtual void StartDrag(CTKPPaneBase* pane, int x, int y);
    virtual void Track();
    virtual void Move(int x, int y);
    virtual void InitLoop();
    virtual void CancelLoop();
    virtual void DrawGhost(BOOL erase);
    virtual void FindTarget(int x, int y);

    // Whether point lies near a side of rect (inside it, or just outside it); sets the target.
    BOOL HitTestSide(const RECT& rc, POINT point, CTKPPaneBase* container, BOOL inside);
    BOOL CanDock(CTKPPaneBase* container, int side);
    BOOL CanAttach(CTKPPaneBase* container);
    void UpdateGuides();
    CTKPDockGuideWnd* CreateGuide(const RECT& rc, DWORD flags);
    void DestroyGuides();
    SIZE GetGuideSize(DWORD flag) const;

    // Draws a guide of flags with its hot piece at the origin of dc; on black when blackBack.
    void DrawGuide(CDC* dc, DWORD flags, int hot) const;
    // The guide's shape: the runs of pixels that are not black when it is drawn on black.
    HRGN GetGuideRegion(DWORD flags);
    int GetGuideStyle() const;
    // Draws one piece of a bitmap at a point, its pure green left out.
    static void DrawPiece(HDC hdc, HBITMAP bitmap, const CTKPGuidePiece& piece, POINT at);

    CTKPPaneManager* GetManager() const { return m_pManager; }
    BOOL IsTranslucent() const { return m_bTranslucent; }
    BOOL IsGuides() const { return m_bGuides; }
    PFNSETLAYEREDWINDOWATTRIBUTES GetLayeredEntry() const { return m_pfnSetLayeredWindowAttributes; }
    const std::vector<CTKPDockGuideWnd*>& GetGuides() const { return m_guides; }
    CTKPDockGhostWnd* GetGhost(int index) const { return index == 0 ? m_pGhost : m_pTabGhost; }

    // Where the last move would drop the pane.
    CTKPPaneBase* m_pTarget = nullptr;
    RECT m_rcTarget{0, 0, 0, 0};
    int m_nSide = 0;
    BOOL m_bAttach = FALSE;
    BOOL m_bFloatable = TRUE;
    RECT m_rcDrag{0, 0, 0, 0};
    CTKPPaneBase* m_pHovered = nullptr;
    RECT m_rcHovered{0, 0, 0, 0};

protected:
    // The single panes the drag moves.
    CTKPPaneList DraggedPanes() const;
    // The window that holds the mouse capture during the drag.
    CWnd* CaptureWindow() const;
    // Runs the drop the last move found.
    void Drop();
    // The tab of a tab attachment, under the container's rectangle.
    RECT TabGhostRect() const;
    HRGN GhostRegion() const;
    void InvertRegion(HRGN region);
    // The screen rectangle of the frame's docked area.
    RECT OuterRect() const;

    CTKPDockGhostWnd* m_pGhost = nullptr;
    CTKPDockGhostWnd* m_pTabGhost = nullptr;
    std::vector<CTKPDockGuideWnd*> m_guides;
    std::map<DWORD, HRGN> m_regions;
    PFNSETLAYEREDWINDOWATTRIBUTES m_pfnSetLayeredWindowAttributes = nullptr;
    BOOL m_bTranslucent = FALSE;
    BOOL m_bGuides = FALSE;
    CTKPPaneBase* m_pGuidesFor = nullptr;  // the container of the compass shown
    POINT m_ptLast{0, 0};
    POINT m_ptStart{0, 0};
    BOOL m_bStarted = FALSE;  // the start point still holds: the pane has not moved yet
    CTKPPaneManager* m_pManager;
    CTKPPaneBase* m_pPane = nullptr;
    RECT m_rcLastGhost{0, 0, 0, 0};
    HRGN m_hLastRegion = nullptr;
    HDC m_hDesktopDC = nullptr;
    BOOL m_bLocked = FALSE;
};
