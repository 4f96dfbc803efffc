#pragma once

#include <algorithm>
#include <cstdint>

#include "render/PixelImage.h"

namespace tessaform {

inline int squaredColourDistance(std::uint32_t a, std::uint32_t b)
{
    int sum = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int difference = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        sum += difference * difference;
    }
    return sum;
}

// A pixel lies on an edge when one of its four neighbours differs by a
// squared colour distance of more than this.
inline constexpr int kEdgeThreshold = 1024;

// (c, r) must not be a border pixel.
inline bool isEdgePixel(const PixelImage& image, int column, int row)
{
    const std::uint32_t pixel = image.at(column, row);
    return squaredColourDistance(pixel, image.at(column - 1, row)) > kEdgeThreshold ||
           squaredColourDistance(pixel, image.at(column + 1, row)) > kEdgeThreshold ||
           squaredColourDistance(pixel, image.at(column, row - 1)) > kEdgeThreshold ||
           squaredColourDistance(pixel, image.at(column, row + 1)) > kEdgeThreshold;
}

// A squared distance above kEdgeThreshold needs a channel difference above
// 32, so with differences clamped to 33 every verdict stands and the sums
// fit 16 bits, which vectorise well.
inline std::uint16_t clampedSquaredDistance(std::uint32_t a, std::uint32_t b)
{
    std::uint16_t sum = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const auto x = static_cast<std::int16_t>((a >> shift) & 0xFF);
        const auto y = static_cast<std::int16_t>((b >> shift) & 0xFF);
        const auto difference = static_cast<std::uint16_t>(
            std::min<std::int16_t>(static_cast<std::int16_t>(x > y ? x - y : y - x), static_cast<std::int16_t>(33)));
        sum = static_cast<std::uint16_t>(sum + difference * difference);
    }
    return sum;
}

// isEdgePixel for columns 1 to width - 2 of row, between above and below,
// into edges: nonzero for an edge.
inline void markEdgePixels(const std::uint32_t* above, const std::uint32_t* row, const std::uint32_t* below, int width,
                           std::uint8_t* edges)
{
    for (int column = 1; column <= width - 2; ++column) {
        const std::uint32_t pixel = row[column];
        edges[column] = static_cast<std::uint8_t>((clampedSquaredDistance(pixel, row[column - 1]) > kEdgeThreshold) |
                                                  (clampedSquaredDistance(pixel, row[column + 1]) > kEdgeThreshold) |
                                                  (clampedSquaredDistance(pixel, above[column]) > kEdgeThreshold) |
                                                  (clampedSquaredDistance(pixel, below[column]) > kEdgeThreshold));
    }
}

}  // namespace tessaform
