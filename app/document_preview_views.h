// What the document's preview services do with the preview's own views: an Access database opened through the
// preview's data access objects and handed to the views that show it, and the thumbnails of the document's
// picture folder.
#pragma once

#include "app/ex_style_doc.h"
#include "preview/dao_database.h"

// The document's database: a read-only CDaoDatabase.
class CPreviewDatabase : public CDocDatabase {
public:
    BOOL IsOpen() const override { return m_database.IsOpen(); }
    void Close() override { m_database.Close(); }
    CDaoDatabase m_database;
};

// Opens the file (not exclusive, not read-only, no connect string): the open database, or null with the
// engine's status code in *status.
CDocDatabase* OpenPreviewDatabase(LPCWSTR path, LONG* status);
// The Access views take the document's database: the list is emptied and the tree filled.
void ShowPreviewDatabase(CEx_StyleDoc* doc);
// The document's thumbnail view (the one of its views that is one) draws the pictures of its folder.
void FillPreviewThumbnails(CEx_StyleDoc* doc);
