#pragma once

#include <cmath>
#include <cstdint>

#include "math/VectorOps.h"
#include "render/BoundingSphere.h"
#include "render/JuliaIteration.h"

namespace tessaform {

struct SurfaceHit {
    bool hit;
    Vector3 point;
    Vector3 normal;  // unit length, pointing into the surface
    float slope;     // how fast the estimate grows off the surface, per unit of length
};

// Everything a march needs besides the ray: the slice and the tolerance.
struct MarchSettings {
    JuliaSlice slice;
    float epsilon;
    std::uint64_t stepLimit;
};

MarchSettings prepareMarch(const FractalParams& params);

// Distance along the ray at which the march starts (0 for an eye inside the
// sphere); negative or NaN when the ray misses the sphere.
float sphereEntry(const Vector3& eye, const Vector3& direction);

// The normal, and the slope from the same differences.
template <int Power>
SurfaceHit surfaceHitAt(const Vector3& point, float hitEstimate, std::int32_t hitSteps, const MarchSettings& march)
{
    // Backward offsets make the normal point into the surface.
    const float h = march.epsilon * 0.1f;
    const float w = march.slice.hyperplaneW;
    const JuliaRotation& rotation = march.slice.rotation;
    const float a = distanceEstimate(iterateFixed<Power>({point.x - h, point.y, point.z, w}, hitSteps, rotation));
    const float b = distanceEstimate(iterateFixed<Power>({point.x, point.y - h, point.z, w}, hitSteps, rotation));
    const float c = distanceEstimate(iterateFixed<Power>({point.x, point.y, point.z - h, w}, hitSteps, rotation));
    const Vector3 difference{a - hitEstimate, b - hitEstimate, c - hitEstimate};
    return {true, point, normalized(difference), std::sqrt(dot(difference, difference)) / h};
}

// Sphere tracing by the distance estimate, without a safety factor. The
// march always ends: a step that no longer moves the point in single
// precision, or one beyond the step limit, is taken as the surface.
template <int Power>
SurfaceHit marchSample(const Vector3& eye, const Vector3& direction, const MarchSettings& march)
{
    const float entry = sphereEntry(eye, direction);
    if (!(entry >= 0.0f)) {
        return {false, {}, {}, 0.0f};
    }
    Vector3 p = eye + entry * direction;
    for (std::uint64_t step = 0;; ++step) {
        const Orbit orbit = iterateWithEscape<Power>(p, march.slice);
        const float estimate = distanceEstimate(orbit);
        if (!(estimate >= march.epsilon) || step >= march.stepLimit) {
            return surfaceHitAt<Power>(p, estimate, orbit.steps, march);
        }
        const Vector3 next = p + estimate * direction;
        if (dot(next, next) > kBoundingRadiusSquared) {
            return {false, {}, {}, 0.0f};
        }
        if (next.x == p.x && next.y == p.y && next.z == p.z) {
            return surfaceHitAt<Power>(p, estimate, orbit.steps, march);
        }
        p = next;
    }
}

}  // namespace tessaform
