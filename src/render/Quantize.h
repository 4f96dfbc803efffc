#pragma once

#include <cstdint>

#include "params/Colour.h"

namespace tessaform {

// channel * 255 truncated toward zero and clamped to 0..255; NaN gives 0.
inline std::uint32_t quantizeChannel(float channel)
{
    const float scaled = channel * 255.0f;
    if (!(scaled > 0.0f)) {
        return 0;
    }
    if (scaled >= 255.0f) {
        return 255;
    }
    return static_cast<std::uint32_t>(scaled);
}

inline std::uint32_t quantizeColour(const Colour& colour)
{
    return (quantizeChannel(colour.r) << 16) | (quantizeChannel(colour.g) << 8) | quantizeChannel(colour.b);
}

}  // namespace tessaform
