// The cones of a batch: each holds the rays of one cell of the image and
// marches its axis through empty space for all of them, in lanes of its
// own, beside the rays' lanes. Included once per instruction set, like
// every Highway kernel header.
#if defined(TESSAFORM_RENDER_SIMD_CONES_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef TESSAFORM_RENDER_SIMD_CONES_INL_H_
#undef TESSAFORM_RENDER_SIMD_CONES_INL_H_
#else
#define TESSAFORM_RENDER_SIMD_CONES_INL_H_
#endif

#include <hwy/highway.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "render/RayCone.h"
#include "render/SampleBatch.h"
#include "render/SimdOrbit-inl.h"
#include "render/SimdTracer.h"
#include "render/SimdVector-inl.h"

HWY_BEFORE_NAMESPACE();
namespace tessaform {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// The cones of one batch, in the order they are marched, and the samples
// each holds, as lists linked through nextMember.
struct Cones {
    static constexpr std::uint16_t kNoMember = 0xFFFF;

    RayCone cone[BatchTracer::kMaxBatch];
    BundleCell cell[BatchTracer::kMaxBatch];
    std::uint16_t firstMember[BatchTracer::kMaxBatch];
    std::uint16_t nextMember[BatchTracer::kMaxBatch];
    std::size_t count = 0;
    std::size_t next = 0;  // the first cone not yet given a lane
};

// Adds sample to the cone of its cell: one of the last few made, or a new
// one. A cell met again later in the batch gets a cone of its own, which
// marches as the first did.
inline void joinCone(const Camera& camera, const RayBundles& bundles, const SamplePoint& point, std::uint16_t sample,
                     Cones& cones)
{
    constexpr std::size_t kRecentCones = 4;
    const BundleCell cell = bundleCellOf(bundles, point);
    std::size_t cone = cones.count;
    for (std::size_t back = 1; back <= std::min(kRecentCones, cones.count); ++back) {
        if (cones.cell[cones.count - back] == cell) {
            cone = cones.count - back;
            break;
        }
    }
    if (cone == cones.count) {
        cones.cone[cone] = rayConeThrough(camera, bundles, cell);
        cones.cell[cone] = cell;
        cones.firstMember[cone] = Cones::kNoMember;
        ++cones.count;
    }
    cones.nextMember[sample] = cones.firstMember[cone];
    cones.firstMember[cone] = sample;
}

// Cones march two vectors at a time, one's orbits hiding the other's
// latency.
constexpr std::size_t kConePackets = 2;
constexpr std::size_t kConeLanes = kConePackets * hn::MaxLanes(D());

struct ConeLanes {
    HWY_ALIGN float px[kConeLanes];
    HWY_ALIGN float py[kConeLanes];
    HWY_ALIGN float pz[kConeLanes];
    HWY_ALIGN float ax[kConeLanes];
    HWY_ALIGN float ay[kConeLanes];
    HWY_ALIGN float az[kConeLanes];
    HWY_ALIGN float active[kConeLanes];
    HWY_ALIGN std::int32_t marchSteps[kConeLanes];
    HWY_ALIGN float along[kConeLanes];  // axial distance from the eye
    HWY_ALIGN float spread[kConeLanes];
    HWY_ALIGN float stepScale[kConeLanes];  // 1 / (1 + spread)
    HWY_ALIGN float beyond[kConeLanes];
    std::uint8_t endedBits[kConePackets][8];  // per packet, one bit a lane
    std::uint16_t cone[kConeLanes];
};

// Puts the next cone waiting into lane, or leaves the lane idle; returns
// whether the lane holds a cone.
inline bool fillConeLane(ConeLanes& lanes, std::size_t lane, Cones& cones, const Vector3& eye)
{
    if (cones.next == cones.count) {
        lanes.active[lane] = 0.0f;
        return false;
    }
    const std::size_t index = cones.next++;
    const RayCone& cone = cones.cone[index];
    lanes.cone[lane] = static_cast<std::uint16_t>(index);
    lanes.active[lane] = 1.0f;
    lanes.marchSteps[lane] = 0;
    lanes.ax[lane] = cone.axis.x;
    lanes.ay[lane] = cone.axis.y;
    lanes.az[lane] = cone.axis.z;
    lanes.px[lane] = eye.x + cone.start * cone.axis.x;
    lanes.py[lane] = eye.y + cone.start * cone.axis.y;
    lanes.pz[lane] = eye.z + cone.start * cone.axis.z;
    lanes.along[lane] = cone.start;
    lanes.spread[lane] = cone.spread;
    lanes.stepScale[lane] = 1.0f / (1.0f + cone.spread);
    lanes.beyond[lane] = cone.beyond;
    return true;
}

// One step of every cone in its lanes: the axis moves on by what the
// estimate leaves beyond the cone's radius; a cone ends where that falls
// short of a share of the radius, past the step limit, or once it has
// passed the bounding sphere. Returns whether any ended.
template <int Power, bool Rotated>
bool coneStep(D d, ConeLanes& lanes, const Slice& slice, float epsilon, std::int32_t stepLimit)
{
    const DI di;
    const std::size_t n = hn::Lanes(d);
    Vec3 p[kConePackets];
    M active[kConePackets];
    M running[kConePackets];
    for (std::size_t k = 0; k < kConePackets; ++k) {
        const std::size_t at = k * n;
        p[k] = {hn::Load(d, lanes.px + at), hn::Load(d, lanes.py + at), hn::Load(d, lanes.pz + at)};
        active[k] = hn::Gt(hn::Load(d, lanes.active + at), hn::Zero(d));
        running[k] = active[k];
    }
    OrbitEnd ends[kConePackets];
    iterateWithEscape<Power, Rotated, kConePackets>(d, p, running, slice, ends);

    bool ended = false;
    for (std::size_t k = 0; k < kConePackets; ++k) {
        const std::size_t at = k * n;
        const V estimate = distanceEstimate(d, ends[k].m, ends[k].dz2);
        const VI marchSteps = hn::Load(di, lanes.marchSteps + at);
        const V along = hn::Load(d, lanes.along + at);
        const V radius = hn::MulAdd(along, hn::Load(d, lanes.spread + at), hn::Set(d, epsilon));
        const V advance =
            hn::Mul(hn::MulSub(estimate, hn::Set(d, kConeShare), radius), hn::Load(d, lanes.stepScale + at));
        const M overLimit = hn::RebindMask(d, hn::Not(hn::Lt(marchSteps, hn::Set(di, stepLimit))));
        const M tooShort = hn::Not(hn::Ge(advance, hn::Mul(radius, hn::Set(d, kConeEnd))));
        const M passed = hn::Gt(along, hn::Load(d, lanes.beyond + at));
        const M ending = hn::And(active[k], hn::Or(tooShort, hn::Or(overLimit, passed)));
        const M moving = hn::AndNot(ending, active[k]);
        const Vec3 axis{hn::Load(d, lanes.ax + at), hn::Load(d, lanes.ay + at), hn::Load(d, lanes.az + at)};
        hn::Store(hn::IfThenElse(moving, hn::MulAdd(advance, axis.x, p[k].x), p[k].x), d, lanes.px + at);
        hn::Store(hn::IfThenElse(moving, hn::MulAdd(advance, axis.y, p[k].y), p[k].y), d, lanes.py + at);
        hn::Store(hn::IfThenElse(moving, hn::MulAdd(advance, axis.z, p[k].z), p[k].z), d, lanes.pz + at);
        hn::Store(hn::IfThenElse(moving, hn::Add(along, advance), along), d, lanes.along + at);
        hn::Store(hn::Add(marchSteps, hn::Set(di, 1)), di, lanes.marchSteps + at);
        hn::StoreMaskBits(d, ending, lanes.endedBits[k]);
        ended = ended || !hn::AllFalse(d, ending);
    }
    return ended;
}

}  // namespace HWY_NAMESPACE
}  // namespace tessaform
HWY_AFTER_NAMESPACE();

#endif
