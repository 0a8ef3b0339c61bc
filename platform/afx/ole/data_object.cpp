// Data sources and data objects by format, the clipboard, and dragging between windows.
#include "afx/data_object.h"
#include "afx/wnd.h"

#include <cstring>
#include <unordered_map>

IMPLEMENT_DYNAMIC(COleDataSource, CCmdTarget)
IMPLEMENT_DYNAMIC(COleDropTarget, CCmdTarget)

namespace {
HGLOBAL CopyGlobal(HGLOBAL hSrc) {
    if (!hSrc)
        return nullptr;
    SIZE_T cb = ::GlobalSize(hSrc);
    HGLOBAL hDst = ::GlobalAlloc(GMEM_MOVEABLE, cb ? cb : 1);
    if (!hDst)
        return nullptr;
    const void* src = ::GlobalLock(hSrc);
    void* dst = ::GlobalLock(hDst);
    if (src && dst && cb)
        std::memcpy(dst, src, cb);
    ::GlobalUnlock(hSrc);
    ::GlobalUnlock(hDst);
    return hDst;
}

// Drop targets belong to the thread whose windows they serve.
thread_local std::unordered_map<HWND, COleDropTarget*> t_targets;
} // namespace

// ---- COleDataSource -----------------------------------------------------------------------------
COleDataSource::~COleDataSource() { Empty(); }

void COleDataSource::CacheGlobalData(CLIPFORMAT cfFormat, HGLOBAL hGlobal) {
    auto it = m_cache.find(cfFormat);
    if (it != m_cache.end()) {
        if (it->second != hGlobal)
            ::GlobalFree(it->second);
        it->second = hGlobal;
    } else {
        m_cache[cfFormat] = hGlobal;
    }
}

void COleDataSource::Empty() {
    for (auto& [cf, h] : m_cache)
        ::GlobalFree(h);
    m_cache.clear();
}

HGLOBAL COleDataSource::CopyData(CLIPFORMAT cfFormat) const {
    auto it = m_cache.find(cfFormat);
    return it == m_cache.end() ? nullptr : CopyGlobal(it->second);
}

void COleDataSource::SetClipboard() {
    if (::OpenClipboard(nullptr)) {
        ::EmptyClipboard();
        for (auto& [cf, h] : m_cache) {
            HGLOBAL copy = CopyGlobal(h);
            if (copy && !::SetClipboardData(cf, copy))
                ::GlobalFree(copy);
        }
        ::CloseClipboard();
    }
    InternalRelease();
}

namespace {
BOOL IsMouseMessage(UINT m) { return m >= WM_MOUSEFIRST && m <= WM_MOUSELAST; }

CPoint ScreenPoint(const MSG& msg) {
    POINT pt{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
    ::ClientToScreen(msg.hwnd, &pt);
    return pt;
}

// The registered target of the window under the point, or of the nearest parent that has one.
COleDropTarget* TargetAt(POINT screen, HWND& hWnd) {
    for (hWnd = ::WindowFromPoint(screen); hWnd; hWnd = ::GetParent(hWnd)) {
        if (COleDropTarget* p = COleDropTarget::FromWindow(hWnd))
            return p;
    }
    return nullptr;
}
} // namespace

DROPEFFECT COleDataSource::DoDragDrop(DWORD dwEffects, LPCRECT lpRectStartDrag) {
    COleDataObject data;
    data.Attach(this, FALSE);
    BOOL bStarted = lpRectStartDrag == nullptr;
    COleDropTarget* pTarget = nullptr;
    HWND hTarget = nullptr;
    DROPEFFECT effect = DROPEFFECT_NONE;
    auto leave = [&] {
        if (pTarget && ::IsWindow(hTarget))
            pTarget->OnDragLeave(CWnd::FromHandle(hTarget));
        pTarget = nullptr;
        hTarget = nullptr;
        effect = DROPEFFECT_NONE;
    };
    auto clientPoint = [&](CPoint pt) {
        ::ScreenToClient(hTarget, &pt);
        return pt;
    };
    MSG msg{};
    for (;;) {
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            ::PostQuitMessage((int)msg.wParam); // the quit belongs to the loop outside
            leave();
            return DROPEFFECT_NONE;
        }
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            leave();
            return DROPEFFECT_NONE;
        }
        if (!IsMouseMessage(msg.message)) {
            // Keys other than Escape only change the key state the targets read.
            if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            continue;
        }
        CPoint pt = ScreenPoint(msg);
        DWORD keyState = (DWORD)GET_KEYSTATE_WPARAM(msg.wParam);
        BOOL bUp = msg.message == WM_LBUTTONUP || msg.message == WM_RBUTTONUP || msg.message == WM_MBUTTONUP;
        if (!bStarted) {
            if (bUp)
                return DROPEFFECT_NONE; // released before the drag began
            if (msg.message == WM_MOUSEMOVE && !::PtInRect(lpRectStartDrag, pt))
                bStarted = TRUE;
            else
                continue;
        }
        if (msg.message != WM_MOUSEMOVE && !bUp)
            continue;
        HWND hNow = nullptr;
        COleDropTarget* pNow = TargetAt(pt, hNow);
        if (pNow != pTarget || hNow != hTarget) {
            leave();
            if (pNow) {
                pTarget = pNow;
                hTarget = hNow;
                effect = pTarget->OnDragEnter(CWnd::FromHandle(hTarget), &data, keyState, clientPoint(pt)) & dwEffects;
            }
        } else if (pTarget) {
            effect = pTarget->OnDragOver(CWnd::FromHandle(hTarget), &data, keyState, clientPoint(pt)) & dwEffects;
        }
        if (!bUp)
            continue;
        if (!pTarget || effect == DROPEFFECT_NONE) {
            leave();
            return DROPEFFECT_NONE;
        }
        CWnd* pWnd = CWnd::FromHandle(hTarget);
        CPoint ptClient = clientPoint(pt);
        DROPEFFECT result = pTarget->OnDropEx(pWnd, &data, effect, dwEffects, ptClient);
        if (result == (DROPEFFECT)-1)
            result = pTarget->OnDrop(pWnd, &data, effect, ptClient) ? effect : DROPEFFECT_NONE;
        return result & dwEffects;
    }
}

