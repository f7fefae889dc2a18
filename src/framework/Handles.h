#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

// Move-only owners for Win32 handles. Copying is deleted so that no handle is
// ever freed twice; moving hands the handle over and leaves the source empty.
template <typename Traits> class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle value) noexcept : handle(value) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    UniqueHandle(UniqueHandle&& other) noexcept : handle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    Handle get() const noexcept { return handle; }

    Handle release() noexcept
    {
        Handle value = handle;
        handle = Traits::Empty();
        return value;
    }

    void reset(Handle value = Traits::Empty()) noexcept
    {
        if (value == handle)
            return;
        Handle old = handle;
        handle = value;
        if (Traits::IsValid(old))
            Traits::Close(old);
    }

    // Frees what is held and gives the address to an API that returns a handle
    // through an out-parameter (RegOpenKeyExW and the like).
    Handle* put() noexcept
    {
        reset();
        return &handle;
    }

    explicit operator bool() const noexcept { return Traits::IsValid(handle); }

private:
    Handle handle = Traits::Empty();
};

template <typename T, BOOL(WINAPI* CloseFunction)(T)> struct PointerHandleTraits {
    using Handle = T;
    static Handle Empty() noexcept { return nullptr; }
    static bool IsValid(Handle handle) noexcept { return handle != nullptr; }
    static void Close(Handle handle) noexcept { CloseFunction(handle); }
};

// Kernel APIs disagree on the failure value: some return null, CreateFile and
// friends return INVALID_HANDLE_VALUE. Both count as empty.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() noexcept { return nullptr; }
    static bool IsValid(Handle handle) noexcept { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) noexcept { CloseHandle(handle); }
};

template <typename T> struct GdiObjectTraits {
    using Handle = T;
    static Handle Empty() noexcept { return nullptr; }
    static bool IsValid(Handle handle) noexcept { return handle != nullptr; }
    static void Close(Handle handle) noexcept { DeleteObject(handle); }
};

struct RegKeyTraits {
    using Handle = HKEY;
    static Handle Empty() noexcept { return nullptr; }
    static bool IsValid(Handle handle) noexcept { return handle != nullptr; }
    static void Close(Handle handle) noexcept { RegCloseKey(handle); }
};

struct GlobalTraits {
    using Handle = HGLOBAL;
    static Handle Empty() noexcept { return nullptr; }
    static bool IsValid(Handle handle) noexcept { return handle != nullptr; }
    static void Close(Handle handle) noexcept { GlobalFree(handle); }
};

template <typename T> struct LocalTraits {
    using Handle = T;
    static Handle Empty() noexcept { return nullptr; }
    static bool IsValid(Handle handle) noexcept { return handle != nullptr; }
    static void Close(Handle handle) noexcept { LocalFree(reinterpret_cast<HLOCAL>(handle)); }
};

// Memory the shell and COM hand out with CoTaskMemAlloc (item lists, strings).
template <typename T> struct CoTaskMemTraits {
    using Handle = T;
    static Handle Empty() noexcept { return nullptr; }
    static bool IsValid(Handle handle) noexcept { return handle != nullptr; }
    static void Close(Handle handle) noexcept { CoTaskMemFree(handle); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueIcon = UniqueHandle<PointerHandleTraits<HICON, DestroyIcon>>;
template <typename T> using UniqueGdiObject = UniqueHandle<GdiObjectTraits<T>>;
using UniqueBitmap = UniqueGdiObject<HBITMAP>;
using UniqueBrush = UniqueGdiObject<HBRUSH>;
using UniqueFont = UniqueGdiObject<HFONT>;
using UniqueMemoryDc = UniqueHandle<PointerHandleTraits<HDC, DeleteDC>>;
using UniqueImageList = UniqueHandle<PointerHandleTraits<HIMAGELIST, ImageList_Destroy>>;
using UniqueAccelerators = UniqueHandle<PointerHandleTraits<HACCEL, DestroyAcceleratorTable>>;
using UniqueRegKey = UniqueHandle<RegKeyTraits>;
using UniqueGlobal = UniqueHandle<GlobalTraits>;
using UniqueLocal = UniqueHandle<LocalTraits<HLOCAL>>;
// The argument vector of CommandLineToArgvW is one LocalAlloc block.
using UniqueArgv = UniqueHandle<LocalTraits<LPWSTR*>>;
using UniqueWindow = UniqueHandle<PointerHandleTraits<HWND, DestroyWindow>>;
template <typename T> using UniqueCoTaskMem = UniqueHandle<CoTaskMemTraits<T>>;

// Selects a GDI object into a DC and puts the previous one back on scope exit.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC target, HGDIOBJ object) noexcept
        : dc(target), previous(object ? SelectObject(target, object) : nullptr)
    {
    }
    ~ScopedSelectObject()
    {
        if (previous)
            SelectObject(dc, previous);
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC dc;
    HGDIOBJ previous;
};

class ScopedPaint {
public:
    explicit ScopedPaint(HWND target) noexcept : window(target), paint{} { dc = BeginPaint(window, &paint); }
    ~ScopedPaint()
    {
        if (dc)
            EndPaint(window, &paint);
    }
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;

    HDC Dc() const noexcept { return dc; }
    const PAINTSTRUCT& Paint() const noexcept { return paint; }

private:
    HWND window;
    PAINTSTRUCT paint;
    HDC dc = nullptr;
};

class ScopedGlobalLock {
public:
    explicit ScopedGlobalLock(HGLOBAL block) noexcept : memory(block), data(block ? GlobalLock(block) : nullptr) {}
    ~ScopedGlobalLock()
    {
        if (data)
            GlobalUnlock(memory);
    }
    ScopedGlobalLock(const ScopedGlobalLock&) = delete;
    ScopedGlobalLock& operator=(const ScopedGlobalLock&) = delete;

    void* Data() const noexcept { return data; }
    template <typename T> T* As() const noexcept { return static_cast<T*>(data); }

private:
    HGLOBAL memory;
    void* data;
};

class CriticalSection {
public:
    CriticalSection() noexcept { InitializeCriticalSection(&section); }
    ~CriticalSection() { DeleteCriticalSection(&section); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() noexcept { EnterCriticalSection(&section); }
    void Leave() noexcept { LeaveCriticalSection(&section); }

private:
    CRITICAL_SECTION section;
};

class ScopedLock {
public:
    explicit ScopedLock(CriticalSection& lock) noexcept : section(lock) { section.Enter(); }
    ~ScopedLock() { section.Leave(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    CriticalSection& section;
};
