// CMainPreviewView: the preview pane of the results page, which picks a viewer by the file's
// extension, and CLargeFileView, the pane's page for files too large to preview.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"

enum class OfficeResult;

class CMainPreviewView : public CView {
    DECLARE_DYNCREATE(CMainPreviewView)
public:
    CMainPreviewView() = default;

    // Previews one file: path of its temporary copy, extension with its leading dot.
    void DispatchPreview(CString path, CString extension);
    // Closes every viewer the pane shows.
    void CloseChildViews();
    // 1 when the extension (compared exactly, so callers lower-case it) is one the pane can show.
    static BOOL IsPreviewableExtension(CString fileName, CString extension);

    // One handler per viewer kind.
    void ShowImage(CString path);
    void ShowPicture(CString path);
    void ShowHtml(CString path);
    void ShowCustomHtml(CString path);
    void ShowDocument(CString path);
    void ShowArchive(CString path);
    void ShowPsd(CString path);
    void ShowAvi(CString path);
    void ShowMedia(CString path);
    BOOL ShowPowerPoint(CString path);
    void ShowDbf(CString path);
    BOOL ShowMdb(CString path);
    void ShowDxf(CString path);
    void ShowLargeFile();
    void ShowNoPreview();
    void ShowThumbnails(CString folder);

    void OnDraw(CDC* pDC) override;

    // The viewers, one slot per kind; a slot is set while its viewer lives.
    CView* m_pImageView = nullptr;
    CView* m_pHtmlView = nullptr;
    CView* m_pDocumentView = nullptr;
    CView* m_pArchiveView = nullptr;
    CView* m_pAviView = nullptr;
    CView* m_pMediaView = nullptr;
    CView* m_pThumbView = nullptr;
    CView* m_pDbfView = nullptr;
    CView* m_pMdbView = nullptr;
    CView* m_pNoPreviewView = nullptr;
    CView* m_pCustomHtmlView = nullptr;
    CView* m_pDxfView = nullptr;
    CView* m_pPsdView = nullptr;
    CView* m_pLargeFileView = nullptr;
    CView* m_pPictureView = nullptr;

    CString m_strHeadLine1;
    CString m_strHeadLine2 = u"预览：  ";
    CString m_strValueLine1;
    CRect m_rcHeader;
    // 1: a 50-pixel header band with its texts; 0: a bare 5-pixel band.
    int m_bShowHeader = 1;

protected:
    // Creates a viewer as child 0xE900 of the pane with the pane's document and, unless `show` is
    // false, shows it and lays it out. The path, when given, becomes the document's preview path
    // first. Null when there is no main window or the viewer could not be made.
    CView* CreateViewer(CRuntimeClass* pClass, CView*& slot, const CString* path, bool show = true);
    // The slots in the order the pane closes and lays them out.
    template <class F>
    void ForEachSlot(F&& f);
    // Has the office suite convert the document while the progress dialog shows.
    OfficeResult ConvertWithProgress(const CString& path, const char* format, CString& converted);

    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};

class CLargeFileView : public CView {
    DECLARE_DYNCREATE(CLargeFileView)
public:
    void OnDraw(CDC* pDC) override;
};

// Copies a bitmap resource at its own size, centred in the client rectangle (integer halves, so a
// small window clips it equally on both sides).
void DrawCentredBitmap(CDC* pDC, const CRect& client, UINT nIDBitmap);
