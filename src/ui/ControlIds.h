// The main window's control identifiers, drawn at random for each run.
#pragma once

#include <array>

constexpr int kFirstControlId = 40000;
constexpr int kControlIdRange = 20000;

// Six distinct values in 40000..59999 from the C library's generator, in drawing order:
// status bar, Open, Unpack, Settings, About, list.
std::array<int, 6> DrawControlIds();
