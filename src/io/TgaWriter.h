#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "params/Result.h"

namespace tessaform {

// The header holds each side in 16 bits.
inline constexpr int kLargestTgaSide = 65535;

inline constexpr std::size_t kTgaHeaderBytes = 18;

// An uncompressed 24-bit image, its rows stored bottom first.
std::array<unsigned char, kTgaHeaderBytes> tgaHeader(int width, int height);

// Uncompressed 24-bit TGA, bottom row first. pixels is the top row of a
// width x height frame buffer. Only the low 16 bits of each size fit the
// header; callers refuse larger sizes before rendering.
Result<void> writeTga(const std::string& fileName, const std::uint32_t* pixels, int width, int height);

}  // namespace tessaform
