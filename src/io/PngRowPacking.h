#pragma once

#include <cstddef>
#include <cstdint>

#include "render/DeepPixel.h"

namespace tessaform {

// How a PNG stores its pixels: 8 or 16 bits a channel, RGB or RGBA.
struct PngPixelLayout {
    int bitDepth = 8;
    bool alpha = false;

    std::size_t bytesPerPixel() const { return (alpha ? 4u : 3u) * static_cast<std::size_t>(bitDepth / 8); }
    int colourType() const { return alpha ? 6 : 2; }
    // Only 8-bit RGB is made from the 8-bit pixels alone.
    bool needsDeepRows() const { return bitDepth != 8 || alpha; }
};

// One row's bytes as the PNG stores them, most significant byte first:
// - 8-bit RGB: the 0x00RRGGBB pixels;
// - 16-bit RGB: each pixel's float colour to 16 bits, held to its 8-bit pixel
//   (sixteenBitChannelOf), so the 8-bit image is the 16-bit one divided by 257;
// - RGBA: the colour of the surface alone (straight, not premultiplied) and
//   the share of the samples that hit it, each quantized to the bit depth.
void packPngRow(const PngPixelLayout& layout, const std::uint32_t* pixels, const DeepPixel* deep, int width,
                std::uint8_t* out);

}  // namespace tessaform
