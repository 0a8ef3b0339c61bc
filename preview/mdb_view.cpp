// The Access database viewer: its splitter of two views, the database tree and the record list.
#include "preview/mdb_view.h"

#include "preview/dao_database.h"
#include "preview/dao_helpers.h"
#include "preview/preview_host.h"
#include "res/preview/preview_res.h"

namespace {

IDaoDocument* DaoDocumentOf(CView* view) { return dynamic_cast<IDaoDocument*>(view->GetDocument()); }

// The tree's images (bitmap 181).
enum TreeImage { kImageRoot = 0, kImageTable = 2, kImageTables = 3, kImageRelation = 8, kImageRelations = 9,
                 kImageQuery = 10, kImageQueries = 11 };

// The splitter bar's window style, with its bit for panes side by side.
const DWORD kVerticalSplit = WS_CHILD | WS_VISIBLE | 0x1;
const UINT kTreeId = 189, kListId = 190, kSplitterId = 157, kRecordListId = 186;
const int kMinimumPane = 170;
const LONG kSystemOrHidden = LONG(0x80000002);
const short kHiddenQueryType = 5;

CString Text(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

// The engine's description of a data access error with its number, else its status code. There is no help
// file to offer.
void ReportDaoException(CView* view, CDaoException* e)
{
    if (e->m_pErrorInfo) {
        CString text;
        text.Format(u"%s   (%d)", e->m_pErrorInfo->m_strDescription.GetString(), int(e->m_pErrorInfo->m_lErrorCode));
        if (IPreviewHost* host = GetPreviewHost())
            host->ShowMessage(text, 2);
    } else if (IDaoDocument* doc = DaoDocumentOf(view)) {
        doc->ReportDaoError(e->m_scode);
    }
}

} // namespace

IMPLEMENT_DYNAMIC(CStatusListCtrl, CListCtrl)
IMPLEMENT_DYNCREATE(CMDBListView, CView)
IMPLEMENT_DYNCREATE(CDaoTreeView, CTreeView)
IMPLEMENT_DYNCREATE(CMDB_View, CView)

// ---- Status list ----------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CStatusListCtrl, CListCtrl)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnCustomDraw)
    ON_NOTIFY_REFLECT(NM_CLICK, OnClick)
    ON_NOTIFY_REFLECT(NM_DBLCLK, OnDblClick)
END_MESSAGE_MAP()

void CStatusListCtrl::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult)
{
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(pNMHDR);
    *pResult = CDRF_DODEFAULT;
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
    case CDDS_ITEMPREPAINT:
        *pResult = CDRF_NOTIFYSUBITEMDRAW;
        break;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        switch (draw->iSubItem) {
        case 0: draw->clrTextBk = RGB(245, 243, 178); break;
        case 1:
        case 3: draw->clrTextBk = RGB(248, 233, 243); break;
        case 2:
        case 4:
        case 5: draw->clrTextBk = RGB(220, 242, 226); break;
        default: break;
        }
        CString state = GetItemText(int(draw->nmcd.dwItemSpec), 1);
        if (state.Left(7) == u"Pending") {
            draw->clrText = RGB(0, 0, 0);
        } else if (state.Left(4) == u"Done") {
            draw->clrText = RGB(0, 0, 255);
        } else if (state.Left(4) == u"Fail") {
            draw->clrText = RGB(255, 0, 0);
        } else if (state.Left(8) == u"Progress") {
            draw->clrText = RGB(0, 255, 0);
            draw->clrTextBk = RGB(0, 0, 0);
        }
        break;
    }
    default: break;
    }
}

// ---- Record list ----------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CMDBListView, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CMDBListView::~CMDBListView() { delete m_pList; }

int CMDBListView::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    m_pList = new CStatusListCtrl;
    if (!m_pList->Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                         CRect(0, 0, 0, 0), this, kRecordListId))
        return -1;
    m_pList->SetExtendedStyle(m_pList->GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    if (IDaoDocument* doc = DaoDocumentOf(this))
        doc->SetMdbListView(this);
    ClearList();
    return 0;
}

void CMDBListView::OnDestroy()
{
    // The document must not keep a view that is gone.
    if (IDaoDocument* doc = DaoDocumentOf(this); doc && doc->GetMdbListView() == this)
        doc->SetMdbListView(nullptr);
    CView::OnDestroy();
}

void CMDBListView::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    if (m_pList && m_pList->GetSafeHwnd()) {
        CRect client;
        GetClientRect(&client);
        m_pList->MoveWindow(&client);
    }
}

