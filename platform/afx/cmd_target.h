// CCmdTarget with its message maps, and CCmdUI.
#pragma once

#include "win32/win32.h"
#include "afx/core.h"

#ifndef afx_msg
#define afx_msg
#endif
#ifndef AFXAPI
#define AFXAPI
#endif

class CCmdTarget;
class CCmdUI;
class CWnd;
class CScrollBar;

// The scroll-bar object of a scroll message's control (null for a window's own scroll bars): the
// control's permanent object when it is one, else a temporary scroll bar.
CScrollBar* AfxScrollBarFromHandle(HWND hWnd);

// ---- Message maps -----------------------------------------------------------------------------
// Messages reflected back to the control that sent them are offered to its map under this base.
#define WM_REFLECT_BASE 0xBC00
// The framework's own messages: idle-time updates of bars and frames, and the nudge that wakes a
// modal loop's idle processing.
#define WM_IDLEUPDATECMDUI 0x0363
#define WM_KICKIDLE 0x036A
#ifndef CTLCOLOR_MSGBOX
#define CTLCOLOR_MSGBOX 0
#define CTLCOLOR_EDIT 1
#define CTLCOLOR_LISTBOX 2
#define CTLCOLOR_BTN 3
#define CTLCOLOR_DLG 4
#define CTLCOLOR_SCROLLBAR 5
#define CTLCOLOR_STATIC 6
#endif
// Extra command codes in OnCmdMsg.
#define CN_COMMAND 0
#define CN_UPDATE_COMMAND_UI ((UINT)(-1))

// What a handler thunk receives. For commands and notifications nID/nCode are set and pExtra is
// the CCmdUI (update), the AFX_NOTIFY (WM_NOTIFY) or null; for window messages wParam/lParam.
struct AFX_MSGCALL {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    UINT nID;
    UINT nCode;
    void* pExtra;
    LRESULT* pResult;
};

// A handler thunk returns TRUE when the message counts as handled (the _EX handlers decide).
typedef BOOL (*AFX_PMSGTHUNK)(CCmdTarget* pTarget, const AFX_MSGCALL& call);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // window message, WM_COMMAND/WM_NOTIFY for commands, 0 ends the map
    UINT nCode;    // control notification code or CN_* value
    UINT nID;      // first control/command id
    UINT nLastID;  // last id of a range
    const UINT* pnRegisteredMessage; // ON_REGISTERED_MESSAGE: the id known only at run time
    AFX_PMSGTHUNK pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

struct AFX_NOTIFY {
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

// Filled by OnCmdMsg instead of calling the handler, to learn whether one exists.
struct AFX_CMDHANDLERINFO {
    CCmdTarget* pTarget;
    const AFX_MSGMAP_ENTRY* pEntry;
};

// Reflected WM_CTLCOLOR* messages carry this, so the handler knows which kind of control asked.
struct AFX_CTLCOLOR {
    HWND hWnd;
    HDC hDC;
    UINT nCtlType;
};

#define DECLARE_MESSAGE_MAP()                                                                  \
protected:                                                                                     \
    static const AFX_MSGMAP* GetThisMessageMap();                                              \
    const AFX_MSGMAP* GetMessageMap() const override;                                          \
                                                                                               \
private:

// The handlers are written as lambdas inside the class's own member function, so they reach
// protected and private handlers as the class itself does.
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                 \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }          \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                          \
        using ThisClass [[maybe_unused]] = theClass;                                           \
        typedef baseClass TheBaseClass;                                                        \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                      \
    {0, 0, 0, 0, nullptr, nullptr}                                                             \
    }                                                                                          \
    ;                                                                                          \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
    return &messageMap;                                                                        \
    }

#define AFX_THIS(p) static_cast<ThisClass*>(p)
#define AFX_ENTRY(msg, code, id, last, body)                                                   \
    {(msg), (code), (id), (last), nullptr,                                                     \
     [](CCmdTarget* _p, const AFX_MSGCALL& c) -> BOOL { body }},

