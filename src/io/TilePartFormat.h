#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "render/DeepPixel.h"

namespace tessaform {

// The part file's fixed facts, shared by its writer and reader. Numbers are
// little-endian 32-bit, strings a length and their bytes, colours three
// bytes red, green, blue, float values IEEE single precision.
inline constexpr std::string_view kTilePartMagic = "tessaform-part\n";
inline constexpr std::uint32_t kTilePartVersion = 2;
// The first version: no flags, no float values.
inline constexpr std::uint32_t kTilePartVersionWithoutFlags = 1;
// The flags after the version: the rows carry their float values.
inline constexpr std::uint32_t kTilePartDeepFlag = 1;

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

// A DeepPixel's floats in their order: colour, hit colour, coverage,
// depth, normal.
inline constexpr std::size_t kDeepFloats = 11;
inline constexpr std::size_t kDeepBytes = kDeepFloats * 4;

inline void putDeepPixel(const DeepPixel& pixel, unsigned char* bytes)
{
    const float floats[kDeepFloats] = {pixel.colour.r,    pixel.colour.g,    pixel.colour.b, pixel.hitColour.r,
                                       pixel.hitColour.g, pixel.hitColour.b, pixel.coverage, pixel.depth,
                                       pixel.normal.x,    pixel.normal.y,    pixel.normal.z};
    for (std::size_t i = 0; i < kDeepFloats; ++i) {
        putLittleEndian(std::bit_cast<std::uint32_t>(floats[i]), bytes + 4 * i);
    }
}

inline DeepPixel deepPixelAt(const unsigned char* bytes)
{
    float f[kDeepFloats];
    for (std::size_t i = 0; i < kDeepFloats; ++i) {
        f[i] = std::bit_cast<float>(littleEndian(bytes + 4 * i));
    }
    return {{f[0], f[1], f[2]}, {f[3], f[4], f[5]}, f[6], f[7], {f[8], f[9], f[10]}};
}

}  // namespace tessaform
