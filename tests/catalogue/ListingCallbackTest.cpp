// The library's callback while listing, called the way the library calls it, and
// what the user is told of a listing that went wrong.

#include "CatalogueTesting.h"
#include "DialogDriver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>

namespace {

LPARAM Buffer(wchar_t* buffer)
{
    return reinterpret_cast<LPARAM>(buffer);
}

LPARAM Session(ListingSession& session)
{
    return reinterpret_cast<LPARAM>(&session);
}

TEST(ListingCallback, PasswordIsCutToTheLibrarysBufferAndADeclineIsRemembered)
{
    const PasswordRequest typed = [](std::wstring& password) {
        password = L"abcdefghijkl";
        return true;
    };
    ListingSession session{&typed};
    wchar_t buffer[12] = L"###########";
    EXPECT_EQ(ListingCallback(UCM_NEEDPASSWORDW, Session(session), Buffer(buffer), 8), 1);
    EXPECT_EQ(std::wstring(buffer), L"abcdefg");
    EXPECT_EQ(buffer[8], L'#');
    EXPECT_FALSE(session.passwordDeclined);

    const PasswordRequest declined = [](std::wstring& password) {
        password = L"typed but cancelled";
        return false;
    };
    session.askPassword = &declined;
    wchar_t untouched[16] = L"untouched";
    EXPECT_EQ(ListingCallback(UCM_NEEDPASSWORDW, Session(session), Buffer(untouched), 16), -1);
    EXPECT_EQ(std::wstring(untouched), L"untouched");
    EXPECT_TRUE(session.passwordDeclined);
}

// Nothing may unwind through the library, and a walk no one waits for any more
// gets no further answers.
TEST(ListingCallback, AThrowingRequestAndAStoppedSessionAreRefused)
{
    const PasswordRequest throwing = [](std::wstring&) -> bool { throw std::bad_alloc(); };
    ListingSession session{&throwing};
    wchar_t buffer[8] = L"";
    EXPECT_EQ(ListingCallback(UCM_NEEDPASSWORDW, Session(session), Buffer(buffer), 8), -1);

    const PasswordRequest typed = [](std::wstring& password) {
        password = L"secret";
        return true;
    };
    std::atomic<bool> stop{true};
    ListingSession stopped{&typed, false, &stop};
    EXPECT_EQ(ListingCallback(UCM_NEEDPASSWORDW, Session(stopped), Buffer(buffer), 8), -1);
    EXPECT_EQ(ListingCallback(UCM_CHANGEVOLUMEW, Session(stopped), Buffer(buffer), RAR_VOL_NOTIFY), -1);
    EXPECT_EQ(std::wstring(buffer), L"");
}

TEST(ListingCallback, VolumeRequestsAreRefusedEverythingElseAnswersZero)
{
    wchar_t name[] = L"set.part2.rar";
    char narrow[] = "set.part2.rar";
    EXPECT_EQ(ListingCallback(UCM_CHANGEVOLUMEW, 0, Buffer(name), RAR_VOL_ASK), -1);
    EXPECT_EQ(ListingCallback(UCM_CHANGEVOLUME, 0, reinterpret_cast<LPARAM>(narrow), RAR_VOL_ASK), -1);
    EXPECT_EQ(ListingCallback(UCM_CHANGEVOLUMEW, 0, Buffer(name), RAR_VOL_NOTIFY), 0);
    EXPECT_EQ(ListingCallback(UCM_CHANGEVOLUME, 0, reinterpret_cast<LPARAM>(narrow), RAR_VOL_NOTIFY), 0);
    unsigned char data[4] = {};
    EXPECT_EQ(ListingCallback(UCM_PROCESSDATA, 0, reinterpret_cast<LPARAM>(data), 4), 0);
    EXPECT_EQ(ListingCallback(UCM_NEEDPASSWORD, 0, reinterpret_cast<LPARAM>(narrow), 8), 0);
    EXPECT_EQ(ListingCallback(99, 0, 0, 0), 0);
}

// Presents a listing of two entries that ended with `codes`.
int PresentTwoEntries(ArchiveCatalogue& catalogue, const wchar_t* path, const ListResult& codes)
{
    Listing listed;
    listed.codes = codes;
    EntryList entries;
    for (const wchar_t* name : {L"b.txt", L"a.txt"}) {
        entries.push_back(std::make_unique<ArchiveEntry>());
        entries.back()->path = name;
    }
    listed.catalogue.BuildFolderTree(std::move(entries));
    return PresentListing(catalogue, path, nullptr, listed).result;
}

// Codes without a message of their own would leave a partial list looking whole.
TEST(ListingErrors, AWalkCutShortSaysSoOnceThenListsWhatWasRead)
{
    DialogDriver driver;
    for (const int code : {ERAR_SMALL_BUF, ERAR_UNKNOWN, ERAR_MISSING_PASSWORD, -1, 99}) {
        SCOPED_TRACE(code);
        ArchiveCatalogue catalogue;
        int rowsDuringTheBox = -1;
        driver.Expect(L"Error", [&](DialogDriver::Dialog& box) {
            EXPECT_EQ(box.MessageText(), L"The archive could not be read to the end.");
            rowsDuringTheBox = catalogue.RowCount();
            box.Press(IDOK);
        });
        ListResult listed;
        listed.stopCode = code;
        EXPECT_EQ(PresentTwoEntries(catalogue, L"C:\\cut.rar", listed), 1);
        EXPECT_TRUE(driver.AllAnswered());
        EXPECT_EQ(rowsDuringTheBox, 0);
        EXPECT_EQ(RowNames(catalogue), (Names{L"a.txt", L"b.txt"}));
        EXPECT_EQ(catalogue.archivePath, L"C:\\cut.rar");
    }

    // After a declined prompt, at the normal end: nothing to say. A code with a
    // message of its own: that message alone.
    ArchiveCatalogue catalogue;
    ListResult declined;
    declined.stopCode = ERAR_MISSING_PASSWORD;
    declined.passwordDeclined = true;
    PresentTwoEntries(catalogue, L"C:\\a.rar", declined);
    ListResult ended;
    ended.stopCode = ERAR_END_ARCHIVE;
    PresentTwoEntries(catalogue, L"C:\\a.rar", ended);
    driver.Expect(L"Error", [](DialogDriver::Dialog& box) {
        EXPECT_EQ(box.MessageText(), L"File header broken.");
        box.Press(IDOK);
    });
    ListResult broken;
    broken.stopCode = HEADER_BROKEN;
    PresentTwoEntries(catalogue, L"C:\\a.rar", broken);
    EXPECT_TRUE(driver.AllAnswered());
    EXPECT_EQ(RowNames(catalogue), (Names{L"a.txt", L"b.txt"}));
}

}  // namespace
