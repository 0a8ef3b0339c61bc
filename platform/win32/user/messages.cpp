// Thread message queues: sent and posted messages across threads, retrieval order, dispatch, timers.
#include "win32/user/internal.h"

#include "win32/kernel.h"

#include <algorithm>

namespace user {

namespace {

bool IsChildLocked(HWND parent, HWND hwnd)
{
    Window* w = Find(hwnd);
    while (w && (w->style & WS_CHILD)) {
        if (w->parent == parent)
            return true;
        w = Find(w->parent);
    }
    return false;
}

bool WindowFilterMatch(HWND filter, HWND target)
{
    if (!filter)
        return true;
    if (filter == (HWND)-1)
        return target == nullptr;
    return target == filter || IsChildLocked(filter, target);
}

bool InputFilterMatch(const InputEvent& ev, UINT minMsg, UINT maxMsg)
{
    if (minMsg == 0 && maxMsg == 0)
        return true;
    if (ev.msg >= WM_KEYFIRST && ev.msg <= WM_KEYLAST)
        return IsFilterMatch(ev.msg, minMsg, maxMsg) || IsFilterMatch(ev.msg + 4, minMsg, maxMsg) ||
               (ev.msg >= 4 && IsFilterMatch(ev.msg - 4, minMsg, maxMsg));
    // A mouse event may come out as its non-client or double-click form.
    for (UINT m = WM_MOUSEFIRST; m <= WM_MOUSELAST; ++m)
        if (IsFilterMatch(m, minMsg, maxMsg))
            return true;
    for (UINT m = WM_NCMOUSEMOVE; m <= WM_NCMBUTTONDBLCLK; ++m)
        if (IsFilterMatch(m, minMsg, maxMsg))
            return true;
    return false;
}

uint64_t g_inputSeq = 0;

} // namespace

bool CookInput(Queue& q, const InputEvent& ev, MSG* msg, bool remove); // input.cpp
void FollowKeyRead(Queue& q, const InputEvent& ev);                   // input.cpp
bool CheckHover(Queue& q);                                            // input.cpp

LRESULT CallProcDirect(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WNDPROC proc;
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w)
            return 0;
        proc = w->proc;
    }
    if (HasHooks(WH_CALLWNDPROC)) {
        CWPSTRUCT cwp{lParam, wParam, msg, hwnd};
        CallHooks(WH_CALLWNDPROC, HC_ACTION, 1, (LPARAM)&cwp);
        if (!IsWindow(hwnd))
            return 0;
    }
    if (!proc)
        return 0;
    return proc(hwnd, msg, wParam, lParam);
}

void ServeIncoming(std::shared_ptr<Queue> q, Guard& lk)
{
    while (!q->incoming.empty()) {
        auto sm = q->incoming.front();
        q->incoming.pop_front();
        q->serving.push_back(sm);
        lk.unlock();
        LRESULT r = CallProcDirect(sm->hwnd, sm->msg, sm->wParam, sm->lParam);
        lk.lock();
        q->serving.pop_back();
        if (!sm->replied)
            sm->result = r;
        sm->done = true;
        if (sm->from)
            sm->from->cv.notify_all();
    }
}

void PostInput(const InputEvent& ev)
{
    Window* w = Find(ev.hwnd);
    if (!w)
        return;
    auto q = QueueOf(w->tid);
    if (!q)
        return;
    InputEvent e = ev;
    (void)g_inputSeq;
    q->input.push_back(e);
    q->cv.notify_all();
}

