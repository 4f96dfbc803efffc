#pragma once

namespace tessaform {

// The fractal lies inside this sphere about the origin; its squared radius
// is also the escape bound of the iteration, so the two always agree.
inline constexpr float kBoundingRadius = 2.0f;
inline constexpr float kBoundingRadiusSquared = kBoundingRadius * kBoundingRadius;

}  // namespace tessaform
