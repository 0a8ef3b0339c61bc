// COleDataSource, COleDataObject and COleDropTarget: data offered by format, through the
// clipboard or dragged with the mouse between windows of the program.
#pragma once

#include "afx/cmd_target.h"
#include "afx/file.h"
#include "afx/geometry.h"

#include <map>

class CWnd;
class COleDataSource;

typedef WORD CLIPFORMAT;
typedef DWORD DROPEFFECT;
#define DROPEFFECT_NONE 0
#define DROPEFFECT_COPY 1
#define DROPEFFECT_MOVE 2
#define DROPEFFECT_LINK 4
#define DROPEFFECT_SCROLL 0x80000000

// A view of data offered elsewhere: a data source of the program or the clipboard's contents.
class COleDataObject {
public:
    COleDataObject() = default;
    ~COleDataObject() { Release(); }
    COleDataObject(const COleDataObject&) = delete;
    COleDataObject& operator=(const COleDataObject&) = delete;

    // Reads the clipboard from now on; FALSE when it cannot be opened.
    BOOL AttachClipboard();
    void Attach(COleDataSource* pSource, BOOL bAutoRelease = TRUE);
    COleDataSource* Detach();
    void Release();
    BOOL IsDataAvailable(CLIPFORMAT cfFormat) const;
    // A copy of the data the caller frees (GlobalFree); null when the format is not offered.
    HGLOBAL GetGlobalData(CLIPFORMAT cfFormat) const;
    // A shared file over a copy of the data, which the caller deletes; null when not offered.
    CFile* GetFileData(CLIPFORMAT cfFormat) const;

private:
    COleDataSource* m_pSource = nullptr;
    BOOL m_bAutoRelease = FALSE;
    BOOL m_bClipboard = FALSE;
};

class COleDataSource : public CCmdTarget {
    DECLARE_DYNAMIC(COleDataSource)
public:
    COleDataSource() = default;
    ~COleDataSource() override;
    // Offers the block under the format; the source owns it from now on (a block already offered
    // under that format is freed).
    void CacheGlobalData(CLIPFORMAT cfFormat, HGLOBAL hGlobal);
    void Empty();
    BOOL HasFormat(CLIPFORMAT cfFormat) const { return m_cache.count(cfFormat) != 0; }
    HGLOBAL CopyData(CLIPFORMAT cfFormat) const;
    // Copies every format onto the clipboard; the source then belongs to the clipboard and is
    // released, as the caller hands it over.
    void SetClipboard();
    // Runs the drag: the mouse is captured until its button goes up (a drop on a registered
    // target) or Escape cancels. A drag that starts inside lpRectStartDrag (screen coordinates)
    // only begins once the pointer leaves it. The effect the target chose, or DROPEFFECT_NONE.
    DROPEFFECT DoDragDrop(DWORD dwEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK,
                          LPCRECT lpRectStartDrag = nullptr);

private:
    std::map<CLIPFORMAT, HGLOBAL> m_cache;
};

class COleDropTarget : public CCmdTarget {
    DECLARE_DYNAMIC(COleDropTarget)
public:
    COleDropTarget() = default;
    ~COleDropTarget() override { Revoke(); }
    // One window per target and one target per window.
    BOOL Register(CWnd* pWnd);
    void Revoke();
    CWnd* GetWindow() const { return m_pWnd; }
    static COleDropTarget* PASCAL FromWindow(HWND hWnd);

    virtual DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    virtual DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    virtual void OnDragLeave(CWnd* pWnd) {}
    virtual BOOL OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point) { return FALSE; }
    // -1 leaves the drop to OnDrop.
    virtual DROPEFFECT OnDropEx(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropDefault,
                                DROPEFFECT dropList, CPoint point) {
        return (DROPEFFECT)-1;
    }

private:
    CWnd* m_pWnd = nullptr;
};
