#pragma once

// The entries a job went on past after they failed, and the box that tells of
// them at the end: how many, the first names with the reason of each, and what
// stopped the job if something did.

#include <string>
#include <vector>

// Whether a code from extracting or skipping one entry costs that entry only: the
// library has moved past the entry's data and reads the next header from there.
// A compression method it does not know stops a solid archive, whose later
// entries unpack from the same stream.
bool EndsOnlyTheEntry(int code, bool solidArchive) noexcept;

// An entry's name as a line of the box shows it: disguising characters made
// visible as in the list, a long one by its end, control characters as "?".
std::wstring ShownEntryName(const std::wstring& name);

class EntryFailures {
public:
    // Named in the box; the rest are counted.
    static constexpr size_t kNamed = 10;

    void Add(const std::wstring& name, int code);
    unsigned Count() const noexcept { return count; }

    // Whether there is more to tell than the first failure, whose box the user
    // saw when it happened: further failures, or a job that then stopped on an
    // error with a message (`endingCode`; 0 when the job ran to its end).
    bool NeedsSummary(int endingCode) const;
    std::wstring SummaryText(int endingCode) const;

private:
    struct Failure {
        std::wstring name;
        int code;
    };
    std::vector<Failure> named;
    unsigned count = 0;
};
