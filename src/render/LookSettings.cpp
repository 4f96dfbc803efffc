#include "render/LookSettings.h"

#include <cmath>

#include "params/FractalParams.h"

namespace tessaform {
namespace {

// The shadow ray starts this many surface tolerances out along the normal,
// where the estimate is clear of the tolerance and the ray does not find
// the surface it leaves.
constexpr float kShadowLiftInTolerances = 4.0f;

bool isOn(float strength)
{
    return strength > 0.0f;
}

// The samples lie at radius x 1/5, 2/5, ... 5/5, each weighing half the one
// before, so nearby geometry counts most. The weights are scaled so that a
// point whose every sample finds the surface at once is wholly occluded.
void prepareOcclusion(LookSettings& looks, float radius)
{
    float weighedDistance = 0.0f;
    float weight = 1.0f;
    for (int i = 0; i < kOcclusionSamples; ++i) {
        const auto at = static_cast<std::size_t>(i);
        looks.occlusionDistance[at] = radius * static_cast<float>(i + 1) / static_cast<float>(kOcclusionSamples);
        looks.occlusionWeight[at] = weight;
        weighedDistance += weight * looks.occlusionDistance[at];
        weight *= 0.5f;
    }
    for (float& w : looks.occlusionWeight) {
        w /= weighedDistance;
    }
}

}  // namespace

LookSettings prepareLooks(const FractalParams& params, float epsilon)
{
    LookSettings looks;
    looks.shadowOn = isOn(params.shadow);
    looks.shadow = params.shadow;
    looks.shadowSoftness =
        std::isfinite(params.shadowSoftness) && params.shadowSoftness > 0.0f ? params.shadowSoftness : 0.0f;
    looks.shadowLift = kShadowLiftInTolerances * epsilon;
    // Without a reach there is nothing to sample.
    looks.occlusionOn =
        isOn(params.occlusion) && params.occlusionRadius > 0.0f && std::isfinite(params.occlusionRadius);
    looks.occlusion = params.occlusion;
    if (looks.occlusionOn) {
        prepareOcclusion(looks, params.occlusionRadius);
    }
    looks.fogOn = isOn(params.fog);
    looks.fog = params.fog;
    return looks;
}

}  // namespace tessaform
