#pragma once

// The library's header walk with nothing around it, the yardstick of every
// listing measure.

#include "BenchTiming.h"
#include "catalogue/ArchiveEntry.h"
#include "catalogue/ArchiveListing.h"
#include "catalogue/RarLibrary.h"

#include <memory>
#include <string>

// Reads and skips every header to the end, in ms; with `kept`, an entry is made of
// every header and kept, as the listing does. Freed after the clock stops.
inline double BareWalk(const std::wstring& path, RarOpenMode mode, size_t& headers, EntryList* kept = nullptr)
{
    const double start = Now();
    headers = 0;
    RarArchive archive;
    if (archive.Open(path.c_str(), mode, &ListingCallback, 0) != 0)
        return -1;
    auto header = std::make_unique<RARHeaderDataEx>();
    while (archive.ReadHeader(*header) == 0) {
        if (kept)
            kept->push_back(MakeEntry(*header));
        if (archive.Skip() != 0)
            break;
        ++headers;
    }
    archive.Close();
    return Now() - start;
}
