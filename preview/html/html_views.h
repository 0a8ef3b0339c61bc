// The views over the own HTML renderer: the ".html" preview view, the browser-control view and its child dialog.
#pragma once

#include <memory>

#include "afx/afx.h"
#include "afx/dialog.h"
#include "afx/frame.h"
#include "preview/html/html_renderer.h"

// One ".html" preview exists at a time; its parts.
extern HWND HtmlViewDialog;
extern CHtmlRenderer* HtmlViewRenderer;
extern HWND HtmlViewStatusBar;

// The ".html" preview: the renderer's window over a status bar.
class CCustomHTMLViewer : public CView {
    DECLARE_DYNCREATE(CCustomHTMLViewer)
public:
    CCustomHTMLViewer() = default;
    ~CCustomHTMLViewer() override;
    // Whatever painted over the view (its parent) painted over the page: the page is drawn again.
    void OnDraw(CDC*) override
    {
        if (HtmlViewDialog)
            ::RedrawWindow(HtmlViewDialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    }


protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    // The page covers the view: its background is never erased over the page.
    afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    DECLARE_MESSAGE_MAP()
};

// A view that shows a page with the program's own renderer, with the members of a browser view.
class CHtmlView : public CView {
    DECLARE_DYNCREATE(CHtmlView)
public:
    CHtmlView() = default;
    ~CHtmlView() override;
    void OnDraw(CDC*) override
    {
        if (m_hRenderer)
            ::RedrawWindow(m_hRenderer, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    }


    // A local file or "file://" address; a ".mht" archive shows its page part. FALSE when nothing
    // could be shown (the previous page stays).
    virtual BOOL Navigate2(LPCWSTR url, DWORD flags = 0, LPCWSTR targetFrameName = nullptr);
    BOOL GetBusy() const { return m_bBusy; }
    void Refresh();
    virtual void OnVisible(BOOL visible);
    CHtmlRenderer* GetRenderer() const { return m_pRenderer.get(); }
    HWND GetRendererWindow() const { return m_hRenderer; }

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    DECLARE_MESSAGE_MAP()

    HWND m_hRenderer = nullptr;
    std::unique_ptr<CHtmlRenderer> m_pRenderer;
    BOOL m_bBusy = FALSE;
    CString m_strLocation;
};

// An empty child dialog over the view: it keeps the focus; the mouse passes through it to the page.
class CHtmlChildDlg : public CDialog {
public:
    explicit CHtmlChildDlg(CWnd* pParent = nullptr);

protected:
    afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    DECLARE_MESSAGE_MAP()
};

// The pane's viewer of ".htm", ".mht" and the other group-3 files.
class CHtml_View : public CHtmlView {
    DECLARE_DYNCREATE(CHtml_View)
public:
    CHtml_View() = default;
    ~CHtml_View() override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;

    CHtmlChildDlg* m_pDialog = nullptr;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};

// The text/html part of a MIME archive (".mht"), decoded; false when it has none. The reader is
// bounded: at most kMaxMimeParts parts are looked at, and headers and bodies stay inside the file.
constexpr int kMaxMimeParts = 1000;
bool ReadMhtPage(const std::string& archive, HtmlText& page, HtmlText& location);
