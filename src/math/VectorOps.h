#pragma once

#include "math/Matrix4.h"
#include "math/Vector3.h"

namespace tessaform {

// Vectors whose squared length is below this, 2^-46, or not a number, are
// too short to normalize and become zero.
inline constexpr float kShortestNormalizable = 1.4210855e-14f;

Vector3 normalized(const Vector3& v);

// Transforms the point (x, y, z, 1) by M and divides by the resulting w.
Vector3 transformedPoint(const Vector3& v, const Matrix4& m);

// a * b: applied to a row vector, a acts first.
Matrix4 matrixProduct(const Matrix4& a, const Matrix4& b);

Matrix4 rotationAboutX(float angle);
Matrix4 rotationAboutY(float angle);

}  // namespace tessaform
