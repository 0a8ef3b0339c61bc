// CTextView: the preview of icons and metafiles, loaded as OLE pictures and stretched over the view.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"
#include "win32/picture.h"

class CTextView : public CView {
    DECLARE_DYNCREATE(CTextView)
public:
    CTextView() = default;
    ~CTextView() override;

    // Loads the picture and its size in screen pixels; FALSE when the file is no picture.
    BOOL LoadPicture(const CString& path);
    void OnDraw(CDC* pDC) override;

    LONG m_cxPicture = 0;
    LONG m_cyPicture = 0;
    LONG m_hmWidth = 0;
    LONG m_hmHeight = 0;
    IPicture* m_pPicture = nullptr;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    DECLARE_MESSAGE_MAP()
};
