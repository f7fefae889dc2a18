#pragma once

#include "catalogue/ArchiveEntry.h"

// Folders before files; within a kind, full paths by UTF-16 code unit as unsigned
// numbers (so every capital of the basic Latin range precedes every small letter).
bool EntryPrecedes(const ArchiveEntry& a, const ArchiveEntry& b);

// Puts one folder's contents (or the top level) into display order. Not stable:
// entries of one kind with identical paths may stand either way.
void SortForDisplay(EntryList& entries);
