// CCmdTarget with its message maps, CCmdUI, and CWnd.
#pragma once

#include "win32/win32.h"
#include "afx/core.h"
#include "afx/string.h"
#include "afx/gdi.h"

#ifndef afx_msg
#define afx_msg
#endif
#ifndef AFXAPI
#define AFXAPI
#endif

class CCmdTarget;
class CCmdUI;
class CWnd;

// ---- Message maps -----------------------------------------------------------------------------
// Messages reflected back to the control that sent them are offered to its map under this base.
#define WM_REFLECT_BASE 0xBC00
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
        typedef theClass ThisClass;                                                            \
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
#define ON_WM_HSCROLL() AFX_WM(WM_HSCROLL, AFX_THIS(_p)->OnHScroll(LOWORD(c.wParam), (short)HIWORD(c.wParam), reinterpret_cast<CScrollBar*>(CWnd::FromHandle((HWND)c.lParam)));)
#define ON_WM_VSCROLL() AFX_WM(WM_VSCROLL, AFX_THIS(_p)->OnVScroll(LOWORD(c.wParam), (short)HIWORD(c.wParam), reinterpret_cast<CScrollBar*>(CWnd::FromHandle((HWND)c.lParam)));)
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

    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor();

    // Reference counting for the objects handed out as interfaces; OnFinalRelease deletes.
    DWORD InternalAddRef();
    DWORD InternalRelease();
    DWORD ExternalAddRef() { return InternalAddRef(); }
    DWORD ExternalRelease() { return InternalRelease(); }
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

// ---- CWnd -------------------------------------------------------------------------------------
class CScrollBar;
class CMenu;
class CFrameWnd;

