// CThumbView: the pane's list of 160 x 120 thumbnails of the pictures of a folder (the slides a presentation
// was exported to), captioned by their number.
#pragma once

#include "afx/afx.h"
#include "afx/ctrl_view.h"
#include "afx/list_ctrl.h"

#include <vector>

// What the thumbnail view and the pane need of the document that lists the folder's pictures.
class IImageFolderDocument {
public:
    virtual ~IImageFolderDocument() = default;
    // Lists the folder's picture files, sorted, and has the thumbnail view fill itself.
    virtual void OpenImageFolder(LPCWSTR folder) = 0;
    // Deletes every plain file of the folder.
    virtual void DeleteFolderFiles(LPCWSTR folder) = 0;
    virtual void SetCurrentImage(int n) = 0;
    virtual CString GetImageFolder() const = 0;
    virtual const std::vector<CString>& GetImageNames() const = 0;
};

class CThumbView : public CListView {
    DECLARE_DYNCREATE(CThumbView)
public:
    static const int kThumbWidth = 160;
    static const int kThumbHeight = 120;

    CThumbView() = default;

    void OnInitialUpdate() override;
    // One item per picture name of the document, its thumbnail drawn into the image list.
    void FillThumbnails();

    CString m_strUnused;
    CImageList m_imageList;

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    afx_msg void OnHeaderItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    void ResetImageList();
};
