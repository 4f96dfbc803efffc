#pragma once

namespace tessaform {

// x is the real part; y, z and w are the i, j and k parts.
struct Quaternion {
    float x;
    float y;
    float z;
    float w;
};

// Hamilton product p * q; it does not commute.
inline Quaternion hamiltonProduct(const Quaternion& p, const Quaternion& q)
{
    return {p.x * q.x - p.y * q.y - p.z * q.z - p.w * q.w, p.x * q.y + p.y * q.x + p.z * q.w - p.w * q.z,
            p.x * q.z - p.y * q.w + p.z * q.x + p.w * q.y, p.x * q.w + p.y * q.z - p.z * q.y + p.w * q.x};
}

inline Quaternion operator+(const Quaternion& a, const Quaternion& b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}

inline float squaredModulus(const Quaternion& q)
{
    return q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w;
}

}  // namespace tessaform
