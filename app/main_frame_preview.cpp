// The main frame's side of the preview: handing a found file to the preview pane, and what the pane
// and its viewers ask of the frame (the preview words, the document's preview path, the header text).
#include "app/main_frame.h"

#include "app/dovemark_app.h"
#include "app/ex_style_doc.h"
#include "app/found_list_ctrl.h"
#include "app/message_dlg.h"
#include "app/splitter_bar.h"
#include "app/third_view_hdd.h"
#include "preview/main_preview_view.h"

// The results page stays the frame's active view: the page switch swaps ids with the active view, so
// the pane never takes that place.
void CMainFrame::PreviewItem(const CString& path, const CString& extension)
{
    if (!m_pPreviewView || !m_pPreviewView->GetSafeHwnd())
        return;
    m_pPreviewView->CloseChildViews();
    m_pPreviewView->DispatchPreview(path, extension);
}

CString CMainFrame::GetPreviewPath() const
{
    auto* doc = dynamic_cast<CEx_StyleDoc*>(const_cast<CMainFrame*>(this)->GetActiveDocument());
    return doc ? doc->PreviewPath : CString();
}

void CMainFrame::SetPreviewPath(const CString& path)
{
    if (auto* doc = dynamic_cast<CEx_StyleDoc*>(GetActiveDocument()))
        doc->PreviewPath = path;
}

CString CMainFrame::GetPreviewItemPath() const
{
    return PreviewItemPath;
}

void CMainFrame::SetPreviewItemPath(const CString& path)
{
    PreviewItemPath = path;
}

void CMainFrame::FocusFoundFileList()
{
    CDovemarkApp* app = DovemarkApp();
    if (app && app->m_pThirdView && app->m_pThirdView->GetFoundList())
        app->m_pThirdView->GetFoundList()->SetFocus();
}

void CMainFrame::ShowMessage(const CString& text, int type)
{
    ShowAppMessage(text, UINT(type));
}

LONG CMainFrame::GetShowSystemObjects() const
{
    CDovemarkApp* app = DovemarkApp();
    return app ? app->ShowSystemObjects : 0;
}

LONG CMainFrame::GetConfirmDeletes() const
{
    CDovemarkApp* app = DovemarkApp();
    return app ? app->ConfirmDeletes : 1;
}

LONG CMainFrame::GetMaxPreviewRecords() const
{
    CDovemarkApp* app = DovemarkApp();
    return app ? app->MaxPreviewRecords : 10000;
}

void CMainFrame::SetStatusText(const CString& text)
{
    if (m_wndStatusBar.GetSafeHwnd())
        m_wndStatusBar.SetPaneText(0, text);
}

namespace {

// The preview's splitters are the application's splitter bars.
class CPreviewSplitter : public IPaneSplitter {
public:
    BOOL Create(DWORD dwStyle, CWnd* pParent, CWnd* pPane1, CWnd* pPane2, UINT nID, const RECT& rect, int minimum1,
                int minimum2) override
    {
        return m_bar.Create(dwStyle, pParent, pPane1, pPane2, nID, rect, minimum1, minimum2);
    }
    CWnd* GetWnd() override { return &m_bar; }

private:
    CSplitterBar m_bar;
};

} // namespace

std::unique_ptr<IPaneSplitter> CMainFrame::CreatePaneSplitter()
{
    return std::make_unique<CPreviewSplitter>();
}
