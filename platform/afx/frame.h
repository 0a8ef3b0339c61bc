// CFrameWnd, CView and CDocument: a frame around one active view of a document, with command
// routing from the view through its document and frame to the application.
#pragma once

#include "afx/wnd.h"
#include "afx/collections.h"
#include "afx/control_bar.h"

class CView;
class CDocument;
class CDocTemplate;
class CFrameWnd;
struct CPrintInfo;

// Frame styles: the title shows the active document's name, before the frame's own.
#define FWS_ADDTOTITLE 0x00008000L
#define FWS_PREFIXTITLE 0x00004000L
#define FWS_SNAPTOBARS 0x00002000L

// The status-bar text of a command id (wParam) or a string (lParam, when wParam is 0), and the
// return to the idle text once a menu or bar stops showing its prompts.
#define WM_SETMESSAGESTRING 0x0362
#define WM_POPMESSAGESTRING 0x0375

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
    virtual void SetTitle(LPCWSTR lpszTitle);
    const CString& GetPathName() const { return m_strPathName; }
    // Names the document after the file and, when asked, records it in the recent-file list.
    virtual void SetPathName(LPCWSTR lpszPathName, BOOL bAddToMRU = TRUE);
    BOOL IsModified() const { return m_bModified; }
    void SetModifiedFlag(BOOL bModified = TRUE) { m_bModified = bModified; }
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

    virtual BOOL OnNewDocument();
    // Reads the file through Serialize; a file that cannot be opened or read is reported to the
    // user and leaves FALSE.
    virtual BOOL OnOpenDocument(LPCWSTR lpszPathName);
    virtual BOOL OnSaveDocument(LPCWSTR lpszPathName);
    virtual void OnCloseDocument();
    virtual void DeleteContents() {}
    // TRUE when the document may be replaced: unmodified, or saved or given up by the user.
    virtual BOOL SaveModified();
    virtual void UpdateFrameCounts();
    // A document whose last view goes is freed with it when m_bAutoDelete is set.
    BOOL m_bAutoDelete = TRUE;
    BOOL m_bEmbedded = FALSE;

protected:
    virtual void ReportSaveLoadException(LPCWSTR lpszPathName, CException* e, BOOL bSaving);
    CString m_strTitle;
    CString m_strPathName;
    BOOL m_bModified = FALSE;
    CDocTemplate* m_pDocTemplate = nullptr;
    CPtrList m_viewList;
    friend class CDocTemplate;
};

// What a frame needs to make its view: the view's class and the document it shows.
struct CCreateContext {
    CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
    CDocTemplate* m_pNewDocTemplate = nullptr;
    CView* m_pLastView = nullptr;
    CFrameWnd* m_pCurrentFrame = nullptr;
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
    virtual void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView);
    virtual void OnActivateFrame(UINT nState, CFrameWnd* pFrameWnd) {}
    virtual void OnDraw(CDC* pDC) = 0;
    // The pane's rectangle is the view's window: its border lies inside the pane.
    void CalcWindowRect(LPRECT lpClientRect, UINT nAdjustType = 0) override;
    void PostNcDestroy() override { delete this; }
    CDocument* m_pDocument = nullptr;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnPaint();
    afx_msg LRESULT OnInitialUpdateMsg(WPARAM, LPARAM);
    // Printing: the view prepares the run (its override calls DoPreparePrinting, whose print dialog the
    // user answers); the base prepares nothing and prints nothing.
    virtual BOOL OnPreparePrinting(CPrintInfo* pInfo) { return TRUE; }
    // Brings up the print dialog, or for a direct print or the preview asks for the default printer (and,
    // when there is none, the dialog, which tells the user to install one). FALSE when there is no
    // printer or the user cancelled.
    BOOL DoPreparePrinting(CPrintInfo* pInfo);
    // ID_FILE_PRINT and ID_FILE_PRINT_DIRECT.
    afx_msg void OnFilePrint();
    afx_msg void OnFilePrintPreview();
    DECLARE_MESSAGE_MAP()
    friend class CDocument;
};

struct CPrintPreviewState {
    UINT nIDMainPane = AFX_IDW_PANE_FIRST;
    HMENU hMenu = nullptr;
    DWORD dwStates = 0;
    HWND hWndFocus = nullptr;
    HACCEL hAccelTable = nullptr;
};