// Commands and their update handlers.
#define ON_COMMAND(id, memberFxn) AFX_ENTRY(WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id), (void)c; AFX_THIS(_p)->memberFxn(); return TRUE;)
#define ON_COMMAND_EX(id, memberFxn) AFX_ENTRY(WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id), return AFX_THIS(_p)->memberFxn(c.nID);)
#define ON_COMMAND_RANGE(id, idLast, memberFxn) AFX_ENTRY(WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(idLast), AFX_THIS(_p)->memberFxn(c.nID); return TRUE;)
#define ON_COMMAND_EX_RANGE(id, idLast, memberFxn) AFX_ENTRY(WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(idLast), return AFX_THIS(_p)->memberFxn(c.nID);)
#define ON_UPDATE_COMMAND_UI(id, memberFxn) AFX_ENTRY(WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(id), (UINT)(id), AFX_THIS(_p)->memberFxn(static_cast<CCmdUI*>(c.pExtra)); return TRUE;)
#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, memberFxn) AFX_ENTRY(WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(id), (UINT)(idLast), AFX_THIS(_p)->memberFxn(static_cast<CCmdUI*>(c.pExtra)); return TRUE;)

// Control notifications through WM_COMMAND and WM_NOTIFY.
#define ON_CONTROL(code, id, memberFxn) AFX_ENTRY(WM_COMMAND, (UINT)(code), (UINT)(id), (UINT)(id), (void)c; AFX_THIS(_p)->memberFxn(); return TRUE;)
#define ON_CONTROL_RANGE(code, id, idLast, memberFxn) AFX_ENTRY(WM_COMMAND, (UINT)(code), (UINT)(id), (UINT)(idLast), AFX_THIS(_p)->memberFxn(c.nID); return TRUE;)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_NOTIFY(code, id, memberFxn)                                                         \
    AFX_ENTRY(WM_NOTIFY, (UINT)(code), (UINT)(id), (UINT)(id),                                 \
              auto* n = static_cast<AFX_NOTIFY*>(c.pExtra);                                    \
              AFX_THIS(_p)->memberFxn(n->pNMHDR, n->pResult); return TRUE;)
#define ON_NOTIFY_RANGE(code, id, idLast, memberFxn)                                           \
    AFX_ENTRY(WM_NOTIFY, (UINT)(code), (UINT)(id), (UINT)(idLast),                             \
              auto* n = static_cast<AFX_NOTIFY*>(c.pExtra);                                    \
              AFX_THIS(_p)->memberFxn(c.nID, n->pNMHDR, n->pResult); return TRUE;)
#define ON_NOTIFY_EX(code, id, memberFxn)                                                      \
    AFX_ENTRY(WM_NOTIFY, (UINT)(code), (UINT)(id), (UINT)(id),                                 \
              auto* n = static_cast<AFX_NOTIFY*>(c.pExtra);                                    \
              return AFX_THIS(_p)->memberFxn(c.nID, n->pNMHDR, n->pResult);)

// Notifications a control handles itself after its parent reflected them.
#define ON_CONTROL_REFLECT(code, memberFxn) AFX_ENTRY(WM_REFLECT_BASE + WM_COMMAND, (UINT)(code), 0, 0, (void)c; AFX_THIS(_p)->memberFxn(); return TRUE;)
#define ON_CONTROL_REFLECT_EX(code, memberFxn) AFX_ENTRY(WM_REFLECT_BASE + WM_COMMAND, (UINT)(code), 0, 0, (void)c; return AFX_THIS(_p)->memberFxn();)
#define ON_NOTIFY_REFLECT(code, memberFxn)                                                     \
    AFX_ENTRY(WM_REFLECT_BASE + WM_NOTIFY, (UINT)(code), 0, 0,                                 \
              auto* n = static_cast<AFX_NOTIFY*>(c.pExtra);                                    \
              AFX_THIS(_p)->memberFxn(n->pNMHDR, n->pResult); return TRUE;)
#define ON_NOTIFY_REFLECT_EX(code, memberFxn)                                                  \
    AFX_ENTRY(WM_REFLECT_BASE + WM_NOTIFY, (UINT)(code), 0, 0,                                 \
              auto* n = static_cast<AFX_NOTIFY*>(c.pExtra);                                    \
              return AFX_THIS(_p)->memberFxn(n->pNMHDR, n->pResult);)
