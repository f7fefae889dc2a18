#include "ArchiveMutator.h"

#include "RarCraft.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace {

const std::uint8_t kRar5Signature[] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x01, 0x00};
const std::uint8_t kRar4Signature[] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};

constexpr std::uint64_t kRar5Encryption = 4;
constexpr std::uint64_t kRar5End = 5;
constexpr std::uint64_t kRar5HasExtra = 0x01;
constexpr std::uint64_t kRar5HasData = 0x02;

constexpr std::uint8_t kRar4File = 0x74;
constexpr std::uint8_t kRar4Service = 0x7A;
constexpr std::uint8_t kRar4End = 0x7B;
constexpr unsigned kRar4LongBlock = 0x8000;
constexpr unsigned kRar4LargeFile = 0x0100;

using rar5::ReadVint;

template <size_t N> bool StartsWith(const Bytes& bytes, const std::uint8_t (&prefix)[N])
{
    return bytes.size() >= N && std::equal(prefix, prefix + N, bytes.begin());
}

unsigned Read16(const Bytes& bytes, size_t pos)
{
    return bytes[pos] | (static_cast<unsigned>(bytes[pos + 1]) << 8);
}

std::uint32_t Read32(const Bytes& bytes, size_t pos)
{
    return Read16(bytes, pos) | (static_cast<std::uint32_t>(Read16(bytes, pos + 2)) << 16);
}

std::vector<ArchiveBlock> Rar5Blocks(const Bytes& bytes)
{
    std::vector<ArchiveBlock> blocks;
    size_t pos = sizeof(kRar5Signature);
    while (pos + 5 < bytes.size()) {
        ArchiveBlock block;
        block.start = pos;
        block.checkedFrom = pos + 4;
        size_t at = block.checkedFrom;
        std::uint64_t size = 0;
        if (!ReadVint(bytes, at, bytes.size(), size) || size == 0 || size > bytes.size() - at)
            break;
        block.headerEnd = at + static_cast<size_t>(size);
        std::uint64_t flags = 0;
        std::uint64_t extra = 0;
        std::uint64_t data = 0;
        if (!ReadVint(bytes, at, block.headerEnd, block.type) || !ReadVint(bytes, at, block.headerEnd, flags) ||
            ((flags & kRar5HasExtra) && !ReadVint(bytes, at, block.headerEnd, extra)) ||
            ((flags & kRar5HasData) && !ReadVint(bytes, at, block.headerEnd, data)) ||
            data > bytes.size() - block.headerEnd)
            break;
        block.dataEnd = block.headerEnd + static_cast<size_t>(data);
        blocks.push_back(block);
        pos = block.dataEnd;
        // Past these the headers are encrypted or there is nothing more to read.
        if (block.type == kRar5Encryption || block.type == kRar5End)
            break;
    }
    return blocks;
}

std::vector<ArchiveBlock> Rar4Blocks(const Bytes& bytes)
{
    std::vector<ArchiveBlock> blocks;
    size_t pos = sizeof(kRar4Signature);
    while (pos + 7 <= bytes.size()) {
        ArchiveBlock block;
        block.start = pos;
        block.checkedFrom = pos + 2;
        block.type = bytes[pos + 2];
        const unsigned flags = Read16(bytes, pos + 3);
        const size_t size = Read16(bytes, pos + 5);
        if (size < 7 || size > bytes.size() - pos)
            break;
        block.headerEnd = pos + size;
        std::uint64_t data = 0;
        if (flags & kRar4LongBlock) {
            if (size < 11)
                break;
            data = Read32(bytes, pos + 7);
            const bool fileLike = block.type == kRar4File || block.type == kRar4Service;
            if (fileLike && (flags & kRar4LargeFile) && size >= 36)
                data |= static_cast<std::uint64_t>(Read32(bytes, pos + 32)) << 32;
        }
        if (data > bytes.size() - block.headerEnd)
            break;
        block.dataEnd = block.headerEnd + static_cast<size_t>(data);
        blocks.push_back(block);
        pos = block.dataEnd;
        if (block.type == kRar4End)
            break;
    }
    return blocks;
}

}  // namespace

ArchiveFormat FormatOf(const Bytes& archive)
{
    if (StartsWith(archive, kRar5Signature))
        return ArchiveFormat::Rar5;
    if (StartsWith(archive, kRar4Signature))
        return ArchiveFormat::Rar4;
    return ArchiveFormat::Unknown;
}

std::vector<ArchiveBlock> BlocksOf(const Bytes& archive)
{
    switch (FormatOf(archive)) {
    case ArchiveFormat::Rar5:
        return Rar5Blocks(archive);
    case ArchiveFormat::Rar4:
        return Rar4Blocks(archive);
    default:
        return {};
    }
}

