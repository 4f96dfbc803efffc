#pragma once

#include <cstdint>
#include <cstdio>
#include <istream>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/Result.h"
#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/AntiAliasGrid.h"
#include "render/BandRender.h"
#include "render/DeepPixel.h"

namespace tessaform {

// What a part file says about the render it belongs to.
struct TilePartHeader {
    int width = 0;
    int height = 0;
    int tile = 1;   // K, from 1
    int tiles = 1;  // N
    int firstRow = 0;
    int endRow = 0;
    std::string simdTarget;  // the instruction set that traced it
    FractalParams params = defaultParams();
    std::shared_ptr<const Gradient> gradient;
    std::uint64_t gradientHash = 0;
    bool deep = false;  // its rows carry their float values
};

// One row read from a part; the float values are empty in a part without.
struct TilePartRow {
    std::vector<std::uint32_t> firstPass;
    std::vector<GridAverage> grids;
    std::vector<DeepPixel> firstPassDeep;
    std::vector<DeepPixel> gridsDeep;

    BandRow values() const
    {
        return {firstPass.data(), grids, firstPassDeep.empty() ? nullptr : firstPassDeep.data(), gridsDeep};
    }
};

// FNV-1a of the gradient's colours as text: parts of one render agree on it.
std::uint64_t gradientHash(const Gradient& gradient);

// Writes a part: the header, then each band row's first-pass values and
// pre-traced grids, with a deep header their float values too, then a
// CRC-32 of everything before it.
class TilePartWriter {
public:
    // file stays the caller's.
    TilePartWriter(std::FILE* file, const TilePartHeader& header);

    // With a deep header, values must carry float values.
    void writeRow(const BandRow& values);
    // Writes the checksum; fails with the first write error's reason.
    Result<void> finish();

private:
    void put(const void* bytes, std::size_t count);
    void putNumber(std::uint32_t value);
    void putString(const std::string& text);
    void putDeep(std::span<const DeepPixel> pixels);

    std::FILE* file_;
    int width_;
    bool deep_;
    std::uint32_t crc_;
    int writeError_ = 0;
    std::vector<unsigned char> row_;
};

// Reads a part written by TilePartWriter, checking everything it can as it
// goes; the bytes are untrusted. Failures read "not a Tessaform part file",
// "cut short" or "damaged: ...". Parts of the format's first version, which
// had no float values, are read as parts without.
class TilePartReader {
public:
    explicit TilePartReader(std::istream& in) : in_(in) {}

    Result<TilePartHeader> readHeader();
    // The next row of the band: width first-pass pixels, and with a deep
    // header their float values and the grids'.
    Result<void> readRow(TilePartRow& row);
    // After the band's last row: the checksum and the end of the file.
    Result<void> finish();

private:
    bool get(void* bytes, std::size_t count);
    bool getNumber(std::uint32_t& value);
    Result<std::string> getString(std::size_t limit, const char* what);
    bool getDeep(std::vector<DeepPixel>& pixels, std::size_t count);
    Result<void> readColours(std::vector<std::uint32_t>& firstPass, std::vector<GridAverage>& grids);

    std::istream& in_;
    std::uint32_t crc_ = 0;
    TilePartHeader header_;
    int nextRow_ = 0;
    std::vector<unsigned char> row_;
};

}  // namespace tessaform
