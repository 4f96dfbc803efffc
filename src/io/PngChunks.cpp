#include "io/PngChunks.h"

#include <zlib.h>

#include <array>
#include <cstring>
#include <limits>

namespace tessaform {
namespace {

constexpr std::size_t kLongestKeyword = 79;

void putBigEndian(std::uint8_t* out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        *out++ = static_cast<std::uint8_t>(value >> shift);
    }
}

bool isReadableKeyword(std::string_view keyword)
{
    return !keyword.empty() && keyword.size() <= kLongestKeyword && keyword.find('\0') == std::string_view::npos;
}

Result<void> appendDeflated(PngBytes& bytes, std::string_view text)
{
    uLongf length = compressBound(static_cast<uLong>(text.size()));
    const std::size_t start = bytes.size();
    bytes.resize(start + length);
    const int status = compress2(bytes.data() + start, &length, reinterpret_cast<const Bytef*>(text.data()),
                                 static_cast<uLong>(text.size()), Z_DEFAULT_COMPRESSION);
    if (status != Z_OK) {
        return Failure{"a text could not be deflated"};
    }
    bytes.resize(start + length);
    return {};
}

}  // namespace

std::span<const std::uint8_t> pngSignature()
{
    static constexpr std::array<std::uint8_t, 8> signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return signature;
}

PngBytes pngHeaderData(std::uint32_t width, std::uint32_t height, int bitDepth, int colourType)
{
    // After the size: compression, filter and interlace methods, the only
    // defined ones, none interlaced.
    PngBytes data{0, 0, 0, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(bitDepth), static_cast<std::uint8_t>(colourType),
                  0, 0, 0};
    putBigEndian(data.data(), width);
    putBigEndian(data.data() + 4, height);
    return data;
}

Result<PngBytes> pngTextData(const PngText& text)
{
    if (!isReadableKeyword(text.keyword)) {
        return Failure{"the text keyword \"" + text.keyword + "\" is not 1 to 79 characters without a zero"};
    }
    PngBytes data(text.keyword.begin(), text.keyword.end());
    data.push_back(0);
    if (!text.compressed) {
        data.insert(data.end(), text.text.begin(), text.text.end());
        return data;
    }
    data.push_back(0);  // deflate, the only method
    if (Result<void> deflated = appendDeflated(data, text.text); !deflated) {
        return Failure{deflated.error()};
    }
    return data;
}

bool writePngChunk(std::FILE* file, std::string_view type, std::initializer_list<std::span<const std::uint8_t>> parts)
{
    std::size_t length = 0;
    uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(type.data()), static_cast<uInt>(type.size()));
    for (const auto part : parts) {
        length += part.size();
        crc = crc32_z(crc, part.data(), part.size());
    }
    if (length > std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    std::array<std::uint8_t, 8> head{};
    putBigEndian(head.data(), static_cast<std::uint32_t>(length));
    std::memcpy(head.data() + 4, type.data(), 4);
    std::array<std::uint8_t, 4> tail{};
    putBigEndian(tail.data(), static_cast<std::uint32_t>(crc));
    bool written = std::fwrite(head.data(), 1, head.size(), file) == head.size();
    for (const auto part : parts) {
        written = written && std::fwrite(part.data(), 1, part.size(), file) == part.size();
    }
    return written && std::fwrite(tail.data(), 1, tail.size(), file) == tail.size();
}

}  // namespace tessaform
