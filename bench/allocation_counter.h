// The heap allocations of a benchmark program, counted by replacing the
// global operator new.  Include it in exactly one file of a program; read
// g_allocations before and after the code measured.
#pragma once

#include <atomic>
#include <cstdlib>
#include <new>

// The replaced operators pair malloc with free; GCC cannot see that through
// inlining.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

inline std::atomic<long> g_allocations{0};

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
