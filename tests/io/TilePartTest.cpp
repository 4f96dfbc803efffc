#include <gtest/gtest.h>

#include <zlib.h>
#include <cstdint>

#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "io/TilePart.h"
#include "io/TilePartFormat.h"
#include "io/TilePartReadAhead.h"
#include "io/TilePartSet.h"
#include "support/DeepRows.h"

namespace tessaform {
namespace {

// Rows 2 and 3 of a 5 x 4 image, the second of two tiles.
TilePartHeader smallHeader()
{
    TilePartHeader header{5, 4, 2, 2, 2, 4, "AVX2", defaultParams(), nullptr, 0};
    const std::uint8_t rgb[] = {10, 20, 30, 200, 100, 0};
    header.gradient = std::make_shared<const Gradient>(gradientFromRgbBytes(rgb));
    header.gradientHash = gradientHash(*header.gradient);
    return header;
}

const std::vector<TilePartRow> kRows = {
    {{0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F}, {{1, 0x112233}, {3, 0x445566}}, {}, {}},
    {{0xFFFFFF, 0, 0x808080, 0, 0xFFFFFF}, {}, {}, {}},
};

// kRows with float values of every kind: a miss, a NaN, a negative zero.
std::vector<TilePartRow> deepRows()
{
    const float inf = std::numeric_limits<float>::infinity();
    const DeepPixel miss{{0.4f, 0.5f, 0.6f}, {0.4f, 0.5f, 0.6f}, 0.0f, inf, {0.0f, -0.0f, 0.0f}};
    const DeepPixel hit{{0.1f, 2.5f, -0.25f}, {std::nanf("7"), 0.3f, 1e-40f}, 0.5625f, 3.25f, {0.6f, 0.0f, -0.8f}};
    std::vector<TilePartRow> rows = kRows;
    for (TilePartRow& row : rows) {
        row.firstPassDeep = {miss, hit, miss, hit, hit};
        row.gridsDeep.assign(row.grids.size(), hit);
    }
    rows[0].gridsDeep[1] = miss;
    return rows;
}

std::string partBytes(const TilePartHeader& header, const std::vector<TilePartRow>& rows)
{
    std::FILE* file = std::tmpfile();
    TilePartWriter writer(file, header);
    for (const TilePartRow& row : rows) {
        writer.writeRow(row.values());
    }
    EXPECT_TRUE(writer.finish());
    std::string bytes(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), file), bytes.size());
    std::fclose(file);
    return bytes;
}

struct ReadPart {
    TilePartHeader header;
    std::vector<TilePartRow> rows;
};

// How a part's rows are read: one by one, or ahead on another thread a
// row a chunk, so that every row crosses from one chunk to the next.
enum class Reading { RowByRow, Ahead };

Result<ReadPart> readPart(const std::string& bytes, Reading reading = Reading::RowByRow)
{
    std::istringstream in(bytes);
    TilePartReader reader(in);
    Result<TilePartHeader> header = reader.readHeader();
    if (!header) {
        return Failure{header.error()};
    }
    ReadPart part{*header, {}};
    std::optional<TilePartReadAhead> ahead;
    if (reading == Reading::Ahead) {
        ahead.emplace(reader, *header, 1);
    }
    for (int row = header->firstRow; row < header->endRow; ++row) {
        TilePartRow read;
        if (ahead) {
            const Result<const TilePartRow*> next = ahead->next();
            if (!next) {
                return Failure{next.error()};
            }
            read = **next;
        } else if (Result<void> ok = reader.readRow(read); !ok) {
            return Failure{ok.error()};
        }
        part.rows.push_back(read);
    }
    ahead.reset();
    if (Result<void> ok = reader.finish(); !ok) {
        return Failure{ok.error()};
    }
    return part;
}

TilePartHeader deepHeader()
{
    TilePartHeader header = smallHeader();
    header.deep = true;
    return header;
}

