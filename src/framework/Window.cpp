#include "framework/Window.h"

#include "framework/AppModule.h"

namespace {

std::wstring TextOf(HWND window)
{
    int length = ::GetWindowTextLengthW(window);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(window, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

CWindowImpl* BoundObject(HWND hwnd)
{
    return reinterpret_cast<CWindowImpl*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void Bind(HWND hwnd, CWindowImpl* object)
{
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
}

HWND ChildConcerned(HWND parent, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COMMAND:
        // A menu or accelerator command carries no control handle.
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
        // A window's own scroll bars send lParam 0.
        return reinterpret_cast<HWND>(lParam);
    case WM_NOTIFY:
        return lParam ? reinterpret_cast<const NMHDR*>(lParam)->hwndFrom : nullptr;
    case WM_DRAWITEM:
        // wParam 0 means a menu item.
        return wParam ? reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
        return wParam && item->CtlType != ODT_MENU ? ::GetDlgItem(parent, static_cast<int>(item->CtlID)) : nullptr;
    }
    case WM_COMPAREITEM:
        return wParam ? reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    case WM_DELETEITEM:
        return wParam ? reinterpret_cast<const DELETEITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    case WM_PARENTNOTIFY:
        // Only creation and destruction name the child; the mouse variants
        // carry a position instead.
        switch (LOWORD(wParam)) {
        case WM_CREATE:
        case WM_DESTROY:
            return reinterpret_cast<HWND>(lParam);
        default:
            return nullptr;
        }
    default:
        return nullptr;
    }
}

}  // namespace

std::wstring CWindow::GetWindowTextW() const
{
    return TextOf(handle);
}

std::wstring CWindow::GetDlgItemTextW(int id) const
{
    HWND item = GetDlgItem(id);
    return item ? TextOf(item) : std::wstring();
}

RECT CWindow::GetWindowRect() const
{
    RECT rect{};
    ::GetWindowRect(handle, &rect);
    return rect;
}

RECT CWindow::GetClientRect() const
{
    RECT rect{};
    ::GetClientRect(handle, &rect);
    return rect;
}

CWindowImpl::~CWindowImpl()
{
    if (handle && ::IsWindow(handle)) {
        HWND hwnd = handle;
        // The derived object is gone: let the window die without it.
        Bind(hwnd, nullptr);
        handle = nullptr;
        ::DestroyWindow(hwnd);
    }
}

bool CWindowImpl::RegisterWindowClass() const
{
    WndClassInfo info = GetWndClassInfo();
    HINSTANCE instance = Module().GetInstance();
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(instance, info.className, &existing))
        return true;

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = info.style;
    windowClass.lpfnWndProc = &CWindowImpl::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = info.cursor ? ::LoadCursorW(nullptr, info.cursor) : nullptr;
    windowClass.hbrBackground = info.background;
    windowClass.lpszClassName = info.className;
    return ::RegisterClassExW(&windowClass) != 0;
}

HWND CWindowImpl::Create(HWND parent, const RECT& rect, const wchar_t* caption, DWORD style, DWORD exStyle,
                         UINT_PTR idOrMenu)
{
    if (handle || !RegisterWindowClass())
        return nullptr;
    WndClassInfo info = GetWndClassInfo();
    // The window procedure sets handle at WM_NCCREATE; a failed creation
    // clears it again at WM_NCDESTROY.
    ::CreateWindowExW(exStyle, info.className, caption, style, rect.left, rect.top, rect.right - rect.left,
                      rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(idOrMenu), Module().GetInstance(), this);
    return handle;
}

LRESULT CWindowImpl::DefaultProcessing(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcW(handle, msg, wParam, lParam);
}

void CWindowImpl::OnFinalMessage(HWND) {}

LRESULT CALLBACK CWindowImpl::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWindowImpl* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<CWindowImpl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self) {
            self->handle = hwnd;
            Bind(hwnd, self);
        }
    } else {
        self = BoundObject(hwnd);
    }
    // Messages before WM_NCCREATE (WM_GETMINMAXINFO) and after the unbinding.
    if (!self)
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);

    LRESULT result = 0;
    const bool handled = DispatchWithoutThrowing(*self, hwnd, msg, wParam, lParam, result);
    if (!handled) {
        // A handler may have destroyed the window while it ran.
        result = self->handle == hwnd ? self->DefaultProcessing(msg, wParam, lParam)
                                      : ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    if (msg == WM_NCDESTROY && BoundObject(hwnd) == self) {
        Bind(hwnd, nullptr);
        self->handle = nullptr;
        self->OnFinalMessage(hwnd);
    }
    return result;
}

bool DispatchWithoutThrowing(CMessageMap& map, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                             LRESULT& result) noexcept
{
    // An exception must not cross user32's or the dialog manager's frames back to
    // the message loop: a handler that throws leaves its message unhandled.
    try {
        return map.ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
    } catch (...) {
        result = 0;
        return false;
    }
}

LRESULT ReflectToChild(HWND parent, UINT msg, WPARAM wParam, LPARAM lParam, bool& reflected)
{
    HWND child = ChildConcerned(parent, msg, wParam, lParam);
    // A dialog colours itself with its own handle: that is no child.
    reflected = child && child != parent && ::IsWindow(child);
    if (!reflected)
        return 0;
    return ::SendMessageW(child, msg + kReflectedMessageBase, wParam, lParam);
}