// A null brush leaves the colour to the parent.
#define ON_WM_CTLCOLOR_REFLECT()                                                               \
    AFX_ENTRY(WM_REFLECT_BASE + WM_CTLCOLORMSGBOX, 0, 0, 0,                                    \
              auto* cc = reinterpret_cast<AFX_CTLCOLOR*>(c.lParam);                            \
              HBRUSH hbr = AFX_THIS(_p)->CtlColor(CDC::FromHandle(cc->hDC), cc->nCtlType);     \
              *c.pResult = (LRESULT)hbr; return hbr != nullptr;)
#define ON_WM_DRAWITEM_REFLECT()                                                               \
    AFX_ENTRY(WM_REFLECT_BASE + WM_DRAWITEM, 0, 0, 0,                                          \
              AFX_THIS(_p)->DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(c.lParam));            \
              *c.pResult = TRUE; return TRUE;)
#define ON_WM_MEASUREITEM_REFLECT()                                                            \
    AFX_ENTRY(WM_REFLECT_BASE + WM_MEASUREITEM, 0, 0, 0,                                       \
              AFX_THIS(_p)->MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(c.lParam));      \
              *c.pResult = TRUE; return TRUE;)

// User-defined messages.
#define ON_MESSAGE(message, memberFxn) AFX_ENTRY((UINT)(message), 0, 0, 0, *c.pResult = AFX_THIS(_p)->memberFxn(c.wParam, c.lParam); return TRUE;)
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                                     \
    {0xC000, 0, 0, 0, &(nMessageVariable),                                                     \
     [](CCmdTarget* _p, const AFX_MSGCALL& c) -> BOOL {                                        \
         *c.pResult = AFX_THIS(_p)->memberFxn(c.wParam, c.lParam);                             \
         return TRUE;                                                                          \
     }},
#define ON_THREAD_MESSAGE(message, memberFxn) AFX_ENTRY((UINT)(message), 0, 0, 0, (void)c.pResult; AFX_THIS(_p)->memberFxn(c.wParam, c.lParam); return TRUE;)

