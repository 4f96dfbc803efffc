#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "io/TilePart.h"
#include "io/TilePartSet.h"

namespace tessaform {
namespace {

struct PartRow {
    std::vector<std::uint32_t> firstPass;
    std::vector<GridAverage> grids;
};

// Rows 2 and 3 of a 5 x 4 image, the second of two tiles.
TilePartHeader smallHeader()
{
    TilePartHeader header{5, 4, 2, 2, 2, 4, "AVX2", defaultParams(), nullptr, 0};
    const std::uint8_t rgb[] = {10, 20, 30, 200, 100, 0};
    header.gradient = std::make_shared<const Gradient>(gradientFromRgbBytes(rgb));
    header.gradientHash = gradientHash(*header.gradient);
    return header;
}

const std::vector<PartRow> kRows = {
    {{0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F}, {{1, 0x112233}, {3, 0x445566}}},
    {{0xFFFFFF, 0, 0x808080, 0, 0xFFFFFF}, {}},
};

std::string partBytes(const TilePartHeader& header, const std::vector<PartRow>& rows)
{
    std::FILE* file = std::tmpfile();
    TilePartWriter writer(file, header);
    for (const PartRow& row : rows) {
        writer.writeRow(row.firstPass.data(), row.grids);
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
    std::vector<PartRow> rows;
};

Result<ReadPart> readPart(const std::string& bytes)
{
    std::istringstream in(bytes);
    TilePartReader reader(in);
    Result<TilePartHeader> header = reader.readHeader();
    if (!header) {
        return Failure{header.error()};
    }
    ReadPart part{*header, {}};
    for (int row = header->firstRow; row < header->endRow; ++row) {
        PartRow read;
        if (Result<void> ok = reader.readRow(read.firstPass, read.grids); !ok) {
            return Failure{ok.error()};
        }
        part.rows.push_back(read);
    }
    if (Result<void> ok = reader.finish(); !ok) {
        return Failure{ok.error()};
    }
    return part;
}

TEST(TilePartTest, ReadsBackWhatWasWritten)
{
    const Result<ReadPart> part = readPart(partBytes(smallHeader(), kRows));
    ASSERT_TRUE(part) << part.error();
    EXPECT_EQ(part->header.simdTarget, "AVX2");
    EXPECT_EQ(part->header.tile, 2);
    EXPECT_EQ(part->header.firstRow, 2);
    EXPECT_EQ(part->header.gradient->count(), 2);
    ASSERT_EQ(part->rows.size(), 2u);
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        EXPECT_EQ(part->rows[i].firstPass, kRows[i].firstPass);
        EXPECT_EQ(part->rows[i].grids, kRows[i].grids);
    }
}

// Whatever a cut or a changed byte hits, the part is refused.
TEST(TilePartTest, EveryCutAndEveryChangedByteIsRefused)
{
    const std::string bytes = partBytes(smallHeader(), kRows);
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        const Result<ReadPart> part = readPart(bytes.substr(0, length));
        ASSERT_FALSE(part) << "cut at " << length;
        EXPECT_TRUE(part.error() == "cut short" || part.error() == "not a Tessaform part file") << part.error();
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
        std::vector<PartRow> rows = kRows;
        rows[0].grids = grids;
        EXPECT_EQ(readPart(partBytes(smallHeader(), rows)).error().rfind("damaged: ", 0), 0u);
    }
    std::vector<PartRow> lastRowWithGrids = kRows;
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

}  // namespace
}  // namespace tessaform
