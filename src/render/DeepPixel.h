#pragma once

#include <limits>

#include "math/Vector3.h"
#include "params/Colour.h"

namespace tessaform {

// What one sample saw besides its colour.
struct SampleDepth {
    // Distance from the eye along the ray to the surface; infinity on a miss.
    float depth = std::numeric_limits<float>::infinity();
    // Unit surface normal in world space; zero on a miss.
    Vector3 normal{0.0f, 0.0f, 0.0f};

    bool hit() const { return depth < std::numeric_limits<float>::infinity(); }
};

// A final pixel's float values, for the image formats that keep more than
// 8-bit colour. Its 8-bit pixel makes the same decisions as ever; these only
// travel beside it.
struct DeepPixel {
    // The mean colour over the pixel's samples, background included: what
    // the 8-bit pixel quantizes.
    Colour colour{0.0f, 0.0f, 0.0f};
    // The mean colour over the samples that hit the surface (straight, not
    // premultiplied); the background colour when none did.
    Colour hitColour{0.0f, 0.0f, 0.0f};
    // The share of the samples that hit: 0 to 1.
    float coverage = 0.0f;
    // The mean depth over the samples that hit; infinity when none did.
    float depth = std::numeric_limits<float>::infinity();
    // The unit mean of the hit samples' normals; zero when none hit.
    Vector3 normal{0.0f, 0.0f, 0.0f};
};

}  // namespace tessaform
