#pragma once

#include <cstdint>
#include <string>

#include "params/Result.h"

namespace tessaform {

// The header holds each side in 16 bits.
inline constexpr int kLargestTgaSide = 65535;

// Uncompressed 24-bit TGA, bottom row first. pixels is the top row of a
// width x height frame buffer. Only the low 16 bits of each size fit the
// header; callers refuse larger sizes before rendering.
Result<void> writeTga(const std::string& fileName, const std::uint32_t* pixels, int width, int height);

}  // namespace tessaform
