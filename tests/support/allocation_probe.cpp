// The allocation counter over the sanitizer runtime's allocation hooks.
#include "support/allocation_probe.h"

#include <atomic>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's allocation hooks (its header comes with clang only).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*, size_t),
                                                        void (*onFree)(const volatile void*));
#endif

namespace testsupport {

AllocationCount CountAllocationsDuring(const std::function<void()>& f)
{
#if defined(__SANITIZE_ADDRESS__)
    static std::atomic<size_t> largest{0};
    static std::atomic<uint64_t> total{0};
    static std::atomic<bool> armed{false};
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(
        [](const volatile void*, size_t n) {
            if (!armed.load())
                return;
            total += n;
            for (size_t seen = largest.load(); n > seen && !largest.compare_exchange_weak(seen, n);) {
            }
        },
        [](const volatile void*) {});
    largest = 0;
    total = 0;
    armed = installed;
    f();
    armed = false;
    return {largest.load(), total.load()};
#else
    f();
    return {};
#endif
}

} // namespace testsupport
