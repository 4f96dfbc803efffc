#include <zlib.h>

#include <algorithm>
#include <string_view>

#include "io/TgaWriter.h"
#include "io/TilePart.h"
#include "io/TilePartFormat.h"
#include "params/ParamText.h"

namespace tessaform {
namespace {

constexpr const char* kCutShort = "cut short";

Failure damaged(const std::string& what)
{
    return Failure{"damaged: " + what};
}

bool sizeAndBandPossible(const TilePartHeader& header)
{
    const auto inRange = [](int value, int low, int high) { return value >= low && value <= high; };
    return inRange(header.width, 1, kLargestTgaSide) && inRange(header.height, 1, kLargestTgaSide) &&
           inRange(header.tiles, 1, header.height) && inRange(header.tile, 1, header.tiles) &&
           inRange(header.firstRow, 0, header.height - 1) && inRange(header.endRow, header.firstRow + 1, header.height);
}

// Instruction set names are words such as AVX3_DL; the name reaches
// messages, so damaged bytes must not.
bool isInstructionSetName(std::string_view name)
{
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
}

// Grids exist only for pixels off the image's border.
std::uint32_t mostGridsIn(int row, const TilePartHeader& header)
{
    const bool inner = row >= 1 && row <= header.height - 2 && header.width >= 3;
    return inner ? static_cast<std::uint32_t>(header.width - 2) : 0;
}

}  // namespace

Result<TilePartHeader> TilePartReader::readHeader()
{
    crc_ = static_cast<std::uint32_t>(crc32(0L, Z_NULL, 0));
    std::string magic(kTilePartMagic.size(), '\0');
    if (!get(magic.data(), magic.size()) || magic != kTilePartMagic) {
        return Failure{"not a Tessaform part file"};
    }
    std::uint32_t version = 0;
    if (!getNumber(version)) {
        return Failure{kCutShort};
    }
    if (version != kTilePartVersion && version != kTilePartVersionWithoutFlags) {
        return damaged("unknown format version " + std::to_string(version));
    }
    std::uint32_t flags = 0;
    if (version != kTilePartVersionWithoutFlags && !getNumber(flags)) {
        return Failure{kCutShort};
    }
    if ((flags & ~kTilePartDeepFlag) != 0) {
        return damaged("unknown flags");
    }
    std::uint32_t numbers[8];
    for (std::uint32_t& number : numbers) {
        if (!getNumber(number)) {
            return Failure{kCutShort};
        }
    }
    TilePartHeader header;
    header.deep = (flags & kTilePartDeepFlag) != 0;
    int* fields[] = {&header.width, &header.height, &header.tile, &header.tiles, &header.firstRow, &header.endRow};
    for (int i = 0; i < 6; ++i) {
        *fields[i] = static_cast<int>(std::min<std::uint32_t>(numbers[i], 0x7FFFFFFF));
    }
    if (!sizeAndBandPossible(header)) {
        return damaged("impossible size or tile");
    }
    header.gradientHash = numbers[6] | static_cast<std::uint64_t>(numbers[7]) << 32;
    Result<std::string> target = getString(kLargestSimdTargetName, "instruction set");
    if (!target) {
        return Failure{target.error()};
    }
    if (!isInstructionSetName(*target)) {
        return damaged("bad instruction set name");
    }
    header.simdTarget = std::move(target).value();
    const Result<std::string> paramsText = getString(kLargestParamsText, "record");
    if (!paramsText) {
        return Failure{paramsText.error()};
    }
    Result<FractalParams> params = paramsFromText(*paramsText);
    if (!params) {
        return damaged("record: " + params.error());
    }
    header.params = *params;
    const Result<std::string> gradientText = getString(kLargestGradientText, "gradient");
    if (!gradientText) {
        return Failure{gradientText.error()};
    }
    Result<Gradient> gradient = gradientFromHex(*gradientText);
    if (!gradient) {
        return damaged("gradient: " + gradient.error());
    }
    header.gradient = std::make_shared<const Gradient>(std::move(gradient).value());
    if (gradientHash(*header.gradient) != header.gradientHash) {
        return damaged("the gradient does not match its hash");
    }
    header_ = header;
    nextRow_ = header.firstRow;
    return header;
}

Result<void> TilePartReader::readRow(TilePartRow& row)
{
    if (Result<void> read = readColours(row.firstPass, row.grids); !read) {
        return read;
    }
    if (!header_.deep) {
        row.firstPassDeep.clear();
        row.gridsDeep.clear();
        return {};
    }
    if (!getDeep(row.firstPassDeep, row.firstPass.size()) || !getDeep(row.gridsDeep, row.grids.size())) {
        return Failure{kCutShort};
    }
    return {};
}

bool TilePartReader::getDeep(std::vector<DeepPixel>& pixels, std::size_t count)
{
    row_.resize(count * kDeepBytes);
    if (!get(row_.data(), row_.size())) {
        return false;
    }
    pixels.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        pixels[i] = deepPixelAt(row_.data() + i * kDeepBytes);
    }
    return true;
}

