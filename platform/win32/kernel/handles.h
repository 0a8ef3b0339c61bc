// The kernel's handle table: every HANDLE is a small integer naming a slot, checked on each use.
#pragma once

#include "win32/types.h"

#include <memory>

namespace dovemark::kernel {

class KernelObject {
public:
    virtual ~KernelObject() = default;
    // Whether CloseHandle may release the handle (find and memory handles have calls of their own).
    virtual bool ClosableByCloseHandle() const { return true; }
};

// Issues a handle for the object; null with ERROR_NOT_ENOUGH_MEMORY when the table is full.
HANDLE InsertHandle(std::shared_ptr<KernelObject> object);

// The object a handle names, or null with ERROR_INVALID_HANDLE when the handle is stale, unknown or
// of another kind.
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);

template <class T>
std::shared_ptr<T> Lookup(HANDLE handle)
{
    auto object = std::dynamic_pointer_cast<T>(LookupHandle(handle));
    if (!object)
        SetLastError(ERROR_INVALID_HANDLE);
    return object;
}

// Releases the slot when it holds an object of type T (any kind when T is KernelObject).
template <class T>
bool RemoveHandle(HANDLE handle);
bool RemoveHandleIf(HANDLE handle, bool (*accept)(const KernelObject&));

template <class T>
bool RemoveHandle(HANDLE handle)
{
    return RemoveHandleIf(handle, [](const KernelObject& o) { return dynamic_cast<const T*>(&o) != nullptr; });
}

} // namespace dovemark::kernel
