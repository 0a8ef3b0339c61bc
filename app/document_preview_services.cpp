// The document's preview services: pictures through the preview's image library, databases and thumbnails on
// the preview's views.
#include "app/document_preview_services.h"

#include "app/document_preview_views.h"

#include <memory>

CDocPicture* CDocumentPreviewServices::LoadPicture(LPCWSTR path, int type)
{
    auto picture = std::make_unique<CPreviewDocPicture>(path, type);
    if (!picture->m_image.IsValid() || picture->m_image.GetWidth() <= 0 || picture->m_image.GetHeight() <= 0)
        return nullptr;
    return picture.release();
}

CDocDatabase* CDocumentPreviewServices::OpenDatabase(LPCWSTR path, LONG* status)
{
    return OpenPreviewDatabase(path, status);
}

void CDocumentPreviewServices::FillThumbnails(CEx_StyleDoc* doc) { FillPreviewThumbnails(doc); }

void CDocumentPreviewServices::ShowDatabase(CEx_StyleDoc* doc) { ShowPreviewDatabase(doc); }

void InstallDocumentPreviewServices()
{
    static CDocumentPreviewServices services;
    SetDocumentPreviewServices(&services);
}
