// COleRichEditCtrl: the document preview's read-only rich edit, which accepts embedded objects
// through its OLE callback (CRichEditOleCallback, storages in a temporary compound file) and
// streams files in as rich text.
#pragma once

#include "afx/afx.h"
#include "afx/rich_edit_ctrl.h"

class CRichEditOleCallback : public IRichEditOleCallback {
public:
    // Makes the root storage; throws a COleException when it cannot.
    CRichEditOleCallback();

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetNewStorage(IStorage** lplpstg) override;
    HRESULT GetInPlaceContext(IOleInPlaceFrame** lplpFrame, IOleInPlaceUIWindow** lplpDoc,
                              OLEINPLACEFRAMEINFO* lpFrameInfo) override;
    HRESULT ShowContainerUI(BOOL fShow) override;
    HRESULT QueryInsertObject(CLSID* lpclsid, IStorage* lpstg, LONG cp) override;
    HRESULT DeleteObject(IOleObject* lpoleobj) override;
    HRESULT QueryAcceptData(IDataObject* lpdataobj, CLIPFORMAT* lpcfFormat, DWORD reco, BOOL fReally,
                            HGLOBAL hMetaPict) override;
    HRESULT ContextSensitiveHelp(BOOL fEnterMode) override;
    HRESULT GetClipboardData(CHARRANGE* lpchrg, DWORD reco, IDataObject** lplpdataobj) override;
    HRESULT GetDragDropEffect(BOOL fDrag, DWORD grfKeyState, DWORD* pdwEffect) override;
    HRESULT GetContextMenu(WORD seltype, IOleObject* lpoleobj, CHARRANGE* lpchrg, HMENU* lphmenu) override;

    int m_iNumStorages = 0;
    IStorage* m_pStorage = nullptr;
    DWORD m_dwRef = 0;

private:
    virtual ~CRichEditOleCallback();
};

class COleRichEditCtrl : public CRichEditCtrl {
public:
    COleRichEditCtrl() = default;
    // Streams the file in as rich text and reports in the main frame's PreviewOkFlag whether any
    // of it came in. A file that cannot be opened throws its CFileException.
    void StreamInFile(LPCWSTR path);

    CRichEditOleCallback* m_pCallback = nullptr;
    int m_bCallbackSet = 0;

protected:
    void PreSubclassWindow() override;
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    DECLARE_MESSAGE_MAP()
};
