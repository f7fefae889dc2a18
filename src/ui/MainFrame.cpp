#include "ui/MainFrame.h"

#include <algorithm>

#include "res/resource.h"
#include "ui/WindowPlacement.h"

namespace {

std::wstring LoadResourceString(UINT id)
{
    const wchar_t* text = nullptr;
    int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

} // namespace

CMainFrame::CMainFrame(AppSettings& appSettings)
    : settings(appSettings), initialWidth(appSettings.Width), initialHeight(appSettings.Height)
{
}

CMainFrame::~CMainFrame()
{
    if (IsWindow())
        DestroyWindow();
}

WndClassInfo CMainFrame::GetWndClassInfo() const
{
    WndClassInfo info;
    info.className = kClassName;
    info.style = 0;
    info.background = GetSysColorBrush(COLOR_BTNFACE);
    info.cursor = IDC_ARROW;
    return info;
}

HWND CMainFrame::CreateMainWindow()
{
    RECT rect = {settings.X, settings.Y, 400, 400};
    const std::wstring caption = LoadResourceString(IDS_PRODUCT_NAME);
    return Create(nullptr, rect, caption.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                  0, 0);
}

int CMainFrame::OpenArchive(const std::wstring&)
{
    return -1;
}

bool CMainFrame::FilterMessage(MSG*)
{
    return false;
}

bool CMainFrame::ProcessWindowMessage(HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_CREATE:
        result = OnCreate();
        return true;
    case WM_DESTROY:
        OnDestroy();
        return false; // default processing follows
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        result = 0;
        return true;
    default:
        return false;
    }
}

LRESULT CMainFrame::OnCreate()
{
    // Stored values may be anything; the window must still come up visible and usable.
    const int width = std::max(initialWidth, kMinimumClientWidth);
    const int height = std::max(initialHeight, kMinimumClientHeight);
    const RECT window = GetWindowRect();
    const RECT client = GetClientRect();
    RECT outer = {window.left, window.top,
                  window.left + width + (window.right - window.left) - client.right,
                  window.top + height + (window.bottom - window.top) - client.bottom};
    outer = ReachablePlacement(outer);
    SetWindowPos(nullptr, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

void CMainFrame::OnDestroy()
{
    const RememberedGeometry geometry = GeometryToRemember(m_hWnd);
    settings.X = geometry.outer.left;
    settings.Y = geometry.outer.top;
    settings.Width = geometry.client.cx;
    settings.Height = geometry.client.cy;
    PostQuitMessage(1);
}

void CMainFrame::OnGetMinMaxInfo(MINMAXINFO* info) const
{
    const RECT window = GetWindowRect();
    const RECT client = GetClientRect();
    info->ptMinTrackSize.x = (window.right - window.left) - client.right + kMinimumClientWidth;
    info->ptMinTrackSize.y = (window.bottom - window.top) - client.bottom + kMinimumClientHeight;
}
