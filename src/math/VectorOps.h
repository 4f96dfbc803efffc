#pragma once

#include "math/Matrix4.h"
#include "math/Vector3.h"

namespace tessaform {

// Each operation writes its result through its first argument and returns
// it; the output may alias an input.

// Vectors whose squared length is below this, 2^-46, or not a number, are
// too short to normalize and become zero.
inline constexpr float kShortestNormalizable = 1.4210855e-14f;

Vector3& normalizeVector(Vector3& out, const Vector3& v);

// Transforms the point (x, y, z, 1) by M and divides by the resulting w.
Vector3& transformPoint(Vector3& out, const Vector3& v, const Matrix4& m);

// out = a * b: applied to a row vector, a acts first.
Matrix4& multiplyMatrices(Matrix4& out, const Matrix4& a, const Matrix4& b);

Matrix4& rotationAboutX(Matrix4& out, float angle);
Matrix4& rotationAboutY(Matrix4& out, float angle);

}  // namespace tessaform
