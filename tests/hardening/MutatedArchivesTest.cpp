// Archives that rar writes, cut at many offsets and with bytes flipped (in the
// raw file, and inside headers with their CRC made right again), each listed and
// extracted by the program in a probe child under its own watchdog. Every case:
// no crash, no hang, the messages of the codes the library reports and no
// others, the catalogue, the settings and earlier files intact, the same files
// as the library alone writes, and nothing written anywhere else on the drive.
//
// QUILLET_MUTATIONS_PER_ARCHIVE (default 40) and QUILLET_MUTATION_SEED (default 1)
// scale the run: scripts/soak.sh uses them for the long soak.

#include "ArchiveMutator.h"
#include "ArchiveProbe.h"
#include "CorpusManifest.h"
#include "HardeningTesting.h"
#include "RarFixture.h"
#include "WrittenOutsideCheck.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

constexpr wchar_t kPassword[] = L"Hardening1";

struct BaseArchive {
    std::string name;
    std::wstring options;
    std::wstring password;
    bool volumes = false;    // the middle volume of a set is mutated
    std::string corpusFile;  // taken from the corpus instead (rar no longer writes RAR4)
};

size_t SettingFromEnvironment(const char* name, size_t fallback)
{
    const char* value = std::getenv(name);
    if (!value || !*value)
        return fallback;
    return static_cast<size_t>(std::strtoull(value, nullptr, 10));
}

void Store(const std::wstring& path, const Bytes& bytes)
{
    WriteTextFile(path, std::string(bytes.begin(), bytes.end()));
}

std::string KindOf(const Mutation& mutation)
{
    switch (mutation.kind) {
    case MutationKind::Truncate:
        return "truncated";
    case MutationKind::FlipBytes:
        return "bytes flipped";
    case MutationKind::FlipHeaderFixCrc:
        return "header bytes flipped, CRC fixed";
    }
    return "?";
}

