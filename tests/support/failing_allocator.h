// The allocator of a fault-test program: armed with a countdown n, the n-th allocation from
// then on fails with std::bad_alloc. Include it in exactly one file of the program.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> g_countdown{0};  // 0: disarmed
std::atomic<long> g_failures{0};
// When set, only the allocations it accepts count (and fail); it is given the address the
// allocation was asked from.
bool (*g_counts)(const void* caller) = nullptr;

void* allocate(std::size_t size, const void* caller)
{
    if (g_countdown.load(std::memory_order_relaxed) > 0 && (!g_counts || g_counts(caller)) &&
        g_countdown.fetch_sub(1) == 1) {
        ++g_failures;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return allocate(size, __builtin_return_address(0)); }
void* operator new[](std::size_t size) { return allocate(size, __builtin_return_address(0)); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
// The library's temporary buffers allocate without exceptions: they come from here as well, so
// every allocation is released by its own kind.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return allocate(size, __builtin_return_address(0));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& t) noexcept { return operator new(size, t); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

// Fails the n-th counted allocation of `operation`, n = 1, 2, ... until it runs through; `check`
// after each. Answers how many runs had an allocation fail.
template <class Operation, class Check>
long failEachAllocation(Operation operation, Check check)
{
    long injected = 0;
    for (long n = 1; n < 100000; ++n) {
        g_failures = 0;
        g_countdown = n;
        try {
            operation();
        } catch (const std::bad_alloc&) {
        }
        const bool failed = g_failures > 0;
        g_countdown = 0;
        if (failed)
            ++injected;
        check(n);
        if (!failed)
            return injected;
    }
    ADD_FAILURE() << "the operation never completed";
    return injected;
}

}  // namespace
