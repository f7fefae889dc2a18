#pragma once

// Shared by the extraction tests: a real owner-data list over a catalogue, a
// recorder of what the progress dialog shows, snapshots of extracted trees and
// the reference extraction by Linux unrar.

#include "DialogDriver.h"
#include "CatalogueTesting.h"
#include "DiskFiles.h"
#include "OwnerWindow.h"
#include "MainFrameTesting.h"
#include "RarFixture.h"

#include "catalogue/ArchiveCatalogue.h"
#include "extract/ExtractionJob.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A visible top-level window holding an owner-data report list with the
// catalogue's rows, as the main window has.
class TestList {
public:
    explicit TestList(const ArchiveCatalogue& catalogue);
    TestList(const TestList&) = delete;
    TestList& operator=(const TestList&) = delete;

    HWND Owner() const { return owner; }
    HWND List() const { return list; }

    // After a change of view: the row count again, nothing selected.
    void Refresh();
    void SelectRows(const std::vector<int>& rows);
    void SelectNamed(const Names& names);
    void SelectAll();

private:
    const ArchiveCatalogue& catalogue;
    OwnerWindow owner;
    HWND list = nullptr;
};

// Everything the progress dialogs of the thread show while it lives: labels,
// with the action beside each entry name, and the bar's positions.
class ProgressRecorder {
public:
    ProgressRecorder();
    ~ProgressRecorder();
    ProgressRecorder(const ProgressRecorder&) = delete;
    ProgressRecorder& operator=(const ProgressRecorder&) = delete;

    struct Shown {
        std::wstring action;
        std::wstring name;
    };
    const std::vector<Shown>& Entries() const { return entries; }
    const std::vector<std::wstring>& Actions() const { return actions; }
    const std::vector<std::wstring>& ProgressTexts() const { return progressTexts; }
    // PBM_SETPOS as asked, and where the bar then stood.
    const std::vector<int>& RequestedPositions() const { return requested; }
    const std::vector<int>& BarPositions() const { return barPositions; }
    // The names shown with this action, in order.
    Names NamesShownAs(const std::wstring& action) const;

private:
    static LRESULT CALLBACK BeforeCall(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK AfterCall(int code, WPARAM wParam, LPARAM lParam);
    void Record(const CWPSTRUCT& call);
    void RecordResult(const CWPRETSTRUCT& call);

    std::wstring action;
    std::vector<Shown> entries;
    std::vector<std::wstring> actions;
    std::vector<std::wstring> progressTexts;
    std::vector<int> requested;
    std::vector<int> barPositions;
};

// `unrar x` of Linux into `destination` (a Windows path); its exit code.
int ReferenceExtract(const RarFixture& fixture, const std::wstring& archive, const std::wstring& destination,
                     const std::wstring& password = std::wstring());

// A progress dialog for `job` run modally, every entry and step shown.
INT_PTR RunJobShowingAll(const ExtractionJob& job, HWND owner);

// Data that does not compress.
std::string Noise(size_t size, unsigned seed = 12345);

// Answers the next "Error" box after checking its text.
void ExpectErrorBox(DialogDriver& driver, const std::wstring& message);
// Answers the next `count` "Error" boxes, keeping their texts.
void CollectErrorBoxes(DialogDriver& driver, Names& texts, int count);
