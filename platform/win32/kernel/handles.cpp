// The kernel's handle table and CloseHandle.
#include "win32/kernel/handles.h"
#include "win32/kernel.h"

#include <deque>
#include <mutex>
#include <vector>

namespace dovemark::kernel {
namespace {

// A handle is ((generation << 16) | slot) << 2: multiples of four like Windows handles, never 0 or
// -1, and a slot reused after a close carries a new generation, so the stale value no longer matches.
constexpr DWORD kMaxSlots = 0xFFFF;

struct Slot {
    std::shared_ptr<KernelObject> object;
    DWORD generation = 0;
};

struct Table {
    std::mutex lock;
    std::vector<Slot> slots{1}; // slot 0 is never issued
    std::deque<DWORD> freeSlots; // reused oldest first, so a stale handle stays stale for long
};

Table& TheTable()
{
    static Table* table = new Table; // outlives static destructors that still close handles
    return *table;
}

bool Decode(HANDLE handle, DWORD& slot, DWORD& generation)
{
    ULONG_PTR v = reinterpret_cast<ULONG_PTR>(handle);
    if (v == 0 || (v & 3) || v > 0xFFFFFFFFu)
        return false;
    v >>= 2;
    slot = DWORD(v & 0xFFFF);
    generation = DWORD(v >> 16);
    return slot != 0;
}

} // namespace

HANDLE InsertHandle(std::shared_ptr<KernelObject> object)
{
    Table& t = TheTable();
    std::lock_guard<std::mutex> g(t.lock);
    DWORD slot;
    if (t.freeSlots.size() > 64 || (t.slots.size() > kMaxSlots && !t.freeSlots.empty())) {
        slot = t.freeSlots.front();
        t.freeSlots.pop_front();
    } else if (t.slots.size() <= kMaxSlots) {
        slot = DWORD(t.slots.size());
        t.slots.emplace_back();
    } else {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    Slot& s = t.slots[slot];
    s.generation = (s.generation + 1) & 0x3FFF;
    s.object = std::move(object);
    return reinterpret_cast<HANDLE>(ULONG_PTR((ULONG_PTR(s.generation) << 16 | slot) << 2));
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle)
{
    DWORD slot, generation;
    if (Decode(handle, slot, generation)) {
        Table& t = TheTable();
        std::lock_guard<std::mutex> g(t.lock);
        if (slot < t.slots.size() && t.slots[slot].object && t.slots[slot].generation == generation)
            return t.slots[slot].object;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

bool RemoveHandleIf(HANDLE handle, bool (*accept)(const KernelObject&))
{
    std::shared_ptr<KernelObject> released; // destroyed after the table lock is dropped
    DWORD slot, generation;
    if (Decode(handle, slot, generation)) {
        Table& t = TheTable();
        std::lock_guard<std::mutex> g(t.lock);
        if (slot < t.slots.size() && t.slots[slot].object && t.slots[slot].generation == generation
            && accept(*t.slots[slot].object)) {
            released = std::move(t.slots[slot].object);
            t.freeSlots.push_back(slot);
        }
    }
    if (!released) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    return true;
}

} // namespace dovemark::kernel

BOOL CloseHandle(HANDLE hObject)
{
    using namespace dovemark::kernel;
    return RemoveHandleIf(hObject, [](const KernelObject& o) { return o.ClosableByCloseHandle(); });
}
