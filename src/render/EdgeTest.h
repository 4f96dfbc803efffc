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
// squared colour distance of more than 1024. (c, r) must not be a border
// pixel.
inline bool isEdgePixel(const PixelImage& image, int column, int row)
{
    constexpr int kEdgeThreshold = 1024;
    const std::uint32_t pixel = image.at(column, row);
    return squaredColourDistance(pixel, image.at(column - 1, row)) > kEdgeThreshold ||
           squaredColourDistance(pixel, image.at(column + 1, row)) > kEdgeThreshold ||
           squaredColourDistance(pixel, image.at(column, row - 1)) > kEdgeThreshold ||
           squaredColourDistance(pixel, image.at(column, row + 1)) > kEdgeThreshold;
}

}  // namespace tessaform
