#include "RarCraft.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace rar5 {

bool ReadVint(const std::vector<std::uint8_t>& bytes, size_t& pos, size_t limit, std::uint64_t& value)
{
    value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (pos >= limit)
            return false;
        const std::uint8_t byte = bytes[pos++];
        value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0)
            return true;
    }
    return false;
}

namespace {

const std::uint8_t kSignature[] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x01, 0x00};

enum HeaderType : std::uint64_t { kMain = 1, kFile = 2, kService = 3, kEncryption = 4, kEnd = 5 };
enum HeaderFlag : std::uint64_t { kHasExtra = 0x01, kHasData = 0x02 };

class Reader {
public:
    Reader(const std::vector<std::uint8_t>& source, size_t start, size_t end) : bytes(source), pos(start), limit(end) {}

    bool Vint(std::uint64_t& value) { return ReadVint(bytes, pos, limit, value); }

    bool U32(std::uint32_t& value)
    {
        if (limit - pos < 4)
            return false;
        value = static_cast<std::uint32_t>(bytes[pos]) | static_cast<std::uint32_t>(bytes[pos + 1]) << 8 |
                static_cast<std::uint32_t>(bytes[pos + 2]) << 16 | static_cast<std::uint32_t>(bytes[pos + 3]) << 24;
        pos += 4;
        return true;
    }

    bool Bytes(size_t count, std::string& out)
    {
        if (limit - pos < count)
            return false;
        out.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                   bytes.begin() + static_cast<std::ptrdiff_t>(pos + count));
        pos += count;
        return true;
    }

    size_t Position() const { return pos; }

private:
    const std::vector<std::uint8_t>& bytes;
    size_t pos;
    size_t limit;
};

void PutVint(std::vector<std::uint8_t>& out, std::uint64_t value)
{
    do {
        std::uint8_t byte = value & 0x7F;
        value >>= 7;
        if (value != 0)
            byte |= 0x80;
        out.push_back(byte);
    } while (value != 0);
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// The fields that file and service headers share, after the common block fields.
bool ReadFileFields(Reader& reader, size_t headerEnd, FileHeader& header, const std::vector<std::uint8_t>& bytes)
{
    std::uint64_t nameLength = 0;
    if (!reader.Vint(header.fileFlags) || !reader.Vint(header.unpackedSize) || !reader.Vint(header.attributes))
        return false;
    if ((header.fileFlags & kFileTimePresent) && !reader.U32(header.mtime))
        return false;
    if ((header.fileFlags & kFileCrcPresent) && !reader.U32(header.dataCrc))
        return false;
    if (!reader.Vint(header.compression) || !reader.Vint(header.hostOs) || !reader.Vint(nameLength))
        return false;
    if (nameLength > headerEnd || !reader.Bytes(static_cast<size_t>(nameLength), header.name))
        return false;
    const size_t extraStart = headerEnd - static_cast<size_t>(header.extraSize);
    if (header.extraSize > headerEnd || reader.Position() > extraStart)
        return false;
    header.between.assign(bytes.begin() + static_cast<std::ptrdiff_t>(reader.Position()),
                          bytes.begin() + static_cast<std::ptrdiff_t>(extraStart));
    header.extra.assign(bytes.begin() + static_cast<std::ptrdiff_t>(extraStart),
                        bytes.begin() + static_cast<std::ptrdiff_t>(headerEnd));
    return true;
}

void Append(std::vector<std::uint8_t>& piece, const std::vector<std::uint8_t>& bytes, size_t from, size_t to)
{
    piece.insert(piece.end(), bytes.begin() + static_cast<std::ptrdiff_t>(from),
                 bytes.begin() + static_cast<std::ptrdiff_t>(to));
}

}  // namespace

