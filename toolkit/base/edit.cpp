// The toolkit's edit field: rich-edit loading, key passing, clipboard commands and their menu.
#include "toolkit/base/edit.h"

#include "afx/framework_ids.h"
#include "toolkit/commandbars/command_bar.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/popup_bar.h"

IMPLEMENT_DYNCREATE(CTKPEdit, CEdit)

BEGIN_MESSAGE_MAP(CTKPEdit, CEdit)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, OnUpdateEditCommand)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateEditCommand)
    ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, OnUpdateEditCommand)
    ON_COMMAND(ID_EDIT_CUT, OnEditCut)
    ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
    ON_COMMAND(ID_EDIT_PASTE, OnEditPaste)
    ON_MESSAGE(WM_IME_STARTCOMPOSITION, OnImeStartComposition)
    ON_MESSAGE(WM_IME_ENDCOMPOSITION, OnImeEndComposition)
    ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

// The rich-edit messages that make the field a single-level plain-text edit reporting changes.
#define EM_SETEVENTMASK (WM_USER + 69)
#define ENM_CHANGE 0x00000001
#define EM_SETTEXTMODE (WM_USER + 89)
#define TM_PLAINTEXT 1
#define TM_SINGLELEVELUNDO 4

namespace {

const UINT kClipboardCommands[] = {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE};

} // namespace

// ---- Rich-edit loader ----------------------------------------------------------------------------
CTKPRichEditLoader::CTKPRichEditLoader()
{
    m_hModule = ::LoadLibraryW(u"RICHED20.DLL");
    if (m_hModule) {
        m_strClassName = u"RichEdit20W";
        m_bRichEdit2 = TRUE;
        return;
    }
    m_hModule = ::LoadLibraryW(u"RICHED32.DLL");
    m_strClassName = u"RICHEDIT";
    m_bRichEdit2 = FALSE;
}

CTKPRichEditLoader& GetRichEditLoader()
{
    // The library stays loaded until the process ends.
    static CTKPRichEditLoader loader;
    return loader;
}

// ---- Edit ----------------------------------------------------------------------------------------
BOOL CTKPEdit::CreateEdit(DWORD style, CWnd* parent)
{
    CTKPRichEditLoader& loader = GetRichEditLoader();
    const CRect none(0, 0, 0, 0);
    if (!loader.m_hModule)
        return CEdit::Create(style, none, parent, 0);
    if (!CWnd::Create(loader.m_strClassName, nullptr, style, none, parent, 0))
        return FALSE;
    SendMessage(EM_SETEVENTMASK, 0, ENM_CHANGE);
    SendMessage(EM_SETTEXTMODE, TM_PLAINTEXT | TM_SINGLELEVELUNDO);
    return TRUE;
}

BOOL CTKPEdit::ProcessKey(UINT key, LPARAM keyData)
{
    if (key != VK_BACK && (key < VK_PRIOR || key > VK_DELETE))
        return FALSE;
    MSG msg{};
    msg.hwnd = m_hWnd;
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    msg.lParam = keyData;
    return ::IsDialogMessageW(m_hWnd, &msg);
}

BOOL CTKPEdit::CanDoCommand(UINT id)
{
    if (id == ID_EDIT_PASTE)
        return ::IsClipboardFormatAvailable(CF_TEXT);
    if (id == ID_EDIT_CUT || id == ID_EDIT_COPY) {
        DWORD start = 0, end = 0;
        SendMessage(EM_GETSEL, WPARAM(&start), LPARAM(&end));
        return start != end;
    }
    return TRUE;
}

void CTKPEdit::ShowContextMenu(CTKPControl* control, CPoint point)
{
    CString probe;
    if (!control || !probe.LoadString(ID_EDIT_CUT))
        return;
    CTKPCommandBar* bar = control->GetParent();
    CTKPCommandBars* bars = bar ? bar->GetCommandBars() : nullptr;
    if (!bars)
        return;
    CTKPPopupBar* popup = CTKPPopupBar::CreatePopupBar(bars);
    if (!popup)
        return;
    for (UINT id : kClipboardCommands)
        if (CTKPControl* button = popup->GetControls()->Add(TKP_CONTROL_BUTTON, id))
            button->SetEnabled(CanDoCommand(id));
    ClientToScreen(&point);
    UINT flags = TPM_RETURNCMD | TPM_NONOTIFY | TPM_RECURSE;
    if (bar->m_hWnd && (bar->GetExStyle() & (WS_EX_LAYOUTRTL | WS_EX_RIGHT)))
        flags |= TPM_RIGHTALIGN;
    const int chosen = CTKPCommandBars::TrackPopupBar(popup, flags, point.x, point.y, this);
    if (chosen > 0)
        OnCmdMsg(UINT(chosen), CN_COMMAND, nullptr, nullptr);
    popup->InternalRelease();
    if (bar->m_hWnd) {
        bar->InvalidateRect(nullptr, FALSE);
        bar->UpdateWindow();
    }
}

void CTKPEdit::OnUpdateEditCommand(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(CanDoCommand(pCmdUI->m_nID));
}

void CTKPEdit::OnEditCut()
{
    SendMessage(WM_CUT);
}

void CTKPEdit::OnEditCopy()
{
    SendMessage(WM_COPY);
}

void CTKPEdit::OnEditPaste()
{
    SendMessage(WM_PASTE);
}

LRESULT CTKPEdit::OnImeStartComposition(WPARAM, LPARAM)
{
    const LRESULT result = Default();
    m_nImeComposing = 1;
    return result;
}

