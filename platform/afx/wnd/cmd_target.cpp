// CCmdTarget: message-map lookup, command routing within one target, reference counts; CCmdUI.
#include "afx/wnd.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(const AFX_MSGMAP_ENTRY* lpEntry, UINT nMsg, UINT nCode,
                                                     UINT nID) {
    for (; lpEntry->pfn != nullptr; ++lpEntry) {
        UINT entryMsg = lpEntry->pnRegisteredMessage ? *lpEntry->pnRegisteredMessage : lpEntry->nMessage;
        // Notification codes are negative numbers and travel as the low word of nCode, so the
        // entry's code is compared the same way.
        UINT entryCode = lpEntry->nCode;
        if (entryMsg == WM_NOTIFY || entryMsg == WM_REFLECT_BASE + WM_NOTIFY)
            entryCode = LOWORD(entryCode);
        // A registered message whose variable is still 0 was never registered: it matches nothing.
        if (entryMsg == 0 || entryMsg != nMsg || entryCode != nCode)
            continue;
        if (nID >= lpEntry->nID && nID <= lpEntry->nLastID)
            return lpEntry;
    }
    return nullptr;
}

namespace {
// The WM_CTLCOLOR* family shares one entry, as one handler serves every kind of control.
UINT MapKey(UINT nMsg) {
    if (nMsg >= WM_CTLCOLORMSGBOX && nMsg <= WM_CTLCOLORSTATIC)
        return WM_CTLCOLORMSGBOX;
    if (nMsg >= WM_REFLECT_BASE + WM_CTLCOLORMSGBOX && nMsg <= WM_REFLECT_BASE + WM_CTLCOLORSTATIC)
        return WM_REFLECT_BASE + WM_CTLCOLORMSGBOX;
    return nMsg;
}

// The entry a class's map chain gives a message, remembered: the maps are fixed
// when the program is built, and a window's traffic asks for the same few messages over and over (a list
// filled row by row sends each row's texts through every map of its class chain, most of them handled by
// none). Registered messages are not remembered, as their numbers are only given out at run time.
struct MsgCacheSlot {
    const AFX_MSGMAP* map = nullptr;
    UINT key = 0;
    const AFX_MSGMAP_ENTRY* entry = nullptr;
};
constexpr UINT kMsgCacheSlots = 256;
constexpr UINT kFirstRegisteredMessage = 0xC000;
thread_local MsgCacheSlot t_msgCache[kMsgCacheSlots];
} // namespace

BOOL CCmdTarget::DispatchMsg(UINT nMsg, const AFX_MSGCALL& call) {
    const UINT key = MapKey(nMsg);
    const AFX_MSGMAP* map = GetMessageMap();
    if (!map)
        return FALSE;
    const auto FindInChain = [](const AFX_MSGMAP* in, UINT msg) -> const AFX_MSGMAP_ENTRY* {
        for (; in; in = in->pfnGetBaseMap ? in->pfnGetBaseMap() : nullptr) {
            if (const AFX_MSGMAP_ENTRY* found = FindMessageEntry(in->lpEntries, msg, 0, 0))
                return found;
            if (!in->pfnGetBaseMap)
                break;
        }
        return nullptr;
    };
    const AFX_MSGMAP_ENTRY* e = nullptr;
    if (key < kFirstRegisteredMessage) {
        MsgCacheSlot& slot = t_msgCache[(key ^ UINT(reinterpret_cast<uintptr_t>(map) >> 4)) % kMsgCacheSlots];
        if (slot.map != map || slot.key != key)
            slot = {map, key, FindInChain(map, key)};
        e = slot.entry;
    } else {
        e = FindInChain(map, key);
    }
    return e ? e->pfn(this, call) : FALSE;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    UINT nMsg = HIWORD((UINT)nCode);
    UINT nCodeLow = LOWORD((UINT)nCode);
    // CN_UPDATE_COMMAND_UI is -1, which would otherwise read as message 0xFFFF.
    if (nCode == (int)CN_UPDATE_COMMAND_UI) {
        nMsg = WM_COMMAND;
        nCodeLow = CN_UPDATE_COMMAND_UI;
    } else if (nMsg == 0) {
        nMsg = WM_COMMAND;
    }
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        const AFX_MSGMAP_ENTRY* e = FindMessageEntry(map->lpEntries, nMsg, nCodeLow, nID);
        if (e) {
            if (pHandlerInfo) {
                pHandlerInfo->pTarget = this;
                pHandlerInfo->pEntry = e;
                return TRUE;
            }
            LRESULT ignored = 0;
            AFX_MSGCALL call{nMsg, 0, 0, nID, nCodeLow, pExtra, &ignored};
            if (nCodeLow == CN_UPDATE_COMMAND_UI && nMsg == WM_COMMAND) {
                // The handler may pass the item on to the next target with ContinueRouting.
                auto* pCmdUI = static_cast<CCmdUI*>(pExtra);
                pCmdUI->m_bContinueRouting = FALSE;
                e->pfn(this, call);
                return !pCmdUI->m_bContinueRouting;
            }
            return e->pfn(this, call);
        }
        if (!map->pfnGetBaseMap)
            break;
    }
    return FALSE;
}

