// Counts the heap allocations of a benchmark program, so a benchmark can show that a loop
// allocates nothing: the global operator new and delete are replaced by ones that count.
// Include this header in the one source file of a benchmark program only.
#pragma once

#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

#include <atomic>
#include <cstdlib>
#include <new>

// Allocations made so far by operator new and new[].
inline std::atomic<long long> g_Allocations{0};

void* operator new(std::size_t size)
{
    g_Allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    g_Allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
