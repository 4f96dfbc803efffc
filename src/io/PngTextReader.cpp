#include "io/PngTextReader.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>

namespace tessaform {
namespace {

constexpr std::array<unsigned char, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kLongestChunk = 0x7FFFFFFF;
// Room for a gradient of millions of colours, yet no inflation bomb.
constexpr std::size_t kLongestInflatedText = 64u << 20;
constexpr std::size_t kLongestKeyword = 79;
// Deflated text never needs more room than it may inflate to.
constexpr std::uint32_t kLongestTextChunk = kLongestInflatedText;

struct ChunkHeader {
    std::uint32_t length = 0;
    std::array<char, 4> type{};

    bool is(const char* name) const { return std::memcmp(type.data(), name, 4) == 0; }
};

std::uint32_t bigEndian(const unsigned char* bytes)
{
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 | bytes[3];
}

bool readExactly(std::FILE* stream, void* into, std::size_t count)
{
    return std::fread(into, 1, count, stream) == count;
}

// False at the end of the stream.
bool readChunkHeader(std::FILE* stream, ChunkHeader& header)
{
    std::array<unsigned char, 8> bytes{};
    if (!readExactly(stream, bytes.data(), bytes.size())) {
        return false;
    }
    header.length = bigEndian(bytes.data());
    std::memcpy(header.type.data(), bytes.data() + 4, 4);
    return true;
}

// Read block by block, so that a length the file does not hold costs no
// memory.
bool readBlocks(std::FILE* stream, std::string& data, std::uint32_t length)
{
    constexpr std::size_t kBlock = 1 << 16;
    while (data.size() < length) {
        const std::size_t want = std::min<std::size_t>(kBlock, length - data.size());
        const std::size_t at = data.size();
        data.resize(at + want);
        if (!readExactly(stream, data.data() + at, want)) {
            return false;
        }
    }
    return true;
}

Result<std::string> readCheckedData(std::FILE* stream, const ChunkHeader& header)
{
    if (header.length > kLongestTextChunk) {
        return Failure{"a text chunk is too long"};
    }
    std::string data;
    std::array<unsigned char, 4> crcBytes{};
    if (!readBlocks(stream, data, header.length) || !readExactly(stream, crcBytes.data(), crcBytes.size())) {
        return Failure{"a text chunk is cut short"};
    }
    uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(header.type.data()), 4);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
    if (crc != bigEndian(crcBytes.data())) {
        return Failure{"a text chunk has a bad checksum"};
    }
    return data;
}

Result<std::string> inflated(std::string_view deflated)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        return Failure{"not enough memory to read the text"};
    }
    const std::unique_ptr<z_stream, int (*)(z_stream*)> end(&stream, inflateEnd);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
    stream.avail_in = static_cast<uInt>(deflated.size());
    std::string text;
    std::array<char, 65536> block{};
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(block.data());
        stream.avail_out = static_cast<uInt>(block.size());
        status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END) {
            return Failure{"a compressed text chunk is damaged"};
        }
        text.append(block.data(), block.size() - stream.avail_out);
        if (text.size() > kLongestInflatedText) {
            return Failure{"a compressed text chunk is too long"};
        }
        if (status == Z_OK && stream.avail_in == 0 && stream.avail_out != 0) {
            return Failure{"a compressed text chunk is cut short"};
        }
    }
    return text;
}

// Keyword, a zero byte, then the text (zTXt: a method byte, then deflated).
Result<PngText> textOf(const ChunkHeader& header, const std::string& data)
{
    const std::size_t zero = data.find('\0');
    if (zero == std::string::npos || zero == 0 || zero > kLongestKeyword) {
        return Failure{"a text chunk has a bad keyword"};
    }
    PngText text{data.substr(0, zero), {}, header.is("zTXt")};
    if (!text.compressed) {
        text.text = data.substr(zero + 1);
        return text;
    }
    constexpr char kDeflate = 0;
    if (zero + 1 >= data.size() || data[zero + 1] != kDeflate) {
        return Failure{"a compressed text chunk uses an unknown method"};
    }
    Result<std::string> inflatedText = inflated(std::string_view(data).substr(zero + 2));
    if (!inflatedText) {
        return Failure{inflatedText.error()};
    }
    text.text = std::move(inflatedText).value();
    return text;
}

bool skipChunk(std::FILE* stream, const ChunkHeader& header)
{
    constexpr long kCrcBytes = 4;
    return std::fseek(stream, static_cast<long>(header.length) + kCrcBytes, SEEK_CUR) == 0;
}

}  // namespace

bool startsWithPngSignature(std::FILE* stream)
{
    const long start = std::ftell(stream);
    std::array<unsigned char, kSignature.size()> bytes{};
    const bool matches = readExactly(stream, bytes.data(), bytes.size()) && bytes == kSignature;
    std::clearerr(stream);
    if (start >= 0) {
        std::fseek(stream, start, SEEK_SET);
    }
    return matches;
}

Result<std::vector<PngText>> readPngTexts(std::FILE* stream)
{
    std::array<unsigned char, kSignature.size()> signature{};
    if (!readExactly(stream, signature.data(), signature.size()) || signature != kSignature) {
        return Failure{"not a PNG image"};
    }
    std::vector<PngText> texts;
    ChunkHeader header;
    while (readChunkHeader(stream, header) && !header.is("IEND")) {
        if (!header.is("tEXt") && !header.is("zTXt")) {
            // A length beyond what PNG allows ends the chunks the image has.
            if (header.length > kLongestChunk || !skipChunk(stream, header)) {
                break;
            }
            continue;
        }
        const Result<std::string> data = readCheckedData(stream, header);
        if (!data) {
            return Failure{data.error()};
        }
        Result<PngText> text = textOf(header, *data);
        if (!text) {
            return Failure{text.error()};
        }
        texts.push_back(std::move(text).value());
    }
    return texts;
}

Result<std::vector<PngText>> readPngTexts(const std::string& path)
{
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) {
        return Failure{"Could not open " + path + ": " + std::strerror(errno)};
    }
    return readPngTexts(file.get());
}

}  // namespace tessaform
