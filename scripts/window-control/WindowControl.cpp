// A small helper for the run script: waits for a top-level window of a class to be
// shown, enabled and idle, or closes it the way the close button does.
//   WindowControl wait <class> <timeout-ms>
//   WindowControl close <class>
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

HWND FindVisible(const wchar_t* className)
{
    HWND window = FindWindowW(className, nullptr);
    return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

int Wait(const wchar_t* className, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (GetTickCount64() < deadline) {
        if (HWND window = FindVisible(className)) {
            // A window that answers a message and is enabled then (not waiting for
            // an open or a dialog) has finished what it was doing. Enabled before
            // the answer proves nothing: the "-o" open starts after the window is
            // shown, and its first message is answered from the open's own wait.
            DWORD_PTR answer = 0;
            if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) &&
                IsWindowEnabled(window)) {
                wchar_t title[512] = {};
                GetWindowTextW(window, title, 512);
                wprintf(L"%ls\n", title);
                return 0;
            }
        }
        Sleep(100);
    }
    fwprintf(stderr, L"no window of class %ls appeared\n", className);
    return 1;
}

int Close(const wchar_t* className)
{
    HWND window = FindWindowW(className, nullptr);
    if (window == nullptr) {
        fwprintf(stderr, L"no window of class %ls\n", className);
        return 1;
    }
    return PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 4 && wcscmp(argv[1], L"wait") == 0)
        return Wait(argv[2], static_cast<DWORD>(_wtoi(argv[3])));
    if (argc == 3 && wcscmp(argv[1], L"close") == 0)
        return Close(argv[2]);
    fwprintf(stderr, L"usage: WindowControl wait <class> <timeout-ms> | close <class>\n");
    return 2;
}