std::uint32_t Crc32(const std::uint8_t* data, size_t size)
{
    static const auto table = [] {
        std::vector<std::uint32_t> values(256);
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            values[i] = c;
        }
        return values;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::vector<std::uint8_t> EncodeHeader(const FileHeader& header, bool service)
{
    std::vector<std::uint8_t> body;
    PutVint(body, service ? kService : kFile);
    PutVint(body, header.headerFlags);
    if (header.headerFlags & kHasExtra)
        PutVint(body, header.extra.size());
    if (header.headerFlags & kHasData)
        PutVint(body, header.dataSize);
    PutVint(body, header.fileFlags);
    PutVint(body, header.unpackedSize);
    PutVint(body, header.attributes);
    if (header.fileFlags & kFileTimePresent)
        PutU32(body, header.mtime);
    if (header.fileFlags & kFileCrcPresent)
        PutU32(body, header.dataCrc);
    PutVint(body, header.compression);
    PutVint(body, header.hostOs);
    PutVint(body, header.name.size());
    body.insert(body.end(), header.name.begin(), header.name.end());
    body.insert(body.end(), header.between.begin(), header.between.end());
    body.insert(body.end(), header.extra.begin(), header.extra.end());

    std::vector<std::uint8_t> sized;
    PutVint(sized, body.size());
    const size_t sizeBytes = sized.size();
    sized.insert(sized.end(), body.begin(), body.end());
    std::uint32_t crc = Crc32(sized.data(), sized.size());

    if (header.damage == Damage::BadCrc)
        crc ^= 0xFFFFFFFFu;
    if (header.damage == Damage::ZeroSize) {
        // Still decodes as a vint, of value 0.
        for (size_t i = 0; i < sizeBytes; ++i)
            sized[i] = i + 1 < sizeBytes ? 0x80 : 0x00;
    }
    std::vector<std::uint8_t> out;
    PutU32(out, crc);
    out.insert(out.end(), sized.begin(), sized.end());
    return out;
}

bool Archive::Load(const std::wstring& path)
{
    pieces.clear();
    files.clear();
    error.clear();

    std::ifstream stream(std::filesystem::path(path), std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    if (bytes.size() < sizeof(kSignature) || !std::equal(std::begin(kSignature), std::end(kSignature), bytes.begin())) {
        error = "not a RAR5 archive";
        return false;
    }

    std::vector<std::uint8_t> piece(bytes.begin(), bytes.begin() + sizeof(kSignature));
    size_t pos = sizeof(kSignature);
    while (pos < bytes.size()) {
        const size_t blockStart = pos;
        Reader reader(bytes, pos, bytes.size());
        std::uint32_t crc = 0;
        std::uint64_t headerSize = 0;
        if (!reader.U32(crc) || !reader.Vint(headerSize) || headerSize > bytes.size() - reader.Position()) {
            error = "truncated header";
            return false;
        }
        const size_t headerEnd = reader.Position() + static_cast<size_t>(headerSize);
        Reader fields(bytes, reader.Position(), headerEnd);
        std::uint64_t type = 0;
        FileHeader header;
        if (!fields.Vint(type) || !fields.Vint(header.headerFlags) ||
            ((header.headerFlags & kHasExtra) && !fields.Vint(header.extraSize)) ||
            ((header.headerFlags & kHasData) && !fields.Vint(header.dataSize)) ||
            header.dataSize > bytes.size() - headerEnd) {
            error = "bad header";
            return false;
        }
        const size_t blockEnd = headerEnd + static_cast<size_t>(header.dataSize);

        if (type == kEncryption) {
            error = "encrypted headers";
            return false;
        }
        if (type == kFile || type == kService) {
            if (!ReadFileFields(fields, headerEnd, header, bytes)) {
                error = "bad file header";
                return false;
            }
        }
        if (type == kService && header.name == "QO") {
            error = "quick-open record present (make the archive with -qo-)";
            return false;
        }
        if (type == kFile) {
            pieces.push_back(std::move(piece));
            piece.clear();
            files.push_back(std::move(header));
            Append(piece, bytes, headerEnd, blockEnd);
        } else {
            Append(piece, bytes, blockStart, blockEnd);
        }
        pos = blockEnd;
        if (type == kEnd) {
            Append(piece, bytes, pos, bytes.size());
            break;
        }
    }
    pieces.push_back(std::move(piece));
    return true;
}

bool Archive::Save(const std::wstring& path) const
{
    const std::vector<std::uint8_t> bytes = Bytes();
    std::ofstream stream(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    stream.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return stream.good();
}

FileHeader* Archive::Find(const std::string& name)
{
    for (FileHeader& header : files) {
        if (header.name == name)
            return &header;
    }
    return nullptr;
}

void Archive::RemoveFile(size_t index)
{
    if (index >= files.size())
        return;
    // The piece after a header starts with that header's data area.
    std::vector<std::uint8_t>& after = pieces[index + 1];
    const size_t dataSize = static_cast<size_t>(files[index].dataSize);
    pieces[index].insert(pieces[index].end(), after.begin() + static_cast<std::ptrdiff_t>(dataSize), after.end());
    pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(index + 1));
    files.erase(files.begin() + static_cast<std::ptrdiff_t>(index));
}

void Archive::AddStream(size_t index, const std::string& streamName, const std::string& contents)
{
    if (index >= files.size())
        return;
    constexpr std::uint64_t kSubDataRecord = 7;
    FileHeader record;
    record.headerFlags = kHasExtra | kHasData;
    record.dataSize = contents.size();
    record.fileFlags = kFileCrcPresent;
    record.unpackedSize = contents.size();
    record.dataCrc = Crc32(reinterpret_cast<const std::uint8_t*>(contents.data()), contents.size());
    record.hostOs = kHostWindows;
    record.name = "STM";
    std::vector<std::uint8_t> subData;
    PutVint(subData, kSubDataRecord);
    subData.insert(subData.end(), streamName.begin(), streamName.end());
    PutVint(record.extra, subData.size());
    record.extra.insert(record.extra.end(), subData.begin(), subData.end());

    std::vector<std::uint8_t> block = EncodeHeader(record, true);
    block.insert(block.end(), contents.begin(), contents.end());
    std::vector<std::uint8_t>& after = pieces[index + 1];
    after.insert(after.begin() + static_cast<std::ptrdiff_t>(files[index].dataSize), block.begin(), block.end());
}

std::vector<std::uint8_t> Archive::Bytes() const
{
    std::vector<std::uint8_t> out;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            const std::vector<std::uint8_t> header = EncodeHeader(files[i - 1]);
            out.insert(out.end(), header.begin(), header.end());
        }
        out.insert(out.end(), pieces[i].begin(), pieces[i].end());
    }
    return out;
}

}  // namespace rar5
