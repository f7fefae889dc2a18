#include "catalogue/SelectionText.h"

#include "catalogue/ArchiveCatalogue.h"
#include "catalogue/ResourceString.h"
#include "res/resource.h"

#include <cwchar>

std::wstring SelectionText(const ArchiveCatalogue& catalogue, int selectedRows, bool parentRowSelected)
{
    int items = selectedRows;
    if (catalogue.currentFolder && parentRowSelected)
        --items;
    if (items <= 0)
        return LoadResourceString(IDS_NO_SELECTION);
    if (items == 1)
        return LoadResourceString(IDS_ONE_SELECTED);

    const std::wstring format = LoadResourceString(IDS_N_SELECTED);
    std::wstring text(format.size() + 16, L'\0');
    const int written = std::swprintf(&text[0], text.size(), format.c_str(), items);
    text.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return text;
}
