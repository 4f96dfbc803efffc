#pragma once

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

// isEdgePixel for columns 1 to width - 2 of row, between above and below,
// into edges: nonzero for an edge.
void markEdgePixels(const std::uint32_t* above, const std::uint32_t* row, const std::uint32_t* below, int width,
                    std::uint8_t* edges);

}  // namespace tessaform
