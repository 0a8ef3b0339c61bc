// CDC: attaching DCs, the handle maps, and the framework's own drawing helpers.
#include "afx/gdi.h"

#include <map>
#include <memory>
#include <mutex>

IMPLEMENT_DYNCREATE(CDC, CObject)

namespace {

std::mutex& MapLock()
{
    static std::mutex m;
    return m;
}

std::map<HDC, CDC*>& Permanent()
{
    static std::map<HDC, CDC*> map;
    return map;
}

std::map<HDC, std::unique_ptr<CDC>>& Temporary()
{
    thread_local std::map<HDC, std::unique_ptr<CDC>> map;
    return map;
}

} // namespace

CDC::~CDC()
{
    if (m_hDC)
        DeleteDC();
}

CDC* PASCAL CDC::FromHandle(HDC hDC)
{
    if (!hDC)
        return nullptr;
    {
        std::lock_guard<std::mutex> lock(MapLock());
        auto it = Permanent().find(hDC);
        if (it != Permanent().end())
            return it->second;
    }
    auto& slot = Temporary()[hDC];
    if (!slot) {
        slot = std::make_unique<CDC>();
        slot->m_hDC = slot->m_hAttribDC = hDC;
    }
    return slot.get();
}

void PASCAL CDC::DeleteTempMap()
{
    for (auto& [h, dc] : Temporary())
        dc->m_hDC = dc->m_hAttribDC = nullptr;
    Temporary().clear();
}

BOOL CDC::Attach(HDC hDC)
{
    if (!hDC)
        return FALSE;
    m_hDC = m_hAttribDC = hDC;
    std::lock_guard<std::mutex> lock(MapLock());
    Permanent()[hDC] = this;
    return TRUE;
}

HDC CDC::Detach()
{
    HDC h = m_hDC;
    if (h) {
        std::lock_guard<std::mutex> lock(MapLock());
        auto it = Permanent().find(h);
        if (it != Permanent().end() && it->second == this)
            Permanent().erase(it);
    }
    m_hDC = m_hAttribDC = nullptr;
    return h;
}

BOOL CDC::CreateCompatibleDC(CDC* pDC)
{
    return Attach(::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr));
}

BOOL CDC::DeleteDC()
{
    if (!m_hDC)
        return FALSE;
    return ::DeleteDC(Detach());
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF clr)
{
    ::SetBkColor(m_hDC, clr);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, lpRect, nullptr, 0, nullptr);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF clr)
{
    RECT r{x, y, x + cx, y + cy};
    FillSolidRect(&r, clr);
}

void CDC::Draw3dRect(LPCRECT lpRect, COLORREF clrTopLeft, COLORREF clrBottomRight)
{
    Draw3dRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, clrTopLeft,
               clrBottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight)
{
    FillSolidRect(x, y, cx - 1, 1, clrTopLeft);
    FillSolidRect(x, y, 1, cy - 1, clrTopLeft);
    FillSolidRect(x + cx, y, -1, cy, clrBottomRight);
    FillSolidRect(x, y + cy, cx, -1, clrBottomRight);
}

int CDC::GetTextFace(CString& rString) const
{
    WCHAR face[LF_FACESIZE] = {};
    int n = ::GetTextFaceW(m_hDC, LF_FACESIZE, face);
    rString = face;
    return n;
}
