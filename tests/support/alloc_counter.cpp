// Counts heap allocations made through operator new anywhere in the process,
// the loaded module included.
#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/support/alloc_counter.h"

namespace {
std::atomic<long> gAllocations{0};
}

long AllocationCount() { return gAllocations.load(); }

void *operator new(std::size_t n) {
    ++gAllocations;
    if (void *p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void *operator new[](std::size_t n) { return operator new(n); }
void *operator new(std::size_t n, const std::nothrow_t &) noexcept {
    ++gAllocations;
    return std::malloc(n ? n : 1);
}
void *operator new[](std::size_t n, const std::nothrow_t &t) noexcept { return operator new(n, t); }
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }
