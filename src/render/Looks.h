#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "math/VectorOps.h"
#include "params/Colour.h"
#include "render/BoundingSphere.h"
#include "render/JuliaIteration.h"
#include "render/LookSettings.h"
#include "render/RayMarch.h"

// Shadow, occlusion and fog of one hit, in plain scalar code: the
// definition the vector kernels follow step for step.
namespace tessaform {

// The share of the light that reaches a hit: 1 in full light, 0 where the
// surface hides it. The shadow ray is sphere-traced from just off the
// surface toward the light until it reaches the light, leaves the bounding
// sphere or meets the surface; a soft shadow takes the closest approach,
// estimate / (softness x distance travelled). A side turned away from the
// light is left as the gradient colours it.
template <int Power>
float lightReaching(const Vector3& point, const Vector3& normal, const Vector3& light, const MarchSettings& march,
                    const LookSettings& looks)
{
    const Vector3 toLight = normalized(light - point);
    if (!(dot(toLight, normal) < 0.0f)) {
        return 1.0f;
    }
    const Vector3 toLightVector = light - point;
    const float lightDistance = std::sqrt(dot(toLightVector, toLightVector));
    const Vector3 origin = point - looks.shadowLift * normal;
    float visible = 1.0f;
    float travelled = 0.0f;
    for (std::uint64_t step = 0; step < march.stepLimit; ++step) {
        if (!(travelled < lightDistance)) {
            break;
        }
        const Vector3 at = origin + travelled * toLight;
        if (dot(at, at) > kBoundingRadiusSquared) {
            break;
        }
        const float estimate = distanceEstimate(iterateWithEscape<Power>(at, march.slice));
        if (!(estimate >= march.epsilon)) {
            return 0.0f;
        }
        // From the first step on: at the start nothing has been travelled to divide by.
        if (looks.shadowSoftness > 0.0f && travelled > 0.0f) {
            visible = std::min(visible, estimate / (looks.shadowSoftness * travelled));
        }
        travelled += estimate;
    }
    return visible;
}

// How much of the open space outward along the normal the surface fills,
// 0 to 1, the classic estimate-based ambient occlusion: at each sample,
// how far the estimate there falls short of the distance out. The estimate
// of a Julia set runs at its own scale, a fraction of the true distance
// that varies over the surface, so the distance out is measured in the
// estimate's own growth at the hit, its slope; a plain surface then shows
// no occlusion.
template <int Power>
float occludedShare(const SurfaceHit& hit, const MarchSettings& march, const LookSettings& looks)
{
    if (!(hit.slope > 0.0f)) {
        return 0.0f;
    }
    float occluded = 0.0f;
    for (int i = 0; i < kOcclusionSamples; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const float distance = looks.occlusionDistance[at];
        const float estimate =
            distanceEstimate(iterateWithEscape<Power>(hit.point - distance * hit.normal, march.slice));
        const float closer = distance * hit.slope - estimate;
        occluded += looks.occlusionWeight[at] * (closer > 0.0f ? closer : 0.0f);
    }
    return std::min(occluded / hit.slope, 1.0f);
}

// A hit's colour toward the background by exp(-fog x distance from the eye).
inline Colour fogged(const Colour& colour, const Colour& background, float fog, float eyeDistance)
{
    const float kept = std::exp(-fog * eyeDistance);
    return {background.r + (colour.r - background.r) * kept, background.g + (colour.g - background.g) * kept,
            background.b + (colour.b - background.b) * kept};
}

template <int Power>
Colour withLooks(const Colour& shaded, const SurfaceHit& hit, const Vector3& eye, const Vector3& light,
                 const Colour& background, const MarchSettings& march, const LookSettings& looks)
{
    float brightness = 1.0f;
    if (looks.shadowOn) {
        brightness *= 1.0f - looks.shadow * (1.0f - lightReaching<Power>(hit.point, hit.normal, light, march, looks));
    }
    if (looks.occlusionOn) {
        brightness *= 1.0f - looks.occlusion * occludedShare<Power>(hit, march, looks);
    }
    Colour colour{shaded.r * brightness, shaded.g * brightness, shaded.b * brightness};
    if (looks.fogOn) {
        const Vector3 fromEye = hit.point - eye;
        colour = fogged(colour, background, looks.fog, std::sqrt(dot(fromEye, fromEye)));
    }
    return colour;
}

}  // namespace tessaform