void FixHeaderCrc(Bytes& archive, const ArchiveBlock& block, ArchiveFormat format)
{
    if (block.headerEnd > archive.size() || block.checkedFrom >= block.headerEnd)
        return;
    const std::uint32_t crc = rar5::Crc32(archive.data() + block.checkedFrom, block.headerEnd - block.checkedFrom);
    const int width = format == ArchiveFormat::Rar5 ? 4 : 2;
    for (int i = 0; i < width; ++i)
        archive[block.start + static_cast<size_t>(i)] = static_cast<std::uint8_t>(crc >> (8 * i));
}

std::uint32_t SeededRandom::Next()
{
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<std::uint32_t>(state >> 16);
}

std::string Mutation::Describe() const
{
    switch (kind) {
    case MutationKind::Truncate:
        return "cut-" + std::to_string(value);
    case MutationKind::FlipBytes:
        return "flip-" + std::to_string(value);
    case MutationKind::FlipHeaderFixCrc:
        return "header-" + std::to_string(value);
    }
    return "?";
}

Bytes Mutate(const Bytes& archive, const Mutation& mutation)
{
    if (archive.empty())
        return {};
    if (mutation.kind == MutationKind::Truncate)
        return Bytes(archive.begin(), archive.begin() + static_cast<std::ptrdiff_t>(
                                                            std::min<std::uint64_t>(mutation.value, archive.size())));

    SeededRandom random(mutation.value);
    Bytes mutated = archive;
    const auto flip = [&](size_t from, size_t to) {
        const size_t at = from + random.Below(to - from);
        // Never a no-op: one to eight bits change.
        mutated[at] ^= static_cast<std::uint8_t>(1 + random.Below(255));
    };
    if (mutation.kind == MutationKind::FlipBytes) {
        const size_t flips = 1 + random.Below(4);
        for (size_t i = 0; i < flips; ++i)
            flip(0, mutated.size());
        return mutated;
    }

    // Past the signature and the CRC itself: the damage is read as field values.
    const std::vector<ArchiveBlock> blocks = BlocksOf(archive);
    std::vector<ArchiveBlock> headers;
    for (const ArchiveBlock& block : blocks) {
        const size_t fieldsFrom = block.checkedFrom + (FormatOf(archive) == ArchiveFormat::Rar5 ? 1 : 0);
        if (block.headerEnd > fieldsFrom)
            headers.push_back(block);
    }
    if (headers.empty())
        return {};
    const ArchiveBlock& block = headers[random.Below(headers.size())];
    const size_t fieldsFrom = block.checkedFrom + (FormatOf(archive) == ArchiveFormat::Rar5 ? 1 : 0);
    const size_t flips = 1 + random.Below(2);
    for (size_t i = 0; i < flips; ++i)
        flip(fieldsFrom, block.headerEnd);
    FixHeaderCrc(mutated, block, FormatOf(archive));
    return mutated;
}

std::vector<Mutation> PlanMutations(const Bytes& archive, size_t count, std::uint64_t seed)
{
    std::vector<Mutation> plan;
    if (archive.empty() || count == 0)
        return plan;
    const size_t cuts = count / 3;
    const size_t headerFlips = count / 3;
    const size_t flips = count - cuts - headerFlips;

    // Block boundaries matter most: a cut there leaves a well-formed beginning.
    std::set<std::uint64_t> offsets;
    std::vector<std::uint64_t> boundaries = {0, 1, 7, 8};
    for (const ArchiveBlock& block : BlocksOf(archive)) {
        for (size_t at : {block.start, block.headerEnd, block.dataEnd}) {
            boundaries.push_back(at);
            boundaries.push_back(at + 1);
            if (at > 0)
                boundaries.push_back(at - 1);
        }
    }
    for (std::uint64_t at : boundaries) {
        if (offsets.size() >= cuts)
            break;
        if (at < archive.size())
            offsets.insert(at);
    }
    SeededRandom random(seed);
    for (size_t tries = 0; offsets.size() < cuts && tries < cuts * 20; ++tries)
        offsets.insert(random.Below(archive.size()));
    for (std::uint64_t at : offsets)
        plan.push_back({MutationKind::Truncate, at});

    for (size_t i = 0; i < flips; ++i)
        plan.push_back({MutationKind::FlipBytes, seed * 100003 + i});
    for (size_t i = 0; i < headerFlips; ++i)
        plan.push_back({MutationKind::FlipHeaderFixCrc, seed * 100003 + 50000 + i});
    return plan;
}

Bytes ReadBytes(const std::wstring& path)
{
    std::ifstream stream(std::filesystem::path(path), std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
}

bool WriteBytes(const std::wstring& path, const Bytes& bytes)
{
    std::ofstream stream(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    stream.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return stream.good();
}
