// CMDB_View: the Access database viewer of the preview pane, a tree of the database's tables, relations
// and queries (CDaoTreeView) beside the records of the chosen table (CMDBListView, whose list is a
// CStatusListCtrl), with a splitter between them.
#pragma once

#include "afx/afx.h"
#include "afx/data_object.h"
#include "afx/frame.h"
#include "afx/list_ctrl.h"
#include "afx/tree_ctrl.h"
#include "preview/preview_host.h"

#include <memory>

class CDaoDatabase;

// What the Access views need of the document that owns the open database.
class IDaoDocument {
public:
    virtual ~IDaoDocument() = default;
    // Opens the database in place of the current one and has the views take it; FALSE when it cannot
    // be opened (the error has been reported).
    virtual BOOL OpenDaoDatabase(LPCWSTR path) = 0;
    // The views register themselves when they are created, and leave when they are destroyed.
    virtual void SetDaoTreeView(CView* view) = 0;
    virtual void SetMdbListView(CView* view) = 0;
    virtual CView* GetMdbListView() = 0;
    // Shows an engine error that carries no description, from its status code.
    virtual void ReportDaoError(LONG scode) = 0;
};

// A list whose cells are coloured by column, and whose rows by the state word of their second column.
class CStatusListCtrl : public CListCtrl {
    DECLARE_DYNAMIC(CStatusListCtrl)
public:
    CStatusListCtrl() = default;

protected:
    afx_msg void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnClick(NMHDR* pNMHDR, LRESULT* pResult) { *pResult = 0; }
    afx_msg void OnDblClick(NMHDR* pNMHDR, LRESULT* pResult) { *pResult = 0; }
    DECLARE_MESSAGE_MAP()
};

class CMDBListView : public CView {
    DECLARE_DYNCREATE(CMDBListView)
public:
    CMDBListView() = default;
    ~CMDBListView() override;

    void OnDraw(CDC* pDC) override {}
    void ClearList();
    // Lists the records of one table: an index column, then one column for each field.
    void ShowTable(const CString& strTableName);

    CDaoDatabase* m_pDatabase = nullptr;
    CStatusListCtrl* m_pList = nullptr;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()
};

class CDaoTreeView : public CTreeView {
    DECLARE_DYNCREATE(CDaoTreeView)
public:
    CDaoTreeView() = default;
    ~CDaoTreeView() override;

    // Fills the tree from the database: the root, "Tables", "Relations" and "QueryDefs" with their items.
    void FillDatabaseTree();
    // Kind 2 appends a table under "Tables", kind 10 a query under "QueryDefs".
    void AddItem(int nKind, const CString& strName);
    // Deletes the table or query the item stands for from the database, then the item.
    void DeleteItem(HTREEITEM hItem);

    DROPEFFECT OnDragEnter(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    DROPEFFECT OnDragOver(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    BOOL OnDrop(COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point);

    CDaoDatabase* m_pDatabase = nullptr;
    UINT m_cfDaoView = 0;
    HTREEITEM m_hCurrentItem = nullptr;
    LONG m_bBusy = 0;
    CImageList m_imageList;
    HTREEITEM m_hRoot = nullptr, m_hTables = nullptr, m_hLastTable = nullptr, m_hRelations = nullptr,
              m_hQueryDefs = nullptr;

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnRClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnKeyDown(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnBeginDrag(NMHDR* pNMHDR, LRESULT* pResult) { *pResult = 0; }
    afx_msg LRESULT OnSysColorChange(WPARAM wParam, LPARAM lParam);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    class DropTarget : public COleDropTarget {
    public:
        DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) override;
        DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) override;
        BOOL OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point) override;
    };
    DropTarget m_dropTarget;
};

class CMDB_View : public CView {
    DECLARE_DYNCREATE(CMDB_View)
public:
    CMDB_View() = default;
    ~CMDB_View() override;

    void OnDraw(CDC* pDC) override {}

    CDaoTreeView* m_pTreeView = nullptr;
    CMDBListView* m_pListView = nullptr;
    std::unique_ptr<IPaneSplitter> m_splitter;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};
