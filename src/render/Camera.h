#pragma once

#include "math/Matrix4.h"
#include "math/Vector3.h"

namespace tessaform {

struct FractalParams;

// A camera orbiting the origin with a 40 degree horizontal field of view
// and square pixels; set up once per render.
struct Camera {
    Matrix4 viewRotation;  // rows: right, up, forward
    Vector3 eye;
    float tanHalfFov;
    float verticalScale;  // H * t / W
    float halfWidth;
    float halfHeight;
    float inverseHalfWidth;
    float inverseHalfHeight;
};

Camera setupCamera(const FractalParams& params, int width, int height);

// Unit direction through the sample (x, y), in pixels from the top-left
// corner; fractional positions are allowed.
Vector3 primaryRayDirection(const Camera& camera, float x, float y);

}  // namespace tessaform