class MutatedArchives : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!RarFixture::Available())
            GTEST_SKIP() << "rar cannot be run from here";
        perArchive = SettingFromEnvironment("QUILLET_MUTATIONS_PER_ARCHIVE", 40);
        seed = SettingFromEnvironment("QUILLET_MUTATION_SEED", 1);
        // What an earlier run kept, which the fixture cannot always remove itself.
        fixture.Shell(L"cd .. && find . -mindepth 1 -maxdepth 1 ! -name 'run*' ! -name failed -exec rm -rf {} + ; "
                      L"mkdir -p in out");
        fixture.WriteFile(L"tree\\docs\\readme.txt", std::string(2000, 'r') + "the end\n");
        std::string noise(3000, '\0');
        SeededRandom random(7);
        for (char& c : noise)
            c = static_cast<char>(random.Next());
        fixture.WriteFile(L"tree\\docs\\sub\\data.bin", noise);
        fixture.WriteFile(L"tree\\docs\\empty.txt", "");
        fixture.MakeFolder(L"tree\\emptydir");
        fixture.WriteFile(L"tree\\top.txt", "top of the tree\n");
        std::string big(60000, '\0');
        for (char& c : big)
            c = static_cast<char>(random.Next());
        fixture.WriteFile(L"big\\spanning.bin", big);
        anchor = fixture.MakeArchive(L"anchor.rar", L"-m0 -r", L"tree");
        ASSERT_FALSE(anchor.empty());
    }

    void TearDown() override
    {
        // The archives of failed cases stay in "failed"; QUILLET_KEEP_FIXTURES
        // keeps every archive and what was written from it.
        if (RarFixture::Available() && !std::getenv("QUILLET_KEEP_FIXTURES")) {
            const std::string folder = RarFixture::UnixPath(fixture.Folder());
            if (folder.find("/fixtures/") != std::string::npos)
                fixture.Shell(L"rm -rf " + RarFixture::Quote(Wide(folder + "/work")));
        }
    }

    // The mutated archive (with its volumes) of a failed case, kept for a rerun.
    void Keep(const std::wstring& archive)
    {
        const std::string from = RarFixture::UnixPath(archive.substr(0, archive.find_last_of(L'\\')));
        const std::string to = RarFixture::UnixPath(fixture.Folder()) + "/failed/";
        fixture.Shell(L"mkdir -p " + RarFixture::Quote(Wide(to)) + L" && cp -r " + RarFixture::Quote(Wide(from)) +
                      L" " + RarFixture::Quote(Wide(to)));
    }

    // Mutates each base, probes every mutated archive, and fails for each case
    // that did not hold.
    void Run(const std::vector<BaseArchive>& bases)
    {
        const std::wstring work = fixture.Folder() + L"\\work";
        std::vector<ProbeCase> cases;
        std::vector<std::string> kinds;
        for (size_t b = 0; b < bases.size(); ++b) {
            const BaseArchive& base = bases[b];
            const std::wstring name = Wide(base.name);
            std::wstring made;
            if (!base.corpusFile.empty()) {
                made = fixture.OutputPath(name + L".rar");
                Store(made, ReadBytes(CorpusWindowsPath(base.corpusFile)));
            } else {
                made = fixture.MakeArchive(name + L".rar", base.options, base.volumes ? L"big" : L"tree");
            }
            ASSERT_FALSE(made.empty()) << base.name;
            const std::wstring target = base.volumes ? fixture.OutputPath(name + L".part2.rar") : made;
            const Bytes bytes = ReadBytes(target);
            ASSERT_FALSE(bytes.empty()) << base.name;
            for (const Mutation& mutation :
                 PlanMutations(bytes, perArchive, seed * 7919 + b * 131 + base.name.size())) {
                const Bytes mutated = Mutate(bytes, mutation);
                const std::wstring label = name + L"-" + Wide(mutation.Describe());
                const std::wstring folder = work + L"\\archives\\" + label;
                std::wstring archive;
                if (base.volumes) {
                    for (int part : {1, 3}) {
                        const std::wstring file = name + L".part" + std::to_wstring(part) + L".rar";
                        Store(folder + L"\\" + file, ReadBytes(fixture.OutputPath(file)));
                    }
                    Store(folder + L"\\" + name + L".part2.rar", mutated);
                    archive = folder + L"\\" + name + L".part1.rar";
                } else {
                    archive = folder + L"\\" + name + L".rar";
                    Store(archive, mutated);
                }
                cases.push_back({archive, base.password, Utf8(label), true});
                kinds.push_back(base.name + "\t" + KindOf(mutation));
            }
        }

        WrittenOutsideCheck outside(fixture, {work});
        ProbeRun run;
        run.workFolder = work;
        run.anchor = anchor;
        const std::vector<ProbeVerdict> verdicts = RunProbes(run, cases);

        std::map<std::string, std::pair<size_t, size_t>> tally;  // kind: tried, passed
        std::map<std::string, size_t> outcomes;                  // the library's codes, listing and extraction
        for (size_t i = 0; i < cases.size(); ++i) {
            auto& counts = tally[kinds[i]];
            ++counts.first;
            const ProbeVerdict& verdict = verdicts[i];
            if (verdict.outcome == ProbeOutcome::Passed) {
                ++counts.second;
                ++outcomes[verdict.detail];
                continue;
            }
            const char* what = verdict.outcome == ProbeOutcome::Hung      ? "HANG"
                               : verdict.outcome == ProbeOutcome::Crashed ? "CRASH"
                                                                          : "FAILED";
            ADD_FAILURE() << what << " " << cases[i].label << ": " << verdict.detail;
            Keep(cases[i].archive);
        }
        for (const auto& [kind, counts] : tally)
            std::printf("MUTATION-TALLY\t%s\t%u\t%u\n", kind.c_str(), static_cast<unsigned>(counts.first),
                        static_cast<unsigned>(counts.second));
        for (const auto& [codes, count] : outcomes)
            std::printf("MUTATION-CODES\t%s\t%u\n", codes.c_str(), static_cast<unsigned>(count));
        std::fflush(stdout);

        bool searched = false;
        const std::vector<std::string> changes = outside.Changes(searched);
        EXPECT_TRUE(searched);
        for (const std::string& change : changes)
            ADD_FAILURE() << "written outside the destinations: " << change;
    }

    RarFixture fixture;
    std::wstring anchor;
    size_t perArchive = 40;
    size_t seed = 1;
};

TEST_F(MutatedArchives, Rar5StoredAndSolid)
{
    Run({{"rar5-stored", L"-m0 -qo- -r", L"", false, ""}, {"rar5-solid", L"-s -m3 -r", L"", false, ""}});
}

// rar 7 writes no RAR4: these bases come from the corpus.
TEST_F(MutatedArchives, Rar4)
{
    Run({{"rar4-stored", L"", L"", false, "test_read_format_rar_windows.rar"},
         {"rar4-compressed", L"", L"", false, "test_read_format_rar3_lowdist_reset.rar"},
         {"rar4-unicode", L"", L"", false, "test_read_format_rar_unicode.rar"}});
}

TEST_F(MutatedArchives, EncryptedDataAndHeaders)
{
    Run({{"rar5-data-password", std::wstring(L"-m3 -r -p") + kPassword, kPassword, false, ""},
         {"rar5-header-password", std::wstring(L"-m0 -r -hp") + kPassword, kPassword, false, ""},
         {"rar4-header-password", L"", L"password", false, "test_read_format_rar4_encrypted_filenames.rar"}});
}

TEST_F(MutatedArchives, RecoveryRecordAndQuickOpen)
{
    Run({{"rar5-recovery-quickopen", L"-m2 -r -rr10% -qo+", L"", false, ""}});
}

TEST_F(MutatedArchives, MiddleVolumeOfASet)
{
    Run({{"volumes", L"-m0 -v25k", L"", true, ""}});
}

}  // namespace
