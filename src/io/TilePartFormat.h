#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tessaform {

// The part file's fixed facts, shared by its writer and reader. Numbers are
// little-endian 32-bit, strings a length and their bytes, colours three
// bytes red, green, blue.
inline constexpr std::string_view kTilePartMagic = "tessaform-part\n";
inline constexpr std::uint32_t kTilePartVersion = 1;

// Limits far above what the program writes, so damaged lengths fail early.
inline constexpr std::size_t kLargestSimdTargetName = 64;
inline constexpr std::size_t kLargestParamsText = 64 * 1024;
inline constexpr std::size_t kLargestGradientText = 16 * 1024 * 1024;

inline void putLittleEndian(std::uint32_t value, unsigned char* bytes)
{
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

inline std::uint32_t littleEndian(const unsigned char* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

inline void putColour(std::uint32_t pixel, unsigned char* bytes)
{
    bytes[0] = static_cast<unsigned char>(pixel >> 16);
    bytes[1] = static_cast<unsigned char>(pixel >> 8);
    bytes[2] = static_cast<unsigned char>(pixel);
}

inline std::uint32_t colourAt(const unsigned char* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) << 16 | static_cast<std::uint32_t>(bytes[1]) << 8 | bytes[2];
}

// Bytes of one grid average: its column and its colour.
inline constexpr std::size_t kGridBytes = 7;

}  // namespace tessaform
