#include "ui/MainFrame.h"

#include <shellapi.h>

#include <algorithm>

#include "catalogue/FreeAside.h"
#include "catalogue/ResourceString.h"
#include "res/resource.h"
#include "ui/ControlIds.h"
#include "ui/WindowPlacement.h"
#include "widgets/GdiPlusBitmap.h"

namespace {

constexpr int kListTop = 65;
constexpr int kStatusSplit = 300;

struct ToolbarButton {
    CThemedButton CMainFrame::*button;
    int CMainFrame::*id;
    UINT caption;
    RECT rect;
    UINT image;
};

struct ListColumn {
    UINT title;
    int32_t AppSettings::*width;
    int format;
};

const ListColumn kColumns[] = {
    {IDS_COLUMN_NAME, &AppSettings::Column1, LVCFMT_LEFT},
    {IDS_COLUMN_TYPE, &AppSettings::Column2, LVCFMT_LEFT},
    {IDS_COLUMN_SIZE, &AppSettings::Column3, LVCFMT_RIGHT},
    {IDS_COLUMN_MODIFIED, &AppSettings::Column4, LVCFMT_RIGHT},
};

// The frame's filter claims drops on the list in the main loop; in a modal
// dialog's loop they reach the list, which ignores them. The shell's drop handle
// is released either way.
LRESULT CALLBACK ReleaseUnclaimedDrops(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR)
{
    if (msg == WM_DROPFILES) {
        DragFinish(reinterpret_cast<HDROP>(wParam));
        return 0;
    }
    if (msg == WM_NCDESTROY)
        RemoveWindowSubclass(window, &ReleaseUnclaimedDrops, id);
    return DefSubclassProc(window, msg, wParam, lParam);
}

UniqueIcon LoadIconResource(UINT id, int width, int height)
{
    return UniqueIcon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, LR_DEFAULTCOLOR)));
}

}  // namespace

CMainFrame::CMainFrame(AppSettings& appSettings)
    : settings(appSettings), initialWidth(appSettings.Width), initialHeight(appSettings.Height)
{
    imageList.reset(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 2));
    if (imageList) {
        // Index 0 the file, index 1 the folder: the cell text relies on it.
        for (UINT id : {IDI_FILE, IDI_FOLDER}) {
            UniqueIcon icon = LoadIconResource(id, 16, 16);
            ImageList_ReplaceIcon(imageList.get(), -1, icon.get());
        }
    }
    smallIcon = LoadIconResource(IDI_APPLICATION_ICON, 16, 16);
    bigIcon = LoadIconResource(IDI_APPLICATION_ICON, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));

    const auto ids = DrawControlIds();
    statusBarId = ids[0];
    openButtonId = ids[1];
    unpackButtonId = ids[2];
    settingsButtonId = ids[3];
    aboutButtonId = ids[4];
    listId = ids[5];

    accelerators.reset(LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS)));
}

CMainFrame::~CMainFrame()
{
    // Destroyed here rather than by the base, so that our own WM_DESTROY still runs.
    if (IsWindow())
        DestroyWindow();
    // The window is gone; a large catalogue need not hold up the program's end.
    FreeAside(catalogue);
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
    // A provisional size: WM_CREATE gives the window its stored client size.
    const RECT rect = {settings.X, settings.Y, 400, 400};
    const std::wstring caption = LoadResourceString(IDS_PRODUCT_NAME);
    return Create(nullptr, rect, caption.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0);
}

bool CMainFrame::ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_CREATE:
        result = OnCreate();
        return true;
    case WM_DESTROY:
        OnDestroy();
        return false;  // default processing follows
    case WM_SIZE:
        OnSize(lParam);
        result = 0;
        return true;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        result = 0;
        return true;
    case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        return true;
    case WM_CTLCOLORBTN:
        result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        return true;
    case WM_CTLCOLOREDIT:
        result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        return true;
    case WM_COMMAND:
        result = 0;
        return OnCommand(wParam);
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        return static_cast<int>(header->idFrom) == listId && OnListNotify(header, result);
    }
    default:
        return false;
    }
}

