#pragma once

// Freeing a catalogue that is no longer shown, without holding up the window.

#include "catalogue/ArchiveCatalogue.h"

// Takes the catalogue's entries and frees them: a large tree on a thread of its
// own that nothing waits for (a million entries take a quarter of a second to
// free), a small one here. `catalogue` is left empty.
void FreeAside(ArchiveCatalogue& catalogue) noexcept;
