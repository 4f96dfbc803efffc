#pragma once

#include <array>
#include <string>
#include <vector>

#include "params/FractalParams.h"

namespace tessaform {

// How a field moves from one key to the next.
enum class Interpolation { Smooth, Linear, Step };

struct Keyframe {
    int frame = 0;
    // The whole record at this key: what the key names over what it
    // carries from the key before.
    FractalParams params;
};

// The frame rates a film is written at: both of its encoders take every
// one of them.
inline constexpr double kSlowestFilmFps = 0.001;
inline constexpr double kFastestFilmFps = 1000.0;

bool isFilmFrameRate(double fps);

// "a number from 0.001 to 1000", for messages.
std::string filmFrameRateRangeText();

struct Animation {
    double fps = 30.0;
    std::array<Interpolation, kParamSlotCount> interpolation{};
    // At least one key; frames strictly increasing.
    std::vector<Keyframe> keys;

    int firstFrame() const { return keys.front().frame; }
    int lastFrame() const { return keys.back().frame; }
};

// Smooth for every real-valued field and the iterations; the power steps.
std::array<Interpolation, kParamSlotCount> defaultInterpolation();

// The record at any time, counted in frames: at a key's frame exactly the
// key's record, before the first key the first, after the last the last.
FractalParams paramsAtTime(const Animation& animation, double frame);

inline FractalParams paramsAtFrame(const Animation& animation, int frame)
{
    return paramsAtTime(animation, frame);
}

}  // namespace tessaform
