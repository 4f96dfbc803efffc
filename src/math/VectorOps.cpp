#include "math/VectorOps.h"

#include <cmath>

namespace tessaform {
namespace {

Matrix4 identity()
{
    Matrix4 result{};
    for (int i = 0; i < 4; ++i) {
        result.at(i, i) = 1.0f;
    }
    return result;
}

}  // namespace

Vector3 normalized(const Vector3& v)
{
    const float d = v.x * v.x + v.y * v.y + v.z * v.z;
    if (!(d >= kShortestNormalizable)) {
        return {0.0f, 0.0f, 0.0f};
    }
    const float s = 1.0f / std::sqrt(d);
    return {v.x * s, v.y * s, v.z * s};
}

Vector3 transformedPoint(const Vector3& v, const Matrix4& m)
{
    const float x = v.x * m.at(0, 0) + v.y * m.at(1, 0) + v.z * m.at(2, 0) + m.at(3, 0);
    const float y = v.x * m.at(0, 1) + v.y * m.at(1, 1) + v.z * m.at(2, 1) + m.at(3, 1);
    const float z = v.x * m.at(0, 2) + v.y * m.at(1, 2) + v.z * m.at(2, 2) + m.at(3, 2);
    const float w = v.x * m.at(0, 3) + v.y * m.at(1, 3) + v.z * m.at(2, 3) + m.at(3, 3);
    if (w == 1.0f) {
        return {x, y, z};
    }
    return {x / w, y / w, z / w};
}

Matrix4 matrixProduct(const Matrix4& a, const Matrix4& b)
{
    Matrix4 product;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            product.at(i, j) =
                a.at(i, 0) * b.at(0, j) + a.at(i, 1) * b.at(1, j) + a.at(i, 2) * b.at(2, j) + a.at(i, 3) * b.at(3, j);
        }
    }
    return product;
}

Matrix4 rotationAboutX(float angle)
{
    const auto c = static_cast<float>(std::cos(static_cast<double>(angle)));
    const auto s = static_cast<float>(std::sin(static_cast<double>(angle)));
    Matrix4 out = identity();
    out.at(1, 1) = c;
    out.at(1, 2) = s;
    out.at(2, 1) = -s;
    out.at(2, 2) = c;
    return out;
}

Matrix4 rotationAboutY(float angle)
{
    const auto c = static_cast<float>(std::cos(static_cast<double>(angle)));
    const auto s = static_cast<float>(std::sin(static_cast<double>(angle)));
    Matrix4 out = identity();
    out.at(0, 0) = c;
    out.at(0, 2) = -s;
    out.at(2, 0) = s;
    out.at(2, 2) = c;
    return out;
}

}  // namespace tessaform
