#include "extract/ProgressText.h"

#include <cmath>
#include <cwchar>

std::uint32_t ProgressPosition(std::uint64_t bytesDone, std::uint64_t totalBytes) noexcept
{
    if (totalBytes == 0)
        return bytesDone > 0 ? kProgressRange : 0;
    const double position = static_cast<double>(bytesDone) * kProgressRange / static_cast<double>(totalBytes);
    // Far past the total the text still has to fit an LPARAM.
    constexpr double kLimit = 0x7FFFFFFF;
    return static_cast<std::uint32_t>(position < kLimit ? position : kLimit);
}

std::wstring PercentText(std::uint32_t position)
{
    // Rounded here, so that "%.f" has no half to break: C runtimes disagree on ties.
    const double percent = std::floor(position * 100.0 / kProgressRange + 0.5);
    wchar_t text[32];
    std::swprintf(text, 32, L"%.f%%", percent);
    return text;
}

std::wstring TotalProgressText(const std::wstring& labelTemplate, std::uint32_t position)
{
    std::wstring text = labelTemplate;
    const size_t slot = text.find(L"%s");
    const std::wstring percent = PercentText(position);
    if (slot == std::wstring::npos)
        return text + percent;
    return text.replace(slot, 2, percent);
}
