// Feeds arbitrary bytes to the tile part reader, as assemble reads a part,
// and checks what must hold for any file: a refusal says which kind it is,
// and whatever loads whole has sane rows and writes back to a part that
// loads to the same header and rows and writes back to the same bytes.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "io/TilePart.h"
#include "params/ParamText.h"

namespace {

using tessaform::GridAverage;
using tessaform::TilePartHeader;

struct Part {
    TilePartHeader header;
    std::vector<std::vector<std::uint32_t>> firstPass;
    std::vector<std::vector<GridAverage>> grids;
};

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
        std::vector<std::uint32_t> firstPass;
        std::vector<GridAverage> grids;
        if (const tessaform::Result<void> read = reader.readRow(firstPass, grids); !read) {
            FUZZ_CHECK(isKnownRefusal(read.error()));
            return false;
        }
        FUZZ_CHECK(firstPass.size() == static_cast<std::size_t>(header->width));
        for (const std::uint32_t pixel : firstPass) {
            FUZZ_CHECK(pixel <= 0xFFFFFFu);
        }
        for (std::size_t i = 0; i < grids.size(); ++i) {
            FUZZ_CHECK(grids[i].column >= 1 && grids[i].column <= header->width - 2);
            FUZZ_CHECK(i == 0 || grids[i].column > grids[i - 1].column);
            FUZZ_CHECK(grids[i].colour <= 0xFFFFFFu);
        }
        part.firstPass.push_back(std::move(firstPass));
        part.grids.push_back(std::move(grids));
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
        for (std::size_t row = 0; row < part.firstPass.size(); ++row) {
            writer.writeRow(part.firstPass[row].data(), part.grids[row]);
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
    FUZZ_CHECK(again.firstPass == part.firstPass && again.grids == part.grids);
    FUZZ_CHECK(writePart(again) == written);
    return 0;
}
