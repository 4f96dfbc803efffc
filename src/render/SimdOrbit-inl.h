// The quaternion Julia iteration and its distance estimate, a vector of points at a time.
// Included once per instruction set, like every Highway kernel header.
#if defined(TESSAFORM_RENDER_SIMD_ORBIT_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef TESSAFORM_RENDER_SIMD_ORBIT_INL_H_
#undef TESSAFORM_RENDER_SIMD_ORBIT_INL_H_
#else
#define TESSAFORM_RENDER_SIMD_ORBIT_INL_H_
#endif

#include <hwy/contrib/math/math-inl.h>
#include <hwy/highway.h>

#include "render/BoundingSphere.h"
#include "render/SimdVector-inl.h"

HWY_BEFORE_NAMESPACE();
namespace tessaform {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

struct Quat {
    V x;
    V y;
    V z;
    V w;
};

// The rotation and constant, broadcast once per batch.
struct Slice {
    Quat q;
    Quat k;
    V w;
    std::int32_t cap;
};

// An orbit in flight: z, its squared modulus and the squared derivative.
struct Orbit {
    Quat z;
    V vector2;  // y^2 + z^2 + w^2
    V m;        // |z|^2
    V dz2;
};

HWY_INLINE V vectorPart2(const Quat& z)
{
    return hn::MulAdd(z.y, z.y, hn::MulAdd(z.z, z.z, hn::Mul(z.w, z.w)));
}

HWY_INLINE Orbit startOrbit(D d, V x, V y, V z, V w)
{
    const Quat start{x, y, z, w};
    const V vector2 = vectorPart2(start);
    return {start, vector2, hn::MulAdd(x, x, vector2), hn::Set(d, 1.0f)};
}

// One step of z <- q z^n + k and of the squared derivative. z^n uses the
// closed form: z = a + v behaves like a complex number in the plane of 1
// and v, so z^n = b + beta v with b, beta from the complex recurrence.
// Lanes outside `moving` keep |z|^2 and dz2 as they were (z runs on
// unused); the merge folds into the last instruction of each.
template <int Power, bool Rotated>
HWY_INLINE void juliaStep(D d, Orbit& o, const Slice& s, M moving)
{
    V mPower = o.m;
    for (int i = 2; i < Power; ++i) {
        mPower = hn::Mul(mPower, o.m);
    }
    o.dz2 =
        hn::IfThenElse(moving, hn::Mul(hn::Mul(mPower, o.dz2), hn::Set(d, static_cast<float>(Power * Power))), o.dz2);

    const Quat& z = o.z;
    V b = hn::MulSub(z.x, z.x, o.vector2);
    V beta = hn::Add(z.x, z.x);
    for (int i = 2; i < Power; ++i) {
        const V nextB = hn::NegMulAdd(o.vector2, beta, hn::Mul(z.x, b));
        beta = hn::MulAdd(z.x, beta, b);
        b = nextB;
    }
    if constexpr (Rotated) {
        const Quat p{b, hn::Mul(beta, z.y), hn::Mul(beta, z.z), hn::Mul(beta, z.w)};
        const Quat& q = s.q;
        o.z = {
            hn::Add(hn::Sub(hn::Mul(q.x, p.x), hn::MulAdd(q.y, p.y, hn::MulAdd(q.z, p.z, hn::Mul(q.w, p.w)))), s.k.x),
            hn::Add(hn::MulAdd(q.x, p.y, hn::MulAdd(q.y, p.x, hn::NegMulAdd(q.w, p.z, hn::Mul(q.z, p.w)))), s.k.y),
            hn::Add(hn::MulAdd(q.x, p.z, hn::MulAdd(q.z, p.x, hn::NegMulAdd(q.y, p.w, hn::Mul(q.w, p.y)))), s.k.z),
            hn::Add(hn::MulAdd(q.x, p.w, hn::MulAdd(q.y, p.z, hn::NegMulAdd(q.z, p.y, hn::Mul(q.w, p.x)))), s.k.w)};
    } else {
        o.z = {hn::Add(b, s.k.x), hn::MulAdd(beta, z.y, s.k.y), hn::MulAdd(beta, z.z, s.k.z),
               hn::MulAdd(beta, z.w, s.k.w)};
    }
    o.vector2 = vectorPart2(o.z);
    o.m = hn::IfThenElse(moving, hn::MulAdd(o.z.x, o.z.x, o.vector2), o.m);
}

// Half |z| ln|z| / |dz|, from the squared moduli.
HWY_INLINE V distanceEstimate(D d, V m, V dz2)
{
    return hn::Mul(hn::Mul(hn::Sqrt(hn::Div(m, dz2)), hn::Log(d, m)), hn::Set(d, 0.25f));
}

// What a finished orbit leaves: |z|^2 and dz2 at its end, and its length.
struct OrbitEnd {
    V m;
    V dz2;
    VI steps;
};

// Iterates Packets vectors of lanes until every lane escapes or reaches the
// cap; lanes outside running from the start are left alone. Lanes that are
// done keep stepping with the others, but their end values stay frozen.
// Several packets in flight hide the latency of each one's dependency chain.
template <int Power, bool Rotated, int Packets>
HWY_INLINE void iterateWithEscape(D d, const Vec3* p, M* running, const Slice& s, OrbitEnd* ends)
{
    const DI di;
    const V bound = hn::Set(d, kBoundingRadiusSquared);
    Orbit orbit[Packets];
    VI steps[Packets];
    for (int k = 0; k < Packets; ++k) {
        orbit[k] = startOrbit(d, p[k].x, p[k].y, p[k].z, s.w);
        steps[k] = hn::Zero(di);
    }
    for (std::int32_t step = 1; step <= s.cap; ++step) {
        bool any = false;
        for (int k = 0; k < Packets; ++k) {
            if (hn::AllFalse(d, running[k])) {
                continue;
            }
            any = true;
            juliaStep<Power, Rotated>(d, orbit[k], s, running[k]);
            steps[k] = hn::IfThenElse(hn::RebindMask(di, running[k]), hn::Add(steps[k], hn::Set(di, 1)), steps[k]);
            running[k] = hn::AndNot(hn::Gt(orbit[k].m, bound), running[k]);
        }
        if (!any) {
            break;
        }
    }
    for (int k = 0; k < Packets; ++k) {
        ends[k] = {orbit[k].m, orbit[k].dz2, steps[k]};
    }
}

// Three orbits at once, one per backward offset, each of exactly count
// steps; the interleaving hides the latency of each chain.
template <int Power, bool Rotated>
HWY_INLINE Vec3 offsetEstimates(D d, const Vec3& p, V h, VI count, int longest, const Slice& s)
{
    const DI di;
    Orbit orbit[3] = {startOrbit(d, hn::Sub(p.x, h), p.y, p.z, s.w), startOrbit(d, p.x, hn::Sub(p.y, h), p.z, s.w),
                      startOrbit(d, p.x, p.y, hn::Sub(p.z, h), s.w)};
    for (int step = 0; step < longest; ++step) {
        const M running = hn::RebindMask(d, hn::Lt(hn::Set(di, step), count));
        for (Orbit& o : orbit) {
            juliaStep<Power, Rotated>(d, o, s, running);
        }
    }
    return {distanceEstimate(d, orbit[0].m, orbit[0].dz2), distanceEstimate(d, orbit[1].m, orbit[1].dz2),
            distanceEstimate(d, orbit[2].m, orbit[2].dz2)};
}

}  // namespace HWY_NAMESPACE
}  // namespace tessaform
HWY_AFTER_NAMESPACE();

#endif
