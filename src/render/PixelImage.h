#pragma once

#include <cstddef>
#include <cstdint>

namespace tessaform {

// A view of 32-bit pixels 0x00RRGGBB, row 0 at the top, pixel (c, r) at
// index r * width + c. The render writes through it; it owns nothing.
struct PixelImage {
    std::uint32_t* pixels;
    int width;
    int height;

    std::uint32_t& at(int column, int row) const
    {
        return pixels[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(column)];
    }
};

}  // namespace tessaform
