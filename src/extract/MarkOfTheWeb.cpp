#include "extract/MarkOfTheWeb.h"

#include "framework/Handles.h"
#include "framework/PathText.h"

#include <windows.h>

namespace {

constexpr DWORD kMarkLimit = 64 * 1024;
constexpr wchar_t kStream[] = L":Zone.Identifier";
constexpr size_t kStreamLength = ARRAYSIZE(kStream) - 1;

}  // namespace

std::string ReadZoneIdentifier(const std::wstring& archivePath)
{
    const UniqueKernelHandle stream(::CreateFileW(PlatformPath(archivePath + kStream).c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_EXISTING, 0, nullptr));
    if (!stream)
        return std::string();
    std::string mark(kMarkLimit, '\0');
    DWORD read = 0;
    if (!::ReadFile(stream.get(), &mark[0], kMarkLimit, &read, nullptr))
        return std::string();
    mark.resize(read);
    return mark;
}

bool WriteZoneIdentifier(const std::wstring& path, const std::string& mark)
{
    // The file and its stream in one form, the long-path prefix decided on the
    // longer of the two: the system then reads both names alike, and the stream
    // can only be one of the file opened here.
    const std::wstring streamPath = PlatformPath(path + kStream);
    const std::wstring file = streamPath.substr(0, streamPath.size() - kStreamLength);
    // Held open without delete sharing until the stream is written, so that
    // the name cannot come to mean another file meanwhile: creating the stream
    // never creates a file. Writing a stream counts as a change of the file on
    // some file systems, and a read-only file takes no new stream: both are put
    // back as they were.
    const UniqueKernelHandle item(::CreateFileW(file.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    FILE_BASIC_INFO before = {};
    if (!item || !::GetFileInformationByHandleEx(item.get(), FileBasicInfo, &before, sizeof(before)) ||
        (before.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        return false;
    const bool readOnly = (before.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly) {
        FILE_BASIC_INFO writable = before;
        writable.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
        ::SetFileInformationByHandle(item.get(), FileBasicInfo, &writable, sizeof(writable));
    }
    bool written = false;
    {
        const UniqueKernelHandle stream(::CreateFileW(streamPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD count = 0;
        written = stream && ::WriteFile(stream.get(), mark.data(), static_cast<DWORD>(mark.size()), &count, nullptr) &&
                  count == mark.size();
    }
    ::SetFileInformationByHandle(item.get(), FileBasicInfo, &before, sizeof(before));
    return written;
}
