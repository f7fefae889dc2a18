#include "ExtractTesting.h"

#include "catalogue/ArchiveErrors.h"
#include "catalogue/ArchiveListing.h"
#include "catalogue/CellText.h"
#include "extract/DlgPassword.h"
#include "extract/DlgProgress.h"
#include "extract/ExtractionPaths.h"
#include "framework/Handles.h"
#include "res/resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

TestList::TestList(const ArchiveCatalogue& shown) : catalogue(shown), owner(RECT{100, 80, 900, 680})
{
    list =
        ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                          0, 0, 780, 560, owner, nullptr, nullptr, nullptr);
    EXPECT_NE(list, nullptr);
    Refresh();
}

void TestList::Refresh()
{
    ::SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(catalogue.RowCount()), 0);
    LVITEMW none = {};
    none.stateMask = LVIS_SELECTED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
}

void TestList::SelectRows(const std::vector<int>& rows)
{
    LVITEMW selected = {};
    selected.stateMask = LVIS_SELECTED;
    selected.state = LVIS_SELECTED;
    for (int row : rows)
        ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&selected));
}

void TestList::SelectNamed(const Names& names)
{
    std::vector<int> rows;
    for (const std::wstring& name : names) {
        const int row = RowNamed(catalogue, name);
        EXPECT_GE(row, 0) << "no row " << RarFixture::ToUtf8(name);
        rows.push_back(row);
    }
    SelectRows(rows);
}

void TestList::SelectAll()
{
    SelectRows({-1});
}

namespace {

// Every recorder alive on the thread hears each call once, through one pair of hooks.
thread_local std::vector<ProgressRecorder*> activeRecorders;
thread_local HHOOK beforeHook = nullptr;
thread_local HHOOK afterHook = nullptr;

constexpr wchar_t kProgressCaption[] = L"Unpacking is in progress...";

bool InProgressDialog(HWND control)
{
    wchar_t caption[64] = L"";
    ::GetWindowTextW(::GetParent(control), caption, 64);
    return std::wstring(caption) == kProgressCaption;
}

}  // namespace

ProgressRecorder::ProgressRecorder()
{
    if (activeRecorders.empty()) {
        beforeHook = ::SetWindowsHookExW(WH_CALLWNDPROC, &BeforeCall, nullptr, ::GetCurrentThreadId());
        afterHook = ::SetWindowsHookExW(WH_CALLWNDPROCRET, &AfterCall, nullptr, ::GetCurrentThreadId());
        EXPECT_NE(beforeHook, nullptr);
        EXPECT_NE(afterHook, nullptr);
    }
    activeRecorders.push_back(this);
}

ProgressRecorder::~ProgressRecorder()
{
    activeRecorders.erase(std::find(activeRecorders.begin(), activeRecorders.end(), this));
    if (activeRecorders.empty()) {
        ::UnhookWindowsHookEx(beforeHook);
        ::UnhookWindowsHookEx(afterHook);
    }
}

Names ProgressRecorder::NamesShownAs(const std::wstring& shownAction) const
{
    Names names;
    for (const Shown& shown : entries) {
        if (shown.action == shownAction)
            names.push_back(shown.name);
    }
    return names;
}

LRESULT CALLBACK ProgressRecorder::BeforeCall(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        for (ProgressRecorder* recorder : activeRecorders)
            recorder->Record(*reinterpret_cast<const CWPSTRUCT*>(lParam));
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK ProgressRecorder::AfterCall(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        for (ProgressRecorder* recorder : activeRecorders)
            recorder->RecordResult(*reinterpret_cast<const CWPRETSTRUCT*>(lParam));
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void ProgressRecorder::Record(const CWPSTRUCT& call)
{
    if (call.message != WM_SETTEXT && call.message != PBM_SETPOS)
        return;
    if (!InProgressDialog(call.hwnd))
        return;
    const int id = ::GetDlgCtrlID(call.hwnd);
    if (call.message == PBM_SETPOS) {
        if (id == IDC_PROGRESS_BAR)
            requested.push_back(static_cast<int>(call.wParam));
        return;
    }
    const std::wstring text = call.lParam ? reinterpret_cast<const wchar_t*>(call.lParam) : L"";
    switch (id) {
    case IDC_ACTION:
        action = text;
        if (!text.empty())
            actions.push_back(text);
        break;
    case IDC_ENTRY_NAME:
        if (!text.empty())
            entries.push_back({action, text});
        break;
    case IDC_TOTAL_PROGRESS:
        if (!text.empty())
            progressTexts.push_back(text);
        break;
    default:
        break;
    }
}

void ProgressRecorder::RecordResult(const CWPRETSTRUCT& call)
{
    if (call.message == PBM_SETPOS && ::GetDlgCtrlID(call.hwnd) == IDC_PROGRESS_BAR && InProgressDialog(call.hwnd))
        barPositions.push_back(static_cast<int>(::SendMessageW(call.hwnd, PBM_GETPOS, 0, 0)));
}

int ReferenceExtract(const RarFixture& fixture, const std::wstring& archive, const std::wstring& destination,
                     const std::wstring& password)
{
    // Wine has no Unix name for a path that is not there: an empty one would
    // send unrar to the root folder.
    const std::string unixFixture = RarFixture::UnixPath(fixture.Folder());
    const std::string unixDestination =
        CreateFolderWithParents(NormalizedFolderPath(destination)) ? RarFixture::UnixPath(destination) : "";
    if (unixFixture.empty() || unixDestination.compare(0, unixFixture.size() + 1, unixFixture + "/") != 0) {
        ADD_FAILURE() << "no Unix folder for " << RarFixture::ToUtf8(destination);
        return -1;
    }
    const std::wstring passwordSwitch = password.empty() ? L"-p-" : L"-p" + RarFixture::Quote(password);
    const ShellResult result = fixture.Shell(L"/usr/bin/unrar x -idq -o+ " + passwordSwitch + L" " +
                                             RarFixture::Quote(RarFixture::FromUtf8(RarFixture::UnixPath(archive))) +
                                             L" " + RarFixture::Quote(RarFixture::FromUtf8(unixDestination + "/")));
    return result.exitCode;
}

INT_PTR RunJobShowingAll(const ExtractionJob& job, HWND owner)
{
    CDlgProgress progress(job);
    progress.SetDisplayInterval(0);
    return progress.DoModal(owner);
}

std::string Noise(size_t size, unsigned seed)
{
    std::string noise(size, '\0');
    unsigned state = seed;
    for (char& c : noise) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 16);
    }
    return noise;
}

void ExpectErrorBox(DialogDriver& driver, const std::wstring& message)
{
    driver.Expect(L"Error", [message](DialogDriver::Dialog& box) {
        EXPECT_EQ(box.MessageText(), message);
        box.Press(IDOK);
    });
}

void CollectErrorBoxes(DialogDriver& driver, Names& texts, int count)
{
    for (int i = 0; i < count; ++i) {
        driver.Expect(L"Error", [&texts](DialogDriver::Dialog& box) {
            texts.push_back(box.MessageText());
            box.Press(IDOK);
        });
    }
}
