#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Result.h"

namespace tessaform {

inline constexpr const char* kCouldNotLoadImage = "Could not load image";

// Decodes a BMP, GIF, JPEG or PNG file (palette and grey images included)
// and returns its top row, left to right, as packed 8-bit red, green, blue,
// at least one pixel. Fails with kCouldNotLoadImage when the file cannot be
// read as one of those formats or is cut short.
Result<std::vector<std::uint8_t>> readTopRowRgb(const std::string& path);

}  // namespace tessaform
