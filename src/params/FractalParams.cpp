#include "params/FractalParams.h"

#include <cstring>

namespace tessaform {

void resetParams(FractalParams& params)
{
    params.background = {0.4f, 0.5f, 0.6f};
    params.theta = 0.0f;
    params.phi = 5.96902609f;  // 342 degrees
    params.distance = 4.0f;
    params.constant = {-0.568627f, 0.653846f, 0.0f, 0.0f};
    params.hyperplaneW = 0.0f;
    params.light = {-1.0f, -1.0f, 1.0f};
    params.specular = 20.0f;
    params.intensity = 1.5f;
    params.lateralShift = -0.15f;
    params.verticalShift = 0.0f;
    params.iterations = 16;
    params.epsilon = 0.001f;
    params.direction = {1.0f, 0.0f, 0.0f};
    params.angle = 0.0f;
    params.power = 2;
    params.shadow = 0.0f;
    params.shadowSoftness = 0.0f;
    params.occlusion = 0.0f;
    params.occlusionRadius = 0.1f;
    params.fog = 0.0f;
}

FractalParams defaultParams()
{
    FractalParams params;
    resetParams(params);
    return params;
}

bool paramsDiffer(const FractalParams& a, const FractalParams& b)
{
    return std::memcmp(&a, &b, sizeof(FractalParams)) != 0;
}

}  // namespace tessaform
