// Passwords, Enter, Cancel and a worker that cannot start: the dialog's side of
// a job, driven as a user would.

#include "ExtractTesting.h"

#include "extract/DlgProgress.h"
#include "extract/ExtractionPaths.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class JobControl : public RarFixtureTest {
protected:
    std::wstring Destination() const { return fixture.Folder() + L"\\dest"; }
    std::wstring Target(const std::wstring& relative) const { return Destination() + L"\\" + relative; }

    void Open(const std::wstring& path)
    {
        ASSERT_FALSE(path.empty());
        ASSERT_TRUE(OpenCatalogue(catalogue, path));
        list = std::make_unique<TestList>(catalogue);
    }

    INT_PTR Run(UpdateMode update = UpdateReplace)
    {
        return RunJobShowingAll(MakeJob(catalogue, list->List(), Destination(), ExtractAll, update), list->Owner());
    }

    // Answers the next password prompt; `first` runs before, while the progress
    // dialog waits behind the prompt.
    void ExpectPrompt(const std::wstring& password, bool ok = true, std::function<void()> first = nullptr)
    {
        driver.Expect(L"Enter password", [=](DialogDriver::Dialog& prompt) {
            if (first)
                first();
            prompt.SetText(IDC_PASSWORD, password);
            prompt.Press(ok ? IDOK : IDCANCEL);
        });
    }

    static void PressInProgressDialog(int id)
    {
        HWND progress = ::FindWindowW(L"#32770", L"Unpacking is in progress...");
        ASSERT_NE(progress, nullptr);
        ::PostMessageW(progress, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }

    void MakeEncrypted(const wchar_t* options = L"-psecret")
    {
        fixture.WriteFile(L"a.txt", "alpha");
        fixture.WriteFile(L"b.txt", "bravo");
        fixture.WriteFile(L"c\\d.txt", "delta");
        archive = fixture.MakeArchive(L"secret.rar", std::wstring(L"-r ") + options);
    }

    DialogDriver driver;
    ArchiveCatalogue catalogue;
    std::unique_ptr<TestList> list;
    std::wstring archive;
};

TEST_F(JobControl, EncryptedDataAsksOncePerJob)
{
    MakeEncrypted();
    ASSERT_NO_FATAL_FAILURE(Open(archive));
    for (int job = 0; job < 2; ++job) {
        ExpectPrompt(L"secret");
        EXPECT_EQ(Run(), IDOK);
        EXPECT_TRUE(driver.AllAnswered());
    }
    EXPECT_EQ(ReadWholeFile(Target(L"a.txt")), "alpha");
    EXPECT_EQ(ReadWholeFile(Target(L"c\\d.txt")), "delta");
}

