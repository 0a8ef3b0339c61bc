// CMyListCtrl: the preview view of zip, RAR and cabinet archives, a report list of their entries
// (CArchiveListCtrl) filled once when the view is created; nothing is extracted.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"
#include "controls/shell_file_info.h"

class CArchiveListCtrl : public CListCtrl {
public:
    // The seven header images, one per column kind: name, directory, size, access, creation,
    // modification, attributes.
    CImageList m_headerImages;

    // The columns of the file's kind (by the extension of the preview path).
    void SetupColumns(const CString& extension);
    void SetupHeaderImages();
    // Appends one row: the name with its shell icon, then the further cells in column order.
    int AddRow(int index, const CString& name, int image, std::initializer_list<CString> cells);

protected:
    afx_msg void OnClickItem(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()
};

class CMyListCtrl : public CView {
    DECLARE_DYNCREATE(CMyListCtrl)
public:
    CMyListCtrl() = default;
    ~CMyListCtrl() override;
    void OnDraw(CDC* pDC) override {}
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override {}

    enum { IDC_ARCHIVE_LIST = 165 };

    CArchiveListCtrl* m_pArchiveList = nullptr;
    CShellFileInfo m_shellInfo;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};

// The listers: 1 for a usable listing, 0 for a failure (the pane then shows its no-preview view).
// A missing RAR or cabinet library is reported as a missing component instead.
int ListZipArchive(CMyListCtrl* view);
int ListRarArchive(CMyListCtrl* view);
int ListCabArchive(CMyListCtrl* view);

// The text the list shows for a time (empty for one it cannot show), and for DOS attribute bits.
CString FormatArchiveTime(const CTime& time);
CString FormatAttributeLetters(DWORD attributes);
