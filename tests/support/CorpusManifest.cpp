#include "CorpusManifest.h"

#include "RarFixture.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <sstream>

bool CorpusRow::Has(const std::string& feature) const
{
    return ("," + features + ",").find("," + feature + ",") != std::string::npos;
}

bool CorpusRow::IsLaterVolume() const
{
    return Has("multivolume") && !Has("first-volume");
}

std::string CorpusUnixFolder()
{
    return std::string(QUILLET_SOURCE_DIR) + "/tests/corpus/libarchive";
}

std::wstring CorpusWindowsPath(const std::string& file)
{
    std::wstring path = L"Z:" + RarFixture::FromUtf8(CorpusUnixFolder() + (file.empty() ? "" : "/" + file));
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::wstring AsLibraryReadsOemBytes(const std::string& bytes)
{
    if (bytes.empty())
        return std::wstring();
    std::string ansi(bytes.size(), '\0');
    ::OemToCharBuffA(bytes.data(), &ansi[0], static_cast<DWORD>(bytes.size()));
    const int size = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0], size);
    return wide;
}

std::vector<CorpusRow> ReadCorpusManifest()
{
    std::vector<CorpusRow> rows;
    std::stringstream lines(ReadWholeFile(CorpusWindowsPath("MANIFEST.tsv")));
    std::map<std::string, size_t> column;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> fields;
        std::stringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');)
            fields.push_back(cell);
        if (column.empty()) {
            for (size_t i = 0; i < fields.size(); ++i)
                column[fields[i]] = i;
            continue;
        }
        const auto field = [&](const char* name) {
            const auto found = column.find(name);
            return found != column.end() && found->second < fields.size() ? fields[found->second] : std::string();
        };
        // "password;d.txt=password2": the one typed at the prompt comes first.
        std::string password = field("password");
        password = password == "-" ? std::string() : password.substr(0, password.find(';'));
        rows.push_back({field("file"), field("features"), password, field("unrar_list_rc"), field("unrar_test_rc")});
    }
    return rows;
}
