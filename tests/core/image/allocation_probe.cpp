// Replaces the global allocation functions of this test program with ones
// that note the largest request, so a hostile file can be shown to be
// refused before any large allocation. Every form is replaced so that the
// sanitizer build sees matching allocations and releases.
#include <atomic>
#include <cstdlib>
#include <new>

namespace orvane::test {
std::atomic<std::size_t> largestAllocation{0};
}

namespace {
void* allocate(std::size_t size) noexcept
{
    auto& largest = orvane::test::largestAllocation;
    for (std::size_t seen = largest; size > seen && !largest.compare_exchange_weak(seen, size);) {
    }
    return std::malloc(size ? size : 1);
}
} // namespace

void* operator new(std::size_t size)
{
    if (void* p = allocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
