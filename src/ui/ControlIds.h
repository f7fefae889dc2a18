// The main window's control identifiers, drawn at random for each run. Commands are
// told apart by identifier alone; the range 40000..59999 keeps them clear of the
// fixed command 32771 (Select all), of the dialogs' small ids and of the system's
// (0xF000 and up), and drawing them anew keeps nothing outside the program
// relying on their values.
#pragma once

#include <array>

constexpr int kFirstControlId = 40000;
constexpr int kControlIdRange = 20000;

// Six distinct values in 40000..59999 from the C library's generator, in drawing order:
// status bar, Open, Unpack, Settings, About, list.
std::array<int, 6> DrawControlIds();
