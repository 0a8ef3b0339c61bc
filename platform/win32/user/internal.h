// Shared state of the window manager: window and class tables, thread queues, hooks and the lock.
#pragma once

#include "win32/user.h"
#include "win32/user/presenter.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace user {

// One lock guards every table of the window manager. It is never held while a window procedure,
// hook or callback runs, so handlers may call back into the layer freely.
std::mutex& Lock();
using Guard = std::unique_lock<std::mutex>;

DWORD Now();          // milliseconds of the layer's clock
DWORD CurrentTid();   // the calling thread's id as the window manager knows it
void WakeAllQueues(); // the clock moved: waiting threads re-examine their timers
void UseVirtualClock();
void AdvanceClock(DWORD ms);

struct WndClass {
    ATOM atom = 0;
    std::u16string name;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int clsExtra = 0;
    int wndExtra = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HICON iconSm = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    std::u16string menuName;
    LPCWSTR menuId = nullptr; // integer menu name
    std::vector<BYTE> extra;
    bool system = false;
    int windows = 0;
};

struct ScrollBar {
    SCROLLINFO si{sizeof(SCROLLINFO), 0, 0, 100, 0, 0, 0};
    bool shown = false;
    UINT disabled = 0;
};

// State the dialog manager keeps for a dialog window; its procedure, message result and user
// value live in the window's extra bytes (DWLP_*), where callers reach them.
struct DialogInfo {
    HFONT font = nullptr;
    bool ownsFont = false;
    int baseX = 6; // dialog base units of the dialog's font
    int baseY = 13;
    HWND savedFocus = nullptr;
    WORD defId = IDOK;
    bool modal = false;
    bool ended = false;
    INT_PTR result = 0;
};

struct Window {
    HWND hwnd = nullptr;
    std::shared_ptr<WndClass> cls;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::u16string text;
    HWND parent = nullptr; // the desktop for top-level windows
    HWND owner = nullptr;
    std::vector<HWND> children; // z-order, topmost first
    LONG_PTR id = 0;
    HINSTANCE instance = nullptr;
    LONG_PTR userData = 0;
    std::vector<BYTE> extra;
    HMENU menu = nullptr;
    HMENU sysMenu = nullptr;
    HICON icons[2]{}; // WM_SETICON's small and large icons
    RECT rcWindow{}; // in the parent's client coordinates (screen for top-level windows)
    RECT rcClient{}; // same coordinates
    DWORD tid = 0;
    bool created = false;    // WM_NCCREATE accepted
    bool destroying = false; // DestroyWindow has begun
    bool minimized = false;
    bool maximized = false;
    RECT normalRect{};
    POINT minPos{-1, -1};
    POINT maxPos{-1, -1};
    // Painting: the update area, exactly, in client coordinates (null while nothing is invalid),
    // and its bounding rectangle, which the queue checks cheaply when it looks for WM_PAINT.
    HRGN updateRgn = nullptr;
    RECT update{};
    bool erase = false;
    bool ncPaint = false;
    bool internalPaint = false;
    bool redrawOff = false;
    bool inPaint = false;
    std::map<std::u16string, HANDLE> props;
    ScrollBar hbar, vbar;
    HRGN region = nullptr;
    HWND lastActivePopup = nullptr;
    std::unique_ptr<DialogInfo> dlg;
    void* surface = nullptr; // presenter surface of a top-level window (paint.cpp)
    // The frame is drawn active: set by DefWindowProc's WM_NCACTIVATE from its wParam, so a window
    // may keep the active look while another one has the activation.
    bool frameActive = false;
    // SetLayeredWindowAttributes, applied while the window has WS_EX_LAYERED.
    DWORD layeredFlags = 0;
    BYTE layeredAlpha = 255;
    COLORREF layeredKey = 0;
};

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT elapse;
    TIMERPROC proc;
    DWORD due;
};

struct SentMessage {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool done = false;
    bool replied = false;
    std::shared_ptr<struct Queue> from;
};