TEST(TilePartTest, ReadsBackWhatWasWritten)
{
    for (const auto& [deep, reading] : {std::pair{false, Reading::RowByRow}, std::pair{true, Reading::RowByRow},
                                        std::pair{false, Reading::Ahead}, std::pair{true, Reading::Ahead}}) {
        const std::vector<TilePartRow> rows = deep ? deepRows() : kRows;
        const Result<ReadPart> part = readPart(partBytes(deep ? deepHeader() : smallHeader(), rows), reading);
        ASSERT_TRUE(part) << part.error();
        EXPECT_EQ(part->header.simdTarget, "AVX2");
        EXPECT_EQ(part->header.tile, 2);
        EXPECT_EQ(part->header.firstRow, 2);
        EXPECT_EQ(part->header.gradient->count(), 2);
        EXPECT_EQ(part->header.deep, deep);
        ASSERT_EQ(part->rows.size(), 2u);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(part->rows[i].firstPass, rows[i].firstPass);
            EXPECT_EQ(part->rows[i].grids, rows[i].grids);
            EXPECT_TRUE(sameBits(part->rows[i].firstPassDeep, rows[i].firstPassDeep)) << "row " << i;
            EXPECT_TRUE(sameBits(part->rows[i].gridsDeep, rows[i].gridsDeep)) << "row " << i;
        }
    }
}

// A part of the format's first version (no flags word) is a part without
// float values.
TEST(TilePartTest, FirstVersionPartsAreStillRead)
{
    std::string bytes = partBytes(smallHeader(), kRows);
    const std::size_t version = kTilePartMagic.size();
    bytes.erase(version + 4, 4);
    bytes[version] = '\1';
    bytes.resize(bytes.size() - 4);
    unsigned char crc[4];
    putLittleEndian(static_cast<std::uint32_t>(
                        crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()))),
                    crc);
    bytes.append(reinterpret_cast<const char*>(crc), 4);
    const Result<ReadPart> part = readPart(bytes);
    ASSERT_TRUE(part) << part.error();
    EXPECT_FALSE(part->header.deep);
    EXPECT_EQ(part->rows[0].grids, kRows[0].grids);
    bytes[version] = '\3';
    EXPECT_EQ(readPart(bytes).error(), "damaged: unknown format version 3");
}

// Whatever a cut or a changed byte hits, the part is refused, for the same
// reason when its rows are read ahead.
TEST(TilePartTest, EveryCutAndEveryChangedByteIsRefused)
{
    const std::string bytes = partBytes(deepHeader(), deepRows());
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        const Result<ReadPart> part = readPart(bytes.substr(0, length));
        ASSERT_FALSE(part) << "cut at " << length;
        EXPECT_TRUE(part.error() == "cut short" || part.error() == "not a Tessaform part file") << part.error();
        EXPECT_EQ(readPart(bytes.substr(0, length), Reading::Ahead).error(), part.error()) << "cut at " << length;
    }
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        for (const unsigned char flip : {0x01, 0x80}) {
            std::string changed = bytes;
            changed[at] = static_cast<char>(changed[at] ^ flip);
            EXPECT_FALSE(readPart(changed)) << "byte " << at;
        }
    }
    EXPECT_EQ(readPart(bytes + "x").error(), "damaged: data after its end");
}

// The header is read before the checksum at the end can be checked, so its
// text reaches a message only as a name or escaped.
TEST(TilePartTest, DamagedHeaderTextNeverReachesTheTerminalRaw)
{
    TilePartHeader header = smallHeader();
    header.simdTarget = "AVX\x1b]0;title\x07";
    EXPECT_EQ(readPart(partBytes(header, kRows)).error(), "damaged: bad instruction set name");
    header.simdTarget = "";
    EXPECT_EQ(readPart(partBytes(header, kRows)).error(), "damaged: bad instruction set name");

    std::string bytes = partBytes(smallHeader(), kRows);
    bytes[bytes.find("distance=") + 9] = '\x1b';
    const std::string error = readPart(bytes).error();
    EXPECT_EQ(error.rfind("damaged: record: distance: bad number '\\x1b", 0), 0u) << error;
    EXPECT_EQ(error.find('\x1b'), std::string::npos);
}

