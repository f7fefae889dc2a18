// The per-user settings record and its registry store.
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

// Fills every field whose registry value can be read; leaves the others as they are.
// Never creates the settings key itself, but creates its missing subkeys.
void LoadSettings(AppSettings& settings);

// Writes the whole record. Failures cost only the values concerned and are not reported.
void SaveSettings(const AppSettings& settings);