LRESULT CMainFrame::DefaultProcessing(UINT msg, WPARAM wParam, LPARAM lParam)
{
    bool reflected = false;
    const LRESULT answer = ReflectToChild(handle, msg, wParam, lParam, reflected);
    return reflected ? answer : DefWindowProcW(handle, msg, wParam, lParam);
}

// Commands count by the control identifier alone, whether a button or an accelerator sent them.
bool CMainFrame::OnCommand(WPARAM wParam)
{
    const int id = LOWORD(wParam);
    if (id == openButtonId)
        OpenCommand();
    else if (id == unpackButtonId)
        UnpackCommand();
    else if (id == settingsButtonId)
        SettingsCommand();
    else if (id == aboutButtonId)
        AboutCommand();
    else if (id == ID_SELECT_ALL)
        SelectAll();
    else
        return false;
    return true;
}

bool CMainFrame::OnListNotify(NMHDR* header, LRESULT& result)
{
    result = 0;
    switch (header->code) {
    case LVN_GETDISPINFOW:
        AnswerDisplayInfo(catalogue, reinterpret_cast<NMLVDISPINFOW*>(header)->item, cellText);
        return true;
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED:
        UpdateSelectionText();
        return true;
    case LVN_BEGINDRAG:
        if (settings.DragDrop)
            BeginDrag();
        else
            result = 1;
        return true;
    case NM_DBLCLK:
        ActivateRow(reinterpret_cast<NMITEMACTIVATE*>(header)->iItem);
        return true;
    default:
        return false;
    }
}

bool CMainFrame::FilterMessage(MSG* message)
{
    // The shell posts drops to the list itself, which would ignore them.
    if (message->message == WM_DROPFILES && listView != nullptr && message->hwnd == listView) {
        if (settings.DragDrop)
            OpenDroppedFile(reinterpret_cast<HDROP>(message->wParam));
        else
            DragFinish(reinterpret_cast<HDROP>(message->wParam));
        return true;
    }
    return handle != nullptr && accelerators && TranslateAcceleratorW(handle, accelerators.get(), message) != 0;
}

LRESULT CMainFrame::OnCreate()
{
    SendMessageW(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon.get()));
    SendMessageW(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.get()));
    FitClientSize();
    CreateToolbar();
    CreateList();
    CreateStatusBar();
    ApplyDragDropSetting();
    if (listView != nullptr) {
        InvalidateRect(listView, nullptr, TRUE);
        ::UpdateWindow(listView);
    }
    return 0;
}

