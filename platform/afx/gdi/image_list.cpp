// CImageList: attaching image lists and building them from bitmap resources.
#include "afx/gdi.h"

#include <map>
#include <memory>
#include <mutex>

IMPLEMENT_DYNCREATE(CImageList, CObject)

namespace {

std::mutex& MapLock()
{
    static std::mutex m;
    return m;
}

std::map<HIMAGELIST, CImageList*>& Permanent()
{
    static std::map<HIMAGELIST, CImageList*> map;
    return map;
}

} // namespace

CImageList* PASCAL CImageList::FromHandle(HIMAGELIST hImageList)
{
    if (!hImageList)
        return nullptr;
    {
        std::lock_guard<std::mutex> lock(MapLock());
        auto it = Permanent().find(hImageList);
        if (it != Permanent().end())
            return it->second;
    }
    thread_local std::map<HIMAGELIST, std::unique_ptr<CImageList>> temp;
    auto& slot = temp[hImageList];
    if (!slot) {
        slot = std::make_unique<CImageList>();
        slot->m_hImageList = hImageList;
    }
    // A temporary never destroys the list it wraps.
    slot->m_hImageList = hImageList;
    return slot.get();
}

BOOL CImageList::Attach(HIMAGELIST hImageList)
{
    if (!hImageList)
        return FALSE;
    if (m_hImageList && m_hImageList != hImageList)
        DeleteImageList();
    m_hImageList = hImageList;
    std::lock_guard<std::mutex> lock(MapLock());
    Permanent()[hImageList] = this;
    return TRUE;
}

HIMAGELIST CImageList::Detach()
{
    HIMAGELIST h = m_hImageList;
    if (h) {
        std::lock_guard<std::mutex> lock(MapLock());
        auto it = Permanent().find(h);
        if (it != Permanent().end() && it->second == this)
            Permanent().erase(it);
    }
    m_hImageList = nullptr;
    return h;
}

BOOL CImageList::DeleteImageList()
{
    if (!m_hImageList)
        return FALSE;
    // Temporaries are not in the permanent map and must not destroy what they wrap.
    bool owned;
    {
        std::lock_guard<std::mutex> lock(MapLock());
        auto it = Permanent().find(m_hImageList);
        owned = it != Permanent().end() && it->second == this;
    }
    HIMAGELIST h = Detach();
    return owned ? ImageList_Destroy(h) : FALSE;
}

BOOL CImageList::Create(LPCTSTR lpszBitmapID, int cx, int nGrow, COLORREF crMask)
{
    return Attach(ImageList_LoadImageW(nullptr, lpszBitmapID, cx, nGrow, crMask, IMAGE_BITMAP, LR_CREATEDIBSECTION));
}

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask)
{
    return Create(MAKEINTRESOURCEW(nBitmapID), cx, nGrow, crMask);
}