LRESULT CTKPEdit::OnImeEndComposition(WPARAM, LPARAM)
{
    const LRESULT result = Default();
    m_nImeComposing = 0;
    return result;
}

void CTKPEdit::OnKillFocus(CWnd* pNewWnd)
{
    CEdit::OnKillFocus(pNewWnd);
    m_nImeComposing = 0;
}

// ---- Shell auto-complete -------------------------------------------------------------------------
namespace {

// One hook for the process, owned by one auto-complete object at a time.
HHOOK g_hAutoCompleteHook = nullptr;
CTKPShellAutoComplete* g_pAutoCompleteOwner = nullptr;

typedef HRESULT(WINAPI* PFN_SHAUTOCOMPLETE)(HWND, DWORD);

} // namespace

CTKPShellAutoComplete::~CTKPShellAutoComplete()
{
    SetHook(FALSE);
    SetDropDown(nullptr);
}

CTKPShellAutoComplete* CTKPShellAutoComplete::GetHookOwner()
{
    return g_pAutoCompleteOwner;
}

HRESULT CTKPShellAutoComplete::Enable(HWND edit, DWORD flags)
{
    m_hWndEdit = edit;
    HMODULE shell = ::LoadLibraryW(u"shlwapi.dll");
    if (!shell)
        return E_FAIL;
    auto autoComplete =
        reinterpret_cast<PFN_SHAUTOCOMPLETE>(reinterpret_cast<void*>(::GetProcAddress(shell, "SHAutoComplete")));
    const HRESULT hr = autoComplete ? autoComplete(edit, flags) : E_FAIL;
    ::FreeLibrary(shell);
    return hr;
}

BOOL CTKPShellAutoComplete::ProcessKey(UINT key, LPARAM keyData)
{
    if (!m_hWndDropDown || (::GetKeyState(VK_MENU) & 0x8000))
        return FALSE;
    if (key != VK_UP && key != VK_DOWN && key != VK_PRIOR && key != VK_NEXT)
        return FALSE;
    // The list is the last child of the drop-down's first child.
    HWND first = ::GetWindow(m_hWndDropDown, GW_CHILD);
    HWND target = first ? ::GetWindow(first, GW_CHILD) : nullptr;
    if (target)
        target = ::GetWindow(target, GW_HWNDLAST);
    if (!target)
        return FALSE;
    MSG msg{};
    msg.hwnd = target;
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    msg.lParam = keyData;
    return ::IsDialogMessageW(m_hWndDropDown, &msg);
}

void CTKPShellAutoComplete::HideDropDown()
{
    if (m_hWndDropDown)
        ::ShowWindow(m_hWndDropDown, SW_HIDE);
}

void CTKPShellAutoComplete::SetDropDown(HWND dropDown)
{
    if (dropDown == m_hWndDropDown)
        return;
    CTKPMouseTracker* tracker = CTKPMouseTracker::GetThreadTracker();
    if (m_hWndDropDown && tracker)
        tracker->RemoveExcludedWindow(m_hWndDropDown);
    m_hWndDropDown = dropDown;
    if (dropDown && tracker)
        tracker->AddExcludedWindow(dropDown);
}

void CTKPShellAutoComplete::SetHook(BOOL install)
{
    if (install) {
        if (g_hAutoCompleteHook)
            return;
        g_hAutoCompleteHook =
            ::SetWindowsHookExW(WH_CALLWNDPROC, CallWndProc, ::GetModuleHandleW(nullptr), ::GetCurrentThreadId());
        if (!g_hAutoCompleteHook)
            return;
        g_pAutoCompleteOwner = this;
        CTKPKeyboardTracker::GetThreadTracker()->AddWindow(this);
        return;
    }
    if (g_hAutoCompleteHook && g_pAutoCompleteOwner == this) {
        ::UnhookWindowsHookEx(g_hAutoCompleteHook);
        CTKPKeyboardTracker::GetThreadTracker()->RemoveWindow(this);
        g_hAutoCompleteHook = nullptr;
        g_pAutoCompleteOwner = nullptr;
    }
    SetDropDown(nullptr);
}

int CTKPShellAutoComplete::OnHookMessage(HWND, UINT message, WPARAM&, LPARAM&, LRESULT&)
{
    return message == WM_MOUSEWHEEL && m_hWndDropDown ? 2 : 0;
}

LRESULT CALLBACK CTKPShellAutoComplete::CallWndProc(int code, WPARAM wParam, LPARAM lParam)
{
    HHOOK hook = g_hAutoCompleteHook;
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    CTKPShellAutoComplete* owner = g_pAutoCompleteOwner;
    if (code >= 0 && call && call->message == WM_WINDOWPOSCHANGING && owner) {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(call->lParam);
        if (owner->m_hWndDropDown) {
            if (call->hwnd == owner->m_hWndDropDown && pos && pos->flags >= SWP_HIDEWINDOW)
                owner->SetDropDown(nullptr);
        } else if (pos && (pos->flags & SWP_SHOWWINDOW)) {
            WCHAR name[256] = {};
            ::GetClassNameW(call->hwnd, name, 256);
            if (CString(name) == u"Auto-Suggest Dropdown") {
                owner->SetDropDown(call->hwnd);
                ::PostMessageW(owner->m_hWndEdit, TKM_AUTOCOMPLETE_DROPDOWN, 0, 0);
            }
        }
    }
    return ::CallNextHookEx(hook, code, wParam, lParam);
}