bool Retrieve(Queue& qref, Guard& lk, MSG* msg, HWND hwnd, UINT minMsg, UINT maxMsg, UINT flags)
{
    auto q = QueueOf(qref.tid);
    if (!q)
        return false;
    bool remove = (flags & PM_REMOVE) != 0;
    for (;;) {
        if (!q->incoming.empty()) {
            ServeIncoming(q, lk);
            continue;
        }
        for (auto it = q->posted.begin(); it != q->posted.end(); ++it) {
            if (!IsFilterMatch(it->message, minMsg, maxMsg) || !WindowFilterMatch(hwnd, it->hwnd))
                continue;
            *msg = *it;
            if (remove) {
                q->posted.erase(it);
                q->msgTime = msg->time;
                q->msgPos = msg->pt;
            }
            return true;
        }
        // Input is looked at one event at a time: cooking it runs handlers without the lock, and
        // other threads may queue more meanwhile, so no position in the queue is kept across it.
        bool again = false, delivered = false;
        for (size_t i = 0; i < q->input.size(); ++i) {
            if (!InputFilterMatch(q->input[i], minMsg, maxMsg) || !WindowFilterMatch(hwnd, q->input[i].hwnd))
                continue;
            InputEvent ev = q->input[i];
            if (remove)
                q->input.erase(q->input.begin() + (ptrdiff_t)i);
            lk.unlock();
            MSG m{};
            bool ok = CookInput(*q, ev, &m, remove);
            lk.lock();
            if (!ok) {
                if (!remove) {
                    // A peek leaves events queued, but one that can never be delivered (its window
                    // is gone, or a hook ate it) would be found first again on every look: drop
                    // it now, as a read would.
                    for (auto at = q->input.begin(); at != q->input.end(); ++at) {
                        if (at->msg == ev.msg && at->hwnd == ev.hwnd && at->time == ev.time &&
                            at->wParam == ev.wParam && at->lParam == ev.lParam && at->pt.x == ev.pt.x &&
                            at->pt.y == ev.pt.y) {
                            q->input.erase(at);
                            break;
                        }
                    }
                    lk.unlock();
                    FollowKeyRead(*q, ev);
                    lk.lock();
                }
                again = true; // eaten by a hook or stale: look again from the start
                break;
            }
            if (!IsFilterMatch(m.message, minMsg, maxMsg)) {
                // It came out as a message the filter does not take: it waits for another call, in
                // its old place (only this thread takes events out, so the place still holds).
                if (remove)
                    q->input.insert(q->input.begin() + (ptrdiff_t)std::min(i, q->input.size()), ev);
                break;
            }
            *msg = m;
            if (remove) {
                q->msgTime = m.time;
                q->msgPos = m.pt;
            }
            delivered = true;
            break;
        }
        if (delivered)
            return true;
        if (again)
            continue;
        if (q->quit && (IsFilterMatch(WM_QUIT, minMsg, maxMsg) || (minMsg == 0 && maxMsg == 0))) {
            *msg = MSG{nullptr, WM_QUIT, (WPARAM)q->quitCode, 0, Now(), q->msgPos};
            if (remove)
                q->quit = false;
            return true;
        }
        HWND paint = nullptr;
        if (IsFilterMatch(WM_PAINT, minMsg, maxMsg) && FindPaintWindow(q->tid, hwnd, &paint)) {
            *msg = MSG{paint, WM_PAINT, 0, 0, Now(), q->msgPos};
            if (remove) {
                Window* w = Find(paint);
                if (w && IsRectEmpty(&w->update) && !w->ncPaint)
                    w->internalPaint = false;
            }
            return true;
        }
        if (CheckHover(*q))
            continue;
        if (IsFilterMatch(WM_TIMER, minMsg, maxMsg)) {
            DWORD now = Now();
            Timer* best = nullptr;
            for (auto& t : q->timers) {
                if ((LONG)(now - t.due) < 0 || !WindowFilterMatch(hwnd, t.hwnd))
                    continue;
                if (!best || (LONG)(t.due - best->due) < 0)
                    best = &t;
            }
            if (best) {
                *msg = MSG{best->hwnd, WM_TIMER, best->id, (LPARAM)best->proc, now, q->msgPos};
                if (remove) {
                    best->due = now + best->elapse;
                    q->msgTime = now;
                }
                return true;
            }
        }
        if (BlinkCaret(*q, lk))
            continue;
        return false;
    }
}

