#pragma once

namespace tessaform {

struct Vector3 {
    float x;
    float y;
    float z;
};

inline Vector3 operator+(const Vector3& a, const Vector3& b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vector3 operator-(const Vector3& a, const Vector3& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vector3 operator*(float s, const Vector3& v)
{
    return {s * v.x, s * v.y, s * v.z};
}
inline float dot(const Vector3& a, const Vector3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

}  // namespace tessaform
