#include "HardeningTesting.h"

#include "catalogue/ArchiveCatalogue.h"
#include "extract/EntryFailures.h"
#include "extract/ExtractionPaths.h"
#include "extract/UnsafeName.h"
#include "framework/Handles.h"
#include "res/resource.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>

namespace {

constexpr UINT kAnswerIntervalMs = 5;
constexpr wchar_t kProgressCaption[] = L"Unpacking is in progress...";
constexpr wchar_t kOpeningCaption[] = L"Opening archive";
constexpr wchar_t kPasswordCaption[] = L"Enter password";
constexpr wchar_t kErrorCaption[] = L"Error";

thread_local BoxAnswerer* activeAnswerer = nullptr;

BOOL CALLBACK CollectDialogs(HWND window, LPARAM param)
{
    if (::IsWindowVisible(window) && ::IsWindowEnabled(window) && IsDialogWindow(window))
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

// The job's callbacks and the listing's, as the program answers them.
struct WalkContext {
    const std::wstring* password = nullptr;
    bool listing = true;
    bool refused = false;
    size_t requests = 0;
};

int CALLBACK WalkCallback(UINT message, LPARAM userData, LPARAM p1, LPARAM p2)
{
    auto* context = reinterpret_cast<WalkContext*>(userData);
    switch (message) {
    case UCM_NEEDPASSWORDW:
        ++context->requests;
        if (context->password->empty()) {
            context->refused = true;
            return -1;
        }
        context->refused = false;
        if (p1 && p2 > 0)
            ::StrCpyNW(reinterpret_cast<wchar_t*>(p1), context->password->c_str(), static_cast<int>(p2));
        return 1;
    case UCM_CHANGEVOLUME:
    case UCM_CHANGEVOLUMEW:
        if (p2 == RAR_VOL_ASK)
            return -1;
        return context->listing ? 0 : 1;
    default:
        return context->listing ? 0 : 1;
    }
}

// After these the library has moved past the entry's data and reads on from the
// next header, as `unrar x` goes on: data that failed its check, a file that
// could not be made, the missing source of a copy; a method it does not know,
// unless later entries unpack from the same solid stream.
bool FailsOnlyTheEntry(int code, bool solid)
{
    return code == ERAR_BAD_DATA || code == ERAR_ECREATE || code == ERAR_EREFERENCE ||
           (code == ERAR_UNKNOWN_FORMAT && !solid);
}

// A name that fills the library's field to its end may go on beyond it.
std::wstring NameOf(const RARHeaderDataEx& header, bool& cut)
{
    const size_t length = ::wcsnlen(header.FileNameW, ARRAYSIZE(header.FileNameW));
    cut = length == ARRAYSIZE(header.FileNameW);
    return std::wstring(header.FileNameW, length);
}

LibraryWalk Walk(const std::wstring& archivePath, const std::wstring& password, const std::wstring* destination)
{
    LibraryWalk walk;
    WalkContext context;
    context.password = &password;
    context.listing = destination == nullptr;
    RarArchive archive;
    walk.openResult = archive.Open(archivePath.c_str(), context.listing ? RarOpenMode::List : RarOpenMode::Extract,
                                   &WalkCallback, reinterpret_cast<LPARAM>(&context));
    if (walk.openResult == ERAR_SUCCESS) {
        auto header = std::make_unique<RARHeaderDataEx>();
        std::wstring last;
        for (;;) {
            int code = archive.ReadHeader(*header);
            if (!context.listing && context.refused) {
                code = code == HEADER_BROKEN || code == COMMENT_BROKEN ? ERAR_BAD_DATA : code;
                walk.stopCode = code;
                break;
            }
            // The listing tells of that end, a job does not.
            if (!context.listing && code == COMMENT_BROKEN)
                code = ERAR_END_ARCHIVE;
            if (code != ERAR_SUCCESS) {
                walk.stopCode = code;
                break;
            }
            bool cut = false;
            const std::wstring name = NameOf(*header, cut);
            if (!(IsContinuedPiece(*header) && walk.entries > 0 && name == last))
                ++walk.entries;
            last = name;
            if (context.listing) {
                code = archive.Skip();
            } else if (cut || IsUnsafeEntryName(name)) {
                ++walk.unsafeNames;
                code = archive.SkipWide();
            } else if (MakesLink(*header)) {
                ++walk.linksLeftOut;
                code = archive.SkipWide();
            } else if (!FitsLibrary(*destination, name)) {
                code = archive.SkipWide();
                code = code == ERAR_SUCCESS ? ERAR_ECREATE : code;
            } else {
                code = archive.ExtractTo(destination->c_str());
                // A stream record left out for its name: the file is there.
                if (code == ERAR_UNSAFE_STREAM) {
                    ++walk.unsafeNames;
                    code = ERAR_SUCCESS;
                }
            }
            if (!context.listing && FailsOnlyTheEntry(code, archive.IsSolid())) {
                walk.failures.push_back({name, code});
                continue;
            }
            if (code != ERAR_SUCCESS) {
                walk.stopCode = code;
                break;
            }
        }
    }
    walk.passwordRequests = context.requests;
    walk.passwordRefused = context.refused;
    return walk;
}

void DumpKey(HKEY parent, const std::wstring& path, std::wstring& out)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    out += L"[" + path + L"]\n";
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = ARRAYSIZE(name);
        BYTE data[512];
        DWORD dataSize = sizeof(data);
        DWORD type = 0;
        if (::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        out += std::wstring(name, nameLength) + L"=" + std::to_wstring(type) + L":";
        for (DWORD b = 0; b < dataSize; ++b)
            out += std::to_wstring(data[b]) + L",";
        out += L"\n";
    }
    std::vector<std::wstring> subkeys;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = ARRAYSIZE(name);
        if (::RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subkeys.emplace_back(name, nameLength);
    }
    ::RegCloseKey(key);
    for (const std::wstring& subkey : subkeys)
        DumpKey(parent, path + L"\\" + subkey, out);
}

}  // namespace

