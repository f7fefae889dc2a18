#include "ui/MainFrame.h"

#include <shellapi.h>

#include <algorithm>

#include "catalogue/FreeAside.h"
#include "catalogue/ResourceString.h"
#include "catalogue/RowSearch.h"
#include "res/resource.h"
#include "ui/ControlIds.h"
#include "ui/WindowPlacement.h"
#include "widgets/GdiPlusBitmap.h"
#include "widgets/ScaledImages.h"

namespace {

// Pixels at 96 DPI, scaled by the window's.
constexpr int kListTop = 65;
constexpr int kListMargin = 1;
constexpr int kStatusSplit = 300;

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

struct CMainFrame::ToolbarButton {
    CThemedButton CMainFrame::*button;
    int CMainFrame::*id;
    UINT caption;
    RECT rect;   // at 96 DPI
    UINT image;  // at 32 pixels; ToolbarImageId picks the size for the DPI
};

const CMainFrame::ToolbarButton CMainFrame::kToolbar[] = {
    {&CMainFrame::openButton, &CMainFrame::openButtonId, IDS_OPEN, {5, 5, 70, 60}, IDB_OPEN},
    {&CMainFrame::unpackButton, &CMainFrame::unpackButtonId, IDS_UNPACK, {75, 5, 140, 60}, IDB_UNPACK},
    {&CMainFrame::settingsButton, &CMainFrame::settingsButtonId, IDS_SETTINGS, {155, 5, 220, 60}, IDB_SETTINGS},
    {&CMainFrame::aboutButton, &CMainFrame::aboutButtonId, IDS_ABOUT, {235, 5, 305, 60}, IDB_ABOUT},
};

// The icons and the rows' images depend on the DPI, which the window has only once
// it exists: they are made in WM_CREATE.
CMainFrame::CMainFrame(AppSettings& appSettings)
    : settings(appSettings), initialWidth(appSettings.Width), initialHeight(appSettings.Height)
{
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

const CThemedButton* CMainFrame::ButtonWithId(int id) const noexcept
{
    for (const ToolbarButton& entry : kToolbar) {
        if (this->*entry.id == id)
            return &(this->*entry.button);
    }
    return nullptr;
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
    case WM_NCCREATE:
        EnableNonClientDpiScalingFor(handle);
        return false;
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
    case WM_DPICHANGED:
        OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        result = 0;
        return true;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            RememberFocus();
        return false;
    case WM_SETFOCUS:
        RestoreFocus();
        result = 0;
        return true;
    case WM_QUERYENDSESSION:
        // Never in the way of a sign-out; a running job cancels itself.
        result = TRUE;
        return true;
    case WM_ENDSESSION:
        if (wParam)
            OnEndSession();
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
    case NM_RETURN:
        OpenFocusedRow();
        return true;
    case LVN_KEYDOWN:
        return OnListKey(reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey);
    case LVN_ODFINDITEMW: {
        const auto* find = reinterpret_cast<NMLVFINDITEMW*>(header);
        result = FindRowForList(catalogue, find->lvfi, find->iStart);
        return true;
    }
    default:
        return false;
    }
}

// Enter does what a double-click on the focused row does.
void CMainFrame::OpenFocusedRow()
{
    if (listView == nullptr)
        return;
    const int row = static_cast<int>(::SendMessageW(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (row >= 0)
        ActivateRow(row);
}

// Backspace, as in the Explorer.
bool CMainFrame::OnListKey(WORD key)
{
    if (key != VK_BACK)
        return false;
    GoToParentFolder();
    return true;
}

// What the ".." row does; nothing at the top level, which has no such row.
void CMainFrame::GoToParentFolder()
{
    if (catalogue.IsParentRow(0))
        ActivateRow(0);
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
    if (handle == nullptr)
        return false;
    const bool ours = message->hwnd == handle || ::IsChild(handle, message->hwnd);
    // Tab moves between the controls, as in a dialog; Ctrl+Tab and Alt+Tab are not ours.
    if (ours && message->message == WM_KEYDOWN && message->wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0) {
        MoveFocus(GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    // Alt+Up, as in the Explorer: the list takes no keys with Alt, so it never sees it.
    if (message->message == WM_SYSKEYDOWN && message->wParam == VK_UP && listView != nullptr &&
        message->hwnd == listView) {
        GoToParentFolder();
        return true;
    }
    return accelerators && TranslateAcceleratorW(handle, accelerators.get(), message) != 0;
}

LRESULT CMainFrame::OnCreate()
{
    dpi = WindowDpi(handle);
    LoadWindowIcons();
    FitClientSize();
    CreateToolbar();
    CreateList();
    CreateStatusBar();
    // The controls' own fonts are made for the system's DPI.
    if (dpi != SystemDpi())
        ApplyFonts();
    ApplyDragDropSetting();
    if (listView != nullptr) {
        InvalidateRect(listView, nullptr, TRUE);
        ::UpdateWindow(listView);
    }
    return 0;
}

void CMainFrame::LoadWindowIcons()
{
    UniqueIcon small = LoadIconResource(IDI_APPLICATION_ICON, SystemMetricForDpi(SM_CXSMICON, dpi),
                                        SystemMetricForDpi(SM_CYSMICON, dpi));
    UniqueIcon big =
        LoadIconResource(IDI_APPLICATION_ICON, SystemMetricForDpi(SM_CXICON, dpi), SystemMetricForDpi(SM_CYICON, dpi));
    SendMessageW(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    SendMessageW(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    // The window has let go of the old ones only now.
    bigIcon = std::move(big);
    smallIcon = std::move(small);
}

// Gives the window its stored client size (stored at 96 DPI), grown to the minimum
// and moved onto a monitor when the stored values would leave it unusable or out
// of reach.
void CMainFrame::FitClientSize()
{
    const int width = ScaleToDpi(std::max(initialWidth, kMinimumClientWidth), dpi);
    const int height = ScaleToDpi(std::max(initialHeight, kMinimumClientHeight), dpi);
    const RECT window = GetWindowRect();
    const RECT client = GetClientRect();
    const SIZE frame = {(window.right - window.left) - client.right, (window.bottom - window.top) - client.bottom};
    RECT outer = {window.left, window.top, window.left + width + frame.cx, window.top + height + frame.cy};
    outer = ReachablePlacement(
        outer, SIZE{ScaleToDpi(kMinimumClientWidth, dpi) + frame.cx, ScaleToDpi(kMinimumClientHeight, dpi) + frame.cy});
    SetWindowPos(nullptr, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMainFrame::CreateToolbar()
{
    for (const ToolbarButton& entry : kToolbar) {
        const std::wstring caption = LoadResourceString(entry.caption);
        (this->*entry.button)
            .Create(handle, ScaleToDpi(entry.rect, dpi), caption.c_str(), static_cast<UINT>(this->*entry.id));
    }
    PlaceToolbar();
}

// Each button at its place and with its image for the DPI; the buttons never move
// otherwise.
void CMainFrame::PlaceToolbar()
{
    for (const ToolbarButton& entry : kToolbar) {
        CThemedButton& button = this->*entry.button;
        if (!button.IsWindow())
            continue;
        const RECT rect = ScaleToDpi(entry.rect, dpi);
        button.SetWindowPos(nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                            SWP_NOZORDER | SWP_NOACTIVATE);
        button.SetDpi(dpi);
        // The button copies the pixels; the loaded image goes with this scope.
        CGdiPlusBitmapResource image(static_cast<WORD>(ToolbarImageId(entry.image, dpi)));
        button.SetImage(image.Get());
    }
}

void CMainFrame::CreateList()
{
    // A provisional rectangle: the layout gives the list its place.
    const RECT client = GetClientRect();
    const int top = ScaleToDpi(kListTop, dpi);
    // LVS_SHAREIMAGELISTS: the frame owns the image list and destroys it; without
    // it the list would destroy it too, when its window goes.
    listView =
        CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, nullptr,
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS |
                            LVS_OWNERDATA | LVS_NOSORTHEADER | LVS_SHAREIMAGELISTS,
                        1, top, client.right - 2, ScaleToDpi(400, dpi) - top, handle,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(listId)), GetModuleHandleW(nullptr), nullptr);
    if (listView == nullptr)
        return;
    SetWindowSubclass(listView, &ReleaseUnclaimedDrops, 0, 0);
    const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
    ::SendMessageW(listView, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    LoadRowImages();

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
            item.cx = ScaleToDpi(width, dpi);
        }
        ::SendMessageW(listView, LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&item));
    }
}

// The rows' images at the size drawn for the DPI: index 0 the file, index 1 the
// folder, which the cell text relies on.
void CMainFrame::LoadRowImages()
{
    const int side = ListIconSide(dpi);
    UniqueImageList images(ImageList_Create(side, side, ILC_COLOR32 | ILC_MASK, 2, 2));
    if (images) {
        for (UINT id : {IDI_FILE, IDI_FOLDER}) {
            UniqueIcon icon = LoadIconResource(id, side, side);
            ImageList_ReplaceIcon(images.get(), -1, icon.get());
        }
    }
    if (listView != nullptr)
        ::SendMessageW(listView, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images.get()));
    // The old list goes only once the list view has let go of it.
    imageList = std::move(images);
}

void CMainFrame::CreateStatusBar()
{
    statusBar =
        CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 1, 1, 1, 1, handle,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(statusBarId)), GetModuleHandleW(nullptr), nullptr);
    if (statusBar == nullptr)
        return;
    int parts[2] = {ScaleToDpi(kStatusSplit, dpi), -1};
    ::SendMessageW(statusBar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

// Fonts made for the window's DPI for the list (with its header) and the status bar.
void CMainFrame::ApplyFonts()
{
    LOGFONTW rows = {};
    if (listView != nullptr && IconTitleFontForDpi(rows, dpi)) {
        UniqueFont font(CreateFontIndirectW(&rows));
        ::SendMessageW(listView, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        listFont = std::move(font);
    }
    NONCLIENTMETRICSW metrics = {};
    if (statusBar != nullptr && NonClientMetricsForDpi(metrics, dpi)) {
        UniqueFont font(CreateFontIndirectW(&metrics.lfStatusFont));
        ::SendMessageW(statusBar, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        statusFont = std::move(font);
    }
}

void CMainFrame::OnSize(LPARAM lParam)
{
    LayOut(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
}

void CMainFrame::LayOut(int width, int height)
{
    if (listView != nullptr) {
        // A margin on the left, the right and above the status bar.
        const int margin = ScaleToDpi(kListMargin, dpi);
        int allowance = margin;
        if (statusBar != nullptr) {
            RECT bar = {};
            ::GetWindowRect(statusBar, &bar);
            allowance += bar.bottom - bar.top;
        }
        // A minimised window reports 0 x 0: the list then takes no room at all.
        const int top = ScaleToDpi(kListTop, dpi);
        ::SetWindowPos(listView, nullptr, margin, top, std::max(width - 2 * margin, 0),
                       std::max(height - top - allowance, 0), SWP_NOZORDER);
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
    info->ptMinTrackSize.x = (window.right - window.left) - client.right + ScaleToDpi(kMinimumClientWidth, dpi);
    info->ptMinTrackSize.y = (window.bottom - window.top) - client.bottom + ScaleToDpi(kMinimumClientHeight, dpi);
}

// The window moved to a monitor of another scale (or the scale changed): everything
// sized at 96 DPI is sized again, the columns keep their share, and the window
// takes the rectangle the system suggests.
void CMainFrame::OnDpiChanged(UINT newDpi, const RECT* suggested)
{
    if (newDpi == 0)
        return;
    const UINT oldDpi = dpi;
    dpi = newDpi;
    LoadWindowIcons();
    PlaceToolbar();
    if (listView != nullptr) {
        for (int column = 0; column < static_cast<int>(std::size(kColumns)); ++column) {
            const int width = static_cast<int>(::SendMessageW(listView, LVM_GETCOLUMNWIDTH, column, 0));
            ::SendMessageW(listView, LVM_SETCOLUMNWIDTH, column,
                           MulDiv(width, static_cast<int>(newDpi), static_cast<int>(oldDpi)));
        }
    }
    LoadRowImages();
    ApplyFonts();
    if (statusBar != nullptr) {
        int parts[2] = {ScaleToDpi(kStatusSplit, dpi), -1};
        ::SendMessageW(statusBar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    }
    if (suggested != nullptr)
        SetWindowPos(nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    // The size may be the same, and then no WM_SIZE comes: the list's top moved anyway.
    const RECT client = GetClientRect();
    LayOut(client.right, client.bottom);
}

void CMainFrame::StoreWindowState()
{
    const RememberedGeometry geometry = GeometryToRemember(handle, dpi);
    // Positions are the screen's; sizes are kept at 96 DPI, so that they mean the same
    // at every scale (and to an earlier Quillet, which knows no other).
    settings.X = geometry.outer.left;
    settings.Y = geometry.outer.top;
    settings.Width = ScaleFromDpi(geometry.client.cx, dpi);
    settings.Height = ScaleFromDpi(geometry.client.cy, dpi);
    if (listView != nullptr) {
        int index = 0;
        for (const ListColumn& column : kColumns) {
            const int width = static_cast<int>(::SendMessageW(listView, LVM_GETCOLUMNWIDTH, index++, 0));
            settings.*column.width = static_cast<int32_t>(ScaleFromDpi(width, dpi));
        }
    }
}

void CMainFrame::OnDestroy()
{
    StoreWindowState();
    PostQuitMessage(1);
}

// Windows ends the process after this without WM_DESTROY: what a close stores is
// stored now.
void CMainFrame::OnEndSession()
{
    StoreWindowState();
    if (sessionEndHandler)
        sessionEndHandler();
}

void CMainFrame::RememberFocus()
{
    HWND focus = ::GetFocus();
    if (focus != nullptr && ::IsChild(handle, focus))
        lastFocus = focus;
}

// The frame itself takes no keys: the focus goes on to the child that had it last,
// or to the list.
void CMainFrame::RestoreFocus()
{
    HWND target = lastFocus != nullptr && ::IsChild(handle, lastFocus) ? lastFocus : listView;
    if (target != nullptr)
        ::SetFocus(target);
}

// Tab and Shift+Tab between the list and the four buttons, in creation order, as in
// a dialog; the focus rectangles show from now on.
void CMainFrame::MoveFocus(bool backwards)
{
    HWND next = GetNextDlgTabItem(handle, ::GetFocus(), backwards);
    if (next != nullptr)
        ::SetFocus(next);
    SendMessageW(WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}