class CFrameWnd : public CWnd {
    DECLARE_DYNCREATE(CFrameWnd)
public:
    CFrameWnd() = default;
    // A frame whose window could not be made is freed, as its creation may already have freed it.
    BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
                const RECT& rect = CRect(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0), CWnd* pParentWnd = nullptr,
                LPCWSTR lpszMenuName = nullptr, DWORD dwExStyle = 0, CCreateContext* pContext = nullptr);
    // Creates the frame from the resources of one id: the title (the string's first line), the
    // menu (required), the icon and the accelerators (both optional).
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
    BOOL LoadAccelTable(LPCWSTR lpszResourceName);
    virtual HACCEL GetDefaultAccelerator() { return m_hAccelTable; }
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    // The active view, then the frame itself, then the application.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    // Gives the bars their room in z-order and the pane what is left.
    virtual void RecalcLayout(BOOL bNotify = TRUE);
    // Asks for a layout at the next idle time.
    void DelayRecalcLayout(BOOL bNotify = TRUE);
    CView* GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
    // The frame whose view is active: the frame itself, or an MDI frame's active child frame.
    virtual CFrameWnd* GetActiveFrame() { return this; }
    virtual CDocument* GetActiveDocument();
    virtual void ActivateFrame(int nCmdShow = -1);
    void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
    void SetTitle(LPCWSTR lpszTitle) { m_strTitle = lpszTitle; }
    CString GetTitle() const { return m_strTitle; }
    void PostNcDestroy() override { delete this; }
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // ---- Control bars
    void AddControlBar(CControlBar* pBar);
    void RemoveControlBar(CControlBar* pBar);
    CControlBar* GetControlBar(UINT nID);
    void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay);

    // ---- Status messages
    // The status bar (the descendant AFX_IDW_STATUS_BAR), if the frame has one.
    CWnd* GetMessageBar() override;
    // The prompt of a command: its string's first line.
    virtual void GetMessageString(UINT nID, CString& rMessage) const;
    void SetMessageText(LPCWSTR lpszText);
    void SetMessageText(UINT nID);

    // Print preview does not exist here; the hook remains for frames that watch for it.
    virtual void OnSetPreviewMode(BOOL bPreview, CPrintPreviewState* pState) {}
    BOOL IsTracking() const { return m_nIDTracking != 0 && m_nIDTracking != AFX_IDS_HELPMODEMESSAGE &&
                                     m_nIDTracking != AFX_IDS_IDLEMESSAGE; }

    HACCEL m_hAccelTable = nullptr;
    HMENU m_hMenuDefault = nullptr;
    BOOL m_bHelpMode = FALSE;
    BOOL m_bAutoMenuEnable = TRUE;
    UINT m_nIDHelp = 0;
    UINT m_nIDTracking = 0;
    UINT m_nIDLastMessage = 0;
    CPtrList m_listControlBars;
    CRect m_rectBorder;
    static const CRect rectDefault;

protected:
    virtual BOOL OnCreateClient(LPCREATESTRUCTW lpcs, CCreateContext* pContext);
    CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnDestroy();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnClose();
    afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    afx_msg LRESULT OnIdleUpdateCmdUI(WPARAM, LPARAM);
    afx_msg LRESULT OnSetMessageString(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnPopMessageString(WPARAM wParam, LPARAM lParam);
    afx_msg void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu);
    afx_msg void OnEnterIdle(UINT nWhy, CWnd* pWho);
    afx_msg void OnInitMenuPopup(CMenu* pMenu, UINT nIndex, BOOL bSysMenu);
    afx_msg void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
    afx_msg BOOL OnBarCheck(UINT nID);
    CView* m_pViewActive = nullptr;
    BOOL m_bInRecalcLayout = FALSE;
    CString m_strTitle;
    enum IdleFlags { idleMenu = 1, idleTitle = 2, idleNotify = 4, idleLayout = 8 };
    UINT m_nIdleFlags = 0;
    BOOL m_bNoPopMsg = FALSE;
    DECLARE_MESSAGE_MAP()
};

// Registers the class of a frame or view with the icon of the resource id (or none).
LPCWSTR AFXAPI AfxGetIconWndClass(DWORD dwDefaultStyle, UINT nIDResource);
// The nth line of a string resource's text ('\n' separated); FALSE past the last line.
BOOL AFXAPI AfxExtractSubString(CString& rString, LPCWSTR lpszFullString, int iSubString, WCHAR chSep = u'\n');
