// Thread hooks: installation, removal (also from inside a running hook) and the call chain.
#include "win32/user/internal.h"

#include <algorithm>

namespace user {

namespace {

struct Hook {
    HHOOK handle;
    int id;
    HOOKPROC proc;
    DWORD tid; // 0: every thread of the process
    bool removed = false;
};

std::vector<std::shared_ptr<Hook>>& Hooks()
{
    static auto* v = new std::vector<std::shared_ptr<Hook>>;
    return *v;
}

ULONG_PTR g_nextHook = 0x2000;

// The chain being walked by each running call, innermost last. A hook that removes itself or
// another one mid-call leaves this snapshot intact, so CallNextHookEx still finds its successor.
struct Chain {
    int id;
    std::vector<std::shared_ptr<Hook>> hooks;
};
thread_local std::vector<Chain*> t_chains;

LRESULT CallFrom(Chain& chain, size_t start, int code, WPARAM wParam, LPARAM lParam)
{
    for (size_t i = start; i < chain.hooks.size(); ++i) {
        bool removed;
        {
            Guard lk(Lock());
            removed = chain.hooks[i]->removed;
        }
        if (!removed)
            return chain.hooks[i]->proc(code, wParam, lParam);
    }
    return 0;
}

} // namespace

bool HasHooks(int id)
{
    Guard lk(Lock());
    DWORD tid = CurrentTid();
    for (auto& h : Hooks())
        if (h->id == id && !h->removed && (h->tid == 0 || h->tid == tid))
            return true;
    return false;
}

LRESULT CallHooks(int id, int code, WPARAM wParam, LPARAM lParam)
{
    Chain chain{id, {}};
    {
        Guard lk(Lock());
        DWORD tid = CurrentTid();
        // The most recently installed hook runs first.
        auto& v = Hooks();
        for (auto it = v.rbegin(); it != v.rend(); ++it)
            if ((*it)->id == id && !(*it)->removed && ((*it)->tid == 0 || (*it)->tid == tid))
                chain.hooks.push_back(*it);
    }
    if (chain.hooks.empty())
        return 0;
    t_chains.push_back(&chain);
    LRESULT r = CallFrom(chain, 0, code, wParam, lParam);
    t_chains.pop_back();
    return r;
}

} // namespace user

using namespace user;

HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId)
{
    switch (idHook) {
    case WH_MSGFILTER:
    case WH_KEYBOARD:
    case WH_GETMESSAGE:
    case WH_CALLWNDPROC:
    case WH_CBT:
    case WH_MOUSE:
    case WH_CALLWNDPROCRET:
        break;
    default:
        SetLastError(1426 /* invalid hook filter */);
        return nullptr;
    }
    if (!proc) {
        SetLastError(1427 /* invalid hook procedure */);
        return nullptr;
    }
    Guard lk(Lock());
    if (threadId && threadId != CurrentTid() && !QueueOf(threadId)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto h = std::make_shared<Hook>();
    h->handle = (HHOOK)(g_nextHook++);
    h->id = idHook;
    h->proc = proc;
    h->tid = threadId;
    Hooks().push_back(h);
    return h->handle;
}

BOOL UnhookWindowsHookEx(HHOOK hook)
{
    Guard lk(Lock());
    auto& v = Hooks();
    auto it = std::find_if(v.begin(), v.end(), [&](auto& h) { return h->handle == hook; });
    if (it == v.end()) {
        SetLastError(ERROR_INVALID_HOOK_HANDLE);
        return FALSE;
    }
    (*it)->removed = true;
    v.erase(it);
    return TRUE;
}

LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam)
{
    // Find the innermost running chain that holds this hook and continue after it.
    for (auto c = t_chains.rbegin(); c != t_chains.rend(); ++c) {
        Chain& chain = **c;
        for (size_t i = 0; i < chain.hooks.size(); ++i)
            if (chain.hooks[i]->handle == hook)
                return CallFrom(chain, i + 1, code, wParam, lParam);
    }
    return 0;
}

BOOL CallMsgFilterW(LPMSG msg, int code)
{
    if (!msg)
        return FALSE;
    return CallHooks(WH_MSGFILTER, code, 0, (LPARAM)msg) != 0;
}
