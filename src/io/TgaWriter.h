#pragma once

namespace tessaform {

struct ImageFormat;

// The header holds each side in 16 bits.
inline constexpr int kLargestTgaSide = 65535;

// Uncompressed 24-bit TGA, bottom row first. Only the low 16 bits of each
// size fit the header; callers refuse larger sizes before rendering.
const ImageFormat& tgaImageFormat();

}  // namespace tessaform
