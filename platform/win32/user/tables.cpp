// The window manager's tables: the lock, window handles, per-thread queues and the clock it reads.
#include "win32/user/internal.h"

#include "win32/kernel.h"
#include "win32/kernel/clock.h"

namespace user {

namespace {

// Handles are 32-bit values: the low 16 bits index the table, the high 16 bits count reuses of
// the slot, so a stale handle never reaches the window that took its slot.
struct Slot {
    std::shared_ptr<Window> window;
    WORD generation = 1;
};

struct Tables {
    std::vector<Slot> slots;
    std::vector<size_t> freeSlots;
    HWND desktop = nullptr;
    std::map<DWORD, std::shared_ptr<Queue>> queues;
};

Tables& T()
{
    static Tables* t = new Tables; // never destroyed: threads may still exit after main
    return *t;
}

constexpr size_t kFirstSlot = 2;

HWND MakeHandle(size_t index, WORD generation)
{
    return (HWND)(ULONG_PTR)(index | ((DWORD)generation << 16));
}

struct QueueOwner {
    std::shared_ptr<Queue> q;
    ~QueueOwner()
    {
        if (q)
            ThreadExitCleanup(*q);
    }
};
thread_local QueueOwner t_queue;

} // namespace

std::mutex& Lock()
{
    static std::mutex* m = new std::mutex;
    return *m;
}

DWORD Now()
{
    static const int listener = dovemark::clock::AddListener([] { WakeAllQueues(); });
    (void)listener;
    return (DWORD)dovemark::clock::NowMs();
}

void UseVirtualClock()
{
    if (!dovemark::clock::IsVirtual())
        dovemark::clock::UseVirtual(1000);
    Now();
}

void AdvanceClock(DWORD ms)
{
    Now();
    dovemark::clock::Advance(ms);
}

DWORD CurrentTid()
{
    thread_local DWORD tid = GetCurrentThreadId();
    return tid;
}

Window* Find(HWND hwnd)
{
    ULONG_PTR v = (ULONG_PTR)hwnd;
    if (v > 0xFFFFFFFFu)
        return nullptr;
    size_t index = v & 0xFFFF;
    WORD gen = (WORD)(v >> 16);
    auto& t = T();
    if (index < kFirstSlot || index >= t.slots.size())
        return nullptr;
    Slot& s = t.slots[index];
    if (!s.window || s.generation != gen)
        return nullptr;
    return s.window.get();
}

std::shared_ptr<Window> FindShared(HWND hwnd)
{
    Window* w = Find(hwnd);
    if (!w)
        return nullptr;
    return T().slots[(ULONG_PTR)hwnd & 0xFFFF].window;
}

HWND AddWindow(std::shared_ptr<Window> w)
{
    auto& t = T();
    if (t.slots.size() < kFirstSlot)
        t.slots.resize(kFirstSlot);
    size_t index;
    if (!t.freeSlots.empty()) {
        index = t.freeSlots.back();
        t.freeSlots.pop_back();
    } else {
        if (t.slots.size() >= 0xFFFF)
            return nullptr;
        index = t.slots.size();
        t.slots.emplace_back();
    }
    Slot& s = t.slots[index];
    s.window = std::move(w);
    HWND h = MakeHandle(index, s.generation);
    s.window->hwnd = h;
    return h;
}

void RemoveWindow(HWND hwnd)
{
    if (!Find(hwnd))
        return;
    auto& t = T();
    size_t index = (ULONG_PTR)hwnd & 0xFFFF;
    Slot& s = t.slots[index];
    s.window.reset();
    s.generation = (WORD)(s.generation + 1);
    if (s.generation == 0)
        s.generation = 1;
    t.freeSlots.push_back(index);
}

std::vector<HWND> AllWindows()
{
    std::vector<HWND> out;
    for (auto& s : T().slots)
        if (s.window)
            out.push_back(s.window->hwnd);
    return out;
}

HWND Desktop()
{
    auto& t = T();
    if (!t.desktop) {
        auto w = std::make_shared<Window>();
        w->style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
        w->rcWindow = ScreenRect();
        w->rcClient = w->rcWindow;
        w->text = u"";
        w->created = true;
        t.desktop = AddWindow(w);
        w->cls = std::make_shared<WndClass>();
        w->cls->name = u"#32769";
        w->cls->system = true;
        w->proc = DefWindowProcW;
    }
    return t.desktop;
}

std::shared_ptr<Queue> QueueOf(DWORD tid)
{
    auto& qs = T().queues;
    auto it = qs.find(tid);
    return it == qs.end() ? nullptr : it->second;
}

std::shared_ptr<Queue> MyQueue()
{
    if (t_queue.q)
        return t_queue.q;
    auto q = std::make_shared<Queue>();
    q->tid = CurrentTid();
    T().queues[q->tid] = q;
    t_queue.q = q;
    return q;
}

void ThreadExitCleanup(Queue& q)
{
    DestroyThreadWindows(q.tid);
    Guard lk(Lock());
    q.alive = false;
    for (auto& sm : q.incoming) {
        sm->done = true;
        if (sm->from)
            sm->from->cv.notify_all();
    }
    q.incoming.clear();
    T().queues.erase(q.tid);
}

void NotifyQueue(Queue& q)
{
    q.cv.notify_all();
}

void WakeAllQueues()
{
    Guard lk(Lock());
    for (auto& [tid, q] : T().queues)
        q->cv.notify_all();
}

bool IsTopLevel(const Window* w)
{
    return w && w->parent == Desktop();
}

HWND RootOf(HWND hwnd)
{
    Window* w = Find(hwnd);
    HWND desk = Desktop();
    while (w && w->parent && w->parent != desk) {
        hwnd = w->parent;
        w = Find(hwnd);
    }
    return w ? hwnd : nullptr;
}

POINT ClientOrigin(HWND hwnd)
{
    POINT p{0, 0};
    HWND desk = Desktop();
    for (Window* w = Find(hwnd); w && w->hwnd != desk; w = Find(w->parent)) {
        p.x += w->rcClient.left;
        p.y += w->rcClient.top;
    }
    return p;
}

POINT WindowOrigin(HWND hwnd)
{
    Window* w = Find(hwnd);
    if (!w)
        return POINT{0, 0};
    POINT p{w->rcWindow.left, w->rcWindow.top};
    if (w->parent && w->hwnd != Desktop()) {
        POINT o = ClientOrigin(w->parent);
        p.x += o.x;
        p.y += o.y;
    }
    return p;
}

bool IsVisibleChain(HWND hwnd)
{
    HWND desk = Desktop();
    for (Window* w = Find(hwnd); w; w = Find(w->parent)) {
        if (!(w->style & WS_VISIBLE))
            return false;
        if (w->hwnd == desk)
            return true;
    }
    return false;
}

} // namespace user
