#include "widgets/ScaledImages.h"

#include "framework/Dpi.h"
#include "res/resource.h"

namespace {

constexpr int kToolbarSizes[] = {32, 40, 48, 64, 80, 96};
constexpr int kListIconSizes[] = {16, 20, 24, 32, 40, 48};

// The index of the largest size not above `wanted`; the smallest when none is.
template <size_t Count> size_t LargestFitting(const int (&sizes)[Count], int wanted) noexcept
{
    size_t best = 0;
    for (size_t i = 1; i < Count; ++i) {
        if (sizes[i] <= wanted)
            best = i;
    }
    return best;
}

struct ToolbarImageIds {
    UINT base;         // 32 pixels
    UINT firstLarger;  // 40 pixels; the larger sizes follow
};

constexpr ToolbarImageIds kToolbarImages[] = {
    {IDB_OPEN, IDB_OPEN_40},
    {IDB_UNPACK, IDB_UNPACK_40},
    {IDB_SETTINGS, IDB_SETTINGS_40},
    {IDB_ABOUT, IDB_ABOUT_40},
};

}  // namespace

UINT ToolbarImageId(UINT baseId, UINT dpi) noexcept
{
    const size_t size = LargestFitting(kToolbarSizes, ScaleToDpi(kToolbarSizes[0], dpi));
    for (const ToolbarImageIds& image : kToolbarImages) {
        if (image.base == baseId)
            return size == 0 ? image.base : image.firstLarger + static_cast<UINT>(size - 1);
    }
    return baseId;
}

int ListIconSide(UINT dpi) noexcept
{
    return kListIconSizes[LargestFitting(kListIconSizes, ScaleToDpi(kListIconSizes[0], dpi))];
}
