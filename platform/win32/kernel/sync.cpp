// Waits, events, mutexes, semaphores and critical sections.
#include "win32/kernel/clock.h"
#include "win32/kernel/sync.h"
#include "win32/kernel/util.h"

#include <map>
#include <thread>
#include <vector>

namespace dovemark::kernel {

std::mutex& SyncLock()
{
    static std::mutex* m = new std::mutex; // outlives static destructors that still wait or signal
    return *m;
}

std::condition_variable& SyncChanged()
{
    static std::condition_variable* cv = [] {
        auto* c = new std::condition_variable;
        // A virtual clock moving on may end a timed wait.
        clock::AddListener([] {
            std::lock_guard<std::mutex> g(SyncLock());
            SyncChanged().notify_all();
        });
        return c;
    }();
    return *cv;
}

namespace {

class EventObject : public Waitable {
public:
    bool IsSignaled(DWORD) const override { return signaled; }
    void Acquire(DWORD) override
    {
        if (!manualReset)
            signaled = false;
    }
    bool manualReset = false;
    bool signaled = false;
};

class MutexObject : public Waitable {
public:
    bool IsSignaled(DWORD threadId) const override { return owner == 0 || owner == threadId; }
    void Acquire(DWORD threadId) override
    {
        owner = threadId;
        ++recursion;
    }
    bool TakeAbandoned() override
    {
        bool was = abandoned;
        abandoned = false;
        return was;
    }
    DWORD owner = 0;
    DWORD recursion = 0;
    bool abandoned = false;
};

// Every mutex, so that a thread's end can find those it still owns. Guarded by SyncLock.
std::vector<std::weak_ptr<MutexObject>>& AllMutexes()
{
    static auto* all = new std::vector<std::weak_ptr<MutexObject>>;
    return *all;
}

class SemaphoreObject : public Waitable {
public:
    bool IsSignaled(DWORD) const override { return count > 0; }
    void Acquire(DWORD) override { --count; }
    LONG count = 0;
    LONG maximum = 0;
};

// Named objects are shared within the process: a second create with the name opens the first.
std::map<std::u16string, std::weak_ptr<Waitable>>& Names()
{
    static std::map<std::u16string, std::weak_ptr<Waitable>> names;
    return names;
}

template <class T, class Init>
HANDLE CreateNamed(LPCWSTR name, Init init)
{
    std::shared_ptr<Waitable> object;
    bool existed = false;
    {
        std::lock_guard<std::mutex> g(SyncLock());
        if (name && *name) {
            auto it = Names().find(name);
            if (it != Names().end() && (object = it->second.lock())) {
                if (!std::dynamic_pointer_cast<T>(object)) {
                    SetLastError(ERROR_INVALID_HANDLE); // the name belongs to another kind of object
                    return nullptr;
                }
                existed = true;
            }
        }
        if (!object) {
            auto created = std::make_shared<T>();
            init(*created);
            object = created;
            if (name && *name)
                Names()[name] = object;
        }
    }
    HANDLE h = InsertHandle(object);
    if (h)
        SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

template <class T, class Change>
BOOL ChangeObject(HANDLE h, Change change)
{
    auto object = Lookup<T>(h);
    if (!object)
        return FALSE;
    std::lock_guard<std::mutex> g(SyncLock());
    BOOL ok = change(*object);
    SyncChanged().notify_all();
    return ok;
}

std::recursive_timed_mutex* SectionLock(LPCRITICAL_SECTION cs)
{
    return static_cast<std::recursive_timed_mutex*>(cs->Impl);
}

} // namespace

void AbandonMutexesOf(DWORD threadId)
{
    for (auto& weak : AllMutexes())
        if (auto m = weak.lock(); m && m->owner == threadId) {
            m->owner = 0;
            m->recursion = 0;
            m->abandoned = true;
        }
    SyncChanged().notify_all();
}

} // namespace dovemark::kernel

using namespace dovemark::kernel;

DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds)
{
    dovemark::Checkpoint();
    if (nCount == 0 || nCount > MAXIMUM_WAIT_OBJECTS || !lpHandles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<Waitable>> objects;
    for (DWORD i = 0; i < nCount; ++i) {
        std::shared_ptr<Waitable> object;
        if (lpHandles[i] == GetCurrentThread())
            object = CurrentThreadObject();
        else
            object = std::dynamic_pointer_cast<Waitable>(LookupHandle(lpHandles[i]));
        if (!object && lpHandles[i] == GetCurrentProcess())
            object = nullptr; // the own process never ends while it waits
        if (!object && lpHandles[i] != GetCurrentProcess()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        objects.push_back(object);
    }
    DWORD self = GetCurrentThreadId();
    ULONGLONG deadline = dovemark::clock::DeadlineAfter(dwMilliseconds);
    std::unique_lock<std::mutex> lock(SyncLock());
    DWORD result = WAIT_TIMEOUT;
    auto ready = [&] {
        if (bWaitAll) {
            for (auto& o : objects)
                if (!o || !o->IsSignaled(self))
                    return false;
            bool abandoned = false;
            for (auto& o : objects) {
                o->Acquire(self);
                abandoned = o->TakeAbandoned() || abandoned;
            }
            result = abandoned ? WAIT_ABANDONED_0 : WAIT_OBJECT_0;
            return true;
        }
        for (DWORD i = 0; i < objects.size(); ++i)
            if (objects[i] && objects[i]->IsSignaled(self)) {
                objects[i]->Acquire(self);
                result = (objects[i]->TakeAbandoned() ? WAIT_ABANDONED_0 : WAIT_OBJECT_0) + i;
                return true;
            }
        return false;
    };
    dovemark::clock::WaitUntil(lock, SyncChanged(), deadline, ready);
    if (result != WAIT_TIMEOUT)
        SyncChanged().notify_all(); // an acquired mutex or semaphore changes what others see
    return result;
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds)
{
    return WaitForMultipleObjects(1, &hHandle, FALSE, dwMilliseconds);
}

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName)
{
    return CreateNamed<EventObject>(lpName, [&](EventObject& e) {
        e.manualReset = bManualReset;
        e.signaled = bInitialState;
    });
}

BOOL SetEvent(HANDLE hEvent)
{
    return ChangeObject<EventObject>(hEvent, [](EventObject& e) { return e.signaled = true, TRUE; });
}

BOOL ResetEvent(HANDLE hEvent)
{
    return ChangeObject<EventObject>(hEvent, [](EventObject& e) { return e.signaled = false, TRUE; });
}

BOOL PulseEvent(HANDLE hEvent)
{
    // Waiters present now are released; the event is left reset. Waiters re-check under the lock,
    // so a pulse can only release threads that look while it is set: it is kept set for one
    // scheduling round, as unreliable as the original is documented to be.
    if (!SetEvent(hEvent))
        return FALSE;
    std::this_thread::yield();
    return ResetEvent(hEvent);
}

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCWSTR lpName)
{
    DWORD self = GetCurrentThreadId();
    HANDLE h = CreateNamed<MutexObject>(lpName, [&](MutexObject& m) {
        if (bInitialOwner) {
            m.owner = self;
            m.recursion = 1;
        }
    });
    if (h) {
        DWORD error = GetLastError();
        auto mutex = Lookup<MutexObject>(h);
        std::lock_guard<std::mutex> g(SyncLock());
        auto& all = AllMutexes();
        std::erase_if(all, [](const std::weak_ptr<MutexObject>& w) { return w.expired(); });
        all.push_back(mutex);
        SetLastError(error);
    }
    return h;
}