std::wstring ExpectedErrorText(int code)
{
    switch (code) {
    case 11:
        return L"Not enough memory.";
    case 12:
        return L"File CRC error.";
    case 13:
        return L"Bad archive.";
    case 14:
        return L"Unknown archive format.";
    case 15:
        return L"Volume open error.";
    case 16:
        return L"File create error.";
    case 17:
        return L"File close error.";
    case 18:
        return L"Read error.";
    case 19:
        return L"Write error.";
    case 23:
        return L"When attempting to unpack a reference record, source file for this reference was not found.";
    case 24:
        return L"Entered password is invalid.";
    case 253:
        return L"The archive comment is corrupt.";
    case 254:
        return L"File header broken.";
    default:
        return std::wstring();
    }
}

std::wstring UnsafeNamesText(unsigned count)
{
    return std::to_wstring(count) + L" entries were skipped because their names are unsafe.";
}

std::wstring FailedEntriesText(const std::vector<FailedEntry>& failures, const std::wstring& stoppedBy)
{
    constexpr size_t kNamed = 10;
    std::wstring text = failures.size() == 1 ? L"1 entry could not be extracted:"
                                             : std::to_wstring(failures.size()) + L" entries could not be extracted:";
    for (size_t i = 0; i < failures.size() && i < kNamed; ++i)
        text += L"\n" + ShownEntryName(failures[i].name) + L": " + ExpectedErrorText(failures[i].code);
    if (failures.size() > kNamed)
        text += L"\nand " + std::to_wstring(failures.size() - kNamed) + L" more.";
    if (!stoppedBy.empty())
        text += L"\n\nExtraction stopped: " + stoppedBy;
    return text;
}

std::wstring LinksLeftOutText(unsigned count)
{
    return std::to_wstring(count) +
           L" links were left out: Quillet does not make symbolic links, junctions or hard links.";
}

std::string Describe(const ShownBoxes& boxes)
{
    std::string text = "[";
    for (const ShownBox& box : boxes)
        text += " '" + Utf8(box.caption) + (box.text.empty() ? "" : ": " + Utf8(box.text)) + "'";
    return text + " ]";
}

BoxAnswerer::BoxAnswerer(std::wstring typed) : password(std::move(typed))
{
    previous = activeAnswerer;
    activeAnswerer = this;
    timer = ::SetTimer(nullptr, 0, kAnswerIntervalMs, &BoxAnswerer::OnTimer);
}

BoxAnswerer::~BoxAnswerer()
{
    ::KillTimer(nullptr, timer);
    activeAnswerer = previous;
}

ShownBoxes BoxAnswerer::Messages() const
{
    ShownBoxes messages;
    for (const ShownBox& box : boxes) {
        if (box.caption != kPasswordCaption)
            messages.push_back(box);
    }
    return messages;
}

size_t BoxAnswerer::PasswordPrompts() const
{
    return static_cast<size_t>(
        std::count_if(boxes.begin(), boxes.end(), [](const ShownBox& box) { return box.caption == kPasswordCaption; }));
}

void CALLBACK BoxAnswerer::OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (activeAnswerer)
        activeAnswerer->Poll();
}

void BoxAnswerer::Poll()
{
    for (auto it = answered.begin(); it != answered.end();)
        it = ::IsWindow(*it) ? std::next(it) : answered.erase(it);

    std::vector<HWND> dialogs;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectDialogs, reinterpret_cast<LPARAM>(&dialogs));
    for (HWND dialog : dialogs) {
        if (answered.count(dialog))
            continue;
        const std::wstring caption = WindowTextOf(dialog);
        // The progress of a job, or of an open that takes a while: not a box to answer.
        if (caption == kProgressCaption || caption == kOpeningCaption)
            continue;
        answered.insert(dialog);
        if (caption == kErrorCaption && ::GetDlgItem(dialog, kMessageBoxTextId)) {
            boxes.push_back({caption, WindowTextOf(::GetDlgItem(dialog, kMessageBoxTextId))});
            PostButtonClick(dialog, IDOK);
        } else if (caption == kPasswordCaption) {
            boxes.push_back({caption, std::wstring()});
            if (password.empty()) {
                PostButtonClick(dialog, IDCANCEL);
            } else {
                ::SetWindowTextW(::GetDlgItem(dialog, IDC_PASSWORD), password.c_str());
                PostButtonClick(dialog, IDOK);
            }
        } else {
            HWND text = ::GetDlgItem(dialog, kMessageBoxTextId);
            boxes.push_back({L"unexpected: " + caption, text ? WindowTextOf(text) : std::wstring()});
            PostButtonClick(dialog, ::GetDlgItem(dialog, IDCANCEL) || !text ? IDCANCEL : IDOK);
        }
    }
}

