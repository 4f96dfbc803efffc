#pragma once

#include <string>
#include <vector>

#include "base/Result.h"
#include "io/TilePart.h"

namespace tessaform {

struct NamedTilePart {
    std::string path;
    TilePartHeader header;
};

// Puts the parts in tile order and checks that they make one image: one
// render (size, record, gradient, number of tiles, instruction set), every
// tile exactly once, and bands that follow each other down to the last row.
Result<void> orderTileParts(std::vector<NamedTilePart>& parts);

// Float values cannot be made up after the render: an output that needs
// them needs every part rendered with them.
Result<void> checkPartsCarryFloatValues(const std::vector<NamedTilePart>& parts, const std::string& output);

}  // namespace tessaform
