#pragma once

#include <cstdint>
#include <string>

#include "params/Result.h"

namespace tessaform {

// Uncompressed 24-bit TGA, bottom row first. pixels is the top row of a
// width x height frame buffer. Only the low 16 bits of each size fit the
// header; callers refuse larger sizes before rendering.
Result<void> writeTga(const std::string& fileName, const std::uint32_t* pixels, int width, int height);

}  // namespace tessaform