class CWnd : public CCmdTarget {
    DECLARE_DYNCREATE(CWnd)
public:
    CWnd() = default;
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}
    // Destroys a window still attached (its PostNcDestroy then finds the object going).
    ~CWnd() override;

    HWND m_hWnd = nullptr;
    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }
    BOOL operator==(const CWnd& wnd) const { return wnd.m_hWnd == m_hWnd; }
    BOOL operator!=(const CWnd& wnd) const { return wnd.m_hWnd != m_hWnd; }

    // ---- The handle map
    // The object of a window: the permanent one when the framework created, subclassed or
    // attached it, else a temporary CWnd freed at the thread's next idle time. Null for null.
    static CWnd* PASCAL FromHandle(HWND hWnd);
    static CWnd* PASCAL FromHandlePermanent(HWND hWnd);
    static void PASCAL DeleteTempMap();
    BOOL Attach(HWND hWndNew);
    HWND Detach();

    // ---- Creation
    virtual BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                        CWnd* pParentWnd, UINT nID, void* pContext = nullptr);
    BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, int x, int y,
                  int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam = nullptr);
    BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
    virtual BOOL DestroyWindow();

    // ---- Subclassing
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();
    virtual void PreSubclassWindow() {}

    // ---- Message handling
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The default processing of the message being handled now.
    LRESULT Default();
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // The child's side of reflection: TRUE when the control handled its own notification.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Offers the message being handled to the permanent object of hWndChild.
    static BOOL PASCAL ReflectLastMsg(HWND hWndChild, LRESULT* pResult = nullptr);
    BOOL SendChildNotifyLastMsg(LRESULT* pResult = nullptr);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Offers pMsg to PreTranslateMessage of each framework window from its target up to hWndStop.
    static BOOL PASCAL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);
    virtual void PostNcDestroy() {}
    virtual BOOL ContinueModal();
    virtual void EndModalLoop(int nResult);
    int RunModalLoop(DWORD dwFlags = 0);
    virtual void CalcWindowRect(LPRECT lpClientRect, UINT nAdjustType = 0);
    virtual CWnd* GetMessageBar() { return nullptr; }

    // ---- Thin wrappers
    DWORD GetStyle() const { return (DWORD)::GetWindowLongW(m_hWnd, GWL_STYLE); }
    DWORD GetExStyle() const { return (DWORD)::GetWindowLongW(m_hWnd, GWL_EXSTYLE); }
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    static BOOL PASCAL ModifyStyle(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags);
    static BOOL PASCAL ModifyStyleEx(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageW(m_hWnd, message, wParam, lParam);
    }
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL bDeep = TRUE,
                                  BOOL bOnlyPerm = FALSE);
    void SetWindowText(LPCWSTR lpszString) { ::SetWindowTextW(m_hWnd, lpszString); }
    int GetWindowText(LPWSTR lpszStringBuf, int nMaxCount) const {
        return ::GetWindowTextW(m_hWnd, lpszStringBuf, nMaxCount);
    }
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
    CFont* GetFont() const;
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE) {
        ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
    }
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE) {
        MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint);
    }
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
        return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : nullptr, x, y, cx, cy, nFlags);
    }
    void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    void ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }
    void ClientToScreen(LPRECT lpRect) const;
    void ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }
    void ScreenToClient(LPRECT lpRect) const;
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, lpRect, bErase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr, HRGN hrgn = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE) {
        return ::RedrawWindow(m_hWnd, lpRectUpdate, hrgn, flags);
    }
    void SetRedraw(BOOL bRedraw = TRUE) { ::SendMessageW(m_hWnd, WM_SETREDRAW, bRedraw, 0); }
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr) {
        return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
    }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
    CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
    static CWnd* PASCAL GetCapture() { return FromHandle(::GetCapture()); }
    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    static CWnd* PASCAL GetFocus() { return FromHandle(::GetFocus()); }
    int SetScrollPos(int nBar, int nPos, BOOL bRedraw = TRUE) { return ::SetScrollPos(m_hWnd, nBar, nPos, bRedraw); }
    int GetScrollPos(int nBar) const { return ::GetScrollPos(m_hWnd, nBar); }
    void SetScrollRange(int nBar, int nMinPos, int nMaxPos, BOOL bRedraw = TRUE) {
        ::SetScrollRange(m_hWnd, nBar, nMinPos, nMaxPos, bRedraw);
    }
    BOOL SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL bRedraw = TRUE) {
        return ::SetScrollInfo(m_hWnd, nBar, lpScrollInfo, bRedraw) != 0;
    }
    BOOL GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask = SIF_ALL) {
        lpScrollInfo->fMask = nMask;
        return ::GetScrollInfo(m_hWnd, nBar, lpScrollInfo);
    }
    void ShowScrollBar(UINT nBar, BOOL bShow = TRUE) { ::ShowScrollBar(m_hWnd, nBar, bShow); }
    void ScrollWindow(int xAmount, int yAmount, LPCRECT lpRect = nullptr, LPCRECT lpClipRect = nullptr) {
        ::ScrollWindow(m_hWnd, xAmount, yAmount, lpRect, lpClipRect);
    }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    CWnd* SetParent(CWnd* pWndNewParent) { return FromHandle(::SetParent(m_hWnd, pWndNewParent ? pWndNewParent->m_hWnd : nullptr)); }
    CWnd* GetWindow(UINT nCmd) const { return FromHandle(::GetWindow(m_hWnd, nCmd)); }
    CWnd* GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    void SetDlgItemText(int nID, LPCWSTR lpszString) { ::SetDlgItemTextW(m_hWnd, nID, lpszString); }
    BOOL IsChild(const CWnd* pWnd) const { return pWnd && ::IsChild(m_hWnd, pWnd->m_hWnd); }
    HMENU GetMenuHandle() const { return ::GetMenu(m_hWnd); }
    BOOL SetMenu(HMENU hMenu) { return ::SetMenu(m_hWnd, hMenu); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }
    CDC* GetDC() { return CDC::FromHandle(::GetDC(m_hWnd)); }
    CDC* GetWindowDC() { return CDC::FromHandle(::GetWindowDC(m_hWnd)); }
    int ReleaseDC(CDC* pDC) { return pDC ? ::ReleaseDC(m_hWnd, pDC->GetSafeHdc()) : 0; }
    // The nearest frame above (a CFrameWnd), the top-level window, and the nearest window that
    // is not a child.
    CFrameWnd* GetParentFrame() const;
    CWnd* GetTopLevelParent() const;
    CWnd* GetParentOwner() const;
    // Centres on the owner (or the screen's work area when there is none).
    void CenterWindow(CWnd* pAlternateOwner = nullptr);
    int MessageBox(LPCWSTR lpszText, LPCWSTR lpszCaption = nullptr, UINT nType = MB_OK);

    // ---- Handlers the framework's own map routes
    afx_msg int OnCreate(LPCREATESTRUCTW lpCreateStruct) { return (int)Default(); }
    afx_msg void OnDestroy() { Default(); }
    afx_msg void OnNcDestroy();
    afx_msg void OnClose() { Default(); }
    afx_msg void OnPaint() { Default(); }
    afx_msg BOOL OnEraseBkgnd(CDC*) { return (BOOL)Default(); }
    afx_msg void OnSize(UINT, int, int) { Default(); }
    afx_msg void OnMove(int, int) { Default(); }
    afx_msg void OnTimer(UINT_PTR) { Default(); }
    afx_msg void OnShowWindow(BOOL, UINT) { Default(); }
    afx_msg void OnSetFocus(CWnd*) { Default(); }
    afx_msg void OnKillFocus(CWnd*) { Default(); }
    afx_msg void OnLButtonDown(UINT, CPoint) { Default(); }
    afx_msg void OnLButtonUp(UINT, CPoint) { Default(); }
    afx_msg void OnLButtonDblClk(UINT, CPoint) { Default(); }
    afx_msg void OnRButtonDown(UINT, CPoint) { Default(); }
    afx_msg void OnRButtonUp(UINT, CPoint) { Default(); }
    afx_msg void OnMouseMove(UINT, CPoint) { Default(); }
    afx_msg BOOL OnMouseWheel(UINT, short, CPoint) { return (BOOL)Default(); }
    afx_msg void OnKeyDown(UINT, UINT, UINT) { Default(); }
    afx_msg void OnKeyUp(UINT, UINT, UINT) { Default(); }
    afx_msg void OnChar(UINT, UINT, UINT) { Default(); }
    afx_msg void OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
    afx_msg void OnVScroll(UINT, UINT, CScrollBar*) { Default(); }
    afx_msg void OnContextMenu(CWnd*, CPoint) { Default(); }
    afx_msg BOOL OnSetCursor(CWnd*, UINT, UINT) { return (BOOL)Default(); }
    afx_msg void OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
    afx_msg void OnWindowPosChanged(WINDOWPOS*) { Default(); }
    afx_msg void OnSysCommand(UINT, LPARAM) { Default(); }
    afx_msg LRESULT OnNcHitTest(CPoint) { return Default(); }
    // These offer the message to the control first (reflection), then take the default.
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    afx_msg void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);

    DECLARE_MESSAGE_MAP()

protected:
    WNDPROC* GetSuperWndProcAddr() { return &m_pfnSuper; }
    WNDPROC m_pfnSuper = nullptr; // the procedure this object's window had before the framework's
    int m_nModalResult = -1;
    DWORD m_nFlags = 0;
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend class CWndInternals;
};

// The procedure of every window the framework owns.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
// Sends the message to pWnd's permanent object, bypassing the window's procedure chain.
LRESULT AFXAPI AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0);
// The message the calling thread's framework window is handling now.
const MSG* AFXAPI AfxGetCurrentMessage();
// Registers (once) a window class with the framework's procedure and returns its name.
LPCWSTR AFXAPI AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                                   HICON hIcon = nullptr);
