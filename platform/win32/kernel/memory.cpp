// Global/Local memory blocks (fixed and moveable) and heaps.
#include "win32/kernel/handles.h"
#include "win32/kernel/util.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

using namespace dovemark::kernel;

namespace {

class MoveableBlock : public KernelObject {
public:
    bool ClosableByCloseHandle() const override { return false; }
    ~MoveableBlock() override { std::free(data); }
    std::mutex lock;
    void* data = nullptr;
    SIZE_T size = 0;
    LONG locks = 0;
};

// Fixed blocks are plain pointers: their sizes are kept here so that the calls can check them.
std::mutex g_fixedLock;
std::unordered_map<void*, SIZE_T>& Fixed()
{
    static auto* fixed = new std::unordered_map<void*, SIZE_T>;
    return *fixed;
}

void* Allocate(SIZE_T bytes, bool zero)
{
    void* p = zero ? std::calloc(1, bytes ? bytes : 1) : std::malloc(bytes ? bytes : 1);
    if (!p)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return p;
}

bool IsFixed(void* p, SIZE_T* size = nullptr)
{
    std::lock_guard<std::mutex> g(g_fixedLock);
    auto it = Fixed().find(p);
    if (it == Fixed().end())
        return false;
    if (size)
        *size = it->second;
    return true;
}

} // namespace

HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes)
{
    void* p = Allocate(dwBytes, uFlags & GMEM_ZEROINIT);
    if (!p)
        return nullptr;
    if (!(uFlags & GMEM_MOVEABLE)) {
        std::lock_guard<std::mutex> g(g_fixedLock);
        Fixed()[p] = dwBytes;
        return p;
    }
    auto block = std::make_shared<MoveableBlock>();
    block->data = p;
    block->size = dwBytes;
    return InsertHandle(block);
}

HGLOBAL GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags)
{
    {
        std::lock_guard<std::mutex> g(g_fixedLock);
        auto it = Fixed().find(hMem);
        if (it != Fixed().end()) {
            SIZE_T old = it->second;
            if (!(uFlags & GMEM_MOVEABLE) && dwBytes > old) {
                SetLastError(ERROR_NOT_ENOUGH_MEMORY); // a fixed block cannot move without leave
                return nullptr;
            }
            // The old address leaves the table before realloc may free it; it comes back only if realloc fails,
            // which leaves the block where it was.
            Fixed().erase(it);
            void* p = std::realloc(hMem, dwBytes ? dwBytes : 1);
            if (!p) {
                Fixed()[hMem] = old;
                SetLastError(ERROR_NOT_ENOUGH_MEMORY);
                return nullptr;
            }
            if ((uFlags & GMEM_ZEROINIT) && dwBytes > old)
                std::memset(static_cast<BYTE*>(p) + old, 0, dwBytes - old);
            Fixed()[p] = dwBytes;
            return p;
        }
    }
    auto block = Lookup<MoveableBlock>(hMem);
    if (!block)
        return nullptr;
    std::lock_guard<std::mutex> g(block->lock);
    if (block->locks > 0 && dwBytes > block->size && !(uFlags & GMEM_MOVEABLE)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY); // locked: its address must not change
        return nullptr;
    }
    void* p = std::realloc(block->data, dwBytes ? dwBytes : 1);
    if (!p) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if ((uFlags & GMEM_ZEROINIT) && dwBytes > block->size)
        std::memset(static_cast<BYTE*>(p) + block->size, 0, dwBytes - block->size);
    block->data = p;
    block->size = dwBytes;
    return hMem;
}

LPVOID GlobalLock(HGLOBAL hMem)
{
    if (IsFixed(hMem))
        return hMem;
    auto block = Lookup<MoveableBlock>(hMem);
    if (!block)
        return nullptr;
    std::lock_guard<std::mutex> g(block->lock);
    ++block->locks;
    return block->data;
}

BOOL GlobalUnlock(HGLOBAL hMem)
{
    if (IsFixed(hMem)) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    auto block = Lookup<MoveableBlock>(hMem);
    if (!block)
        return FALSE;
    std::lock_guard<std::mutex> g(block->lock);
    if (block->locks == 0)
        return Fail(ERROR_NOT_LOCKED);
    if (--block->locks == 0) {
        SetLastError(NO_ERROR);
        return FALSE;
    }
    return TRUE;
}

SIZE_T GlobalSize(HGLOBAL hMem)
{
    SIZE_T size;
    if (IsFixed(hMem, &size))
        return size;
    auto block = Lookup<MoveableBlock>(hMem);
    if (!block)
        return 0;
    std::lock_guard<std::mutex> g(block->lock);
    return block->size;
}