LibraryWalk WalkForListing(const std::wstring& archive, const std::wstring& password)
{
    return Walk(archive, password, nullptr);
}

LibraryWalk WalkForExtraction(const std::wstring& archive, const std::wstring& password,
                              const std::wstring& destination)
{
    const std::wstring folder = NormalizedFolderPath(destination);
    CreateFolderWithParents(folder);
    return Walk(archive, password, &folder);
}

ShownBoxes ExpectedListingBoxes(const LibraryWalk& walk)
{
    const std::wstring text = ExpectedErrorText(walk.openResult != 0 ? walk.openResult : walk.stopCode);
    if (!text.empty())
        return {{kErrorCaption, text}};
    // A walk cut short by a code without a message says so, unless the user had
    // just refused the password.
    if (walk.openResult == 0 && walk.stopCode != ERAR_END_ARCHIVE && !walk.passwordRefused)
        return {{kErrorCaption, L"The archive could not be read to the end."}};
    return {};
}

ShownBoxes ExpectedJobBoxes(const LibraryWalk& walk)
{
    // The first failure as it happens; further ones, and what then stopped the
    // job, in one box at its end.
    ShownBoxes boxes;
    const int code = walk.openResult != 0 ? walk.openResult : walk.stopCode;
    const std::wstring stoppedBy =
        code != ERAR_SUCCESS && code != ERAR_END_ARCHIVE ? ExpectedErrorText(code) : std::wstring();
    if (walk.failures.empty()) {
        if (!stoppedBy.empty())
            boxes.push_back({kErrorCaption, stoppedBy});
    } else {
        boxes.push_back({kErrorCaption, ExpectedErrorText(walk.failures.front().code)});
        if (walk.failures.size() > 1 || !stoppedBy.empty())
            boxes.push_back({kErrorCaption, FailedEntriesText(walk.failures, stoppedBy)});
    }
    if (walk.unsafeNames > 0)
        boxes.push_back({kErrorCaption, UnsafeNamesText(walk.unsafeNames)});
    if (walk.linksLeftOut > 0)
        boxes.push_back({kErrorCaption, LinksLeftOutText(walk.linksLeftOut)});
    return boxes;
}

INT_PTR ExpectedJobResult(const LibraryWalk& walk)
{
    const int code = walk.openResult != 0 ? walk.openResult : walk.stopCode;
    const bool failed = code != ERAR_SUCCESS && code != ERAR_END_ARCHIVE;
    return failed || !walk.failures.empty() || walk.unsafeNames > 0 || walk.linksLeftOut > 0 ? IDCANCEL : IDOK;
}

int FirstJobCode(const LibraryWalk& walk)
{
    if (walk.openResult != 0)
        return walk.openResult;
    return walk.failures.empty() ? walk.stopCode : walk.failures.front().code;
}

bool CatalogueState::operator==(const CatalogueState& other) const
{
    return archivePath == other.archivePath && paths == other.paths && currentFolder == other.currentFolder &&
           stackDepth == other.stackDepth && totalSize == other.totalSize;
}

CatalogueState StateOf(const ArchiveCatalogue& catalogue)
{
    CatalogueState state;
    state.archivePath = catalogue.archivePath;
    state.currentFolder = catalogue.currentFolder;
    state.stackDepth = catalogue.folderStack.size();
    state.totalSize = catalogue.totalSize;
    std::vector<const ArchiveEntry*> pending;
    for (auto it = catalogue.rootEntries.rbegin(); it != catalogue.rootEntries.rend(); ++it)
        pending.push_back(it->get());
    while (!pending.empty()) {
        const ArchiveEntry* entry = pending.back();
        pending.pop_back();
        state.paths.push_back(entry->path);
        for (auto it = entry->children.rbegin(); it != entry->children.rend(); ++it)
            pending.push_back(it->get());
    }
    return state;
}

bool SameSettings(const AppSettings& a, const AppSettings& b)
{
    return std::memcmp(&a, &b, sizeof(AppSettings)) == 0;
}

std::wstring SettingsRegistryDump()
{
    std::wstring dump;
    DumpKey(HKEY_CURRENT_USER, L"SOFTWARE\\Tarnfield\\Quillet", dump);
    return dump;
}

bool WriteTextFile(const std::wstring& path, const std::string& contents)
{
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    std::ofstream stream(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    stream.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    return stream.good();
}

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size);
    return out;
}
