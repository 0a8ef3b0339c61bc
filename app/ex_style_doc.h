// CEx_StyleDoc: the template's document. It holds no recovery data: it is the store the previews use to browse
// the pictures of a folder and to keep the Access database they show.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"
#include "preview/mdb_view.h"
#include "preview/thumb_view.h"

#include <vector>

class CEx_StyleDoc;

// A decoded picture of the image library, owned by the document.
class CDocPicture {
public:
    virtual ~CDocPicture() = default;
};

// An open Access database, owned by the document.
class CDocDatabase {
public:
    virtual ~CDocDatabase() = default;
    virtual BOOL IsOpen() const = 0;
    virtual void Close() = 0;
};

// What the preview gives the document: the picture library, the database engine and the views that show
// them. Until one is installed pictures load as nothing and databases do not open.
class IDocumentPreviewServices {
public:
    virtual ~IDocumentPreviewServices() = default;
    // A picture of the image library's format number, or null when the file cannot be read.
    virtual CDocPicture* LoadPicture(LPCWSTR path, int type) = 0;
    // An open database, or null with the engine's status code in *status.
    virtual CDocDatabase* OpenDatabase(LPCWSTR path, LONG* status) = 0;
    // The thumbnail view fills itself from the document's names and folder.
    virtual void FillThumbnails(CEx_StyleDoc* doc) = 0;
    // The database views take the document's database: the list emptied, the tree filled.
    virtual void ShowDatabase(CEx_StyleDoc* doc) = 0;
};
void SetDocumentPreviewServices(IDocumentPreviewServices* services);

// The image library's format number of a file name from its extension (the text after the last dot,
// without regard to case); 0 for a name without one or of no picture format.
int FindImageType(LPCWSTR name);

// A DAO error without error records, formatted from its status code and shown as an error.
void ReportDaoException(LONG scode);
CString FormatDaoStatus(LONG scode);

class CEx_StyleDoc : public CDocument, public IDaoDocument, public IImageFolderDocument {
    DECLARE_DYNCREATE(CEx_StyleDoc)
public:
    CEx_StyleDoc() = default;
    ~CEx_StyleDoc() override;

    BOOL OnNewDocument() override;

    // Lists the picture files of the folder, sorted, and has the thumbnails shown.
    void OpenImageFolder(LPCWSTR folder) override;
    // Makes picture n the current one (nothing when it already is).
    void SetCurrentImage(int n) override;
    // Deletes every plain file of the folder; failures are ignored.
    void DeleteFolderFiles(LPCWSTR folder) override;
    CString GetImageFolder() const override { return m_strFolder; }
    const std::vector<CString>& GetImageNames() const override { return m_ImageNames; }
    // Opens a database in place of the current one; FALSE (with nothing changed) when it cannot be opened.
    BOOL OpenDaoDatabase(LPCWSTR path) override;
    // The Access views register here when they are created and leave when they are destroyed.
    void SetDaoTreeView(CView* view) override { m_pDaoTreeView = view; }
    void SetMdbListView(CView* view) override { m_pMdbListView = view; }
    CView* GetMdbListView() override { return m_pMdbListView; }
    void ReportDaoError(LONG scode) override { ReportDaoException(scode); }

    std::vector<CString> m_ImageNames;
    int m_nCurrentImage = -1;
    CString m_strFolder;
    CDocPicture* m_pCurrentImage = nullptr;
    CDocDatabase* m_pDatabase = nullptr;
    CView* m_pDaoTreeView = nullptr;
    CView* m_pMdbListView = nullptr;
    // The path of the temporary copy being previewed.
    CString PreviewPath;

private:
    void DropCurrentImage();
};
