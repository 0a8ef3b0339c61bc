// CGdiObject and its families: attaching handles, the handle maps, and the creation helpers.
#include "afx/gdi.h"

#include <map>
#include <memory>
#include <mutex>

IMPLEMENT_DYNCREATE(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CPalette, CGdiObject)
IMPLEMENT_DYNAMIC(CRgn, CGdiObject)

namespace {

std::mutex& MapLock()
{
    static std::mutex m;
    return m;
}

// Objects that own their handle, so FromHandle finds them.
std::map<HGDIOBJ, CGdiObject*>& Permanent()
{
    static std::map<HGDIOBJ, CGdiObject*> map;
    return map;
}

// Wrappers made for handles nobody attached; they never delete the handle.
std::map<HGDIOBJ, std::unique_ptr<CGdiObject>>& Temporary()
{
    thread_local std::map<HGDIOBJ, std::unique_ptr<CGdiObject>> map;
    return map;
}

std::unique_ptr<CGdiObject> MakeWrapper(HGDIOBJ h)
{
    switch (::GetObjectType(h)) {
    case OBJ_PEN:
    case OBJ_EXTPEN: return std::make_unique<CPen>();
    case OBJ_BRUSH: return std::make_unique<CBrush>();
    case OBJ_FONT: return std::make_unique<CFont>();
    case OBJ_BITMAP: return std::make_unique<CBitmap>();
    case OBJ_PAL: return std::make_unique<CPalette>();
    case OBJ_REGION: return std::make_unique<CRgn>();
    default: return std::make_unique<CGdiObject>();
    }
}

} // namespace

CGdiObject* PASCAL CGdiObject::FromHandle(HGDIOBJ hObject)
{
    if (!hObject)
        return nullptr;
    {
        std::lock_guard<std::mutex> lock(MapLock());
        auto it = Permanent().find(hObject);
        if (it != Permanent().end())
            return it->second;
    }
    auto& temp = Temporary();
    auto& slot = temp[hObject];
    if (!slot || ::GetObjectType(hObject) != slot->GetObjectType() || !slot->m_hObject) {
        if (slot)
            slot->m_hObject = nullptr;
        slot = MakeWrapper(hObject);
        slot->m_hObject = hObject;
    }
    return slot.get();
}

void PASCAL CGdiObject::DeleteTempMap()
{
    for (auto& [h, obj] : Temporary())
        obj->m_hObject = nullptr;
    Temporary().clear();
}

BOOL CGdiObject::Attach(HGDIOBJ hObject)
{
    if (!hObject)
        return FALSE;
    // Replacing a handle this object still owns would leak it; the framework asserts instead.
    if (m_hObject && m_hObject != hObject)
        DeleteObject();
    m_hObject = hObject;
    std::lock_guard<std::mutex> lock(MapLock());
    Permanent()[hObject] = this;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ h = m_hObject;
    if (h) {
        std::lock_guard<std::mutex> lock(MapLock());
        auto it = Permanent().find(h);
        if (it != Permanent().end() && it->second == this)
            Permanent().erase(it);
    }
    m_hObject = nullptr;
    return h;
}

BOOL CGdiObject::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    return ::DeleteObject(Detach());
}

CPen::CPen(int nPenStyle, int nWidth, COLORREF crColor)
{
    if (!CreatePen(nPenStyle, nWidth, crColor))
        AfxThrowResourceException();
}

CPen::CPen(int nPenStyle, int nWidth, const LOGBRUSH* pLogBrush, int nStyleCount, const DWORD* lpStyle)
{
    if (!CreatePen(nPenStyle, nWidth, pLogBrush, nStyleCount, lpStyle))
        AfxThrowResourceException();
}

CBrush::CBrush(COLORREF crColor)
{
    if (!CreateSolidBrush(crColor))
        AfxThrowResourceException();
}

CBrush::CBrush(int nIndex, COLORREF crColor)
{
    if (!CreateHatchBrush(nIndex, crColor))
        AfxThrowResourceException();
}

CBrush::CBrush(CBitmap* pBitmap)
{
    if (!CreatePatternBrush(pBitmap))
        AfxThrowResourceException();
}

BOOL CBrush::CreatePatternBrush(CBitmap* pBitmap)
{
    return pBitmap && Attach(::CreatePatternBrush(HBITMAP(*pBitmap)));
}

BOOL CFont::CreatePointFontIndirect(const LOGFONT* lpLogFont, CDC* pDC)
{
    if (!lpLogFont)
        return FALSE;
    // The height holds tenths of a point; at 96 pixels per inch that is height * 96 / 720 pixels.
    LOGFONT lf = *lpLogFont;
    int tenths = lf.lfHeight;
    lf.lfHeight = -int((int64_t(std::abs(tenths)) * 96 + 360) / 720);
    return CreateFontIndirect(&lf);
}

BOOL CFont::CreatePointFont(int nPointSize, LPCTSTR lpszFaceName, CDC* pDC)
{
    LOGFONT lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = nPointSize;
    for (int i = 0; lpszFaceName && lpszFaceName[i] && i < LF_FACESIZE - 1; ++i)
        lf.lfFaceName[i] = lpszFaceName[i];
    return CreatePointFontIndirect(&lf, pDC);
}

BOOL CBitmap::LoadBitmap(LPCTSTR lpszResourceName)
{
    return Attach(::LoadBitmapW(nullptr, lpszResourceName));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight)
{
    return pDC && Attach(::CreateCompatibleBitmap(pDC->m_hDC, nWidth, nHeight));
}

BOOL CPalette::CreateHalftonePalette(CDC* pDC)
{
    return Attach(::CreateHalftonePalette(pDC ? pDC->m_hDC : nullptr));
}
