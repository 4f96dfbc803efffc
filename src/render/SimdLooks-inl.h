// Shadow, occlusion and fog, a vector of hits at a time, following the
// scalar definitions in Looks.h step for step.
// Included once per instruction set, like every Highway kernel header.
#if defined(TESSAFORM_RENDER_SIMD_LOOKS_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef TESSAFORM_RENDER_SIMD_LOOKS_INL_H_
#undef TESSAFORM_RENDER_SIMD_LOOKS_INL_H_
#else
#define TESSAFORM_RENDER_SIMD_LOOKS_INL_H_
#endif

#include <hwy/contrib/math/math-inl.h>
#include <hwy/highway.h>

#include "render/BoundingSphere.h"
#include "render/LookSettings.h"
#include "render/SimdOrbit-inl.h"
#include "render/SimdTracer.h"
#include "render/SimdVector-inl.h"

HWY_BEFORE_NAMESPACE();
namespace tessaform {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

HWY_INLINE Vec3 alongRay(const Vec3& origin, V distance, const Vec3& direction)
{
    return {hn::MulAdd(distance, direction.x, origin.x), hn::MulAdd(distance, direction.y, origin.y),
            hn::MulAdd(distance, direction.z, origin.z)};
}

// Each lane's shadow ray runs until it is done; lanes done early wait for
// the others, which costs little as neighbouring hits see the light alike.
template <int Power, bool Rotated>
HWY_INLINE V lightReaching(D d, const Vec3& p, const Vec3& normal, const Slice& slice, const SimdScene& scene)
{
    const LookSettings& looks = scene.looks;
    const Vec3 toLightVector{hn::Sub(hn::Set(d, scene.light.x), p.x), hn::Sub(hn::Set(d, scene.light.y), p.y),
                             hn::Sub(hn::Set(d, scene.light.z), p.z)};
    const Vec3 toLight = normalize(d, toLightVector);
    const V lightDistance = hn::Sqrt(dot(toLightVector, toLightVector));
    const V lift = hn::Set(d, looks.shadowLift);
    const Vec3 origin{hn::NegMulAdd(lift, normal.x, p.x), hn::NegMulAdd(lift, normal.y, p.y),
                      hn::NegMulAdd(lift, normal.z, p.z)};
    const V epsilon = hn::Set(d, scene.epsilon);
    const V softness = hn::Set(d, looks.shadowSoftness);
    M running = hn::Lt(dot(toLight, normal), hn::Zero(d));
    V visible = hn::Set(d, 1.0f);
    V travelled = hn::Zero(d);
    for (std::int32_t step = 0; step < scene.stepLimit; ++step) {
        running = hn::And(running, hn::Lt(travelled, lightDistance));
        Vec3 at[1] = {alongRay(origin, travelled, toLight)};
        running = hn::AndNot(hn::Gt(dot(at[0], at[0]), hn::Set(d, kBoundingRadiusSquared)), running);
        if (hn::AllFalse(d, running)) {
            break;
        }
        M iterating[1] = {running};
        OrbitEnd end[1];
        iterateWithEscape<Power, Rotated, 1>(d, at, iterating, slice, end);
        const V estimate = distanceEstimate(d, end[0].m, end[0].dz2);
        const M blocked = hn::AndNot(hn::Ge(estimate, epsilon), running);
        visible = hn::IfThenZeroElse(blocked, visible);
        running = hn::AndNot(blocked, running);
        if (looks.shadowSoftness > 0.0f) {
            const M passing = hn::And(running, hn::Gt(travelled, hn::Zero(d)));
            visible =
                hn::IfThenElse(passing, hn::Min(visible, hn::Div(estimate, hn::Mul(softness, travelled))), visible);
        }
        travelled = hn::IfThenElse(running, hn::Add(travelled, estimate), travelled);
    }
    return visible;
}

template <int Power, bool Rotated>
HWY_INLINE V occludedShare(D d, const Vec3& p, const Vec3& normal, V slope, const Slice& slice, const SimdScene& scene)
{
    const LookSettings& looks = scene.looks;
    Vec3 samples[kOcclusionSamples];
    M running[kOcclusionSamples];
    for (std::size_t i = 0; i < kOcclusionSamples; ++i) {
        const V distance = hn::Set(d, looks.occlusionDistance[i]);
        samples[i] = {hn::NegMulAdd(distance, normal.x, p.x), hn::NegMulAdd(distance, normal.y, p.y),
                      hn::NegMulAdd(distance, normal.z, p.z)};
        running[i] = hn::FirstN(d, hn::Lanes(d));
    }
    OrbitEnd ends[kOcclusionSamples];
    iterateWithEscape<Power, Rotated, kOcclusionSamples>(d, samples, running, slice, ends);
    V occluded = hn::Zero(d);
    for (std::size_t i = 0; i < kOcclusionSamples; ++i) {
        const V estimate = distanceEstimate(d, ends[i].m, ends[i].dz2);
        const V closer = hn::MulSub(hn::Set(d, looks.occlusionDistance[i]), slope, estimate);
        occluded = hn::MulAdd(hn::Set(d, looks.occlusionWeight[i]),
                              hn::IfThenElseZero(hn::Gt(closer, hn::Zero(d)), closer), occluded);
    }
    const V share = hn::Min(hn::Div(occluded, slope), hn::Set(d, 1.0f));
    return hn::IfThenElseZero(hn::Gt(slope, hn::Zero(d)), share);
}

// The colour channels of a vector of hits, with the looks that are on.
struct Shade {
    V r;
    V g;
    V b;
};

template <int Power, bool Rotated>
HWY_INLINE Shade withLooks(D d, const Shade& shaded, const Vec3& p, const Vec3& normal, V slope, const Slice& slice,
                           const SimdScene& scene)
{
    const LookSettings& looks = scene.looks;
    const V one = hn::Set(d, 1.0f);
    V brightness = one;
    if (looks.shadowOn) {
        const V hidden = hn::Sub(one, lightReaching<Power, Rotated>(d, p, normal, slice, scene));
        brightness = hn::Mul(brightness, hn::NegMulAdd(hn::Set(d, looks.shadow), hidden, one));
    }
    if (looks.occlusionOn) {
        const V occluded = occludedShare<Power, Rotated>(d, p, normal, slope, slice, scene);
        brightness = hn::Mul(brightness, hn::NegMulAdd(hn::Set(d, looks.occlusion), occluded, one));
    }
    Shade colour{hn::Mul(shaded.r, brightness), hn::Mul(shaded.g, brightness), hn::Mul(shaded.b, brightness)};
    if (looks.fogOn) {
        const Vec3 fromEye{hn::Sub(p.x, hn::Set(d, scene.camera.eye.x)), hn::Sub(p.y, hn::Set(d, scene.camera.eye.y)),
                           hn::Sub(p.z, hn::Set(d, scene.camera.eye.z))};
        const V kept = hn::Exp(d, hn::Mul(hn::Set(d, -looks.fog), hn::Sqrt(dot(fromEye, fromEye))));
        const Colour& background = scene.background;
        const V r = hn::Set(d, background.r);
        const V g = hn::Set(d, background.g);
        const V b = hn::Set(d, background.b);
        colour = {hn::MulAdd(hn::Sub(colour.r, r), kept, r), hn::MulAdd(hn::Sub(colour.g, g), kept, g),
                  hn::MulAdd(hn::Sub(colour.b, b), kept, b)};
    }
    return colour;
}

}  // namespace HWY_NAMESPACE
}  // namespace tessaform
HWY_AFTER_NAMESPACE();

#endif
