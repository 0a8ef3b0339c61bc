// State shared by the X11 presenter's sources: the connection, its thread and the shown windows.
#pragma once

#include "backend/x11/x11.h"
#include "win32/gdi/surface.h"
#include "win32/user/presenter.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace x11 {

// One X window showing one of the layer's top-level windows.
struct Host {
    HWND hwnd = nullptr;
    ::Window xid = 0;
    bool managed = false; // through the window manager; else override-redirect
    bool mapped = false;
    bool iconic = false;
    RECT rect{};          // last placement sent, screen coordinates
    unsigned long configSerial = 0; // the request of the last placement sent
    unsigned long mapSerial = 0;    // the request of the last map sent
    DWORD style = 0, exStyle = 0;
    RECT dirty{};         // window coordinates, empty when nothing waits
    // The image the window's pixels go through: shared memory when the server offers it.
    XImage* image = nullptr;
    XShmSegmentInfo shm{};
    bool shmAttached = false;
    void* ic = nullptr; // the input context of the input method, when one runs
};

// What presenter calls ask of the X thread, in order.
struct Op {
    enum Kind { Damage, Place, Destroy, Change, Activate, Cursor, Capture, Clipboard, MoveSize } kind;
    HWND hwnd = nullptr;
    RECT rect{};
    HCURSOR cursor = nullptr;
};

struct Atoms {
    Atom wmProtocols, wmDeleteWindow, netWmName, utf8String, netWmIcon, netWmState, netWmStateAbove,
        netWmStateModal, netWmWindowType, netWmWindowTypeNormal, netWmWindowTypeDialog, motifWmHints,
        netActiveWindow, netSupportingWmCheck, netWorkarea, netWmPid, clipboard, targets, dovemarkSel,
        imagePng, imageBmp, textPlain, textPlainUtf8, incr, netWmWindowOpacity;
};

struct Conn {
    Display* dpy = nullptr;
    int screen = 0;
    ::Window root = 0;
    Visual* visual = nullptr;
    int depth = 0;
    bool fastPixels = false; // the visual stores pixels as the layer does (BGRX, 32 bits)
    bool shm = false;
    bool shape = false;
    int shapeEvent = 0;
    int randrEvent = -1; // first event number of RandR, when the server has it
    int xfixesEvent = -1; // first event number of XFixes, which tells of every new clipboard owner
    Atoms atoms{};
    GC gc = nullptr;
    void* im = nullptr; // XIM
    ::Window clipOwner = 0; // a window of our own that owns the CLIPBOARD selection

    std::mutex lock; // guards ops, sequence numbers and `stop`
    std::condition_variable cv;
    std::deque<Op> ops;
    uint64_t requested = 0, done = 0;
    bool stop = false;
    int wake[2] = {-1, -1};
    std::thread thread;

    // Owned by the X thread.
    std::map<HWND, Host> hosts;
    std::map<::Window, HWND> byXid;
    HWND capture = nullptr;
    bool grabbed = false;
    POINT lastPointer{-1, -1};
    ::Cursor cursor = 0;
    std::atomic<bool> windowManager{false}; // one runs (_NET_SUPPORTING_WM_CHECK on the root)
    // Keyboard focus: the layer's active window as last told, and when the presenter itself last
    // moved the focus (the focus events that answer it are not the desktop's own choice).
    HWND layerActive = nullptr;
    HWND focusFromDesktop = nullptr; // activation asked of the layer because the desktop gave it focus
    unsigned long focusSerial = 0;
    std::chrono::steady_clock::time_point focusAskedAt{};
    bool focusLeft = false;
};

Conn& C();

// hosts.cpp
void ApplyOp(const Op& op);
void PresentDirty();
void DestroyAllHosts();
void AddDirty(Host& h, const RECT& r);
Host* HostOf(::Window xid);

// events.cpp
void HandleEvent(XEvent& ev);
// After a batch of events: the keyboard went to another program when it left ours for none of ours.
void SettleFocus();
void OpenInputMethod();
void CloseInputContext(Host& h);

// keymap.cpp: the virtual key of an X key event (0: none), with its left/right modifier form.
UINT VirtualKeyOf(XKeyEvent& ev, KeySym* sym);
// The virtual key a key symbol stands for by itself (0: none).
UINT VkOfSym(KeySym sym);
// The character a key symbol types (0: none): Latin-1 and Unicode symbols by their code point, the legacy
// alphabets by table.
char32_t CharOfKeysym(KeySym sym);

// cursors.cpp
::Cursor CursorFor(HCURSOR cursor);
void FreeCursors();

// screen.cpp: the monitors and work area of the X screen, told to the layer; whether a window
// manager runs.
void ReadScreen();
void CheckWindowManager();
bool HandleScreenEvent(XEvent& ev); // false: not a screen change

// clipboard.cpp
void ClaimClipboard();
void HandleSelectionRequest(XSelectionRequestEvent& ev);
void HandleSelectionClear(XSelectionClearEvent& ev);
bool HandleClipboardOwnerEvent(XEvent& ev); // false: not an XFixes owner change
void TakeForeignClipboardIfOwned();
void CloseClipboardReader();

std::string Utf8(const std::u16string& s);

} // namespace x11
