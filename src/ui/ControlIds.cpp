#include "ui/ControlIds.h"

#include <algorithm>
#include <cstdlib>

std::array<int, 6> DrawControlIds()
{
    std::array<int, 6> ids = {};
    size_t drawn = 0;
    while (drawn < ids.size()) {
        const int id = std::rand() % kControlIdRange + kFirstControlId;
        if (std::find(ids.begin(), ids.begin() + drawn, id) == ids.begin() + drawn)
            ids[drawn++] = id;
    }
    return ids;
}
