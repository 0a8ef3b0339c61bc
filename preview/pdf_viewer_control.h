// CWPViewPDFX: the PDF viewer window of the document view. Pages are rendered at 96 DPI on demand and
// stacked vertically, scrolled by the window's vertical scroll bar.
#pragma once

#include "afx/afx.h"

#include <map>
#include <memory>
#include <vector>

namespace poppler {
class document;
}

class CWPViewPDFX : public CWnd {
    DECLARE_DYNCREATE(CWPViewPDFX)
public:
    CWPViewPDFX();
    ~CWPViewPDFX() override;

    // The class id of the viewer control this window stands in for.
    static const CLSID clsid;
    // Creates the viewer as a child window.
    BOOL Create(LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // Opens the document and shows its first page; FALSE for a file that is missing, damaged,
    // encrypted or without pages.
    BOOL OpenFile(BSTR path);

    int GetPageCount() const { return int(m_pages.size()); }
    // The page's bitmap at 96 DPI, rendered when first asked for; null when it cannot be rendered.
    HBITMAP PageBitmap(int page);

    enum { kPageGap = 8 };

protected:
    afx_msg void OnPaint();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    DECLARE_MESSAGE_MAP()

private:
    struct Page {
        int width = 0, height = 0, top = 0;
        HBITMAP bitmap = nullptr;
        bool failed = false;
    };
    void Close();
    void UpdateScrollBar();
    void ScrollTo(int pos);

    std::unique_ptr<poppler::document> m_document;
    std::vector<Page> m_pages;
    std::vector<int> m_rendered; // pages holding a bitmap, oldest first
    int m_totalHeight = 0;
    int m_scroll = 0;
};