// Window messages: the handler's arguments are cracked from wParam/lParam.
#define AFX_WM(msg, stmt) AFX_ENTRY(msg, 0, 0, 0, stmt return TRUE;)
#define AFX_PT(lp) CPoint(GET_X_LPARAM(lp), GET_Y_LPARAM(lp))
#define ON_WM_CREATE() AFX_WM(WM_CREATE, *c.pResult = AFX_THIS(_p)->OnCreate(reinterpret_cast<LPCREATESTRUCTW>(c.lParam));)
#define ON_WM_DESTROY() AFX_WM(WM_DESTROY, (void)c; AFX_THIS(_p)->OnDestroy();)
#define ON_WM_NCDESTROY() AFX_WM(WM_NCDESTROY, (void)c; AFX_THIS(_p)->OnNcDestroy();)
#define ON_WM_CLOSE() AFX_WM(WM_CLOSE, (void)c; AFX_THIS(_p)->OnClose();)
#define ON_WM_PAINT() AFX_WM(WM_PAINT, (void)c; AFX_THIS(_p)->OnPaint();)
#define ON_WM_ERASEBKGND() AFX_WM(WM_ERASEBKGND, *c.pResult = AFX_THIS(_p)->OnEraseBkgnd(CDC::FromHandle((HDC)c.wParam));)
#define ON_WM_SIZE() AFX_WM(WM_SIZE, AFX_THIS(_p)->OnSize((UINT)c.wParam, (short)LOWORD(c.lParam), (short)HIWORD(c.lParam));)
#define ON_WM_MOVE() AFX_WM(WM_MOVE, AFX_THIS(_p)->OnMove((short)LOWORD(c.lParam), (short)HIWORD(c.lParam));)
#define ON_WM_TIMER() AFX_WM(WM_TIMER, AFX_THIS(_p)->OnTimer((UINT_PTR)c.wParam);)
#define ON_WM_SHOWWINDOW() AFX_WM(WM_SHOWWINDOW, AFX_THIS(_p)->OnShowWindow((BOOL)c.wParam, (UINT)c.lParam);)
#define ON_WM_SETFOCUS() AFX_WM(WM_SETFOCUS, AFX_THIS(_p)->OnSetFocus(CWnd::FromHandle((HWND)c.wParam));)
#define ON_WM_KILLFOCUS() AFX_WM(WM_KILLFOCUS, AFX_THIS(_p)->OnKillFocus(CWnd::FromHandle((HWND)c.wParam));)
#define ON_WM_LBUTTONDOWN() AFX_WM(WM_LBUTTONDOWN, AFX_THIS(_p)->OnLButtonDown((UINT)c.wParam, AFX_PT(c.lParam));)
#define ON_WM_LBUTTONUP() AFX_WM(WM_LBUTTONUP, AFX_THIS(_p)->OnLButtonUp((UINT)c.wParam, AFX_PT(c.lParam));)
#define ON_WM_LBUTTONDBLCLK() AFX_WM(WM_LBUTTONDBLCLK, AFX_THIS(_p)->OnLButtonDblClk((UINT)c.wParam, AFX_PT(c.lParam));)
#define ON_WM_RBUTTONDOWN() AFX_WM(WM_RBUTTONDOWN, AFX_THIS(_p)->OnRButtonDown((UINT)c.wParam, AFX_PT(c.lParam));)
#define ON_WM_RBUTTONUP() AFX_WM(WM_RBUTTONUP, AFX_THIS(_p)->OnRButtonUp((UINT)c.wParam, AFX_PT(c.lParam));)
#define ON_WM_MOUSEMOVE() AFX_WM(WM_MOUSEMOVE, AFX_THIS(_p)->OnMouseMove((UINT)c.wParam, AFX_PT(c.lParam));)
#define ON_WM_MOUSEWHEEL() AFX_WM(WM_MOUSEWHEEL, *c.pResult = AFX_THIS(_p)->OnMouseWheel(GET_KEYSTATE_WPARAM(c.wParam), GET_WHEEL_DELTA_WPARAM(c.wParam), AFX_PT(c.lParam));)
#define ON_WM_KEYDOWN() AFX_WM(WM_KEYDOWN, AFX_THIS(_p)->OnKeyDown((UINT)c.wParam, LOWORD(c.lParam), HIWORD(c.lParam));)
#define ON_WM_KEYUP() AFX_WM(WM_KEYUP, AFX_THIS(_p)->OnKeyUp((UINT)c.wParam, LOWORD(c.lParam), HIWORD(c.lParam));)
#define ON_WM_CHAR() AFX_WM(WM_CHAR, AFX_THIS(_p)->OnChar((UINT)c.wParam, LOWORD(c.lParam), HIWORD(c.lParam));)
#define ON_WM_HSCROLL() AFX_WM(WM_HSCROLL, AFX_THIS(_p)->OnHScroll(LOWORD(c.wParam), (short)HIWORD(c.wParam), AfxScrollBarFromHandle((HWND)c.lParam));)
#define ON_WM_VSCROLL() AFX_WM(WM_VSCROLL, AFX_THIS(_p)->OnVScroll(LOWORD(c.wParam), (short)HIWORD(c.wParam), AfxScrollBarFromHandle((HWND)c.lParam));)
#define ON_WM_CONTEXTMENU() AFX_WM(WM_CONTEXTMENU, AFX_THIS(_p)->OnContextMenu(CWnd::FromHandle((HWND)c.wParam), AFX_PT(c.lParam));)
#define ON_WM_SETCURSOR() AFX_WM(WM_SETCURSOR, *c.pResult = AFX_THIS(_p)->OnSetCursor(CWnd::FromHandle((HWND)c.wParam), LOWORD(c.lParam), HIWORD(c.lParam));)
#define ON_WM_GETMINMAXINFO() AFX_WM(WM_GETMINMAXINFO, AFX_THIS(_p)->OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(c.lParam));)
#define ON_WM_WINDOWPOSCHANGED() AFX_WM(WM_WINDOWPOSCHANGED, AFX_THIS(_p)->OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(c.lParam));)
#define ON_WM_SYSCOMMAND() AFX_WM(WM_SYSCOMMAND, AFX_THIS(_p)->OnSysCommand((UINT)c.wParam, c.lParam);)
#define ON_WM_NCHITTEST() AFX_WM(WM_NCHITTEST, *c.pResult = AFX_THIS(_p)->OnNcHitTest(AFX_PT(c.lParam));)
#define ON_WM_CTLCOLOR()                                                                       \
    AFX_WM(WM_CTLCOLORMSGBOX, *c.pResult = (LRESULT)AFX_THIS(_p)->OnCtlColor(                  \
                                  CDC::FromHandle((HDC)c.wParam), CWnd::FromHandle((HWND)c.lParam), \
                                  c.message - WM_CTLCOLORMSGBOX);)