// Gives the window its stored client size, grown to the minimum and moved onto a
// monitor when the stored values would leave it unusable or out of reach.
void CMainFrame::FitClientSize()
{
    const int width = std::max(initialWidth, kMinimumClientWidth);
    const int height = std::max(initialHeight, kMinimumClientHeight);
    const RECT window = GetWindowRect();
    const RECT client = GetClientRect();
    RECT outer = {window.left, window.top, window.left + width + (window.right - window.left) - client.right,
                  window.top + height + (window.bottom - window.top) - client.bottom};
    outer = ReachablePlacement(outer);
    SetWindowPos(nullptr, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMainFrame::CreateToolbar()
{
    const ToolbarButton buttons[] = {
        {&CMainFrame::openButton, &CMainFrame::openButtonId, IDS_OPEN, {5, 5, 70, 60}, IDB_OPEN},
        {&CMainFrame::unpackButton, &CMainFrame::unpackButtonId, IDS_UNPACK, {75, 5, 140, 60}, IDB_UNPACK},
        {&CMainFrame::settingsButton, &CMainFrame::settingsButtonId, IDS_SETTINGS, {155, 5, 220, 60}, IDB_SETTINGS},
        {&CMainFrame::aboutButton, &CMainFrame::aboutButtonId, IDS_ABOUT, {235, 5, 305, 60}, IDB_ABOUT},
    };
    for (const ToolbarButton& entry : buttons) {
        CThemedButton& button = this->*entry.button;
        const std::wstring caption = LoadResourceString(entry.caption);
        if (button.Create(handle, entry.rect, caption.c_str(), static_cast<UINT>(this->*entry.id)) == nullptr)
            continue;
        // The button copies the pixels; the loaded image goes with this scope.
        CGdiPlusBitmapResource image(entry.image);
        button.SetImage(image.Get());
    }
}

void CMainFrame::CreateList()
{
    const RECT client = GetClientRect();
    // LVS_SHAREIMAGELISTS: the frame owns the image list and destroys it; without
    // it the list would destroy it too, when its window goes.
    listView =
        CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, nullptr,
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA |
                            LVS_NOSORTHEADER | LVS_SHAREIMAGELISTS,
                        1, kListTop, client.right - 2, 400 - kListTop, handle,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(listId)), GetModuleHandleW(nullptr), nullptr);
    if (listView == nullptr)
        return;
    SetWindowSubclass(listView, &ReleaseUnclaimedDrops, 0, 0);
    const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
    ::SendMessageW(listView, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    ::SendMessageW(listView, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(imageList.get()));

    int index = 0;
    for (const ListColumn& column : kColumns) {
        std::wstring title = LoadResourceString(column.title);
        LVCOLUMNW item = {};
        item.mask = LVCF_FMT | LVCF_TEXT;
        item.fmt = column.format;
        item.pszText = &title[0];
        const int width = settings.*column.width;
        // A stored -1 leaves the list's own default width.
        if (width != -1) {
            item.mask |= LVCF_WIDTH;
            item.cx = width;
        }
        ::SendMessageW(listView, LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&item));
    }
}

void CMainFrame::CreateStatusBar()
{
    statusBar =
        CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 1, 1, 1, 1, handle,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(statusBarId)), GetModuleHandleW(nullptr), nullptr);
    if (statusBar == nullptr)
        return;
    int parts[2] = {kStatusSplit, -1};
    ::SendMessageW(statusBar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

void CMainFrame::OnSize(LPARAM lParam)
{
    const int width = static_cast<short>(LOWORD(lParam));
    const int height = static_cast<short>(HIWORD(lParam));
    if (listView != nullptr) {
        int allowance = 1;
        if (statusBar != nullptr) {
            RECT bar = {};
            ::GetWindowRect(statusBar, &bar);
            allowance += bar.bottom - bar.top;
        }
        // A minimised window reports 0 x 0: the list then takes no room at all.
        ::SetWindowPos(listView, nullptr, 0, 0, std::max(width - 2, 0), std::max(height - kListTop - allowance, 0),
                       SWP_NOMOVE | SWP_NOZORDER);
    }
    if (statusBar != nullptr) {
        ::SendMessageW(statusBar, WM_SIZE, 0, 0);
        InvalidateRect(statusBar, nullptr, FALSE);
        ::UpdateWindow(statusBar);
    }
}

void CMainFrame::OnGetMinMaxInfo(MINMAXINFO* info) const
{
    const RECT window = GetWindowRect();
    const RECT client = GetClientRect();
    info->ptMinTrackSize.x = (window.right - window.left) - client.right + kMinimumClientWidth;
    info->ptMinTrackSize.y = (window.bottom - window.top) - client.bottom + kMinimumClientHeight;
}

void CMainFrame::OnDestroy()
{
    const RememberedGeometry geometry = GeometryToRemember(handle);
    settings.X = geometry.outer.left;
    settings.Y = geometry.outer.top;
    settings.Width = geometry.client.cx;
    settings.Height = geometry.client.cy;
    if (listView != nullptr) {
        int index = 0;
        for (const ListColumn& column : kColumns)
            settings.*column.width = static_cast<int32_t>(::SendMessageW(listView, LVM_GETCOLUMNWIDTH, index++, 0));
    }
    PostQuitMessage(1);
}
