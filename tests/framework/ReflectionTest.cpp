#include "framework/Window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kChildId = 301;
constexpr LRESULT kChildAnswer = 0x5A5A;

struct Received {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// A control that answers every reflected message and notes what it got.
class CReflectedChild : public CWindowImpl {
public:
    std::vector<Received> received;

    bool ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (msg < kReflectedMessageBase || msg >= kReflectedMessageBase + WM_USER)
            return false;
        received.push_back({msg, wParam, lParam});
        result = kChildAnswer;
        return true;
    }

protected:
    WndClassInfo GetWndClassInfo() const override { return {L"Quillet.Test.ReflectedChild"}; }
};

// A parent whose default processing reflects; it handles one command itself.
class CReflectingParent : public CWindowImpl {
public:
    static constexpr int kOwnCommand = 77;

    bool ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) override
    {
        if (msg == WM_COMMAND && LOWORD(wParam) == kOwnCommand) {
            result = 1;
            return true;
        }
        return false;
    }

protected:
    WndClassInfo GetWndClassInfo() const override { return {L"Quillet.Test.ReflectingParent"}; }

    LRESULT DefaultProcessing(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        bool reflected = false;
        LRESULT answer = ReflectToChild(handle, msg, wParam, lParam, reflected);
        return reflected ? answer : CWindowImpl::DefaultProcessing(msg, wParam, lParam);
    }
};

class Reflection : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(parent.Create(nullptr, RECT{0, 0, 300, 200}, L"Parent", WS_OVERLAPPEDWINDOW), nullptr);
        ASSERT_NE(child.Create(parent, RECT{0, 0, 50, 20}, L"", WS_CHILD | WS_VISIBLE, 0, kChildId), nullptr);
        childHandle = child.handle;
        child.received.clear();
    }

    // Reflects directly and checks that the child got exactly this message.
    void ExpectReflected(UINT msg, WPARAM wParam, LPARAM lParam)
    {
        child.received.clear();
        bool reflected = false;
        LRESULT answer = ReflectToChild(parent, msg, wParam, lParam, reflected);
        EXPECT_TRUE(reflected) << "message 0x" << std::hex << msg;
        EXPECT_EQ(answer, kChildAnswer);
        ASSERT_EQ(child.received.size(), 1u) << "message 0x" << std::hex << msg;
        EXPECT_EQ(child.received[0].msg, msg + 0x2000);
        EXPECT_EQ(child.received[0].wParam, wParam);
        EXPECT_EQ(child.received[0].lParam, lParam);
    }

    void ExpectNotReflected(UINT msg, WPARAM wParam, LPARAM lParam)
    {
        child.received.clear();
        bool reflected = true;
        EXPECT_EQ(ReflectToChild(parent, msg, wParam, lParam, reflected), 0);
        EXPECT_FALSE(reflected) << "message 0x" << std::hex << msg;
        EXPECT_TRUE(child.received.empty());
    }

    LPARAM ChildParam() const { return reinterpret_cast<LPARAM>(childHandle); }

    CReflectingParent parent;
    CReflectedChild child;
    HWND childHandle = nullptr;
};

}  // namespace

TEST_F(Reflection, ControlCommandsAndNotificationsReachTheControl)
{
    ExpectReflected(WM_COMMAND, MAKEWPARAM(kChildId, BN_CLICKED), ChildParam());

    NMHDR header{childHandle, kChildId, NM_CLICK};
    ExpectReflected(WM_NOTIFY, kChildId, reinterpret_cast<LPARAM>(&header));
}

