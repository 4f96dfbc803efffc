#pragma once

namespace tessaform {

// Red, green and blue on a nominal 0..1 scale; unclamped until quantized.
struct Colour {
    float r;
    float g;
    float b;
};

// The single-precision value nearest 1/255, used wherever a colour byte
// becomes a float.
inline constexpr float kByteToUnit = 0.00392156886f;

}  // namespace tessaform
