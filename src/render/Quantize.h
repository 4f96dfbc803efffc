#pragma once

#include <cstdint>

#include "params/Colour.h"

namespace tessaform {

// channel * top truncated toward zero and clamped to 0..top; NaN gives 0.
template <std::uint32_t Top>
std::uint32_t quantizeChannelTo(float channel)
{
    constexpr float top = static_cast<float>(Top);
    const float scaled = channel * top;
    if (!(scaled > 0.0f)) {
        return 0;
    }
    if (scaled >= top) {
        return Top;
    }
    return static_cast<std::uint32_t>(scaled);
}

inline std::uint32_t quantizeChannel(float channel)
{
    return quantizeChannelTo<255>(channel);
}

inline std::uint32_t quantizeColour(const Colour& colour)
{
    return (quantizeChannel(colour.r) << 16) | (quantizeChannel(colour.g) << 8) | quantizeChannel(colour.b);
}

// The channel's 16-bit level held within the 257 levels that its 8-bit level
// eightBit stands for, so that eightBit is always the 16-bit level divided by
// 257, whatever way the 8-bit pixel was reached.
inline std::uint32_t sixteenBitChannelOf(float channel, std::uint32_t eightBit)
{
    const std::uint32_t lowest = 257 * eightBit;
    const std::uint32_t highest = lowest + 256 < 65535 ? lowest + 256 : 65535;
    const std::uint32_t level = quantizeChannelTo<65535>(channel);
    return level < lowest ? lowest : (level > highest ? highest : level);
}

}  // namespace tessaform
