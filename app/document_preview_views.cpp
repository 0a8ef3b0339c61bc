// The document's Access database and picture folder on the preview's views.
#include "app/document_preview_views.h"

#include "preview/mdb_view.h"
#include "preview/thumb_view.h"

#include <memory>

CDocDatabase* OpenPreviewDatabase(LPCWSTR path, LONG* status)
{
    auto database = std::make_unique<CPreviewDatabase>();
    try {
        database->m_database.Open(path, FALSE, FALSE, u"");
    } catch (CDaoException* e) {
        if (status)
            *status = e->m_scode;
        e->Delete();
        return nullptr;
    }
    if (status)
        *status = 0;
    return database.release();
}

void ShowPreviewDatabase(CEx_StyleDoc* doc)
{
    auto* database = dynamic_cast<CPreviewDatabase*>(doc->m_pDatabase);
    CDaoDatabase* dao = database ? &database->m_database : nullptr;
    auto* tree = dynamic_cast<CDaoTreeView*>(doc->m_pDaoTreeView);
    auto* list = dynamic_cast<CMDBListView*>(doc->m_pMdbListView);
    if (tree)
        tree->m_pDatabase = dao;
    if (list)
        list->m_pDatabase = dao;
    if (!dao || !dao->IsOpen())
        return;
    if (list)
        list->ClearList();
    if (tree)
        tree->FillDatabaseTree();
}

void FillPreviewThumbnails(CEx_StyleDoc* doc)
{
    for (POSITION pos = doc->GetFirstViewPosition(); pos;)
        if (auto* thumbs = dynamic_cast<CThumbView*>(doc->GetNextView(pos)))
            thumbs->FillThumbnails();
}
