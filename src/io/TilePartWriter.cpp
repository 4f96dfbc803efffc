#include <zlib.h>

#include <cerrno>
#include <cstring>

#include "io/TilePart.h"
#include "io/TilePartFormat.h"
#include "params/ParamText.h"

namespace tessaform {

std::uint64_t gradientHash(const Gradient& gradient)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : gradientAsHex(gradient)) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return hash;
}

TilePartWriter::TilePartWriter(std::FILE* file, const TilePartHeader& header)
    : file_(file), width_(header.width), deep_(header.deep), crc_(static_cast<std::uint32_t>(crc32(0L, Z_NULL, 0)))
{
    put(kTilePartMagic.data(), kTilePartMagic.size());
    putNumber(kTilePartVersion);
    putNumber(header.deep ? kTilePartDeepFlag : 0);
    for (const int number : {header.width, header.height, header.tile, header.tiles, header.firstRow, header.endRow}) {
        putNumber(static_cast<std::uint32_t>(number));
    }
    putNumber(static_cast<std::uint32_t>(header.gradientHash));
    putNumber(static_cast<std::uint32_t>(header.gradientHash >> 32));
    putString(header.simdTarget);
    putString(paramsAsText(header.params));
    putString(gradientAsHex(*header.gradient));
}

void TilePartWriter::writeRow(const BandRow& values)
{
    const std::span<const GridAverage> grids = values.grids;
    row_.resize(static_cast<std::size_t>(width_) * 3 + 4 + grids.size() * kGridBytes);
    unsigned char* bytes = row_.data();
    for (int column = 0; column < width_; ++column, bytes += 3) {
        putColour(values.firstPass[column], bytes);
    }
    putLittleEndian(static_cast<std::uint32_t>(grids.size()), bytes);
    bytes += 4;
    for (const GridAverage& grid : grids) {
        putLittleEndian(static_cast<std::uint32_t>(grid.column), bytes);
        putColour(grid.colour, bytes + 4);
        bytes += kGridBytes;
    }
    put(row_.data(), row_.size());
    if (deep_) {
        putDeep({values.firstPassDeep, static_cast<std::size_t>(width_)});
        putDeep(values.gridsDeep.first(grids.size()));
    }
}

void TilePartWriter::putDeep(std::span<const DeepPixel> pixels)
{
    row_.resize(pixels.size() * kDeepBytes);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        putDeepPixel(pixels[i], row_.data() + i * kDeepBytes);
    }
    put(row_.data(), row_.size());
}

Result<void> TilePartWriter::finish()
{
    unsigned char bytes[4];
    putLittleEndian(crc_, bytes);
    put(bytes, 4);
    if (std::fflush(file_) != 0 && writeError_ == 0) {
        writeError_ = errno;
    }
    if (writeError_ != 0) {
        return Failure{std::strerror(writeError_)};
    }
    return {};
}

void TilePartWriter::put(const void* bytes, std::size_t count)
{
    crc_ = static_cast<std::uint32_t>(crc32_z(crc_, static_cast<const Bytef*>(bytes), count));
    if (std::fwrite(bytes, 1, count, file_) != count && writeError_ == 0) {
        writeError_ = errno;
    }
}

void TilePartWriter::putNumber(std::uint32_t value)
{
    unsigned char bytes[4];
    putLittleEndian(value, bytes);
    put(bytes, 4);
}

void TilePartWriter::putString(const std::string& text)
{
    putNumber(static_cast<std::uint32_t>(text.size()));
    put(text.data(), text.size());
}

}  // namespace tessaform
