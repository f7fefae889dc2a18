#include "catalogue/FreeAside.h"

#include "framework/Thread.h"

#include <memory>
#include <new>

namespace {

// Below this a thread would cost more than the freeing.
constexpr size_t kFreedHereBelow = 20000;

}  // namespace

void FreeAside(ArchiveCatalogue& catalogue) noexcept
{
    if (catalogue.entryCount >= kFreedHereBelow) {
        try {
            auto parcel = std::make_shared<ArchiveCatalogue>(std::move(catalogue));
            catalogue.ClearCatalogue();
            // The thread holds the only reference; without a thread the work goes
            // unrun, and the parcel with it, here.
            StartThread([held = std::move(parcel)]() mutable { held.reset(); });
            return;
        } catch (const std::bad_alloc&) {
        }
    }
    catalogue.ClearCatalogue();
}