// Waits until something may have arrived for the queue; timers are watched by polling the clock,
// which a test may move at any time.
void WaitQueue(Queue& q, Guard& lk, DWORD timeoutMs)
{
    DWORD wait = timeoutMs;
    DWORD now = Now();
    for (auto& t : q.timers) {
        LONG left = (LONG)(t.due - now);
        wait = std::min<DWORD>(wait, left < 0 ? 0 : (DWORD)left);
    }
    if (q.trackHover)
        wait = std::min<DWORD>(wait, 10);
    if (q.caretHwnd && q.caretHide == 0) {
        LONG left = (LONG)(q.caretDue - now);
        wait = std::min<DWORD>(wait, left < 0 ? 0 : (DWORD)left);
    }
    if (wait == INFINITE) {
        q.cv.wait(lk);
        return;
    }
    // Short slices keep a virtual clock's jumps visible without a notification from it.
    q.cv.wait_for(lk, std::chrono::milliseconds(std::min<DWORD>(wait, 20)));
}

} // namespace user

using namespace user;

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (hwnd == HWND_BROADCAST) {
        std::vector<HWND> tops;
        {
            Guard lk(Lock());
            tops = Find(Desktop())->children;
        }
        for (HWND h : tops)
            SendMessageW(h, msg, wParam, lParam);
        return 0;
    }
    auto me = MyQueue();
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (w->tid == me->tid) {
        lk.unlock();
        return CallProcDirect(hwnd, msg, wParam, lParam);
    }
    auto target = QueueOf(w->tid);
    if (!target || !target->alive)
        return 0;
    auto sm = std::make_shared<SentMessage>();
    sm->hwnd = hwnd;
    sm->msg = msg;
    sm->wParam = wParam;
    sm->lParam = lParam;
    sm->from = me;
    target->incoming.push_back(sm);
    target->cv.notify_all();
    // While waiting for the reply, this thread serves messages sent to it, so two threads sending
    // to each other do not deadlock.
    while (!sm->done) {
        if (!me->incoming.empty()) {
            ServeIncoming(me, lk);
            continue;
        }
        me->cv.wait(lk);
    }
    return sm->result;
}

LRESULT SendMessageTimeoutW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeout,
                            DWORD_PTR* result)
{
    auto me = MyQueue();
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (w->tid == me->tid) {
        lk.unlock();
        LRESULT r = CallProcDirect(hwnd, msg, wParam, lParam);
        if (result)
            *result = (DWORD_PTR)r;
        return 1;
    }
    auto target = QueueOf(w->tid);
    if (!target || !target->alive) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    auto sm = std::make_shared<SentMessage>();
    sm->hwnd = hwnd;
    sm->msg = msg;
    sm->wParam = wParam;
    sm->lParam = lParam;
    sm->from = me;
    target->incoming.push_back(sm);
    target->cv.notify_all();
    DWORD start = Now();
    while (!sm->done) {
        if (!(flags & SMTO_BLOCK) && !me->incoming.empty()) {
            ServeIncoming(me, lk);
            continue;
        }
        DWORD elapsed = Now() - start;
        if (elapsed >= timeout) {
            // Not answered in time: a message not yet taken is withdrawn; one being handled
            // finishes on its own and its result is dropped.
            auto& in = target->incoming;
            in.erase(std::remove(in.begin(), in.end(), sm), in.end());
            sm->from = nullptr;
            SetLastError(ERROR_TIMEOUT);
            return 0;
        }
        me->cv.wait_for(lk, std::chrono::milliseconds(std::min<DWORD>(timeout - elapsed, 5)));
    }
    if (result)
        *result = (DWORD_PTR)sm->result;
    return 1;
}

BOOL SendNotifyMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        if (w->tid != CurrentTid()) {
            auto target = QueueOf(w->tid);
            if (!target)
                return FALSE;
            auto sm = std::make_shared<SentMessage>();
            sm->hwnd = hwnd;
            sm->msg = msg;
            sm->wParam = wParam;
            sm->lParam = lParam;
            target->incoming.push_back(sm);
            target->cv.notify_all();
            return TRUE;
        }
    }
    SendMessageW(hwnd, msg, wParam, lParam);
    return TRUE;
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (hwnd == HWND_BROADCAST) {
        std::vector<HWND> tops;
        {
            Guard lk(Lock());
            tops = Find(Desktop())->children;
        }
        for (HWND h : tops)
            PostMessageW(h, msg, wParam, lParam);
        return TRUE;
    }
    if (!hwnd)
        return PostThreadMessageW(CurrentTid(), msg, wParam, lParam);
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    auto q = w->tid == CurrentTid() ? MyQueue() : QueueOf(w->tid);
    if (!q) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    q->posted.push_back(MSG{hwnd, msg, wParam, lParam, Now(), q->msgPos});
    q->cv.notify_all();
    return TRUE;
}

BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<Queue> q = threadId == CurrentTid() ? MyQueue() : nullptr;
    Guard lk(Lock());
    if (!q)
        q = QueueOf(threadId);
    if (!q) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    q->posted.push_back(MSG{nullptr, msg, wParam, lParam, Now(), q->msgPos});
    q->cv.notify_all();
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    auto q = MyQueue();
    Guard lk(Lock());
    q->quit = true;
    q->quitCode = exitCode;
    q->cv.notify_all();
}

BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (hwnd && hwnd != (HWND)-1 && !IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    auto q = MyQueue();
    Guard lk(Lock());
    for (;;) {
        if (Retrieve(*q, lk, msg, hwnd, filterMin, filterMax, PM_REMOVE))
            break;
        WaitQueue(*q, lk, INFINITE);
    }
    lk.unlock();
    if (HasHooks(WH_GETMESSAGE))
        CallHooks(WH_GETMESSAGE, HC_ACTION, PM_REMOVE, (LPARAM)msg);
    return msg->message != WM_QUIT;
}

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto q = MyQueue();
    Guard lk(Lock());
    if (!Retrieve(*q, lk, msg, hwnd, filterMin, filterMax, removeFlags))
        return FALSE;
    lk.unlock();
    if (HasHooks(WH_GETMESSAGE))
        CallHooks(WH_GETMESSAGE, HC_ACTION, removeFlags & PM_REMOVE, (LPARAM)msg);
    return TRUE;
}

BOOL WaitMessage()
{
    auto q = MyQueue();
    Guard lk(Lock());
    for (;;) {
        MSG m;
        if (Retrieve(*q, lk, &m, nullptr, 0, 0, PM_NOREMOVE))
            return TRUE;
        WaitQueue(*q, lk, INFINITE);
    }
}

DWORD GetQueueStatus(UINT flags)
{
    auto q = MyQueue();
    Guard lk(Lock());
    DWORD st = 0;
    if (!q->posted.empty() || q->quit)
        st |= QS_POSTMESSAGE;
    if (!q->incoming.empty())
        st |= QS_SENDMESSAGE;
    for (auto& e : q->input)
        st |= (e.msg >= WM_KEYFIRST && e.msg <= WM_KEYLAST) ? QS_KEY
              : e.msg == WM_MOUSEMOVE                    ? QS_MOUSEMOVE
                                                         : QS_MOUSEBUTTON;
    HWND p;
    if (FindPaintWindow(q->tid, nullptr, &p))
        st |= QS_PAINT;
    DWORD now = Now();
    for (auto& t : q->timers)
        if ((LONG)(now - t.due) >= 0)
            st |= QS_TIMER;
    st &= flags;
    return (st << 16) | st;
}

