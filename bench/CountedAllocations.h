#pragma once

// Every allocation of the program counted, from any thread, so that a measure's
// share of the heap can be read off as the difference around it. Include it in one
// source file of a benchmark: it replaces the global operator new and delete.

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {
std::atomic<size_t> liveBytes{0};
std::atomic<size_t> liveBlocks{0};
constexpr size_t kHeaderSize = 16;  // keeps the payload 16-byte aligned
}  // namespace

void* operator new(size_t size)
{
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeaderSize));
    if (!block)
        throw std::bad_alloc();
    *reinterpret_cast<size_t*>(block) = size;
    liveBytes.fetch_add(size, std::memory_order_relaxed);
    liveBlocks.fetch_add(1, std::memory_order_relaxed);
    return block + kHeaderSize;
}

void operator delete(void* payload) noexcept
{
    if (!payload)
        return;
    // Through an integer: the compiler cannot see that the block starts before the payload.
    auto* block = reinterpret_cast<unsigned char*>(reinterpret_cast<std::uintptr_t>(payload) - kHeaderSize);
    liveBytes.fetch_sub(*reinterpret_cast<size_t*>(block), std::memory_order_relaxed);
    liveBlocks.fetch_sub(1, std::memory_order_relaxed);
    std::free(block);
}

void operator delete(void* payload, size_t) noexcept
{
    operator delete(payload);
}
void* operator new[](size_t size)
{
    return operator new(size);
}
void operator delete[](void* payload) noexcept
{
    operator delete(payload);
}
void operator delete[](void* payload, size_t) noexcept
{
    operator delete(payload);
}
