#include "ProcessResources.h"

#include "framework/Handles.h"

#include <tlhelp32.h>

#include <string>

namespace {

// Handle values are 16-bit slots; USER handles use the even ones from 0x20 on.
constexpr ULONG_PTR kHandleSlots = 0x10000;
constexpr ULONG_PTR kFirstUserHandle = 0x20;

using CursorFrameInfo = HCURSOR(WINAPI*)(HCURSOR, DWORD, DWORD, DWORD*, DWORD*);

CursorFrameInfo CursorFrameInfoFunction()
{
    // Undocumented but exported on Windows and Wine: answers for an icon or
    // cursor handle without making anything.
    static const auto function = reinterpret_cast<CursorFrameInfo>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetCursorFrameInfo")));
    return function;
}

bool IsOwnWindow(HWND window)
{
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    return process == ::GetCurrentProcessId();
}

DWORD CountUserObjects()
{
    DWORD count = 0;
    const CursorFrameInfo frameInfo = CursorFrameInfoFunction();
    for (ULONG_PTR slot = kFirstUserHandle; slot < kHandleSlots; slot += 2) {
        const HANDLE handle = reinterpret_cast<HANDLE>(slot);
        if (::IsWindow(static_cast<HWND>(handle))) {
            count += IsOwnWindow(static_cast<HWND>(handle)) ? 1 : 0;
            continue;
        }
        if (::IsMenu(static_cast<HMENU>(handle))) {
            ++count;
            continue;
        }
        DWORD rate = 0;
        DWORD steps = 0;
        if (frameInfo && frameInfo(static_cast<HCURSOR>(handle), 0, 0, &rate, &steps)) {
            ++count;
            continue;
        }
        if (::CopyAcceleratorTableW(static_cast<HACCEL>(handle), nullptr, 0) > 0)
            ++count;
    }
    return count;
}

// Kernel handles are multiples of four; the system says which of them are open.
DWORD CountKernelHandles()
{
    DWORD count = 0;
    for (ULONG_PTR value = 4; value < kHandleSlots; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    }
    return count;
}

DWORD CountGdiObjects()
{
    DWORD count = 0;
    for (ULONG_PTR slot = 1; slot < kHandleSlots; ++slot) {
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0)
            ++count;
    }
    return count;
}

}  // namespace

std::string ProcessResources::Describe() const
{
    return "handles " + std::to_string(handles) + ", threads " + std::to_string(threads) + ", GDI objects " +
           std::to_string(gdiObjects) + " (system: " + std::to_string(systemGdi) + "), USER objects " +
           std::to_string(userObjects) + " (system: " + std::to_string(systemUser) + ")";
}

DWORD ThreadCount()
{
    DWORD count = 0;
    const UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot)
        return 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Thread32First(snapshot.get(), &entry); more; more = ::Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId())
            ++count;
    }
    return count;
}

ProcessResources MeasureProcessResources()
{
    ProcessResources resources;
    // GetProcessHandleCount answers 0 under Wine.
    ::GetProcessHandleCount(::GetCurrentProcess(), &resources.handles);
    if (resources.handles == 0)
        resources.handles = CountKernelHandles();
    resources.threads = ThreadCount();
    resources.gdiObjects = CountGdiObjects();
    resources.userObjects = CountUserObjects();
    resources.systemGdi = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    resources.systemUser = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    return resources;
}
