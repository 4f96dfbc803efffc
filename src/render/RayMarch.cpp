#include "render/RayMarch.h"

#include "params/FractalParams.h"

namespace tessaform {
namespace {

// The smallest tolerance the dialog offers.
constexpr float kFinestEpsilon = 1e-7f;

// Only a parameter file can carry a tolerance of zero or below; with it the
// march would stall on a zero estimate or step backwards on negative ones
// and never end, so such a file renders with the finest tolerance instead.
// A NaN tolerance makes every march end at once and is left alone.
float marchTolerance(float epsilon)
{
    return epsilon <= 0.0f ? kFinestEpsilon : epsilon;
}

// Every step advances at least the tolerance, so a march crosses the
// sphere's diameter in fewer than 4 / tolerance + 2 steps; the limit only
// matters where single precision cannot resolve a step that small.
std::uint64_t stepLimitFor(float tolerance)
{
    const float bounded = tolerance >= kFinestEpsilon ? tolerance : kFinestEpsilon;
    return static_cast<std::uint64_t>(2.0f * kBoundingRadius / bounded) + 2;
}

}  // namespace

MarchSettings prepareMarch(const FractalParams& params)
{
    const float tolerance = marchTolerance(params.epsilon);
    return {prepareSlice(params), tolerance, stepLimitFor(tolerance)};
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
