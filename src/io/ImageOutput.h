#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "io/PngWriter.h"
#include "params/Result.h"

namespace tessaform {

// True when the name ends in ".png", in any case.
bool namesPng(const std::string& fileName);

// Writes the top-row-first pixels as a PNG carrying the texts when the name
// ends in ".png", a TGA otherwise, through a temporary file, so a failure
// never leaves a partial image.
Result<void> writeImageFile(const std::string& fileName, const std::uint32_t* pixels, int width, int height,
                            std::span<const PngText> texts = {});

}  // namespace tessaform