Result<void> TilePartReader::readColours(std::vector<std::uint32_t>& firstPass, std::vector<GridAverage>& grids)
{
    const auto width = static_cast<std::size_t>(header_.width);
    row_.resize(width * 3);
    std::uint32_t count = 0;
    if (!get(row_.data(), row_.size()) || !getNumber(count)) {
        return Failure{kCutShort};
    }
    firstPass.resize(width);
    for (std::size_t column = 0; column < width; ++column) {
        firstPass[column] = colourAt(&row_[column * 3]);
    }
    const int row = nextRow_++;
    if (count > mostGridsIn(row, header_)) {
        return damaged("too many grids in row " + std::to_string(row));
    }
    row_.resize(count * kGridBytes);
    if (!get(row_.data(), row_.size())) {
        return Failure{kCutShort};
    }
    grids.clear();
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t column = littleEndian(&row_[i * kGridBytes]);
        const bool afterPrevious = grids.empty() || column > static_cast<std::uint32_t>(grids.back().column);
        if (column < 1 || column > width - 2 || !afterPrevious) {
            return damaged("grid columns out of order in row " + std::to_string(row));
        }
        grids.push_back({static_cast<int>(column), colourAt(&row_[i * kGridBytes + 4])});
    }
    return {};
}

Result<void> TilePartReader::finish()
{
    const std::uint32_t computed = crc_;
    unsigned char bytes[4];
    if (!in_.read(reinterpret_cast<char*>(bytes), 4)) {
        return Failure{kCutShort};
    }
    if (littleEndian(bytes) != computed) {
        return damaged("checksum mismatch");
    }
    if (in_.peek() != std::char_traits<char>::eof()) {
        return damaged("data after its end");
    }
    return {};
}

bool TilePartReader::get(void* bytes, std::size_t count)
{
    if (!in_.read(static_cast<char*>(bytes), static_cast<std::streamsize>(count))) {
        return false;
    }
    crc_ = static_cast<std::uint32_t>(crc32_z(crc_, static_cast<const Bytef*>(bytes), count));
    return true;
}

bool TilePartReader::getNumber(std::uint32_t& value)
{
    unsigned char bytes[4];
    if (!get(bytes, 4)) {
        return false;
    }
    value = littleEndian(bytes);
    return true;
}

// Read in blocks, so that a damaged length on a short file fails before a
// large allocation.
Result<std::string> TilePartReader::getString(std::size_t limit, const char* what)
{
    std::uint32_t length = 0;
    if (!getNumber(length)) {
        return Failure{kCutShort};
    }
    if (length > limit) {
        return damaged(std::string(what) + " too long");
    }
    constexpr std::size_t kBlock = 64 * 1024;
    std::string text;
    while (text.size() < length) {
        const std::size_t start = text.size();
        text.resize(std::min<std::size_t>(length, start + kBlock));
        if (!get(text.data() + start, text.size() - start)) {
            return Failure{kCutShort};
        }
    }
    return text;
}

}  // namespace tessaform
