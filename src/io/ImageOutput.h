#pragma once

#include <cstdint>
#include <string>

#include "params/Result.h"

namespace tessaform {

// Writes the top-row-first pixels as a PNG when the name ends in ".png"
// (any case), a TGA otherwise, through a temporary file, so a failure never
// leaves a partial image.
Result<void> writeImageFile(const std::string& fileName, const std::uint32_t* pixels, int width, int height);

}  // namespace tessaform
