#pragma once

#include <cmath>
#include <cstdint>

#include "math/Quaternion.h"
#include "math/Vector3.h"
#include "render/BoundingSphere.h"

namespace tessaform {

struct FractalParams;

// The generalized rotation folded into every step: z <- q * z^n + k.
struct JuliaRotation {
    Quaternion q;  // conjugate of the rotation r
    Quaternion k;  // r * c, the rotated constant
};

JuliaRotation prepareRotation(const FractalParams& params);

struct Orbit {
    Quaternion z;
    float dz2;  // squared modulus of the derivative
    std::int32_t steps;
};

// The Julia set of one slice: the constant, the hyperplane and the cap,
// everything a point's orbit needs.
struct JuliaSlice {
    JuliaRotation rotation;
    float hyperplaneW;
    std::int32_t iterationCap;
};

// The most steps an orbit takes. The dialog offers at most 100; a file may
// ask for up to 2^31, which would keep a render busy for days and deaf to
// a stop, since every point inside the set runs to the cap.
inline constexpr std::int32_t kLargestIterationCap = 100000;

// The cap is the record's, limited to kLargestIterationCap.
JuliaSlice prepareSlice(const FractalParams& params);

template <int Power>
inline Quaternion juliaPower(const Quaternion& z)
{
    static_assert(Power >= 2 && Power <= 5);
    Quaternion s = hamiltonProduct(z, z);
    if constexpr (Power >= 3) {
        s = hamiltonProduct(z, s);
    }
    if constexpr (Power >= 4) {
        s = hamiltonProduct(z, s);
    }
    if constexpr (Power >= 5) {
        s = hamiltonProduct(z, s);
    }
    return s;
}

template <int Power>
inline void juliaStep(Orbit& orbit, const JuliaRotation& rotation)
{
    const float m = squaredModulus(orbit.z);
    float mPower = m;
    if constexpr (Power >= 3) {
        mPower = mPower * m;
    }
    if constexpr (Power >= 4) {
        mPower = mPower * m;
    }
    if constexpr (Power >= 5) {
        mPower = mPower * m;
    }
    constexpr float kPowerSquared = static_cast<float>(Power * Power);
    orbit.dz2 = (mPower * orbit.dz2) * kPowerSquared;
    orbit.z = hamiltonProduct(rotation.q, juliaPower<Power>(orbit.z)) + rotation.k;
    ++orbit.steps;
}

// Iterates until |z|^2 exceeds the escape bound (a NaN goes on) or the cap
// is reached; a cap of 0 or less runs no step.
template <int Power>
inline Orbit iterateWithEscape(const Vector3& point, const JuliaSlice& slice)
{
    Orbit orbit{{point.x, point.y, point.z, slice.hyperplaneW}, 1.0f, 0};
    if (slice.iterationCap <= 0) {
        return orbit;
    }
    do {
        juliaStep<Power>(orbit, slice.rotation);
    } while (!(squaredModulus(orbit.z) > kBoundingRadiusSquared) && orbit.steps < slice.iterationCap);
    return orbit;
}

// Exactly count steps with no escape test, for the offset points of a normal.
template <int Power>
inline Orbit iterateFixed(const Quaternion& start, std::int32_t count, const JuliaRotation& rotation)
{
    Orbit orbit{start, 1.0f, 0};
    while (orbit.steps < count) {
        juliaStep<Power>(orbit, rotation);
    }
    return orbit;
}

// Half |z| ln|z| / |dz|, from squared moduli.
inline float distanceEstimate(const Orbit& orbit)
{
    const float m = squaredModulus(orbit.z);
    const auto logM = static_cast<float>(std::log(static_cast<double>(m)));
    return (std::sqrt(m / orbit.dz2) * logM) * 0.25f;
}

}  // namespace tessaform
