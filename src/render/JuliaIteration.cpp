#include "render/JuliaIteration.h"

#include <algorithm>

#include "params/FractalParams.h"

namespace tessaform {

JuliaRotation prepareRotation(const FractalParams& params)
{
    const Vector3& d = params.direction;
    const float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    Quaternion r{1.0f, 0.0f, 0.0f, 0.0f};
    // A direction no longer than epsilon (or not a number) switches the
    // rotation off; the whole angle is used, not half of it.
    if (length > params.epsilon) {
        const auto cosine = static_cast<float>(std::cos(static_cast<double>(params.angle)));
        const auto sine = static_cast<float>(std::sin(static_cast<double>(params.angle)));
        const float scale = sine / length;
        r = {cosine, d.x * scale, d.y * scale, d.z * scale};
    }
    return {{r.x, -r.y, -r.z, -r.w}, hamiltonProduct(r, params.constant)};
}

JuliaSlice prepareSlice(const FractalParams& params)
{
    return {prepareRotation(params), params.hyperplaneW, std::min(params.iterations, kLargestIterationCap)};
}

}  // namespace tessaform