// A raw input event waiting in the receiving thread's queue; it becomes a window message when it
// is retrieved, which is when hit testing, hooks and double-click detection happen, as on Windows.
struct InputEvent {
    UINT msg; // WM_MOUSEMOVE, WM_LBUTTONDOWN..., WM_MOUSEWHEEL, WM_KEYDOWN/UP, WM_SYSKEYDOWN/UP
    HWND hwnd; // target window (mouse: under the point or capture; keyboard: focus)
    POINT pt;  // screen position
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    int hit = HTCLIENT;
    UINT sideVk = 0; // keys: the left or right modifier behind a generic VK_SHIFT/CONTROL/MENU
    char32_t typed = 0; // key presses: what the desktop's keyboard layout types (0: the layer's keyboard decides)
};

struct Queue {
    DWORD tid = 0;
    bool alive = true;
    std::condition_variable cv;
    std::deque<MSG> posted;
    std::deque<InputEvent> input;
    std::deque<std::shared_ptr<SentMessage>> incoming;
    std::vector<std::shared_ptr<SentMessage>> serving; // messages being handled, innermost last
    bool quit = false;
    int quitCode = 0;
    std::vector<Timer> timers;
    HWND focus = nullptr;
    HWND active = nullptr;
    BYTE keys[256]{};
    // The last key press read and the character the desktop's layout gave it, for TranslateMessage.
    MSG typedKey{};
    char32_t typed = 0;
    DWORD msgTime = 0;
    POINT msgPos{};
    // double-click detection
    UINT lastDownMsg = 0;
    HWND lastDownHwnd = nullptr;
    DWORD lastDownTime = 0;
    POINT lastDownPt{};
    // mouse tracking
    HWND mouseWindow = nullptr;
    HWND trackLeave = nullptr;
    HWND trackHover = nullptr;
    DWORD hoverTime = 0;
    DWORD hoverStart = 0;
    POINT hoverPt{};
    // keyboard entry into menus: Alt or F10 pressed and released alone
    UINT menuKeyDown = 0;
    int modalDepth = 0;
    // caret: drawn by inverting its pixels, so drawing it twice takes it away
    HWND caretHwnd = nullptr;
    RECT caretRect{};
    int caretHide = 1;
    HBITMAP caretBitmap = nullptr; // null: solid, (HBITMAP)1: grey, else the shape
    bool caretOn = false;          // its pixels are inverted now
    DWORD caretDue = 0;            // next blink
};

// ---- Tables (call with the lock held) --------------------------------------------------------
Window* Find(HWND hwnd);                    // null for stale or unknown handles
std::shared_ptr<Window> FindShared(HWND hwnd);
HWND Desktop();
HWND AddWindow(std::shared_ptr<Window> w);
void RemoveWindow(HWND hwnd);
std::vector<HWND> AllWindows();
std::shared_ptr<WndClass> FindClass(LPCWSTR name, HINSTANCE instance);
std::u16string ClassAtomName(ATOM atom);

std::shared_ptr<Queue> QueueOf(DWORD tid); // null if the thread has no queue
std::shared_ptr<Queue> MyQueue();          // creates the calling thread's queue

bool IsTopLevel(const Window* w);
HWND RootOf(HWND hwnd);   // top-level ancestor
POINT ClientOrigin(HWND hwnd);  // screen position of the client area's origin
POINT WindowOrigin(HWND hwnd);  // screen position of the window rectangle's origin
RECT ScreenRect();
bool IsVisibleChain(HWND hwnd); // the window and all its ancestors visible