void CMDBListView::ClearList()
{
    if (!m_pList || !m_pList->GetSafeHwnd())
        return;
    m_pList->DeleteAllItems();
    CHeaderCtrl* header = m_pList->GetHeaderCtrl();
    int columns = header ? header->GetItemCount() : 0;
    for (int i = 0; i < columns; ++i)
        m_pList->DeleteColumn(0);
}

void CMDBListView::ShowTable(const CString& strTableName)
{
    if (!m_pList || !m_pList->GetSafeHwnd())
        return;
    ClearList();
    m_pList->InsertColumn(0, Text(IDS_ACCESS_INDEX), LVCFMT_LEFT, 100);
    if (!m_pDatabase)
        return;
    try {
        CDaoTableDef table(m_pDatabase);
        table.Open(strTableName);
        int fields = table.GetFieldCount();
        for (int i = 0; i < fields; ++i) {
            CDaoFieldInfo info;
            table.GetFieldInfo(i, info, AFX_DAO_PRIMARY_INFO);
            m_pList->InsertColumn(i + 1, info.m_strName, LVCFMT_LEFT, 100);
        }
        table.Close();
    } catch (CDaoException* e) {
        ReportDaoException(this, e);
        e->Delete();
    }

    IPreviewHost* host = GetPreviewHost();
    const long limit = host ? host->GetMaxPreviewRecords() : 10000;
    CDaoRecordset records(m_pDatabase);
    try {
        records.m_lMaxValues = limit;
        records.Open(dbOpenDynaset, CString(u"Select * From [") + strTableName + u"]");
        int rows = 0, loaded = 0;
        const int fields = records.GetFieldCount();
        while (!records.IsEOF()) {
            if (rows < limit) {
                CString index;
                index.Format(u"%d", rows);
                m_pList->InsertItem(rows, index);
                for (int j = 0; j < fields; ++j)
                    m_pList->SetItemText(rows, j + 1, VariantText(records.GetFieldValue(j)));
                ++loaded;
            }
            ++rows;
            records.MoveNext();
        }
        CString message;
        message.Format(Text(IDS_ACCESS_LOADED), loaded, rows);
        UpdateWindow();
        if (rows >= limit)
            MessageBox(message, AfxGetAppName(), MB_OK);
        if (host)
            host->SetStatusText(message);
        records.Close();
    } catch (CDaoException* e) {
        ReportDaoException(this, e);
        e->Delete();
    }
}

// ---- Database tree --------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDaoTreeView, CTreeView)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_SYSCOLORCHANGE, OnSysColorChange)
    ON_NOTIFY_REFLECT(TVN_SELCHANGEDW, OnSelChanged)
    ON_NOTIFY_REFLECT(NM_RCLICK, OnRClick)
    ON_NOTIFY_REFLECT(TVN_KEYDOWN, OnKeyDown)
    ON_NOTIFY_REFLECT(TVN_BEGINDRAGW, OnBeginDrag)
END_MESSAGE_MAP()

CDaoTreeView::~CDaoTreeView() = default;

BOOL CDaoTreeView::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.style |= TVS_HASBUTTONS | TVS_HASLINES;
    return CTreeView::PreCreateWindow(cs);
}

int CDaoTreeView::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CTreeView::OnCreate(lpcs) == -1)
        return -1;
    m_cfDaoView = ::RegisterClipboardFormatW(u"DaoView");
    if (IDaoDocument* doc = DaoDocumentOf(this))
        doc->SetDaoTreeView(this);
    if (m_imageList.Create(IDB_ACCESS_TREE, 16, 1, RGB(255, 0, 255))) {
        m_imageList.SetBkColor(::GetSysColor(COLOR_WINDOW));
        GetTreeCtrl().SetImageList(&m_imageList, TVSIL_NORMAL);
    }
    m_dropTarget.Register(this);
    return 0;
}

void CDaoTreeView::OnDestroy()
{
    if (IDaoDocument* doc = DaoDocumentOf(this))
        doc->SetDaoTreeView(nullptr);
    m_dropTarget.Revoke();
    CTreeView::OnDestroy();
}

