// Vector types and 3-vector operations of the tracer kernels.
// Included once per instruction set, like every Highway kernel header.
#if defined(TESSAFORM_RENDER_SIMD_VECTOR_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef TESSAFORM_RENDER_SIMD_VECTOR_INL_H_
#undef TESSAFORM_RENDER_SIMD_VECTOR_INL_H_
#else
#define TESSAFORM_RENDER_SIMD_VECTOR_INL_H_
#endif

#include <hwy/highway.h>

#include "math/VectorOps.h"

HWY_BEFORE_NAMESPACE();
namespace tessaform {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using D = hn::ScalableTag<float>;
using DI = hn::RebindToSigned<D>;
using V = hn::Vec<D>;
using VI = hn::Vec<DI>;
using M = hn::Mask<D>;

struct Vec3 {
    V x;
    V y;
    V z;
};

HWY_INLINE V dot(const Vec3& a, const Vec3& b)
{
    return hn::MulAdd(a.x, b.x, hn::MulAdd(a.y, b.y, hn::Mul(a.z, b.z)));
}

// Unit length, or zero for vectors too short to normalize.
HWY_INLINE Vec3 normalize(D d, const Vec3& v)
{
    const V lengthSquared = dot(v, v);
    const M usable = hn::Ge(lengthSquared, hn::Set(d, kShortestNormalizable));
    const V scale = hn::IfThenElseZero(usable, hn::Div(hn::Set(d, 1.0f), hn::Sqrt(lengthSquared)));
    return {hn::Mul(v.x, scale), hn::Mul(v.y, scale), hn::Mul(v.z, scale)};
}

}  // namespace HWY_NAMESPACE
}  // namespace tessaform
HWY_AFTER_NAMESPACE();

#endif
