#pragma once

#include "math/Vector3.h"
#include "params/Colour.h"

namespace tessaform {

class Gradient;
struct FractalParams;

// Index of the gradient entry for a light angle: L.N = -1 (lit squarely)
// picks entry 0, L.N = +1 the last one; NaN picks entry 0. count >= 1.
int gradientIndex(float lightDotNormal, int count);

// Colour of a hit: the gradient entry chosen by the light angle plus a
// white specular highlight. The gradient must hold at least one entry.
Colour shadeHit(const Vector3& point, const Vector3& normal, const Vector3& eye, const FractalParams& params,
                const Gradient& gradient);

}  // namespace tessaform
