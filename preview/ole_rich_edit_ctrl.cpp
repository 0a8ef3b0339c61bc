// The document preview's rich edit with its OLE callback.
#include "preview/ole_rich_edit_ctrl.h"

#include "afx/file.h"
#include "preview/preview_host.h"

namespace {

const DWORD kStorageMode = STGM_TRANSACTED | STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;

DWORD CALLBACK ReadFileCallback(DWORD_PTR cookie, LPBYTE buffer, LONG cb, LONG* pcb)
{
    auto* file = reinterpret_cast<CFile*>(cookie);
    *pcb = cb > 0 ? (LONG)file->Read(buffer, (UINT)cb) : 0;
    return 0;
}

} // namespace

CRichEditOleCallback::CRichEditOleCallback()
{
    HRESULT hr = StgCreateDocfile(nullptr, kStorageMode | STGM_DELETEONRELEASE, 0, &m_pStorage);
    if (FAILED(hr) || !m_pStorage)
        AfxThrowOleException(FAILED(hr) ? hr : E_FAIL);
}

CRichEditOleCallback::~CRichEditOleCallback()
{
    if (m_pStorage)
        m_pStorage->Release();
}

HRESULT CRichEditOleCallback::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IRichEditOleCallback)) {
        *ppv = static_cast<IRichEditOleCallback*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG CRichEditOleCallback::AddRef() { return ++m_dwRef; }

ULONG CRichEditOleCallback::Release()
{
    ULONG n = --m_dwRef;
    if (n == 0)
        delete this;
    return n;
}

HRESULT CRichEditOleCallback::GetNewStorage(IStorage** lplpstg)
{
    if (!lplpstg)
        return E_POINTER;
    ++m_iNumStorages;
    CString name;
    name.Format(u"REOLEStorage%d", m_iNumStorages);
    HRESULT hr = m_pStorage->CreateStorage(name, kStorageMode, 0, 0, lplpstg);
    if (FAILED(hr))
        AfxThrowOleException(hr);
    return hr;
}

HRESULT CRichEditOleCallback::GetInPlaceContext(IOleInPlaceFrame**, IOleInPlaceUIWindow**, OLEINPLACEFRAMEINFO*)
{
    return S_OK;
}
HRESULT CRichEditOleCallback::ShowContainerUI(BOOL) { return S_OK; }
HRESULT CRichEditOleCallback::QueryInsertObject(CLSID*, IStorage*, LONG) { return S_OK; }
HRESULT CRichEditOleCallback::DeleteObject(IOleObject*) { return S_OK; }
HRESULT CRichEditOleCallback::QueryAcceptData(IDataObject*, CLIPFORMAT*, DWORD, BOOL, HGLOBAL) { return S_OK; }
HRESULT CRichEditOleCallback::ContextSensitiveHelp(BOOL) { return S_OK; }
HRESULT CRichEditOleCallback::GetClipboardData(CHARRANGE*, DWORD, IDataObject**) { return S_OK; }
HRESULT CRichEditOleCallback::GetDragDropEffect(BOOL, DWORD, DWORD*) { return S_OK; }
HRESULT CRichEditOleCallback::GetContextMenu(WORD, IOleObject*, CHARRANGE*, HMENU*) { return S_OK; }

BEGIN_MESSAGE_MAP(COleRichEditCtrl, CRichEditCtrl)
    ON_WM_CREATE()
END_MESSAGE_MAP()

void COleRichEditCtrl::PreSubclassWindow()
{
    CRichEditCtrl::PreSubclassWindow();
    m_pCallback = new CRichEditOleCallback;
    m_bCallbackSet = SetOLECallback(m_pCallback);
}

int COleRichEditCtrl::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CRichEditCtrl::OnCreate(lpcs) == -1)
        return -1;
    if (!m_bCallbackSet)
        m_bCallbackSet = SetOLECallback(m_pCallback);
    return 0;
}

void COleRichEditCtrl::StreamInFile(LPCWSTR path)
{
    IPreviewHost* host = GetPreviewHost();
    if (host)
        host->SetPreviewOkFlag(1);
    CFile file(path, CFile::modeRead | CFile::shareDenyWrite);
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&file), 0, ReadFileCallback};
    long read = StreamIn(SF_RTF, es);
    if (read < 1 && host)
        host->SetPreviewOkFlag(0);
    file.Close();
}
