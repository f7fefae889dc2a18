// The settings record's registry store.
#pragma once

#include "app/AppSettings.h"

// Fills every field whose registry value can be read; leaves the others as they are.
// Never creates the settings key itself, but creates its missing subkeys.
void LoadSettings(AppSettings& settings);

// Writes the whole record. Failures cost only the values concerned and are not reported.
void SaveSettings(const AppSettings& settings);
