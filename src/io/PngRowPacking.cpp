#include "io/PngRowPacking.h"

#include "render/Quantize.h"

namespace tessaform {
namespace {

std::uint8_t* putSixteen(std::uint8_t* out, std::uint32_t level)
{
    *out++ = static_cast<std::uint8_t>(level >> 8);
    *out++ = static_cast<std::uint8_t>(level);
    return out;
}

void packRgb8(const std::uint32_t* pixels, int width, std::uint8_t* out)
{
    for (int x = 0; x < width; ++x) {
        const std::uint32_t pixel = pixels[x];
        *out++ = static_cast<std::uint8_t>(pixel >> 16);
        *out++ = static_cast<std::uint8_t>(pixel >> 8);
        *out++ = static_cast<std::uint8_t>(pixel);
    }
}

void packRgb16(const std::uint32_t* pixels, const DeepPixel* deep, int width, std::uint8_t* out)
{
    for (int x = 0; x < width; ++x) {
        const std::uint32_t pixel = pixels[x];
        const Colour& colour = deep[x].colour;
        out = putSixteen(out, sixteenBitChannelOf(colour.r, (pixel >> 16) & 0xFF));
        out = putSixteen(out, sixteenBitChannelOf(colour.g, (pixel >> 8) & 0xFF));
        out = putSixteen(out, sixteenBitChannelOf(colour.b, pixel & 0xFF));
    }
}

void packRgba8(const DeepPixel* deep, int width, std::uint8_t* out)
{
    for (int x = 0; x < width; ++x) {
        const Colour& colour = deep[x].hitColour;
        *out++ = static_cast<std::uint8_t>(quantizeChannel(colour.r));
        *out++ = static_cast<std::uint8_t>(quantizeChannel(colour.g));
        *out++ = static_cast<std::uint8_t>(quantizeChannel(colour.b));
        *out++ = static_cast<std::uint8_t>(quantizeChannel(deep[x].coverage));
    }
}

void packRgba16(const DeepPixel* deep, int width, std::uint8_t* out)
{
    for (int x = 0; x < width; ++x) {
        const Colour& colour = deep[x].hitColour;
        out = putSixteen(out, quantizeChannelTo<65535>(colour.r));
        out = putSixteen(out, quantizeChannelTo<65535>(colour.g));
        out = putSixteen(out, quantizeChannelTo<65535>(colour.b));
        out = putSixteen(out, quantizeChannelTo<65535>(deep[x].coverage));
    }
}

}  // namespace

void packPngRow(const PngPixelLayout& layout, const std::uint32_t* pixels, const DeepPixel* deep, int width,
                std::uint8_t* out)
{
    if (layout.alpha) {
        layout.bitDepth == 16 ? packRgba16(deep, width, out) : packRgba8(deep, width, out);
    } else {
        layout.bitDepth == 16 ? packRgb16(pixels, deep, width, out) : packRgb8(pixels, width, out);
    }
}

}  // namespace tessaform
