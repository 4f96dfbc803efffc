#include "io/TilePartSet.h"

#include <algorithm>

#include "params/ParamText.h"

namespace tessaform {
namespace {

// What differs between two parts' renders, or nothing.
std::string differenceBetween(const TilePartHeader& a, const TilePartHeader& b)
{
    if (a.width != b.width || a.height != b.height) {
        return "the image size differs";
    }
    if (a.tiles != b.tiles) {
        return "the number of tiles differs";
    }
    if (paramsAsText(a.params) != paramsAsText(b.params)) {
        return "the parameters differ";
    }
    if (a.gradientHash != b.gradientHash) {
        return "the gradient differs";
    }
    if (a.simdTarget != b.simdTarget) {
        return "they were traced with different instruction sets (" + a.simdTarget + ", " + b.simdTarget + ")";
    }
    return {};
}

std::string tileName(int tile, int tiles)
{
    return "tile " + std::to_string(tile) + " of " + std::to_string(tiles);
}

Result<void> checkEveryTileOnce(const std::vector<NamedTilePart>& parts)
{
    const int tiles = parts.front().header.tiles;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        if (parts[i].header.tile == parts[i - 1].header.tile) {
            return Failure{tileName(parts[i].header.tile, tiles) + " is given twice: " + parts[i - 1].path + " and " +
                           parts[i].path};
        }
    }
    std::string missing;
    std::size_t missingCount = 0;
    std::size_t next = 0;
    for (int tile = 1; tile <= tiles; ++tile) {
        if (next < parts.size() && parts[next].header.tile == tile) {
            ++next;
        } else if (++missingCount <= 10) {
            missing += (missing.empty() ? "" : ", ") + std::to_string(tile);
        }
    }
    if (missingCount > 0) {
        const std::string more = missingCount > 10 ? " and " + std::to_string(missingCount - 10) + " more" : "";
        return Failure{(missingCount == 1 ? "tile " : "tiles ") + missing + more + " of " + std::to_string(tiles) +
                       (missingCount == 1 ? " is missing" : " are missing")};
    }
    return {};
}

Result<void> checkBandsFollow(const std::vector<NamedTilePart>& parts)
{
    int nextRow = 0;
    for (const NamedTilePart& part : parts) {
        if (part.header.firstRow != nextRow) {
            return Failure{part.path + ": damaged: its rows do not follow the tile before"};
        }
        nextRow = part.header.endRow;
    }
    if (nextRow != parts.front().header.height) {
        return Failure{parts.back().path + ": damaged: the last tile ends above the last row"};
    }
    return {};
}

}  // namespace

Result<void> orderTileParts(std::vector<NamedTilePart>& parts)
{
    if (parts.empty()) {
        return Failure{"no parts given"};
    }
    for (const NamedTilePart& part : parts) {
        if (const std::string difference = differenceBetween(parts.front().header, part.header); !difference.empty()) {
            return Failure{part.path + " does not belong with " + parts.front().path + ": " + difference};
        }
    }
    std::stable_sort(parts.begin(), parts.end(),
                     [](const NamedTilePart& a, const NamedTilePart& b) { return a.header.tile < b.header.tile; });
    if (Result<void> once = checkEveryTileOnce(parts); !once) {
        return once;
    }
    return checkBandsFollow(parts);
}

Result<void> checkPartsCarryFloatValues(const std::vector<NamedTilePart>& parts, const std::string& output)
{
    for (const NamedTilePart& part : parts) {
        if (!part.header.deep) {
            return Failure{output + " needs parts rendered with --deep; " + part.path + " was rendered without"};
        }
    }
    return {};
}

}  // namespace tessaform
