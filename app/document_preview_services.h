// The preview side of the document: its pictures decoded by the preview's image library, its database and
// picture folder on the preview's views (document_preview_views.h).
#pragma once

#include "app/ex_style_doc.h"
#include "preview/preview_image.h"

// A picture of a folder's list, decoded once and kept by the document as its current picture.
class CPreviewDocPicture : public CDocPicture {
public:
    CPreviewDocPicture(LPCWSTR path, int type) : m_image(path, type) {}
    CPreviewImage m_image;
};

class CDocumentPreviewServices : public IDocumentPreviewServices {
public:
    CDocPicture* LoadPicture(LPCWSTR path, int type) override;
    CDocDatabase* OpenDatabase(LPCWSTR path, LONG* status) override;
    void FillThumbnails(CEx_StyleDoc* doc) override;
    void ShowDatabase(CEx_StyleDoc* doc) override;
};

// Installs the services for the whole run (start-up calls it once).
void InstallDocumentPreviewServices();
