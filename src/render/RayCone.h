#pragma once

#include "math/Vector3.h"
#include "render/Camera.h"
#include "render/SampleBatch.h"

namespace tessaform {

// A cell of the lattice that RayBundles lays over the image.
struct BundleCell {
    int column;
    int row;

    bool operator==(const BundleCell&) const = default;
};

BundleCell bundleCellOf(const RayBundles& bundles, const SamplePoint& point);

// The cone from the eye that holds every ray through a cell's samples,
// and where its march begins and ends.
struct RayCone {
    Vector3 axis;  // unit
    float spread;  // tangent of the half-angle
    float start;   // axial distance from the eye before which the cone lies outside the bounding sphere
    float beyond;  // axial distance after which it lies outside the bounding sphere again
};

RayCone rayConeThrough(const Camera& camera, const RayBundles& bundles, const BundleCell& cell);

// How a cone steps: it moves its axis point on by the distance estimate
// there, less the cone's radius, scaled by kConeShare, and ends when that
// step falls below kConeEnd of its radius.
inline constexpr float kConeShare = 0.9f;
inline constexpr float kConeEnd = 0.5f;

}  // namespace tessaform
