#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "math/Quaternion.h"
#include "math/Vector3.h"
#include "params/Colour.h"

namespace tessaform {

// Everything that decides what a render shows: consecutive four-byte slots,
// copied and compared as raw memory, so order and widths matter. The looks
// come last, after the 25 slots every older file knows.
struct FractalParams {
    Colour background;
    float theta;  // radians
    float phi;    // radians
    float distance;
    Quaternion constant;
    float hyperplaneW;
    Vector3 light;
    float specular;
    float intensity;
    float lateralShift;
    float verticalShift;
    std::int32_t iterations;
    float epsilon;
    Vector3 direction;
    float angle;  // radians
    std::int32_t power;
    float shadow;           // 0..1, how dark a point the light cannot reach becomes
    float shadowSoftness;   // 0: hard; larger: a wider penumbra
    float occlusion;        // 0..1, how dark crevices become
    float occlusionRadius;  // how far along the normal occlusion looks
    float fog;              // >= 0, density of the fog toward the background
};

inline constexpr int kParamSlotCount = 30;
// The slots before the looks: all that files older than the looks carry.
inline constexpr int kClassicSlotCount = 25;

constexpr bool isLookSlot(int slot)
{
    return slot >= kClassicSlotCount;
}

static_assert(sizeof(float) == 4);
static_assert(sizeof(FractalParams) == kParamSlotCount * 4, "the record has no padding");
static_assert(std::is_trivially_copyable_v<FractalParams>);
static_assert(std::is_standard_layout_v<FractalParams>);

// The slot of the field at this byte offset: slotAt(offsetof(FractalParams,
// constant.y)) is 7. The record's declaration is the one list of slots.
constexpr int slotAt(std::size_t byteOffset)
{
    return static_cast<int>(byteOffset / 4);
}

void resetParams(FractalParams& params);
FractalParams defaultParams();

// Bit patterns, not numbers: -0.0 differs from +0.0 and a NaN equals itself.
bool paramsDiffer(const FractalParams& a, const FractalParams& b);

}  // namespace tessaform