BOOL ReleaseMutex(HANDLE hMutex)
{
    DWORD self = GetCurrentThreadId();
    return ChangeObject<MutexObject>(hMutex, [&](MutexObject& m) {
        if (m.owner != self)
            return Fail(ERROR_NOT_OWNER);
        if (--m.recursion == 0)
            m.owner = 0;
        return TRUE;
    });
}

HANDLE CreateSemaphoreW(LPSECURITY_ATTRIBUTES, LONG lInitialCount, LONG lMaximumCount, LPCWSTR lpName)
{
    if (lMaximumCount <= 0 || lInitialCount < 0 || lInitialCount > lMaximumCount) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateNamed<SemaphoreObject>(lpName, [&](SemaphoreObject& s) {
        s.count = lInitialCount;
        s.maximum = lMaximumCount;
    });
}

BOOL ReleaseSemaphore(HANDLE hSemaphore, LONG lReleaseCount, LPLONG lpPreviousCount)
{
    return ChangeObject<SemaphoreObject>(hSemaphore, [&](SemaphoreObject& s) {
        if (lReleaseCount <= 0)
            return Fail(ERROR_INVALID_PARAMETER);
        if (lReleaseCount > s.maximum - s.count)
            return Fail(ERROR_TOO_MANY_POSTS);
        if (lpPreviousCount)
            *lpPreviousCount = s.count;
        s.count += lReleaseCount;
        return TRUE;
    });
}

void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    *lpCriticalSection = CRITICAL_SECTION{};
    lpCriticalSection->Impl = new std::recursive_timed_mutex;
    lpCriticalSection->LockCount = -1;
}

BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION lpCriticalSection, DWORD dwSpinCount)
{
    InitializeCriticalSection(lpCriticalSection);
    lpCriticalSection->SpinCount = dwSpinCount;
    return TRUE;
}

void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    dovemark::Checkpoint();
    auto* m = SectionLock(lpCriticalSection);
    // Waiting in slices keeps a waiter suspendable while another thread holds the section.
    while (!m->try_lock_for(std::chrono::milliseconds(20)))
        dovemark::Checkpoint();
    lpCriticalSection->OwningThread = UlongToHandle(GetCurrentThreadId());
    ++lpCriticalSection->RecursionCount;
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    if (!SectionLock(lpCriticalSection)->try_lock())
        return FALSE;
    lpCriticalSection->OwningThread = UlongToHandle(GetCurrentThreadId());
    ++lpCriticalSection->RecursionCount;
    return TRUE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    // Leaving a section the thread does not hold would corrupt the lock: ignore it.
    if (lpCriticalSection->OwningThread != UlongToHandle(GetCurrentThreadId()) || lpCriticalSection->RecursionCount <= 0)
        return;
    if (--lpCriticalSection->RecursionCount == 0)
        lpCriticalSection->OwningThread = nullptr;
    SectionLock(lpCriticalSection)->unlock();
}

void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection)
{
    delete SectionLock(lpCriticalSection);
    lpCriticalSection->Impl = nullptr;
}
