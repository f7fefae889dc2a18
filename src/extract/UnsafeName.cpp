#include "extract/UnsafeName.h"

#include "catalogue/RarLibrary.h"
#include "framework/PathText.h"

namespace {

// ".." hidden as ".. ", "...", ". ." and the like: what is left once Windows has
// removed trailing dots and blanks is ".." or nothing, and both climb out.
bool ClimbsUp(const wchar_t* first, const wchar_t* last)
{
    int dots = 0;
    for (const wchar_t* c = first; c != last; ++c) {
        if (*c == L'.')
            ++dots;
        else if (*c != L' ')
            return false;
    }
    return dots >= 2;
}

}  // namespace

bool IsUnsafeEntryName(const std::wstring& name)
{
    constexpr size_t kNameField = sizeof(RARHeaderDataEx::FileNameW) / sizeof(RARHeaderDataEx::FileNameW[0]);
    if (name.size() >= kNameField)
        return true;
    if (!name.empty() && IsSeparator(name.front()))
        return true;
    const wchar_t* const begin = name.data();
    const wchar_t* const end = begin + name.size();
    const wchar_t* component = begin;
    for (const wchar_t* c = begin; c != end; ++c) {
        // The colon covers drive prefixes ("C:") and stream names alike.
        if (*c == L':' || *c < 0x20 || *c == 0x7F)
            return true;
        if (IsSeparator(*c)) {
            if (ClimbsUp(component, c))
                return true;
            component = c + 1;
        }
    }
    return ClimbsUp(component, end);
}