// ---- COleDataObject -----------------------------------------------------------------------------
BOOL COleDataObject::AttachClipboard() {
    Release();
    m_bClipboard = TRUE;
    return TRUE;
}

void COleDataObject::Attach(COleDataSource* pSource, BOOL bAutoRelease) {
    Release();
    m_pSource = pSource;
    m_bAutoRelease = bAutoRelease;
}

COleDataSource* COleDataObject::Detach() {
    COleDataSource* p = m_pSource;
    m_pSource = nullptr;
    m_bAutoRelease = FALSE;
    m_bClipboard = FALSE;
    return p;
}

void COleDataObject::Release() {
    if (m_pSource && m_bAutoRelease)
        m_pSource->InternalRelease();
    m_pSource = nullptr;
    m_bAutoRelease = FALSE;
    m_bClipboard = FALSE;
}

BOOL COleDataObject::IsDataAvailable(CLIPFORMAT cfFormat) const {
    if (m_pSource)
        return m_pSource->HasFormat(cfFormat);
    return m_bClipboard && ::IsClipboardFormatAvailable(cfFormat);
}

HGLOBAL COleDataObject::GetGlobalData(CLIPFORMAT cfFormat) const {
    if (m_pSource)
        return m_pSource->CopyData(cfFormat);
    if (!m_bClipboard || !::OpenClipboard(nullptr))
        return nullptr;
    // The clipboard keeps its block; the caller gets a copy of its own.
    HGLOBAL h = CopyGlobal((HGLOBAL)::GetClipboardData(cfFormat));
    ::CloseClipboard();
    return h;
}

CFile* COleDataObject::GetFileData(CLIPFORMAT cfFormat) const {
    HGLOBAL h = GetGlobalData(cfFormat);
    if (!h)
        return nullptr;
    auto* pFile = new CSharedFile;
    pFile->SetHandle(h, FALSE);
    return pFile;
}

// ---- COleDropTarget -----------------------------------------------------------------------------
BOOL COleDropTarget::Register(CWnd* pWnd) {
    if (!pWnd || !pWnd->m_hWnd || m_pWnd || t_targets.count(pWnd->m_hWnd))
        return FALSE;
    m_pWnd = pWnd;
    t_targets[pWnd->m_hWnd] = this;
    return TRUE;
}

void COleDropTarget::Revoke() {
    for (auto it = t_targets.begin(); it != t_targets.end();) {
        if (it->second == this)
            it = t_targets.erase(it);
        else
            ++it;
    }
    m_pWnd = nullptr;
}

COleDropTarget* PASCAL COleDropTarget::FromWindow(HWND hWnd) {
    auto it = t_targets.find(hWnd);
    if (it == t_targets.end())
        return nullptr;
    // A target whose window died without revoking is forgotten rather than called.
    if (!::IsWindow(hWnd)) {
        t_targets.erase(it);
        return nullptr;
    }
    return it->second;
}

DROPEFFECT COleDropTarget::OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) {
    return OnDragOver(pWnd, pDataObject, dwKeyState, point);
}

DROPEFFECT COleDropTarget::OnDragOver(CWnd*, COleDataObject*, DWORD, CPoint) { return DROPEFFECT_NONE; }
