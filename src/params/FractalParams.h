#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "math/Quaternion.h"
#include "math/Vector3.h"
#include "params/Colour.h"

namespace tessaform {

// Everything that decides what a render shows: 25 consecutive four-byte
// slots, copied and compared as raw memory, so order and widths matter.
struct FractalParams {
    Colour background;        // slots 0-2
    float theta;              // 3, radians
    float phi;                // 4, radians
    float distance;           // 5
    Quaternion constant;      // 6-9
    float hyperplaneW;        // 10
    Vector3 light;            // 11-13
    float specular;           // 14
    float intensity;          // 15
    float lateralShift;       // 16
    float verticalShift;      // 17
    std::int32_t iterations;  // 18
    float epsilon;            // 19
    Vector3 direction;        // 20-22
    float angle;              // 23, radians
    std::int32_t power;       // 24
};

inline constexpr int kParamSlotCount = 25;

static_assert(sizeof(float) == 4);
static_assert(sizeof(FractalParams) == kParamSlotCount * 4, "the record has no padding");
static_assert(std::is_trivially_copyable_v<FractalParams>);
static_assert(std::is_standard_layout_v<FractalParams>);
static_assert(offsetof(FractalParams, theta) == 3 * 4);
static_assert(offsetof(FractalParams, constant) == 6 * 4);
static_assert(offsetof(FractalParams, hyperplaneW) == 10 * 4);
static_assert(offsetof(FractalParams, light) == 11 * 4);
static_assert(offsetof(FractalParams, lateralShift) == 16 * 4);
static_assert(offsetof(FractalParams, iterations) == 18 * 4);
static_assert(offsetof(FractalParams, epsilon) == 19 * 4);
static_assert(offsetof(FractalParams, direction) == 20 * 4);
static_assert(offsetof(FractalParams, angle) == 23 * 4);
static_assert(offsetof(FractalParams, power) == 24 * 4);

void resetParams(FractalParams& params);
FractalParams defaultParams();

// Bit patterns, not numbers: -0.0 differs from +0.0 and a NaN equals itself.
bool paramsDiffer(const FractalParams& a, const FractalParams& b);

}  // namespace tessaform
