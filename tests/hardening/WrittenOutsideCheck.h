#pragma once

// Whether anything was written outside the places a test allows: the whole C:
// drive of the Wine prefix, the test exe's folder with every fixture below it,
// and the top of the Unix root (where a rooted name would land from Z:) are
// searched from Linux for files and folders whose status changed since the
// check began. ctime is used, not the modification time: the library sets the
// times of what it writes to those stored in the archive.

#include "RarFixture.h"

#include <string>
#include <vector>

class WrittenOutsideCheck {
public:
    // Takes the starting mark. `allowed` are Windows paths below which writing is fine.
    WrittenOutsideCheck(const RarFixture& fixture, std::vector<std::wstring> allowed);

    // The Unix paths changed since the mark outside the allowed places and the
    // bookkeeping of the fixture and of Wine itself; empty when nothing else was
    // touched. Also false `ok` when the search itself could not run.
    std::vector<std::string> Changes(bool& ok) const;

private:
    const RarFixture& fixture;
    std::vector<std::string> allowedRoots;  // Unix paths
    std::vector<std::string> ancestors;     // folders that change when an allowed root is made
    std::string marker;
};
