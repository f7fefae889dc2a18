#pragma once

#include "framework/Handles.h"

#include <utility>

// A movable global memory block that stays locked for as long as it is held.
class LockedGlobalBlock {
public:
    LockedGlobalBlock() noexcept = default;
    // Empty when the block cannot be allocated or locked.
    static LockedGlobalBlock Allocate(SIZE_T size) noexcept
    {
        LockedGlobalBlock result;
        result.block.reset(::GlobalAlloc(GMEM_MOVEABLE, size));
        result.data = result.block ? ::GlobalLock(result.block.get()) : nullptr;
        if (!result.data)
            result.block.reset();
        return result;
    }

    ~LockedGlobalBlock() { Reset(); }
    LockedGlobalBlock(LockedGlobalBlock&& other) noexcept
        : block(std::move(other.block)), data(other.data)
    {
        other.data = nullptr;
    }
    LockedGlobalBlock& operator=(LockedGlobalBlock&& other) noexcept
    {
        if (this != &other) {
            Reset();
            block = std::move(other.block);
            data = other.data;
            other.data = nullptr;
        }
        return *this;
    }
    LockedGlobalBlock(const LockedGlobalBlock&) = delete;
    LockedGlobalBlock& operator=(const LockedGlobalBlock&) = delete;

    // Unlocks and frees the block.
    void Reset() noexcept
    {
        if (data)
            ::GlobalUnlock(block.get());
        data = nullptr;
        block.reset();
    }

    HGLOBAL Handle() const noexcept { return block.get(); }
    void* Data() const noexcept { return data; }
    explicit operator bool() const noexcept { return data != nullptr; }

private:
    UniqueGlobal block;
    void* data = nullptr;
};
