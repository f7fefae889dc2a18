#pragma once

// The frame of every hostile-archive test: a fixture folder, an intact anchor
// archive, the probe child (a watchdog per archive, the library's own codes as
// the measure of the messages), a shown main window for the steps a user takes,
// and the search for anything written outside the allowed folders.

#include "ArchiveProbe.h"
#include "DialogDriver.h"
#include "HardeningTesting.h"
#include "RarCraft.h"
#include "RarFixture.h"
#include "TemporaryFolderOverride.h"
#include "WrittenOutsideCheck.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class HostileArchiveTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Each archive listed and extracted in a probe child: no crash, no hang,
    // the library's codes as messages, nothing else changed.
    void ExpectProbesPass(const std::vector<ProbeCase>& cases);

    // An archive of the files below "in" that match `files`, made by rar.
    std::wstring Make(const std::wstring& name, const std::wstring& options, const std::wstring& files);
    // Made with -qo- and edited by RarCraft.
    template <typename Edit> std::wstring Craft(const std::wstring& name, const std::wstring& files, Edit edit)
    {
        const std::wstring path = Make(name, L"-qo- -r", files);
        std::string error;
        EXPECT_TRUE(!path.empty() && rar5::EditArchive(path, edit, &error)) << error;
        return path;
    }

    // A shown main window with the archive open (1 expected from OpenArchive).
    CMainFrame& Show(const std::wstring& archive);
    // Double-clicks the row that shows `name` in the current view.
    void Activate(const std::wstring& name);
    int RowOf(const std::wstring& name) const;
    void ExpectErrorBox(const std::wstring& text);
    // Each of the boxes, in order (password prompts are not among them).
    void ExpectBoxes(const ShownBoxes& boxes);
    // The next password prompt: typed and OK, or Cancel for "".
    void AnswerPassword(const std::wstring& password);

    std::wstring Work(const std::wstring& relative) const { return work + L"\\" + relative; }

    // How long a whole test may take before its watchdog ends the process.
    DWORD testTimeoutMs = Watchdog::kDefaultTimeoutMs;

    RarFixture fixture;
    bool ready = false;
    const std::wstring work = fixture.Folder() + L"\\work";
    const std::wstring temp = fixture.Folder() + L"\\temp";
    std::unique_ptr<TemporaryFolderOverride> useTemp;
    std::unique_ptr<WrittenOutsideCheck> outside;
    std::wstring anchor;
    std::unique_ptr<DialogDriver> driver;
    std::unique_ptr<ShownMainFrame> shown;
};

// `count` characters of `c`.
std::wstring Repeat(wchar_t c, size_t count);