#define ON_WM_DRAWITEM() AFX_WM(WM_DRAWITEM, AFX_THIS(_p)->OnDrawItem((int)c.wParam, reinterpret_cast<LPDRAWITEMSTRUCT>(c.lParam)); *c.pResult = TRUE;)
#define ON_WM_MEASUREITEM() AFX_WM(WM_MEASUREITEM, AFX_THIS(_p)->OnMeasureItem((int)c.wParam, reinterpret_cast<LPMEASUREITEMSTRUCT>(c.lParam)); *c.pResult = TRUE;)

// ---- CCmdUI -----------------------------------------------------------------------------------
// The state of one command's user-interface item, handed to ON_UPDATE_COMMAND_UI handlers. This
// base knows menus; subclasses (tool bars, status panes) say how their items change.
class CCmdUI {
public:
    virtual ~CCmdUI() = default;
    virtual void Enable(BOOL bOn = TRUE);
    virtual void SetCheck(int nCheck = 1);
    virtual void SetRadio(BOOL bOn = TRUE);
    virtual void SetText(LPCWSTR lpszText);
    void ContinueRouting() { m_bContinueRouting = TRUE; }
    // Offers the item to the target's handlers; when none claims it and bDisableIfNoHndler is
    // set, a command with no handler anywhere on the route is disabled.
    BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);

    UINT m_nID = 0;
    UINT m_nIndex = 0;
    HMENU m_hMenu = nullptr;         // the menu holding the item, or null
    HMENU m_hSubMenu = nullptr;      // for a popup item
    CWnd* m_pOther = nullptr;        // the bar or window holding the item, when not a menu
    UINT m_nIndexMax = 0;
    BOOL m_bEnableChanged = FALSE;
    BOOL m_bContinueRouting = FALSE;
};

// ---- CCmdTarget -------------------------------------------------------------------------------
class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget() = default;

    // Looks the command or notification up in this object's maps, most derived class first.
    // nCode's high word is the message (0 meaning WM_COMMAND), its low word the code.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

    // The wait cursor nests: it shows from the first Begin until the matching last End, which
    // brings back the cursor that was there before; Restore shows it again after something
    // (a dialog) changed the cursor in between.
    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor();

    // Reference counting for the objects handed out as interfaces; OnFinalRelease deletes.
    DWORD InternalAddRef();
    DWORD InternalRelease();
    DWORD ExternalAddRef() { return InternalAddRef(); }
    DWORD ExternalRelease() { return InternalRelease(); }
    // The interface map: the interface of the given id this object exposes, or null. A class that
    // hands out interfaces overrides it; the interfaces share this object's reference count.
    virtual LPUNKNOWN GetInterface(const void* iid);
    // S_OK with the interface (counted) or E_NOINTERFACE with null.
    HRESULT ExternalQueryInterface(const void* iid, LPVOID* ppvObj);
    virtual void OnFinalRelease() { delete this; }
    void EnableAutomation() { m_bAutomation = TRUE; }
    BOOL IsAutomationEnabled() const { return m_bAutomation; }

    LONG m_dwRef = 1;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // Finds the entry of this message in one map level (the registered ones resolved).
    static const AFX_MSGMAP_ENTRY* FindMessageEntry(const AFX_MSGMAP_ENTRY* lpEntry, UINT nMsg, UINT nCode,
                                                    UINT nID);
    // Calls the handler of the message found anywhere in the maps; FALSE when none handles it.
    BOOL DispatchMsg(UINT nMsg, const AFX_MSGCALL& call);

private:
    BOOL m_bAutomation = FALSE;
};

// Shows the wait cursor for the object's lifetime.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    void Restore();
};

// 1 begins a wait cursor, -1 ends one, 0 shows it again while any is active.
void AFXAPI AfxDoWaitCursor(int nCode);