HGLOBAL GlobalFree(HGLOBAL hMem)
{
    if (!hMem)
        return nullptr;
    {
        std::lock_guard<std::mutex> g(g_fixedLock);
        auto it = Fixed().find(hMem);
        if (it != Fixed().end()) {
            Fixed().erase(it);
            std::free(hMem);
            return nullptr;
        }
    }
    if (!RemoveHandle<MoveableBlock>(hMem))
        return hMem;
    return nullptr;
}

HLOCAL LocalAlloc(UINT uFlags, SIZE_T uBytes) { return GlobalAlloc(uFlags, uBytes); }
LPVOID LocalLock(HLOCAL hMem) { return GlobalLock(hMem); }
BOOL LocalUnlock(HLOCAL hMem) { return GlobalUnlock(hMem); }
SIZE_T LocalSize(HLOCAL hMem) { return GlobalSize(hMem); }
HLOCAL LocalFree(HLOCAL hMem) { return GlobalFree(hMem); }

// ---- Heaps ------------------------------------------------------------------------------------------

namespace {

class HeapObject : public KernelObject {
public:
    bool ClosableByCloseHandle() const override { return false; }
    ~HeapObject() override
    {
        for (auto& [p, size] : blocks)
            std::free(p);
    }
    std::mutex lock;
    std::unordered_map<void*, SIZE_T> blocks;
    bool isProcessHeap = false;
};

std::shared_ptr<HeapObject> HeapFrom(HANDLE h)
{
    return Lookup<HeapObject>(h);
}

} // namespace

HANDLE GetProcessHeap()
{
    static HANDLE heap = [] {
        auto object = std::make_shared<HeapObject>();
        object->isProcessHeap = true;
        return InsertHandle(object);
    }();
    return heap;
}

HANDLE HeapCreate(DWORD, SIZE_T, SIZE_T)
{
    return InsertHandle(std::make_shared<HeapObject>());
}

BOOL HeapDestroy(HANDLE hHeap)
{
    auto heap = HeapFrom(hHeap);
    if (!heap)
        return FALSE;
    if (heap->isProcessHeap)
        return Fail(ERROR_INVALID_HANDLE);
    return RemoveHandle<HeapObject>(hHeap);
}

LPVOID HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes)
{
    auto heap = HeapFrom(hHeap);
    if (!heap)
        return nullptr;
    void* p = Allocate(dwBytes, dwFlags & HEAP_ZERO_MEMORY);
    if (!p)
        return nullptr;
    std::lock_guard<std::mutex> g(heap->lock);
    heap->blocks[p] = dwBytes;
    return p;
}

LPVOID HeapReAlloc(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem, SIZE_T dwBytes)
{
    auto heap = HeapFrom(hHeap);
    if (!heap)
        return nullptr;
    std::lock_guard<std::mutex> g(heap->lock);
    auto it = heap->blocks.find(lpMem);
    if (it == heap->blocks.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    SIZE_T old = it->second;
    if ((dwFlags & HEAP_REALLOC_IN_PLACE_ONLY) && dwBytes > old) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    void* p = std::realloc(lpMem, dwBytes ? dwBytes : 1);
    if (!p) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if ((dwFlags & HEAP_ZERO_MEMORY) && dwBytes > old)
        std::memset(static_cast<BYTE*>(p) + old, 0, dwBytes - old);
    heap->blocks.erase(it);
    heap->blocks[p] = dwBytes;
    return p;
}

BOOL HeapFree(HANDLE hHeap, DWORD, LPVOID lpMem)
{
    auto heap = HeapFrom(hHeap);
    if (!heap)
        return FALSE;
    if (!lpMem)
        return TRUE;
    std::lock_guard<std::mutex> g(heap->lock);
    auto it = heap->blocks.find(lpMem);
    if (it == heap->blocks.end())
        return Fail(ERROR_INVALID_PARAMETER); // not a block of this heap: refused, never freed
    std::free(lpMem);
    heap->blocks.erase(it);
    return TRUE;
}

SIZE_T HeapSize(HANDLE hHeap, DWORD, LPCVOID lpMem)
{
    auto heap = HeapFrom(hHeap);
    if (!heap)
        return SIZE_T(-1);
    std::lock_guard<std::mutex> g(heap->lock);
    auto it = heap->blocks.find(const_cast<void*>(lpMem));
    if (it == heap->blocks.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return SIZE_T(-1);
    }
    return it->second;
}