TEST_F(JobControl, PromptStandsOverTheProgressDialogShownOnScreen)
{
    MakeEncrypted();
    ASSERT_NO_FATAL_FAILURE(Open(archive));
    driver.Expect(L"Enter password", [](DialogDriver::Dialog& prompt) {
        HWND progress = ::FindWindowW(L"#32770", L"Unpacking is in progress...");
        EXPECT_TRUE(::IsWindowVisible(progress));
        EXPECT_EQ(::GetWindow(prompt.Handle(), GW_OWNER), progress);
        prompt.SetText(IDC_PASSWORD, L"secret");
        prompt.Press(IDOK);
    });
    EXPECT_EQ(Run(), IDOK);
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(JobControl, RefusedPromptEndsTheJobWithNothingWritten)
{
    MakeEncrypted();
    ASSERT_NO_FATAL_FAILURE(Open(archive));
    ExpectPrompt(L"", false);
    EXPECT_EQ(Run(), IDCANCEL);
    EXPECT_FALSE(PathExists(Target(L"a.txt")));
    EXPECT_FALSE(PathExists(Target(L"b.txt")));
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(JobControl, WrongPasswordIsReported)
{
    MakeEncrypted();
    ASSERT_NO_FATAL_FAILURE(Open(archive));
    ExpectPrompt(L"wrong");
    ExpectErrorBox(driver, L"Entered password is invalid.");
    EXPECT_EQ(Run(), IDCANCEL);
    EXPECT_TRUE(driver.AllAnswered());
}

TEST_F(JobControl, EnterDoesNotEndAJob)
{
    MakeEncrypted();
    ASSERT_NO_FATAL_FAILURE(Open(archive));
    ExpectPrompt(L"secret", true, [] { PressInProgressDialog(IDOK); });
    EXPECT_EQ(Run(), IDOK);
    EXPECT_EQ(ReadWholeFile(Target(L"b.txt")), "bravo");
    EXPECT_TRUE(driver.AllAnswered());
}

// The prompt for the second entry holds the worker while Cancel is pressed.
TEST_F(JobControl, CancelInTheMiddleKeepsWhatIsWritten)
{
    fixture.WriteFile(L"first.txt", "first");
    fixture.WriteFile(L"big.bin", Noise(300000));
    ASSERT_FALSE(fixture.MakeArchive(L"mixed.rar", L"", L"first.txt").empty());
    archive = fixture.MakeArchive(L"mixed.rar", L"-psecret", L"big.bin");
    ASSERT_NO_FATAL_FAILURE(Open(archive));
    ExpectPrompt(L"secret", true, [] { PressInProgressDialog(IDCANCEL); });
    EXPECT_EQ(Run(), IDCANCEL);
    EXPECT_EQ(ReadWholeFile(Target(L"first.txt")), "first");
    EXPECT_NE(ReadWholeFile(Target(L"big.bin")).size(), 300000u);
    EXPECT_TRUE(driver.AllAnswered());
}

// Skipping makes no library callbacks: Cancel is still read before each header.
TEST_F(JobControl, CancelWhileOnlySkippingEndsTheJob)
{
    MakeEncrypted(L"-hpsecret");
    ExpectPrompt(L"secret");  // the listing's own
    ASSERT_NO_FATAL_FAILURE(Open(archive));
    ExpectPrompt(L"secret");
    EXPECT_EQ(Run(), IDOK);

    ProgressRecorder shown;
    ExpectPrompt(L"secret", true, [] { PressInProgressDialog(IDCANCEL); });
    EXPECT_EQ(Run(UpdateSkip), IDCANCEL);
    EXPECT_TRUE(shown.Entries().empty());
    EXPECT_TRUE(driver.AllAnswered());
}

// A job whose event or thread cannot be had would wait forever: it ends at once.
class CDlgProgressWithout : public CDlgProgress {
public:
    CDlgProgressWithout(const ExtractionJob& extractionJob, bool eventMissing)
        : CDlgProgress(extractionJob), noEvent(eventMissing)
    {
    }

protected:
    UniqueKernelHandle CreateJobEvent() override
    {
        return noEvent ? UniqueKernelHandle() : CDlgProgress::CreateJobEvent();
    }
    UniqueKernelHandle StartWorker(ExtractionWorker& jobWorker) override
    {
        return noEvent ? CDlgProgress::StartWorker(jobWorker) : UniqueKernelHandle();
    }

private:
    bool noEvent;
};

TEST_F(JobControl, AJobWithoutItsEventOrThreadEndsWithAMessage)
{
    fixture.WriteFile(L"a.txt", "alpha");
    ASSERT_NO_FATAL_FAILURE(Open(fixture.MakeArchive(L"plain.rar")));
    for (const bool eventMissing : {true, false}) {
        SCOPED_TRACE(eventMissing ? "no event" : "no thread");
        ExpectErrorBox(driver, L"Not enough memory.");
        CDlgProgressWithout progress(MakeJob(catalogue, list->List(), Destination()), eventMissing);
        EXPECT_EQ(progress.DoModal(list->Owner()), IDCANCEL);
        EXPECT_FALSE(PathExists(Target(L"a.txt")));
        EXPECT_TRUE(driver.AllAnswered());
    }
}

}  // namespace
