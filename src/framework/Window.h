#pragma once

#include <windows.h>

#include <string>

// A window handle with the calls our windows make on it. Owns nothing.
class CWindow {
public:
    HWND handle = nullptr;

    CWindow(HWND window = nullptr) noexcept : handle(window) {}

    void Attach(HWND window) noexcept { handle = window; }
    HWND Detach() noexcept
    {
        HWND window = handle;
        handle = nullptr;
        return window;
    }
    operator HWND() const noexcept { return handle; }

    bool IsWindow() const { return handle && ::IsWindow(handle); }
    bool IsWindowVisible() const { return ::IsWindowVisible(handle) != FALSE; }
    bool IsWindowEnabled() const { return ::IsWindowEnabled(handle) != FALSE; }
    bool ShowWindow(int command) const { return ::ShowWindow(handle, command) != FALSE; }
    bool EnableWindow(bool enable) const { return ::EnableWindow(handle, enable) != FALSE; }
    bool DestroyWindow() const { return ::DestroyWindow(handle) != FALSE; }

    HWND GetParent() const { return ::GetParent(handle); }
    HWND GetOwner() const { return ::GetWindow(handle, GW_OWNER); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(handle, id); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(handle); }

    LONG GetStyle() const { return ::GetWindowLongW(handle, GWL_STYLE); }
    LONG GetExStyle() const { return ::GetWindowLongW(handle, GWL_EXSTYLE); }

    bool SetWindowTextW(const wchar_t* text) const { return ::SetWindowTextW(handle, text) != FALSE; }
    std::wstring GetWindowTextW() const;
    bool SetDlgItemTextW(int id, const wchar_t* text) const { return ::SetDlgItemTextW(handle, id, text) != FALSE; }
    std::wstring GetDlgItemTextW(int id) const;
    bool CheckDlgButton(int id, bool checked) const
    {
        return ::CheckDlgButton(handle, id, checked ? BST_CHECKED : BST_UNCHECKED) != FALSE;
    }
    bool IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(handle, id) == BST_CHECKED; }

    LRESULT SendMessageW(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(handle, msg, wParam, lParam);
    }
    bool PostMessageW(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageW(handle, msg, wParam, lParam) != FALSE;
    }

    RECT GetWindowRect() const;
    RECT GetClientRect() const;
    bool SetWindowPos(HWND insertAfter, int x, int y, int width, int height, UINT flags) const
    {
        return ::SetWindowPos(handle, insertAfter, x, y, width, height, flags) != FALSE;
    }
    bool MoveWindow(const RECT& rect, bool repaint = true) const
    {
        return ::MoveWindow(handle, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint) !=
               FALSE;
    }

    bool Invalidate(bool erase = true) const { return ::InvalidateRect(handle, nullptr, erase) != FALSE; }
    bool UpdateWindow() const { return ::UpdateWindow(handle) != FALSE; }
    HWND SetFocus() const { return ::SetFocus(handle); }
};

// One message-dispatch operation per window class. An implementation tries its
// rows in order; the first row that matches handles the message, stores its
// answer in `result` and returns true. Returning false hands the message to
// the default processing.
class CMessageMap {
public:
    virtual ~CMessageMap() = default;
    virtual bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
};

// The one way the framework's window and dialog procedures call a message map.
bool DispatchWithoutThrowing(CMessageMap& map, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                             LRESULT& result) noexcept;

struct WndClassInfo {
    const wchar_t* className = nullptr;
    UINT style = 0;
    HBRUSH background = nullptr;
    const wchar_t* cursor = IDC_ARROW;  // a system cursor id; null for none
};

// A window whose messages reach ProcessWindowMessage. The object must outlive
// its window or destroy it: it never deletes itself.
class CWindowImpl : public CWindow, public CMessageMap {
public:
    CWindowImpl() = default;
    // A window still alive here is destroyed without reaching the derived
    // class, whose part of the object is already gone; a class that needs to
    // see its own WM_DESTROY destroys the window in its own destructor.
    ~CWindowImpl() override;
    CWindowImpl(const CWindowImpl&) = delete;
    CWindowImpl& operator=(const CWindowImpl&) = delete;

    // Registers the class on first use. Returns the window, or null when the
    // class cannot be registered, the object already has a window, or creation
    // fails (in that case the window, if it got as far as WM_NCCREATE, has
    // already been unbound again).
    HWND Create(HWND parent, const RECT& rect, const wchar_t* caption, DWORD style, DWORD exStyle = 0,
                UINT_PTR idOrMenu = 0);

protected:
    virtual WndClassInfo GetWndClassInfo() const = 0;
    virtual LRESULT DefaultProcessing(UINT msg, WPARAM wParam, LPARAM lParam);
    // Called after WM_NCDESTROY, when handle is already null.
    virtual void OnFinalMessage(HWND hwnd);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    bool RegisterWindowClass() const;
};

// Message number a parent's child-related message arrives with at the child.
constexpr UINT kReflectedMessageBase = WM_USER + 0x1C00;  // 0x2000

// Sends a child-related message (a command from a control, a notification, a
// control-colour or owner-draw request, a scroll from a scroll-bar control...)
// back to the control it concerns, as msg + kReflectedMessageBase with the same
// arguments. `reflected` tells whether there was such a control; the result is
// the control's answer, or 0 when nothing was reflected.
LRESULT ReflectToChild(HWND parent, UINT msg, WPARAM wParam, LPARAM lParam, bool& reflected);
