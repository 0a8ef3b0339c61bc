// CFrameWnd, CView and CDocument: a frame around one active view of a document, with command
// routing from the view through its document and frame to the application.
#pragma once

#include "afx/wnd.h"
#include "afx/collections.h"

class CView;
class CDocument;

// The id of a frame's first pane: its view fills what the bars leave of the client area.
#define AFX_IDW_PANE_FIRST 0xE900
// Sent to each child of a frame when its layout is recalculated: bars take their room from the
// rectangle in AFX_SIZEPARENTPARAMS.
#define WM_SIZEPARENT 0x0361

struct AFX_SIZEPARENTPARAMS {
    HDWP hDWP;   // null for a measure-only pass
    RECT rect;   // what is left for the pane
    SIZE sizeTotal;
    BOOL bStretch;
};

class CDocument : public CCmdTarget {
    DECLARE_DYNAMIC(CDocument)
public:
    CDocument() = default;
    ~CDocument() override;

    void AddView(CView* pView);
    void RemoveView(CView* pView);
    POSITION GetFirstViewPosition() const { return m_viewList.GetHeadPosition(); }
    CView* GetNextView(POSITION& rPosition) const { return static_cast<CView*>(m_viewList.GetNext(rPosition)); }
    // Tells every view but pSender of a change.
    void UpdateAllViews(CView* pSender, LPARAM lHint = 0, CObject* pHint = nullptr);
    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(LPCWSTR lpszTitle) { m_strTitle = lpszTitle; }
    BOOL IsModified() const { return m_bModified; }
    void SetModifiedFlag(BOOL bModified = TRUE) { m_bModified = bModified; }
    // A document whose last view goes is freed with it when m_bAutoDelete is set.
    BOOL m_bAutoDelete = TRUE;

protected:
    CString m_strTitle;
    BOOL m_bModified = FALSE;
    CPtrList m_viewList;
};

class CView : public CWnd {
    DECLARE_DYNAMIC(CView)
public:
    CView() = default;
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    // The view first, then its document.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    virtual void OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }
    virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
    virtual void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) {}
    virtual void OnDraw(CDC* pDC) = 0;
    void PostNcDestroy() override { delete this; }

    CDocument* m_pDocument = nullptr;

protected:
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()
    friend class CDocument;
};

// What a frame needs to make its view: the view's class and the document it shows.
struct CCreateContext {
    CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
};

class CFrameWnd : public CWnd {
    DECLARE_DYNCREATE(CFrameWnd)
public:
    CFrameWnd() = default;

    BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
                const RECT& rect = CRect(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0), CWnd* pParentWnd = nullptr,
                LPCWSTR lpszMenuName = nullptr, DWORD dwExStyle = 0, CCreateContext* pContext = nullptr);
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    // The active view, then the frame itself, then the application.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    // Gives the bars their room in z-order and the pane what is left.
    virtual void RecalcLayout(BOOL bNotify = TRUE);
    CView* GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
    virtual CDocument* GetActiveDocument();
    void PostNcDestroy() override { delete this; }

    HACCEL m_hAccelTable = nullptr;
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    virtual BOOL OnCreateClient(LPCREATESTRUCTW lpcs, CCreateContext* pContext);
    CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnClose();
    afx_msg LRESULT OnIdleUpdateCmdUI(WPARAM, LPARAM);
    CView* m_pViewActive = nullptr;
    BOOL m_bInRecalcLayout = FALSE;
    DECLARE_MESSAGE_MAP()
};
