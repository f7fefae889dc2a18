// The per-user settings record: shared by every layer, and so including nothing of ours.
#pragma once

#include <cstdint>

struct AppSettings {
    int32_t X = 20;
    int32_t Y = 20;
    int32_t Width = 865;
    int32_t Height = 595;
    int32_t Column1 = 475;
    int32_t Column2 = 155;
    int32_t Column3 = 80;
    int32_t Column4 = 120;
    int32_t Column5 = 120;
    int32_t OpenFile = 1;
    int32_t DragDrop = 1;
};