// ---- Messages ---------------------------------------------------------------------------------
// Calls the window procedure on the calling thread (which must own the window).
LRESULT CallProcDirect(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void PostInput(const InputEvent& ev); // to the queue of ev.hwnd's thread
void NotifyQueue(Queue& q);
void ThreadExitCleanup(Queue& q);
bool Retrieve(Queue& q, Guard& lk, MSG* msg, HWND hwnd, UINT minMsg, UINT maxMsg, UINT flags);
void ServeIncoming(std::shared_ptr<Queue> q, Guard& lk); // handle pending sent messages, lock held

// ---- Caret (caret.cpp; the caller's own queue, lock not held) -----------------------------------
// Blinks the caret when its time has come; true when it did. Lock held on entry and exit; it is
// let go while the caret is drawn.
bool BlinkCaret(Queue& q, Guard& lk);
// Painting over the caret window takes the caret away first and puts it back after.
bool HideCaretForPaint(HWND hwnd); // true when it did: pass that to the call after
void ShowCaretAfterPaint(HWND hwnd);

// ---- Hooks ------------------------------------------------------------------------------------
bool HasHooks(int id);
LRESULT CallHooks(int id, int code, WPARAM wParam, LPARAM lParam);

// ---- Window manager internals used across files -----------------------------------------------
void DestroyThreadWindows(DWORD tid);
void CalcNonClient(const Window* w, RECT* rc); // window rect -> client rect by styles
void ActivateWindow(HWND hwnd, bool mouse);
void FocusOnDestroy(HWND hwnd);
// rgn, when given, is the exact area in client coordinates and rc its bounding box.
void InvalidateInternal(HWND hwnd, const RECT* rc, bool erase, bool children, bool frame, HRGN rgn = nullptr);
void RefreshPaintFlags(Window* w);
bool FindPaintWindow(DWORD tid, HWND filter, HWND* out);
void OnWindowDestroyed(Window* w); // free per-window resources held by other families
LRESULT DefWindowPaintMessages(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled);
LRESULT DefNonClientMessages(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled);
int HitTest(HWND hwnd, POINT screen);
void MouseLeftWindow(Queue& q, HWND newWindow);

POINT CursorPos();
Presenter* CurrentPresenter();
// Tell the presenter about a top-level window (nothing for child windows); call without the lock.
void NotifyPlaced(HWND hwnd);
void NotifyChanged(HWND hwnd);
// How a window is shown on the screen (SetLayeredWindowAttributes): lock held.
LayeredLook LookOf(const Window* w);
// A message the layer posts to itself for what the presenter asked (RequestPlacement); handled
// by DispatchMessageW, never by a window procedure.
constexpr UINT kPresenterRequest = 0x03FE;
void HandlePresenterRequest(HWND hwnd);
void DrawNonClient(HWND hwnd, HDC hdc);

void DestroyMenuLocked(HMENU menu); // menus.cpp, lock held
// The menu bar (popup_menu.cpp; lock not held). `band` is the bar's rectangle in any coordinates;
// the item rectangles come back in the same ones.
RECT MenuBarScreenRect(HWND hwnd); // non_client.cpp; empty without a menu bar
std::vector<RECT> MenuBarItemRects(HWND hwnd, HMENU bar, RECT band);
void DrawMenuBarItems(HWND hwnd, HDC hdc, RECT band);
// Runs the menu bar's loop: from item `item` opened by the mouse, or by the keyboard (item -1) with
// the mnemonic `ch`, or with the first title highlighted when `ch` is 0.
void TrackMenuBar(HWND hwnd, int item, UINT ch);
// The window menu of a window of this style (lock held): a dialog-like window without minimise and
// maximise boxes holds only Move, Size (when it can be sized) and Close.
HMENU CreateSystemMenu(DWORD style);
// Runs the system menu of `hwnd` from `at` (screen); the choice comes back as WM_SYSCOMMAND.
void TrackSystemMenu(HWND hwnd, POINT at, bool byKeyboard);

// Modal answering for the headless driver: called with the new modal window before its loop runs.
void NotifyModal(HWND hwnd);
void SetModalHandler(std::function<void(HWND)> handler);
INT_PTR RunModal(HWND dlg, HWND owner);
int MulDivDU(int value, int base, int div);
// A resource of the module, with its size; null when it is not there (last error set).
const BYTE* FindTemplate(HINSTANCE instance, LPCWSTR name, LPCWSTR type, DWORD* size);
HMENU LoadMenuFrom(const BYTE* data, size_t size);
HWND DialogFromTemplate(HINSTANCE instance, const void* tmpl, size_t size, HWND parent, DLGPROC proc, LPARAM param,
                        bool modal);
// Places a top-level window over the middle of its owner (the work area without a visible owner),
// kept on the work area.
void CenterOverOwner(HWND hwnd);

inline bool IsFilterMatch(UINT msg, UINT minMsg, UINT maxMsg)
{
    if (minMsg == 0 && maxMsg == 0)
        return true;
    if (minMsg <= maxMsg)
        return msg >= minMsg && msg <= maxMsg;
    return msg >= minMsg || msg <= maxMsg;
}

inline std::u16string Str(LPCWSTR s)
{
    return s ? std::u16string(s) : std::u16string();
}

inline LONG Width(const RECT& r) { return r.right - r.left; }
inline LONG Height(const RECT& r) { return r.bottom - r.top; }

} // namespace user
