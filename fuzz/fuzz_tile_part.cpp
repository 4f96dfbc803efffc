// Feeds arbitrary bytes to the tile part reader, as assemble reads a part,
// and checks what must hold for any file: a refusal says which kind it is,
// and whatever loads whole has sane rows and writes back to a part that
// loads to the same header and rows and writes back to the same bytes.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "io/TilePart.h"
#include "params/ParamText.h"

namespace {

using tessaform::DeepPixel;
using tessaform::TilePartHeader;
using tessaform::TilePartRow;

struct Part {
    TilePartHeader header;
    std::vector<TilePartRow> rows;
};

// Float values compare by their bits: a NaN read must write back as itself.
bool sameBits(const std::vector<DeepPixel>& a, const std::vector<DeepPixel>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(DeepPixel)) == 0);
}

bool sameRows(const Part& a, const Part& b)
{
    if (a.rows.size() != b.rows.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.rows.size(); ++i) {
        const TilePartRow& x = a.rows[i];
        const TilePartRow& y = b.rows[i];
        if (x.firstPass != y.firstPass || x.grids != y.grids || !sameBits(x.firstPassDeep, y.firstPassDeep) ||
            !sameBits(x.gridsDeep, y.gridsDeep)) {
            return false;
        }
    }
    return true;
}

bool isKnownRefusal(const std::string& error)
{
    return error == "not a Tessaform part file" || error == "cut short" || error.rfind("damaged: ", 0) == 0;
}

bool readPart(const std::string& bytes, Part& part)
{
    std::istringstream in(bytes);
    tessaform::TilePartReader reader(in);
    const tessaform::Result<TilePartHeader> header = reader.readHeader();
    if (!header) {
        FUZZ_CHECK(isKnownRefusal(header.error()));
        return false;
    }
    part.header = *header;
    FUZZ_CHECK(header->firstRow < header->endRow && header->endRow <= header->height);
    for (int row = header->firstRow; row < header->endRow; ++row) {
        TilePartRow read;
        if (const tessaform::Result<void> result = reader.readRow(read); !result) {
            FUZZ_CHECK(isKnownRefusal(result.error()));
            return false;
        }
        const std::vector<std::uint32_t>& firstPass = read.firstPass;
        const auto& grids = read.grids;
        const std::size_t deepPixels = header->deep ? firstPass.size() : 0;
        FUZZ_CHECK(read.firstPassDeep.size() == deepPixels);
        FUZZ_CHECK(read.gridsDeep.size() == (header->deep ? grids.size() : 0));
        FUZZ_CHECK(firstPass.size() == static_cast<std::size_t>(header->width));
        for (const std::uint32_t pixel : firstPass) {
            FUZZ_CHECK(pixel <= 0xFFFFFFu);
        }
        for (std::size_t i = 0; i < grids.size(); ++i) {
            FUZZ_CHECK(grids[i].column >= 1 && grids[i].column <= header->width - 2);
            FUZZ_CHECK(i == 0 || grids[i].column > grids[i - 1].column);
            FUZZ_CHECK(grids[i].colour <= 0xFFFFFFu);
        }
        part.rows.push_back(std::move(read));
    }
    if (const tessaform::Result<void> finished = reader.finish(); !finished) {
        FUZZ_CHECK(isKnownRefusal(finished.error()));
        return false;
    }
    return true;
}

std::string writePart(const Part& part)
{
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* file = open_memstream(&buffer, &size);
    FUZZ_CHECK(file != nullptr);
    {
        tessaform::TilePartWriter writer(file, part.header);
        for (const TilePartRow& row : part.rows) {
            writer.writeRow(row.values());
        }
        FUZZ_CHECK(writer.finish().ok());
    }
    std::fclose(file);
    std::string bytes(buffer, size);
    std::free(buffer);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Part part;
    if (!readPart(std::string(reinterpret_cast<const char*>(data), size), part)) {
        return 0;
    }
    const std::string written = writePart(part);
    Part again;
    FUZZ_CHECK(readPart(written, again));
    FUZZ_CHECK(tessaform::paramsAsText(again.header.params) == tessaform::paramsAsText(part.header.params));
    FUZZ_CHECK(tessaform::gradientAsHex(*again.header.gradient) == tessaform::gradientAsHex(*part.header.gradient));
    FUZZ_CHECK(again.header.simdTarget == part.header.simdTarget && again.header.tile == part.header.tile);
    FUZZ_CHECK(again.header.deep == part.header.deep && sameRows(again, part));
    FUZZ_CHECK(writePart(again) == written);
    return 0;
}
