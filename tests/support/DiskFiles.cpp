#include "DiskFiles.h"

#include "RarFixture.h"

#include "extract/ExtractionPaths.h"
#include "framework/Handles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

std::uint64_t ToUint64(const FILETIME& time)
{
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

std::string ReadBytes(const std::wstring& path)
{
    const UniqueKernelHandle file(::CreateFileW(PlatformPath(path).c_str(), GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return "<unreadable>";
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

}  // namespace

// Without recursion: trees here may be hundreds of folders deep.
Tree ReadTree(const std::wstring& root)
{
    Tree tree;
    std::vector<std::wstring> pending{std::wstring()};
    while (!pending.empty()) {
        const std::wstring relative = pending.back();
        pending.pop_back();
        const std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
        WIN32_FIND_DATAW found;
        const HANDLE search = ::FindFirstFileW(PlatformPath(folder + L"\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            continue;
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = relative.empty() ? name : relative + L"\\" + name;
            TreeItem item;
            item.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            item.writeTime = ToUint64(found.ftLastWriteTime);
            if (item.isFolder)
                pending.push_back(path);
            else
                item.contents = ReadBytes(root + L"\\" + path);
            tree[path] = std::move(item);
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    return tree;
}

DiskTree ReadDiskTree(const std::wstring& root)
{
    DiskTree contents;
    for (const auto& [path, item] : ReadTree(root))
        contents[item.isFolder ? path + L"\\" : path] = item.contents;
    return contents;
}

std::vector<std::wstring> TreePaths(const Tree& tree)
{
    std::vector<std::wstring> paths;
    for (const auto& item : tree)
        paths.push_back(item.second.isFolder ? item.first + L"\\" : item.first);
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::string ReadWholeFileAt(const std::wstring& path)
{
    return ReadBytes(path);
}

void RemoveTree(const std::wstring& root)
{
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(root), ignored);
}

void WriteFileAt(const std::wstring& path, const std::string& contents)
{
    CreateFolderWithParents(NormalizedFolderPath(path.substr(0, path.find_last_of(L'\\'))));
    const UniqueKernelHandle file(::CreateFileW(PlatformPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << RarFixture::ToUtf8(path);
    DWORD written = 0;
    EXPECT_TRUE(::WriteFile(file.get(), contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr));
}
