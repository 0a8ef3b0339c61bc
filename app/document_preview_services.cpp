// The document's preview services: pictures through the preview's image library.
#include "app/document_preview_services.h"

#include <memory>

CDocPicture* CDocumentPreviewServices::LoadPicture(LPCWSTR path, int type)
{
    auto picture = std::make_unique<CPreviewDocPicture>(path, type);
    if (!picture->m_image.IsValid() || picture->m_image.GetWidth() <= 0 || picture->m_image.GetHeight() <= 0)
        return nullptr;
    return picture.release();
}

// Databases come with the Access preview; until it is built none opens, with no status to tell.
CDocDatabase* CDocumentPreviewServices::OpenDatabase(LPCWSTR path, LONG* status)
{
    if (status)
        *status = 0;
    return nullptr;
}

// The thumbnail view comes with the folder preview; until then a listed folder shows nothing.
void CDocumentPreviewServices::FillThumbnails(CEx_StyleDoc* doc) {}

void CDocumentPreviewServices::ShowDatabase(CEx_StyleDoc* doc) {}

void InstallDocumentPreviewServices()
{
    static CDocumentPreviewServices services;
    SetDocumentPreviewServices(&services);
}
