#pragma once

// The corpus of real archives from another project's test suite, kept in the
// repository (tests/corpus/libarchive), and its MANIFEST.tsv: what the reference
// `unrar` reports for each (scripts/corpus-manifest.sh makes it).

#include <string>
#include <vector>

struct CorpusRow {
    std::string file;
    std::string features;  // comma-separated, e.g. "multivolume,first-volume"
    std::string password;  // "" for none; "unknown" when the corpus does not know it
    std::string listRc;    // the reference's exit codes without a password
    std::string testRc;

    bool Has(const std::string& feature) const;
    // A volume after the first: the reference goes back to the first for x and t.
    bool IsLaterVolume() const;
};

// The corpus folder as a Unix path, and an archive in it as a Windows path.
std::string CorpusUnixFolder();
std::wstring CorpusWindowsPath(const std::string& file = std::string());

// A RAR4 name stored without its Unicode form, as the library on Windows reads
// its bytes: OEM, turned into the ANSI code page (with its best-fit
// substitutes), then widened. The reference on Linux reads them as UTF-8.
std::wstring AsLibraryReadsOemBytes(const std::string& bytes);

// Every row; empty when the corpus is not there.
std::vector<CorpusRow> ReadCorpusManifest();
