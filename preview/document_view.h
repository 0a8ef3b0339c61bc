// CAdobeReaderView: the preview view of PDF, RTF and Word documents, of plain text and source
// files and of the first item of gzip files, each loaded into one child control while the view is
// created.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"
#include "preview/archive/zip_item_reader.h"
#include "preview/ole_rich_edit_ctrl.h"
#include "preview/pdf_viewer_control.h"

class CAdobeReaderView : public CView {
    DECLARE_DYNCREATE(CAdobeReaderView)
public:
    CAdobeReaderView() = default;
    ~CAdobeReaderView() override;
    void OnDraw(CDC* pDC) override {}

    enum { IDC_PDF_CONTROL = 182, IDC_RICH_EDIT = 183 };

    CWPViewPDFX m_pdf;
    COleRichEditCtrl m_richEdit;
    CFont* m_pFont = nullptr;
    // Reads ".gz" and ".tgz" files.
    CZipItemReader m_archive;

protected:
    // The rich edit, filling the view once it is sized, read-only with the view's font.
    BOOL CreateRichEdit();
    void ApplyFontAndReadOnly();
    void ShowPdf(const CString& path);
    void ShowRtf(const CString& path);
    void ShowWordDocument(const CString& path);
    void ShowGzip(const CString& path);
    void ShowText(const CString& path);

    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};
