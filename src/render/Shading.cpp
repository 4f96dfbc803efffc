#include "render/Shading.h"

#include <cmath>

#include "math/VectorOps.h"
#include "params/FractalParams.h"
#include "params/Gradient.h"

namespace tessaform {

int gradientIndex(float lightDotNormal, int count)
{
    const float f = (lightDotNormal + 1.0f) * static_cast<float>(count) * 0.5f;
    if (!(f >= 1.0f)) {
        return 0;
    }
    if (f >= static_cast<float>(count - 1)) {
        return count - 1;
    }
    return static_cast<int>(f);
}

Colour shadeHit(const Vector3& point, const Vector3& normal, const Vector3& eye, const FractalParams& params,
                const Gradient& gradient)
{
    const Vector3 view = normalized(point - eye);
    const float twiceViewDotNormal = dot(view, normal) * 2.0f;
    const Vector3 reflection = view - twiceViewDotNormal * normal;
    const Vector3 light = normalized(params.light - point);

    const double alignment = std::fabs(static_cast<double>(dot(light, reflection)));
    const float specular =
        static_cast<float>(std::pow(alignment, static_cast<double>(params.specular))) * params.intensity;

    const Colour& entry = gradient[gradientIndex(dot(light, normal), gradient.count())];
    return {entry.r + specular, entry.g + specular, entry.b + specular};
}

}  // namespace tessaform
