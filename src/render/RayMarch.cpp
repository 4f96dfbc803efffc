#include "render/RayMarch.h"

#include "params/FractalParams.h"

namespace tessaform {
namespace {

// The smallest tolerance the dialog offers.
constexpr float kFinestEpsilon = 1e-7f;

// A march that advances at least epsilon per step crosses the sphere's
// diameter in fewer than 4 / epsilon + 2 steps, so the limit never cuts
// short a march with a usable tolerance; it only ends marches that could not
// end on their own (epsilon <= 0 steps by 0 or backwards).
std::uint64_t stepLimitFor(float epsilon)
{
    const float tolerance = epsilon >= kFinestEpsilon ? epsilon : kFinestEpsilon;
    return static_cast<std::uint64_t>(2.0f * kBoundingRadius / tolerance) + 2;
}

}  // namespace

MarchSettings prepareMarch(const FractalParams& params)
{
    return {prepareSlice(params), params.epsilon, stepLimitFor(params.epsilon)};
}

float sphereEntry(const Vector3& eye, const Vector3& direction)
{
    const float b = dot(eye, direction);
    const float s = dot(eye, eye) - kBoundingRadius * kBoundingRadius;
    if (s < 0.0f) {
        return 0.0f;
    }
    const float discriminant = b * b - s;
    if (discriminant < 0.0f) {
        return -1.0f;
    }
    return -b - std::sqrt(discriminant);
}

}  // namespace tessaform