void CDaoTreeView::FillDatabaseTree()
{
    CTreeCtrl& tree = GetTreeCtrl();
    m_bBusy = 1;
    tree.DeleteAllItems();
    m_hCurrentItem = m_hLastTable = nullptr;
    UpdateWindow();
    CTreeCursor root = CTreeCursor(TVI_ROOT, &tree).AddChild(Text(IDS_ACCESS_ROOT), kImageRoot);
    m_hRoot = root;
    m_hTables = root.AddChild(Text(IDS_ACCESS_TABLES), kImageTables);
    m_hRelations = root.AddChild(Text(IDS_ACCESS_RELATIONS), kImageRelations);
    m_hQueryDefs = root.AddChild(Text(IDS_ACCESS_QUERYDEFS), kImageQueries);
    IPreviewHost* host = GetPreviewHost();
    const BOOL showSystem = host ? host->GetShowSystemObjects() : 0;
    if (m_pDatabase) {
        // An error ends the section it happens in; the next section is still read.
        try {
            int count = m_pDatabase->GetTableDefCount();
            for (int i = 0; i < count; ++i) {
                CDaoTableDefInfo info;
                m_pDatabase->GetTableDefInfo(i, info, AFX_DAO_PRIMARY_INFO);
                if (!showSystem && (info.m_lAttributes & kSystemOrHidden))
                    continue;
                AddItem(kImageTable, info.m_strName);
            }
        } catch (CDaoException* e) {
            e->Delete();
        }
        try {
            int count = m_pDatabase->GetQueryDefCount();
            for (int i = 0; i < count; ++i) {
                CDaoQueryDefInfo info;
                m_pDatabase->GetQueryDefInfo(i, info, AFX_DAO_PRIMARY_INFO);
                if (!showSystem && info.m_nType == kHiddenQueryType)
                    continue;
                AddItem(kImageQuery, info.m_strName);
            }
        } catch (CDaoException* e) {
            e->Delete();
        }
        try {
            int count = m_pDatabase->GetRelationCount();
            for (int i = 0; i < count; ++i) {
                CDaoRelationInfo info;
                m_pDatabase->GetRelationInfo(i, info, AFX_DAO_PRIMARY_INFO);
                if (!showSystem && (info.m_lAttributes & kSystemOrHidden))
                    continue;
                CTreeCursor(m_hRelations, &tree).AddChild(info.m_strName, kImageRelation);
            }
        } catch (CDaoException* e) {
            e->Delete();
        }
    }
    tree.Expand(m_hRoot, TVE_EXPAND);
    m_bBusy = 0;
    UpdateWindow();
}

void CDaoTreeView::AddItem(int nKind, const CString& strName)
{
    CTreeCtrl& tree = GetTreeCtrl();
    if (nKind == kImageTable)
        m_hLastTable = CTreeCursor(m_hTables, &tree).AddChild(strName, kImageTable);
    else if (nKind == kImageQuery)
        CTreeCursor(m_hQueryDefs, &tree).AddChild(strName, kImageQuery);
}

void CDaoTreeView::DeleteItem(HTREEITEM hItem)
{
    CTreeCtrl& tree = GetTreeCtrl();
    if (!hItem)
        return;
    const int image = CTreeCursor(hItem, &tree).GetImage();
    if (image != kImageTable && image != kImageQuery)
        return;
    const CString name = tree.GetItemText(hItem);
    try {
        if (!m_pDatabase)
            ThrowDaoError(kMdbErrorReadOnly);
        if (image == kImageTable)
            m_pDatabase->DeleteTableDef(name);
        else
            m_pDatabase->DeleteQueryDef(name);
        tree.DeleteItem(hItem);
        if (m_hCurrentItem == hItem)
            m_hCurrentItem = nullptr;
    } catch (CDaoException* e) {
        MessageBox(e->m_pErrorInfo ? e->m_pErrorInfo->m_strDescription : CString(), Text(IDS_ACCESS_WARNING), MB_OK);
        e->Delete();
    }
}

void CDaoTreeView::OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    if (m_bBusy)
        return;
    CTreeCtrl& tree = GetTreeCtrl();
    m_hCurrentItem = reinterpret_cast<NMTREEVIEWW*>(pNMHDR)->itemNew.hItem;
    IDaoDocument* doc = DaoDocumentOf(this);
    auto* list = doc ? dynamic_cast<CMDBListView*>(doc->GetMdbListView()) : nullptr;
    if (!list || !m_hCurrentItem)
        return;
    list->SetRedraw(FALSE);
    if (CTreeCursor(m_hCurrentItem, &tree).GetImage() == kImageTable)
        list->ShowTable(tree.GetItemText(m_hCurrentItem));
    list->SetRedraw(TRUE);
    list->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CDaoTreeView::OnRClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    CPoint point;
    ::GetCursorPos(&point);
    ScreenToClient(&point);
    UINT flags = 0;
    m_hCurrentItem = GetTreeCtrl().HitTest(point, &flags);
}

