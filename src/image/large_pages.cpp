// Large pages.
#include "image/large_pages.h"

#include <cstdint>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

namespace orvane {

void AdviseLargePages(void* buffer, std::size_t bytes)
{
#if defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kLarge = std::uintptr_t(2) << 20;
    if (!buffer || bytes < 2 * kLarge)
        return;
    const std::uintptr_t start = (reinterpret_cast<std::uintptr_t>(buffer) + kLarge - 1) & ~(kLarge - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(buffer) + bytes) & ~(kLarge - 1);
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE); // a hint: failure changes nothing
#else
    (void)buffer;
    (void)bytes;
#endif
}

} // namespace orvane
