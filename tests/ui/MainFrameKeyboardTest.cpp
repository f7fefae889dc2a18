// The main window from the keyboard alone, with real keystrokes through the
// system's queue and the messages run through the frame's filter, as the program's
// own loop runs them.
#include "FrameExtractTesting.h"

#include "res/resource.h"

#include <functional>
#include <initializer_list>
#include <vector>

namespace {

class MainFrameKeyboard : public FrameExtractTest {
protected:
    // Presses and releases each key in turn, then runs the messages until `done` holds.
    ::testing::AssertionResult Keys(std::initializer_list<WORD> keys, const std::function<bool()>& done,
                                    DWORD timeoutMs = 3000)
    {
        return KeysWith(0, keys, done, timeoutMs);
    }

    // The same with `modifier` (Alt, Shift) held around each key.
    ::testing::AssertionResult KeysWith(WORD modifier, std::initializer_list<WORD> keys,
                                        const std::function<bool()>& done, DWORD timeoutMs = 3000)
    {
        std::vector<INPUT> input;
        auto add = [&input](WORD key, DWORD flags) {
            INPUT one = {};
            one.type = INPUT_KEYBOARD;
            one.ki.wVk = key;
            one.ki.dwFlags = flags;
            input.push_back(one);
        };
        for (WORD key : keys) {
            if (modifier)
                add(modifier, 0);
            add(key, 0);
            add(key, KEYEVENTF_KEYUP);
            if (modifier)
                add(modifier, KEYEVENTF_KEYUP);
        }
        SetForegroundWindow(shown->Window());
        if (SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT)) != input.size())
            return ::testing::AssertionFailure() << "SendInput refused the keys";
        if (!PumpThroughFrame(done, timeoutMs))
            return ::testing::AssertionFailure() << "the keys did not have their effect";
        return ::testing::AssertionSuccess();
    }

    bool PumpThroughFrame(const std::function<bool()>& done, DWORD timeoutMs)
    {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (!shown->Frame().FilterMessage(&message)) {
                    TranslateMessage(&message);
                    DispatchMessageW(&message);
                }
            }
            if (done())
                return true;
            MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
        return false;
    }

    std::wstring FirstRow() const { return shown->CellText(0, 0); }
    HWND ButtonWithId(int id) const { return GetDlgItem(shown->Window(), id); }
};

TEST_F(MainFrameKeyboard, BrowseSelectByNameAndUnpackWithKeysAlone)
{
    fixture.WriteFile(L"docs\\guide.txt", "guide");
    fixture.WriteFile(L"alpha.txt", "alpha");
    fixture.WriteFile(L"Readme.txt", "readme");
    ASSERT_NO_FATAL_FAILURE(Show(fixture.MakeArchive(L"keys.rar", L"-r")));
    ASSERT_EQ(shown->RowNames(), (std::vector<std::wstring>{L"docs", L"Readme.txt", L"alpha.txt"}));
    // The window passes its focus on to the list.
    SetFocus(shown->Window());
    ASSERT_EQ(GetFocus(), shown->List());

    // Down to the folder, Enter into it, Backspace out; Enter in again, Alt+Up out.
    ASSERT_TRUE(Keys({VK_DOWN, VK_RETURN}, [this] { return FirstRow() == L".."; }));
    EXPECT_EQ(shown->RowNames(), (std::vector<std::wstring>{L"..", L"guide.txt"}));
    ASSERT_TRUE(Keys({VK_BACK}, [this] { return FirstRow() == L"docs"; }));
    ASSERT_TRUE(Keys({VK_HOME, VK_RETURN}, [this] { return FirstRow() == L".."; }));
    ASSERT_TRUE(KeysWith(VK_MENU, {VK_UP}, [this] { return FirstRow() == L"docs"; }));
    // Backspace at the top level changes nothing.
    EXPECT_FALSE(Keys(
        {VK_BACK}, [this] { return FirstRow() != L"docs"; }, 300));

    // Typing selects by name, as in the Explorer.
    ASSERT_TRUE(Keys({'R', 'E'}, [this] { return shown->StatusText() == L"Selected 1 item"; }));
    const int selected =
        static_cast<int>(SendMessageW(shown->List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    EXPECT_EQ(shown->CellText(selected, 0), L"Readme.txt");

    // Tab past Open to Unpack; Space presses it, Enter in its dialog starts the job.
    ASSERT_TRUE(Keys({VK_TAB}, [this] { return GetFocus() == ButtonWithId(shown->Frame().OpenButtonId()); }));
    ASSERT_TRUE(Keys({VK_TAB}, [this] { return GetFocus() == ButtonWithId(shown->Frame().UnpackButtonId()); }));
    const std::wstring destination = fixture.Folder() + L"\\keys";
    bool selectedOnly = false;
    driver.Expect(L"Unpack", [&](DialogDriver::Dialog& unpack) {
        selectedOnly = unpack.IsEnabled(IDC_EXTRACT_SELECTED);
        unpack.SetText(IDC_DESTINATION, destination);
        unpack.Check(IDC_EXTRACT_SELECTED);
        unpack.Type(L"\n");
    });
    driver.Expect(L"Unpack", [](DialogDriver::Dialog& unpack) { unpack.Press(IDCANCEL); });
    ASSERT_TRUE(Keys({VK_SPACE}, [this] { return driver.Pending() == 0; }));
    EXPECT_TRUE(selectedOnly);
    EXPECT_EQ(ReadWholeFile(destination + L"\\Readme.txt"), "readme");
    EXPECT_EQ(GetFileAttributesW((destination + L"\\alpha.txt").c_str()), INVALID_FILE_ATTRIBUTES);

    // Shift+Tab goes back the other way, round to the list.
    SetFocus(ButtonWithId(shown->Frame().OpenButtonId()));
    EXPECT_TRUE(KeysWith(VK_SHIFT, {VK_TAB}, [this] { return GetFocus() == shown->List(); }));
}

}  // namespace
