#pragma once

// Owns one reference to a COM object; reads like std::unique_ptr, as every owner
// of ours does (get, reset, put for an out-parameter). Move-only, so that a
// reference is never released twice; taking over a raw pointer never adds a reference (unlike some
// ports of WRL's ComPtr::Attach).

#include <unknwn.h>

template <typename Interface> class ComRef {
public:
    ComRef() noexcept = default;
    ~ComRef() { reset(); }

    // Takes over the reference that `object` already carries.
    static ComRef Adopt(Interface* object) noexcept
    {
        ComRef result;
        result.pointer = object;
        return result;
    }

    ComRef(ComRef&& other) noexcept : pointer(other.pointer) { other.pointer = nullptr; }
    ComRef& operator=(ComRef&& other) noexcept
    {
        if (this != &other) {
            reset();
            pointer = other.pointer;
            other.pointer = nullptr;
        }
        return *this;
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    Interface* get() const noexcept { return pointer; }
    Interface* operator->() const noexcept { return pointer; }
    explicit operator bool() const noexcept { return pointer != nullptr; }

    void reset() noexcept
    {
        if (pointer) {
            Interface* old = pointer;
            pointer = nullptr;
            old->Release();
        }
    }

    // For calls that hand out a new reference through an out-parameter.
    Interface** put() noexcept
    {
        reset();
        return &pointer;
    }

private:
    Interface* pointer = nullptr;
};
