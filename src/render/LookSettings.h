#pragma once

#include <array>

namespace tessaform {

struct FractalParams;

// Occlusion samples the estimate at this many points along the normal.
inline constexpr int kOcclusionSamples = 5;

// The looks of one render, prepared once so that both engines read the
// same numbers. A look is on when its strength is above zero; a strength
// of zero, below it or not a number leaves the image as it is.
struct LookSettings {
    bool shadowOn = false;
    float shadow = 0.0f;
    float shadowSoftness = 0.0f;  // 0: hard
    float shadowLift = 0.0f;      // how far the shadow ray starts off the surface

    bool occlusionOn = false;
    float occlusion = 0.0f;
    std::array<float, kOcclusionSamples> occlusionDistance{};
    std::array<float, kOcclusionSamples> occlusionWeight{};  // sum of weight x distance is 1

    bool fogOn = false;
    float fog = 0.0f;

    bool anyOn() const { return shadowOn || occlusionOn || fogOn; }
};

// epsilon is the march's surface tolerance.
LookSettings prepareLooks(const FractalParams& params, float epsilon);

}  // namespace tessaform
