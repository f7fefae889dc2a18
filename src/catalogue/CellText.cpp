#include "catalogue/CellText.h"

#include "catalogue/ArchiveCatalogue.h"

#include <shlwapi.h>

#include <cwchar>

namespace {

// Appends to a bounded buffer; what does not fit is dropped, and a high surrogate
// whose partner would fall off goes with it.
class TextSink {
public:
    TextSink(wchar_t* buffer, size_t capacity) noexcept : text(buffer), limit(capacity)
    {
        if (limit > 0)
            text[0] = L'\0';
    }

    void Append(const wchar_t* piece, size_t count) noexcept
    {
        if (limit == 0)
            return;
        const size_t room = limit - 1 - length;
        size_t taken = count < room ? count : room;
        // A cut with a low surrogate just past it would strand its high half.
        if (taken < count && taken > 0 && IsLowSurrogate(piece[taken]))
            --taken;
        std::wmemcpy(text + length, piece, taken);
        length += taken;
        text[length] = L'\0';
    }

    void Append(const wchar_t* piece) noexcept { Append(piece, std::wcslen(piece)); }

    void AppendNumber(std::uint64_t value, int minDigits) noexcept
    {
        wchar_t digits[24];
        size_t count = 0;
        do {
            digits[sizeof(digits) / sizeof(digits[0]) - 1 - count] = static_cast<wchar_t>(L'0' + value % 10);
            value /= 10;
            ++count;
        } while (value != 0 || static_cast<int>(count) < minDigits);
        Append(digits + sizeof(digits) / sizeof(digits[0]) - count, count);
    }

private:
    static bool IsLowSurrogate(wchar_t unit) noexcept { return unit >= 0xDC00 && unit <= 0xDFFF; }

    wchar_t* text;
    size_t limit;
    size_t length = 0;
};

// Characters that reorder what follows them (U+202E makes "report<U+202E>fdp.exe"
// read "reportexe.pdf"): never drawn as they are.
bool IsBidiControl(wchar_t c) noexcept
{
    return c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// Characters drawn as empty space; a long run of them pushes the rest of a name
// ("report.pdf          .exe") out of the column.
bool IsBlank(wchar_t c) noexcept
{
    return c == 0x0020 || c == 0x00A0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F ||
           c == 0x2800 || c == 0x3000 || c == 0x3164;
}

constexpr size_t kLongBlankRun = 3;

void AppendHex(TextSink& sink, wchar_t c) noexcept
{
    const wchar_t* const digits = L"0123456789ABCDEF";
    const wchar_t hex[4] = {digits[(c >> 12) & 0xF], digits[(c >> 8) & 0xF], digits[(c >> 4) & 0xF], digits[c & 0xF]};
    sink.Append(hex, 4);
}

// The name as it is, but for what could disguise it: a bidirectional control
// shows as "<U+202E>", a run of three or more blanks as "<12 blanks>".
void AppendShownName(TextSink& sink, const wchar_t* name) noexcept
{
    const wchar_t* plain = name;
    const wchar_t* c = name;
    while (*c != L'\0') {
        size_t blanks = 0;
        while (IsBlank(c[blanks]))
            ++blanks;
        if (!IsBidiControl(*c) && blanks < kLongBlankRun) {
            c += blanks > 0 ? blanks : 1;
            continue;
        }
        sink.Append(plain, static_cast<size_t>(c - plain));
        if (blanks > 0) {
            sink.Append(L"<");
            sink.AppendNumber(blanks, 1);
            sink.Append(L" blanks>");
            c += blanks;
        } else {
            sink.Append(L"<U+");
            AppendHex(sink, *c);
            sink.Append(L">");
            ++c;
        }
        plain = c;
    }
    sink.Append(plain, static_cast<size_t>(c - plain));
}

const wchar_t* MonthText(unsigned month) noexcept
{
    static const wchar_t* const kMonths[] = {L" Jan ", L" Feb ", L" Mar ", L" Apr ", L" May ", L" Jun ",
                                             L" Jul ", L" Aug ", L" Sep ", L" Oct ", L" Nov ", L" Dec "};
    return month >= 1 && month <= 12 ? kMonths[month - 1] : L"";
}

}  // namespace

std::wstring ShownName(const std::wstring& name)
{
    // At its longest every unit becomes "<U+XXXX>".
    std::wstring shown(name.size() * 8 + 1, L'\0');
    TextSink sink(&shown[0], shown.size());
    AppendShownName(sink, name.c_str());
    shown.resize(std::wcslen(shown.c_str()));
    return shown;
}

void FormatFileTime(std::uint32_t fileTime, wchar_t* text, size_t capacity)
{
    const unsigned date = fileTime >> 16;
    const unsigned time = fileTime & 0xFFFF;
    TextSink sink(text, capacity);
    sink.AppendNumber(date & 0x1F, 1);
    sink.Append(MonthText((date >> 5) & 0x0F));
    sink.AppendNumber(1980 + (date >> 9), 1);
    sink.Append(L" ");
    sink.AppendNumber(time >> 11, 2);
    sink.Append(L":");
    sink.AppendNumber((time >> 5) & 0x3F, 2);
    sink.Append(L":");
    sink.AppendNumber(2 * (time & 0x1F), 2);
}

void FormatSize(std::uint64_t size, wchar_t* text, size_t capacity)
{
    TextSink sink(text, capacity);
    const auto value = static_cast<std::int64_t>(size);
    if (value < 0) {
        sink.Append(L"-");
        sink.AppendNumber(0 - size, 1);
    } else {
        sink.AppendNumber(size, 1);
    }
}

int FillCell(const ArchiveCatalogue& catalogue, int row, int column, wchar_t* text, size_t capacity)
{
    TextSink sink(text, capacity);
    if (catalogue.IsParentRow(row)) {
        if (column == kColumnName)
            sink.Append(L"..");
        return kFolderImage;
    }
    const ArchiveEntry* entry = catalogue.EntryAtRow(row);
    if (!entry)
        return kFolderImage;

    switch (column) {
    case kColumnName:
        AppendShownName(sink, PathFindFileNameW(entry->path.c_str()));
        break;
    case kColumnType:
        sink.Append(entry->isFolder ? L"Folder" : L"File");
        break;
    case kColumnSize:
        if (!entry->isFolder)
            FormatSize(entry->unpackedSize, text, capacity);
        break;
    case kColumnModified:
        FormatFileTime(entry->fileTime, text, capacity);
        break;
    default:
        break;
    }
    return entry->isFolder ? kFolderImage : kFileImage;
}

void AnswerDisplayInfo(const ArchiveCatalogue& catalogue, LVITEMW& item, wchar_t* buffer)
{
    const int image = FillCell(catalogue, item.iItem, item.iSubItem, buffer, kCellTextCapacity);
    item.pszText = buffer;
    item.cchTextMax = static_cast<int>(kCellTextCapacity);
    if (item.iSubItem == kColumnName)
        item.iImage = image;
}
