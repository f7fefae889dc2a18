#pragma once

// Damaged copies of an archive that rar wrote: cut at an offset, bytes flipped at
// random, or bytes flipped inside one header whose CRC is then made right again,
// so that the library reads the damage instead of stopping at the checksum. All
// of it is seeded, so every mutated archive can be made again from its name.

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// One block of a RAR5 or RAR4 archive: where it starts, where its header's
// checked part begins and ends, and where its data area ends.
struct ArchiveBlock {
    size_t start = 0;
    size_t checkedFrom = 0;  // first byte the header CRC covers
    size_t headerEnd = 0;
    size_t dataEnd = 0;
    std::uint64_t type = 0;
};

enum class ArchiveFormat { Unknown, Rar4, Rar5 };

ArchiveFormat FormatOf(const Bytes& archive);

// The blocks from the signature on, as far as they can be followed.
std::vector<ArchiveBlock> BlocksOf(const Bytes& archive);

// Writes the header CRC that the block's checked bytes call for.
void FixHeaderCrc(Bytes& archive, const ArchiveBlock& block, ArchiveFormat format);

// A small deterministic generator (xorshift), the same on every platform.
class SeededRandom {
public:
    explicit SeededRandom(std::uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint32_t Next();
    // 0 <= result < bound (bound > 0).
    size_t Below(size_t bound) { return static_cast<size_t>(Next() % bound); }

private:
    std::uint64_t state;
};

enum class MutationKind { Truncate, FlipBytes, FlipHeaderFixCrc };

struct Mutation {
    MutationKind kind = MutationKind::Truncate;
    std::uint64_t value = 0;  // the offset for Truncate, the seed otherwise

    std::string Describe() const;
};

// The damaged copy; empty when the mutation has nothing to work on.
Bytes Mutate(const Bytes& archive, const Mutation& mutation);

// `count` mutations of `archive`, a third of each kind: cuts at every block
// boundary and one byte on either side first, then at seeded offsets; flips
// with seeds from `seed` on.
std::vector<Mutation> PlanMutations(const Bytes& archive, size_t count, std::uint64_t seed);

Bytes ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const Bytes& bytes);