void CCmdTarget::BeginWaitCursor() { AfxDoWaitCursor(1); }
void CCmdTarget::EndWaitCursor() { AfxDoWaitCursor(-1); }
void CCmdTarget::RestoreWaitCursor() { AfxDoWaitCursor(0); }

CWaitCursor::CWaitCursor() { AfxDoWaitCursor(1); }
CWaitCursor::~CWaitCursor() { AfxDoWaitCursor(-1); }
void CWaitCursor::Restore() { AfxDoWaitCursor(0); }

namespace {
// The cursor belongs to the thread's input state, so the count does too.
thread_local int t_nWaitCursorCount = 0;
thread_local HCURSOR t_hcurRestore = nullptr;
} // namespace

void AFXAPI AfxDoWaitCursor(int nCode) {
    HCURSOR hcurWait = ::LoadCursorW(nullptr, IDC_WAIT);
    if (nCode > 0) {
        HCURSOR prev = ::SetCursor(hcurWait);
        if (t_nWaitCursorCount++ == 0)
            t_hcurRestore = prev;
    } else if (nCode < 0) {
        // An End without a Begin must not bring back a stale cursor.
        if (t_nWaitCursorCount == 0)
            return;
        if (--t_nWaitCursorCount == 0) {
            ::SetCursor(t_hcurRestore ? t_hcurRestore : ::LoadCursorW(nullptr, IDC_ARROW));
            t_hcurRestore = nullptr;
        }
    } else if (t_nWaitCursorCount > 0) {
        ::SetCursor(hcurWait);
    }
}

DWORD CCmdTarget::InternalAddRef() { return (DWORD)__atomic_add_fetch(&m_dwRef, 1, __ATOMIC_SEQ_CST); }

DWORD CCmdTarget::InternalRelease() {
    // Releasing an object already at zero would delete it twice.
    if (__atomic_load_n(&m_dwRef, __ATOMIC_SEQ_CST) <= 0)
        return 0;
    LONG n = __atomic_sub_fetch(&m_dwRef, 1, __ATOMIC_SEQ_CST);
    if (n == 0)
        OnFinalRelease();
    return (DWORD)n;
}

LPUNKNOWN CCmdTarget::GetInterface(const void*) { return nullptr; }

HRESULT CCmdTarget::ExternalQueryInterface(const void* iid, LPVOID* ppvObj) {
    if (!ppvObj)
        return E_POINTER;
    LPUNKNOWN unknown = iid ? GetInterface(iid) : nullptr;
    *ppvObj = unknown;
    if (!unknown)
        return E_NOINTERFACE;
    ExternalAddRef();
    return S_OK;
}

// ---- CCmdUI -----------------------------------------------------------------------------------
void CCmdUI::Enable(BOOL bOn) {
    if (m_hMenu && !m_hSubMenu)
        ::EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    else if (m_pOther && m_pOther->m_hWnd)
        ::EnableWindow(m_pOther->m_hWnd, bOn);
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int nCheck) {
    if (m_hMenu && !m_hSubMenu) {
        ::CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
    } else if (m_pOther && m_pOther->m_hWnd) {
        // Only a check box or radio button of a dialog bar has a check to set.
        if (::SendMessageW(m_pOther->m_hWnd, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON)
            ::SendMessageW(m_pOther->m_hWnd, BM_SETCHECK, (WPARAM)nCheck, 0);
    }
}

void CCmdUI::SetRadio(BOOL bOn) {
    if (m_hMenu && !m_hSubMenu && bOn)
        ::CheckMenuRadioItem(m_hMenu, m_nIndex, m_nIndex, m_nIndex, MF_BYPOSITION);
    else
        SetCheck(bOn ? 1 : 0);
}

void CCmdUI::SetText(LPCWSTR lpszText) {
    if (m_hMenu && !m_hSubMenu) {
        UINT state = ::GetMenuState(m_hMenu, m_nIndex, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
        ::ModifyMenuW(m_hMenu, m_nIndex, MF_BYPOSITION | MF_STRING | state, m_nID, lpszText);
    } else if (m_pOther && m_pOther->m_hWnd) {
        ::SetWindowTextW(m_pOther->m_hWnd, lpszText);
    }
}

BOOL CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) {
    if (m_nID == 0 || LOWORD(m_nID) == 0xFFFF)
        return TRUE; // separators and popups have no command
    m_bEnableChanged = FALSE;
    BOOL bResult = pTarget->OnCmdMsg(m_nID, (int)CN_UPDATE_COMMAND_UI, this, nullptr);
    if (!bResult && bDisableIfNoHndler && !m_bEnableChanged) {
        AFX_CMDHANDLERINFO info{nullptr, nullptr};
        if (!pTarget->OnCmdMsg(m_nID, CN_COMMAND, this, &info))
            Enable(FALSE);
        bResult = TRUE;
    }
    return bResult;
}
