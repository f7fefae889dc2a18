#pragma once

// The numbers behind the progress bar and its "Total progress" label.

#include <cstdint>
#include <string>

// The bar's range is 0 to kProgressRange (65536, one past 65535 on purpose).
constexpr std::uint32_t kProgressRange = 0x10000;

// done / total scaled to the bar, truncated. Past the total the position goes
// on past kProgressRange; with a total of 0, any data written means full.
std::uint32_t ProgressPosition(std::uint64_t bytesDone, std::uint64_t totalBytes) noexcept;

// "37%": the position as a whole percentage, halves rounded up, not clamped.
std::wstring PercentText(std::uint32_t position);

// The label's template with the percentage in place of its "%s".
std::wstring TotalProgressText(const std::wstring& labelTemplate, std::uint32_t position);
