#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessaform {

// Decodes a BMP, GIF, JPEG or PNG file (palette and grey images included)
// and returns its top row, left to right, as packed 8-bit red, green, blue.
// nullopt when the file cannot be read as one of those formats or is cut
// short before its top row.
std::optional<std::vector<std::uint8_t>> readTopRowRgb(const std::string& path);

}  // namespace tessaform