void CDaoTreeView::OnKeyDown(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    if (reinterpret_cast<NMTVKEYDOWN*>(pNMHDR)->wVKey != VK_DELETE)
        return;
    IPreviewHost* host = GetPreviewHost();
    if ((host ? host->GetConfirmDeletes() : 1) &&
        MessageBox(Text(IDS_ACCESS_CONFIRM_DELETE), Text(IDS_ACCESS_WARNING), MB_YESNO) != IDYES)
        return;
    DeleteItem(m_hCurrentItem);
}

LRESULT CDaoTreeView::OnSysColorChange(WPARAM, LPARAM)
{
    LRESULT result = Default();
    if (m_imageList.GetSafeHandle())
        m_imageList.SetBkColor(::GetSysColor(COLOR_WINDOW));
    return result;
}

DROPEFFECT CDaoTreeView::OnDragEnter(COleDataObject* pDataObject, DWORD, CPoint)
{
    return m_pDatabase && pDataObject && pDataObject->IsDataAvailable(CLIPFORMAT(m_cfDaoView)) ? DROPEFFECT_COPY
                                                                                                 : DROPEFFECT_NONE;
}

DROPEFFECT CDaoTreeView::OnDragOver(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point)
{
    return OnDragEnter(pDataObject, dwKeyState, point);
}

BOOL CDaoTreeView::OnDrop(COleDataObject*, DROPEFFECT, CPoint) { return FALSE; }

DROPEFFECT CDaoTreeView::DropTarget::OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState,
                                                 CPoint point)
{
    return static_cast<CDaoTreeView*>(pWnd)->OnDragEnter(pDataObject, dwKeyState, point);
}

DROPEFFECT CDaoTreeView::DropTarget::OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState,
                                                CPoint point)
{
    return static_cast<CDaoTreeView*>(pWnd)->OnDragOver(pDataObject, dwKeyState, point);
}

BOOL CDaoTreeView::DropTarget::OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point)
{
    return static_cast<CDaoTreeView*>(pWnd)->OnDrop(pDataObject, dropEffect, point);
}

// ---- The viewer -----------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CMDB_View, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
END_MESSAGE_MAP()

CMDB_View::~CMDB_View() = default;

int CMDB_View::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    CCreateContext context;
    context.m_pCurrentDoc = GetDocument();
    m_pTreeView = new CDaoTreeView;
    m_pListView = new CMDBListView;
    CView* views[] = {m_pTreeView, m_pListView};
    const UINT ids[] = {kTreeId, kListId};
    for (int i = 0; i < 2; ++i) {
        if (context.m_pCurrentDoc)
            context.m_pCurrentDoc->AddView(views[i]);
        if (!views[i]->Create(nullptr, nullptr, WS_CHILD | WS_BORDER, CRect(0, 0, 0, 0), this, ids[i], &context)) {
            // A view that refused its creation has freed itself.
            if (i == 0) {
                m_pTreeView = nullptr;
                delete m_pListView;
            }
            m_pListView = nullptr;
            return -1;
        }
    }
    for (CView* view : views) {
        view->OnInitialUpdate();
        view->ShowWindow(SW_SHOW);
    }
    if (IPreviewHost* host = GetPreviewHost()) {
        m_splitter = host->CreatePaneSplitter();
        if (m_splitter && !m_splitter->Create(kVerticalSplit, this, m_pTreeView, m_pListView, kSplitterId,
                                              CRect(0, 0, 0, 0), kMinimumPane, kMinimumPane))
            m_splitter.reset();
    }
    return 0;
}

void CMDB_View::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    CRect client;
    GetClientRect(&client);
    if (m_splitter && m_splitter->GetWnd() && m_splitter->GetWnd()->GetSafeHwnd()) {
        m_splitter->GetWnd()->MoveWindow(&client);
        return;
    }
    // Without the application's splitter: the tree takes a third, at least its minimum.
    if (!m_pTreeView || !m_pListView)
        return;
    int split = std::min(client.Width(), std::max(kMinimumPane, client.Width() / 3));
    m_pTreeView->MoveWindow(0, 0, split, client.Height());
    m_pListView->MoveWindow(split, 0, client.Width() - split, client.Height());
}