TEST(TilePartTest, GridsOnTheBorderOrOutOfOrderAreRefused)
{
    const std::vector<std::vector<GridAverage>> badGrids = {
        {{0, 1}}, {{4, 1}}, {{2, 1}, {2, 1}}, {{3, 1}, {1, 1}}, {{1, 1}, {2, 1}, {3, 1}, {3, 1}}};
    for (const std::vector<GridAverage>& grids : badGrids) {
        std::vector<TilePartRow> rows = kRows;
        rows[0].grids = grids;
        EXPECT_EQ(readPart(partBytes(smallHeader(), rows)).error().rfind("damaged: ", 0), 0u);
    }
    std::vector<TilePartRow> lastRowWithGrids = kRows;
    lastRowWithGrids[1].grids = {{2, 1}};
    EXPECT_EQ(readPart(partBytes(smallHeader(), lastRowWithGrids)).error(), "damaged: too many grids in row 3");
}

NamedTilePart tilePart(int tile, int tiles, int height)
{
    NamedTilePart part{"part_" + std::to_string(tile), smallHeader()};
    part.header.tile = tile;
    part.header.tiles = tiles;
    part.header.height = height;
    part.header.firstRow = height * (tile - 1) / tiles;
    part.header.endRow = height * tile / tiles;
    return part;
}

TEST(TilePartTest, APartSetIsOrderedAndChecked)
{
    std::vector<NamedTilePart> parts = {tilePart(3, 3, 10), tilePart(1, 3, 10), tilePart(2, 3, 10)};
    ASSERT_TRUE(orderTileParts(parts));
    EXPECT_EQ(parts[0].path + parts[1].path + parts[2].path, "part_1part_2part_3");

    const struct {
        void (*change)(std::vector<NamedTilePart>& parts);
        const char* error;
    } cases[] = {
        {[](auto& p) { p[1].header.width = 6; }, "part_2 does not belong with part_1: the image size differs"},
        {[](auto& p) { p[2].header.params.power = 3; }, "part_3 does not belong with part_1: the parameters differ"},
        {[](auto& p) { p[1].header.gradientHash ^= 1; }, "part_2 does not belong with part_1: the gradient differs"},
        {[](auto& p) { p[1].header.tiles = 4; }, "part_2 does not belong with part_1: the number of tiles differs"},
        {[](auto& p) { p[2].header.simdTarget = "AVX3"; },
         "part_3 does not belong with part_1: they were traced with different instruction sets (AVX2, AVX3)"},
        {[](auto& p) { p[2] = tilePart(2, 3, 10); }, "tile 2 of 3 is given twice: part_2 and part_2"},
        {[](auto& p) { p.pop_back(); }, "tile 3 of 3 is missing"},
        {[](auto& p) { p.erase(p.begin() + 1, p.end()); }, "tiles 2, 3 of 3 are missing"},
        {[](auto& p) { p[1].header.endRow = 7; }, "part_3: damaged: its rows do not follow the tile before"},
        {[](auto& p) { p[2].header.endRow = 9; }, "part_3: damaged: the last tile ends above the last row"},
        {[](auto& p) { p.clear(); }, "no parts given"},
    };
    for (const auto& testCase : cases) {
        std::vector<NamedTilePart> set = {tilePart(1, 3, 10), tilePart(2, 3, 10), tilePart(3, 3, 10)};
        testCase.change(set);
        EXPECT_EQ(orderTileParts(set).error(), testCase.error);
    }
}

TEST(TilePartTest, AnOutputOfFloatValuesNeedsEveryPartDeep)
{
    std::vector<NamedTilePart> parts = {tilePart(1, 3, 10), tilePart(2, 3, 10), tilePart(3, 3, 10)};
    parts[0].header.deep = true;
    parts[2].header.deep = true;
    EXPECT_EQ(checkPartsCarryFloatValues(parts, "poster.exr").error(),
              "poster.exr needs parts rendered with --deep; part_2 was rendered without");
    parts[1].header.deep = true;
    EXPECT_TRUE(checkPartsCarryFloatValues(parts, "poster.exr"));
}

}  // namespace
}  // namespace tessaform
