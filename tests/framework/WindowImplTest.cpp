#include "framework/Window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

constexpr UINT kRowMessage = WM_APP + 1;
constexpr UINT kUnhandledMessage = WM_APP + 2;
constexpr UINT kDestroyMessage = WM_APP + 3;

// Records what reaches each stage of the window procedure.
class CProbeWindow : public CWindowImpl {
public:
    std::vector<UINT> mapped;
    std::vector<UINT> defaulted;
    bool failCreate = false;
    int finalCalls = 0;
    HWND finalHandle = nullptr;
    HWND handleDuringFinal = reinterpret_cast<HWND>(1);
    bool ncDestroyBeforeFinal = false;

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) override
    {
        mapped.push_back(msg);
        // The rows, tried in this order.
        if (msg == WM_CREATE && failCreate) {
            result = -1;
            return true;
        }
        if (msg == kRowMessage && wParam == 1) {
            result = 11;
            return true;
        }
        if (msg == kRowMessage) {
            result = 22;
            return true;
        }
        if (msg == kDestroyMessage) {
            ::DestroyWindow(hwnd);
            return false;
        }
        return false;
    }

protected:
    WndClassInfo GetWndClassInfo() const override
    {
        return {L"Quillet.Test.ProbeWindow", CS_DBLCLKS, ::GetSysColorBrush(COLOR_BTNFACE), IDC_ARROW};
    }

    LRESULT DefaultProcessing(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        defaulted.push_back(msg);
        return CWindowImpl::DefaultProcessing(msg, wParam, lParam);
    }

    void OnFinalMessage(HWND hwnd) override
    {
        ++finalCalls;
        finalHandle = hwnd;
        handleDuringFinal = handle;
        ncDestroyBeforeFinal = !mapped.empty() && mapped.back() == WM_NCDESTROY;
    }
};

bool Contains(const std::vector<UINT>& messages, UINT msg)
{
    return std::find(messages.begin(), messages.end(), msg) != messages.end();
}

const RECT kRect{100, 100, 400, 300};

HWND CreateOverlapped(CProbeWindow& window)
{
    return window.Create(nullptr, kRect, L"Probe", WS_OVERLAPPEDWINDOW);
}

}  // namespace

TEST(WindowImplBinding, CreateBindsTheObjectAndRegistersTheClassFromItsInfo)
{
    CProbeWindow window;
    HWND hwnd = CreateOverlapped(window);

    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(window.handle, hwnd);
    EXPECT_EQ(window.GetWindowTextW(), L"Probe");
    EXPECT_EQ(::GetClassLongPtrW(hwnd, GCL_STYLE), static_cast<ULONG_PTR>(CS_DBLCLKS));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(::GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND)),
              ::GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(reinterpret_cast<HCURSOR>(::GetClassLongPtrW(hwnd, GCLP_HCURSOR)), ::LoadCursorW(nullptr, IDC_ARROW));
}

TEST(WindowImplBinding, MessagesBeforeNcCreateGoStraightToDefWindowProc)
{
    // An overlapped window gets WM_GETMINMAXINFO before WM_NCCREATE, when no
    // object is bound yet.
    CProbeWindow window;
    ASSERT_NE(CreateOverlapped(window), nullptr);

    ASSERT_FALSE(window.mapped.empty());
    EXPECT_EQ(window.mapped.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_TRUE(Contains(window.mapped, WM_CREATE));
}

TEST(WindowImplBinding, SecondCreateOnALiveObjectFails)
{
    CProbeWindow window;
    HWND first = CreateOverlapped(window);
    ASSERT_NE(first, nullptr);

    EXPECT_EQ(CreateOverlapped(window), nullptr);
    EXPECT_EQ(window.handle, first);
}

TEST(WindowImplDispatch, FirstMatchingRowAnswers)
{
    CProbeWindow window;
    ASSERT_NE(CreateOverlapped(window), nullptr);

    EXPECT_EQ(window.SendMessageW(kRowMessage, 1), 11);
    EXPECT_EQ(window.SendMessageW(kRowMessage, 2), 22);
    EXPECT_FALSE(Contains(window.defaulted, kRowMessage));
}

TEST(WindowImplDispatch, UnhandledMessagesGoToDefaultProcessing)
{
    CProbeWindow window;
    ASSERT_NE(CreateOverlapped(window), nullptr);

    EXPECT_EQ(window.SendMessageW(kUnhandledMessage), 0);
    EXPECT_TRUE(Contains(window.defaulted, kUnhandledMessage));

    // DefWindowProcW really ran: it keeps the window text.
    window.SetWindowTextW(L"Renamed");
    EXPECT_TRUE(Contains(window.defaulted, WM_SETTEXT));
    EXPECT_EQ(window.GetWindowTextW(), L"Renamed");
}

TEST(WindowImplLifetime, FinalMessageFollowsNcDestroyWithTheObjectUnbound)
{
    CProbeWindow window;
    HWND hwnd = CreateOverlapped(window);
    ASSERT_NE(hwnd, nullptr);

    ASSERT_TRUE(window.DestroyWindow());

    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(window.finalCalls, 1);
    EXPECT_EQ(window.finalHandle, hwnd);
    EXPECT_EQ(window.handleDuringFinal, nullptr);
    EXPECT_TRUE(window.ncDestroyBeforeFinal);
    EXPECT_TRUE(Contains(window.mapped, WM_DESTROY));
    EXPECT_EQ(window.handle, nullptr);
}

TEST(WindowImplLifetime, ObjectCanCreateAgainAfterItsWindowIsGone)
{
    CProbeWindow window;
    HWND first = CreateOverlapped(window);
    ASSERT_NE(first, nullptr);
    window.DestroyWindow();

    HWND second = CreateOverlapped(window);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(window.SendMessageW(kRowMessage, 1), 11);
}

TEST(WindowImplLifetime, FailedCreationReturnsNullAndUnbinds)
{
    CProbeWindow window;
    window.failCreate = true;

    EXPECT_EQ(CreateOverlapped(window), nullptr);
    EXPECT_EQ(window.handle, nullptr);
    EXPECT_EQ(window.finalCalls, 1);
}

TEST(WindowImplLifetime, DestroyingTheObjectDestroysItsWindow)
{
    HWND hwnd = nullptr;
    {
        CProbeWindow window;
        hwnd = CreateOverlapped(window);
        ASSERT_NE(hwnd, nullptr);
    }
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(WindowImplLifetime, HandlerThatDestroysItsWindowFallsBackSafely)
{
    CProbeWindow window;
    HWND hwnd = CreateOverlapped(window);
    ASSERT_NE(hwnd, nullptr);

    EXPECT_EQ(::SendMessageW(hwnd, kDestroyMessage, 0, 0), 0);

    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(window.finalCalls, 1);
    // The object no longer has a window, so its own default processing is skipped.
    EXPECT_FALSE(Contains(window.defaulted, kDestroyMessage));
}