BOOL GetInputState()
{
    return (GetQueueStatus(QS_INPUT) & QS_INPUT) != 0;
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds, DWORD wakeMask)
{
    if (count > 0 && !handles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    auto q = MyQueue();
    DWORD start = Now();
    Guard lk(Lock());
    for (;;) {
        if (!q->incoming.empty()) {
            ServeIncoming(q, lk);
            continue;
        }
        lk.unlock();
        if (count > 0) {
            DWORD r = WaitForMultipleObjects(count, handles, waitAll, 0);
            if (r != WAIT_TIMEOUT)
                return r;
        }
        DWORD st = GetQueueStatus(wakeMask) & 0xFFFF;
        lk.lock();
        if (st)
            return WAIT_OBJECT_0 + count;
        DWORD elapsed = Now() - start;
        if (milliseconds != INFINITE && elapsed >= milliseconds)
            return WAIT_TIMEOUT;
        // Kernel objects do not wake this queue, so with handles the wait is done in short slices.
        DWORD left = milliseconds == INFINITE ? INFINITE : milliseconds - elapsed;
        WaitQueue(*q, lk, count > 0 ? std::min<DWORD>(left, 5) : left);
    }
}

LRESULT DispatchMessageW(const MSG* msg)
{
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        // Only a callback registered by SetTimer is called; a posted WM_TIMER cannot name code.
        TIMERPROC proc = nullptr;
        {
            Guard lk(Lock());
            if (auto q = QueueOf(CurrentTid()))
                for (auto& t : q->timers)
                    if (t.hwnd == msg->hwnd && t.id == msg->wParam && (LPARAM)t.proc == msg->lParam)
                        proc = t.proc;
        }
        if (proc)
            proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    if (!msg->hwnd)
        return 0;
    if (msg->message == kPresenterRequest) {
        HandlePresenterRequest(msg->hwnd);
        return 0;
    }
    WNDPROC proc;
    {
        Guard lk(Lock());
        Window* w = Find(msg->hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (w->tid != CurrentTid()) {
            SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
            return 0;
        }
        proc = w->proc;
    }
    // The window may be destroyed by its own handler; nothing of it is used after the call.
    return proc ? proc(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

DWORD GetMessagePos()
{
    auto q = MyQueue();
    Guard lk(Lock());
    return (DWORD)MAKELONG(q->msgPos.x, q->msgPos.y);
}

LONG GetMessageTime()
{
    auto q = MyQueue();
    Guard lk(Lock());
    return (LONG)q->msgTime;
}

BOOL InSendMessage()
{
    auto q = MyQueue();
    Guard lk(Lock());
    return !q->serving.empty() && q->serving.back()->from != nullptr;
}

BOOL ReplyMessage(LRESULT result)
{
    auto q = MyQueue();
    Guard lk(Lock());
    if (q->serving.empty())
        return FALSE;
    auto sm = q->serving.back();
    if (sm->replied || !sm->from)
        return FALSE;
    sm->replied = true;
    sm->result = result;
    sm->done = true;
    sm->from->cv.notify_all();
    return TRUE;
}

UINT RegisterWindowMessageW(LPCWSTR name)
{
    static std::map<std::u16string, UINT>* names = new std::map<std::u16string, UINT>;
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Guard lk(Lock());
    std::u16string n(name);
    for (auto& c : n)
        if (c >= u'a' && c <= u'z')
            c = (char16_t)(c - 32);
    auto it = names->find(n);
    if (it != names->end())
        return it->second;
    UINT id = 0xC000 + 0x100 + (UINT)names->size();
    (*names)[n] = id;
    return id;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    auto me = MyQueue();
    Guard lk(Lock());
    std::shared_ptr<Queue> q = me;
    if (hwnd) {
        Window* w = Find(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (w->tid != me->tid) {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
    }
    elapse = std::clamp<UINT>(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    if (!hwnd) {
        // Thread timers get an id of the layer's choosing unless an existing one is replaced.
        bool exists = false;
        for (auto& t : q->timers)
            exists |= !t.hwnd && t.id == id && id != 0;
        if (!exists) {
            static UINT_PTR next = 0x7FFF0000;
            id = ++next;
        }
    }
    for (auto& t : q->timers)
        if (t.hwnd == hwnd && t.id == id) {
            t.elapse = elapse;
            t.proc = proc;
            t.due = Now() + elapse;
            return hwnd ? (id ? id : 1) : id;
        }
    q->timers.push_back(Timer{hwnd, id, elapse, proc, Now() + elapse});
    q->cv.notify_all();
    return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
    Guard lk(Lock());
    std::shared_ptr<Queue> q;
    if (hwnd) {
        // Any thread may kill the timer of a window another thread owns.
        Window* w = Find(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        q = QueueOf(w->tid);
    } else {
        q = QueueOf(CurrentTid());
    }
    if (!q)
        return FALSE;
    auto& t = q->timers;
    auto it = std::find_if(t.begin(), t.end(), [&](const Timer& x) { return x.hwnd == hwnd && x.id == id; });
    if (it == t.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    t.erase(it);
    // A WM_TIMER already taken from the queue may still be dispatched; none is generated after this.
    return TRUE;
}
