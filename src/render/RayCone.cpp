#include "render/RayCone.h"

#include <algorithm>
#include <cmath>

#include "render/BoundingSphere.h"

namespace tessaform {
namespace {

Vector3 crossProduct(const Vector3& a, const Vector3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float length(const Vector3& v)
{
    return std::sqrt(dot(v, v));
}

// Widens the cone past the rounding of the vector kernels' own ray
// directions, which differ from the scalar ones by a few units in the last
// place.
constexpr float kSpreadRounding = 1e-6f;

}  // namespace

BundleCell bundleCellOf(const RayBundles& bundles, const SamplePoint& point)
{
    return {static_cast<int>(std::floor((point.x - bundles.origin) / bundles.pitch)),
            static_cast<int>(std::floor((point.y - bundles.origin) / bundles.pitch))};
}

// The rays through a rectangle of the image plane meet that plane inside
// any cone that holds the four corner rays, as the cone's own trace on the
// plane is convex; so the corners alone set the spread.
RayCone rayConeThrough(const Camera& camera, const RayBundles& bundles, const BundleCell& cell)
{
    const float left = bundles.origin + static_cast<float>(cell.column) * bundles.pitch;
    const float top = bundles.origin + static_cast<float>(cell.row) * bundles.pitch;
    const float half = bundles.reach * 0.5f;
    const Vector3 axis = primaryRayDirection(camera, left + half, top + half);
    float spread = 0.0f;
    for (const float x : {left, left + bundles.reach}) {
        for (const float y : {top, top + bundles.reach}) {
            const Vector3 corner = primaryRayDirection(camera, x, y);
            spread = std::max(spread, length(crossProduct(axis, corner)) / dot(axis, corner));
        }
    }
    spread = spread * 1.001f + kSpreadRounding;
    const float cosine = 1.0f / std::sqrt(1.0f + spread * spread);
    const float eyeDistance = length(camera.eye);
    const float centreAlong = -dot(camera.eye, axis);
    return {axis, spread, std::max(0.0f, eyeDistance - kBoundingRadius) * cosine, centreAlong + kBoundingRadius};
}

}  // namespace tessaform