TEST_F(Reflection, ControlColourScrollAndListBoxKeysReachTheControl)
{
    HDC dc = ::GetDC(childHandle);
    for (UINT msg : {WM_CTLCOLORBTN, WM_CTLCOLOREDIT, WM_CTLCOLORLISTBOX, WM_CTLCOLORSCROLLBAR, WM_CTLCOLORSTATIC,
                     WM_CTLCOLORDLG, WM_CTLCOLORMSGBOX})
        ExpectReflected(msg, reinterpret_cast<WPARAM>(dc), ChildParam());
    ::ReleaseDC(childHandle, dc);

    ExpectReflected(WM_HSCROLL, SB_LINERIGHT, ChildParam());
    ExpectReflected(WM_VSCROLL, SB_LINEDOWN, ChildParam());
    ExpectReflected(WM_VKEYTOITEM, MAKEWPARAM(VK_DOWN, 0), ChildParam());
    ExpectReflected(WM_CHARTOITEM, MAKEWPARAM(L'a', 0), ChildParam());
}

TEST_F(Reflection, OwnerDrawMessagesFindTheControlByHandleOrId)
{
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_BUTTON;
    draw.CtlID = kChildId;
    draw.hwndItem = childHandle;
    ExpectReflected(WM_DRAWITEM, kChildId, reinterpret_cast<LPARAM>(&draw));

    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_LISTBOX;
    measure.CtlID = kChildId;
    ExpectReflected(WM_MEASUREITEM, kChildId, reinterpret_cast<LPARAM>(&measure));

    COMPAREITEMSTRUCT compare{};
    compare.CtlType = ODT_LISTBOX;
    compare.CtlID = kChildId;
    compare.hwndItem = childHandle;
    ExpectReflected(WM_COMPAREITEM, kChildId, reinterpret_cast<LPARAM>(&compare));

    DELETEITEMSTRUCT deleted{};
    deleted.CtlType = ODT_LISTBOX;
    deleted.CtlID = kChildId;
    deleted.hwndItem = childHandle;
    ExpectReflected(WM_DELETEITEM, kChildId, reinterpret_cast<LPARAM>(&deleted));
}

TEST_F(Reflection, ParentNotifyReflectsOnlyCreationAndDestruction)
{
    ExpectReflected(WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, kChildId), ChildParam());
    ExpectReflected(WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, kChildId), ChildParam());
    ExpectNotReflected(WM_PARENTNOTIFY, MAKEWPARAM(WM_LBUTTONDOWN, 0), MAKELPARAM(10, 10));
}

TEST_F(Reflection, MessagesWithoutAControlStayWithTheParent)
{
    // Menu and accelerator commands, the window's own scroll bars, menu items.
    ExpectNotReflected(WM_COMMAND, MAKEWPARAM(40001, 0), 0);
    ExpectNotReflected(WM_HSCROLL, SB_LINERIGHT, 0);

    DRAWITEMSTRUCT menuDraw{};
    menuDraw.CtlType = ODT_MENU;
    ExpectNotReflected(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&menuDraw));
    MEASUREITEMSTRUCT menuMeasure{};
    menuMeasure.CtlType = ODT_MENU;
    menuMeasure.CtlID = kChildId;
    ExpectNotReflected(WM_MEASUREITEM, kChildId, reinterpret_cast<LPARAM>(&menuMeasure));

    ExpectNotReflected(WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200));
    // A dialog colouring its own background names itself, not a child.
    ExpectNotReflected(WM_CTLCOLORDLG, 0, reinterpret_cast<LPARAM>(parent.handle));
}

TEST_F(Reflection, TheControlsAnswerBecomesTheParentsResult)
{
    EXPECT_EQ(parent.SendMessageW(WM_COMMAND, MAKEWPARAM(kChildId, EN_CHANGE), ChildParam()), kChildAnswer);
    ASSERT_EQ(child.received.size(), 1u);
    EXPECT_EQ(child.received[0].msg, static_cast<UINT>(WM_COMMAND + 0x2000));
}

TEST_F(Reflection, ARowOfTheParentTakesPrecedence)
{
    EXPECT_EQ(parent.SendMessageW(WM_COMMAND, MAKEWPARAM(CReflectingParent::kOwnCommand, BN_CLICKED), ChildParam()), 1);
    EXPECT_TRUE(child.received.empty());
}
