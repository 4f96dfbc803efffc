// The vector kernels, compiled once for every instruction set Highway
// targets; this file includes itself once per target.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "render/PowerDispatch.h"
#include "render/RayCone.h"
#include "render/SimdTracer.h"

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "render/SimdTracer.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
//
#include <hwy/contrib/math/math-inl.h>
#include <hwy/highway.h>

#include "render/SimdCones-inl.h"
#include "render/SimdLooks-inl.h"
#include "render/SimdOrbit-inl.h"
#include "render/SimdVector-inl.h"

HWY_BEFORE_NAMESPACE();
namespace tessaform {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

constexpr std::size_t kBatch = BatchTracer::kMaxBatch;

// Per-batch working memory, on the stack: structure of arrays, one entry
// per sample, padded to whole vectors.
struct Rays {
    HWY_ALIGN float x[kBatch];
    HWY_ALIGN float y[kBatch];
    HWY_ALIGN float dx[kBatch];
    HWY_ALIGN float dy[kBatch];
    HWY_ALIGN float dz[kBatch];
    HWY_ALIGN float entry[kBatch];
};

struct Hits {
    HWY_ALIGN float px[kBatch];
    HWY_ALIGN float py[kBatch];
    HWY_ALIGN float pz[kBatch];
    HWY_ALIGN float estimate[kBatch];
    HWY_ALIGN std::int32_t steps[kBatch];
    std::uint16_t sample[kBatch];
    std::size_t count = 0;
};

// Samples waiting for a lane, by index: at first those that walk alone,
// then those of each cone that ends.
struct RayQueue {
    std::uint16_t items[kBatch];
    std::size_t next = 0;
    std::size_t size = 0;

    bool empty() const { return next == size; }
    void push(std::uint16_t sample) { items[size++] = sample; }
};

// Vectors of lanes whose orbits are stepped together: as many as hide
// one's dependency chain while all stay in registers.
constexpr std::size_t kPacketsInFlight = 2;
// Vectors of lanes marched side by side, a group in flight at a time: the
// march step of one group overlaps the orbits of the next.
constexpr std::size_t kPackets = 2 * kPacketsInFlight;

// The lanes of the march: each holds one sample until it hits or misses.
constexpr std::size_t kMarchLanes = kPackets * hn::MaxLanes(D());

struct Lanes {
    HWY_ALIGN float px[kMarchLanes];
    HWY_ALIGN float py[kMarchLanes];
    HWY_ALIGN float pz[kMarchLanes];
    HWY_ALIGN float active[kMarchLanes];
    HWY_ALIGN std::int32_t marchSteps[kMarchLanes];
    HWY_ALIGN float dx[kMarchLanes];
    HWY_ALIGN float dy[kMarchLanes];
    HWY_ALIGN float dz[kMarchLanes];
    HWY_ALIGN float estimate[kMarchLanes];
    HWY_ALIGN std::int32_t steps[kMarchLanes];
    std::uint8_t hitBits[kPackets][8];  // per packet, one bit a lane
    std::uint8_t leftBits[kPackets][8];
    std::uint16_t sample[kMarchLanes];
};

Slice broadcastSlice(D d, const SimdScene& scene)
{
    return {{hn::Set(d, scene.q.x), hn::Set(d, scene.q.y), hn::Set(d, scene.q.z), hn::Set(d, scene.q.w)},
            {hn::Set(d, scene.k.x), hn::Set(d, scene.k.y), hn::Set(d, scene.k.z), hn::Set(d, scene.k.w)},
            hn::Set(d, scene.hyperplaneW),
            scene.iterationCap};
}

// Primary ray directions and the distance at which each enters the
// bounding sphere (negative or NaN: the ray misses it).
void setUpRays(D d, const SimdScene& scene, Rays& rays, std::size_t padded)
{
    const Camera& camera = scene.camera;
    const float* m = camera.viewRotation.m;
    const Vec3 eye{hn::Set(d, camera.eye.x), hn::Set(d, camera.eye.y), hn::Set(d, camera.eye.z)};
    const V s = hn::Sub(dot(eye, eye), hn::Set(d, kBoundingRadiusSquared));
    for (std::size_t i = 0; i < padded; i += hn::Lanes(d)) {
        const V sx = hn::Neg(hn::Mul(
            hn::Mul(hn::Sub(hn::Load(d, rays.x + i), hn::Set(d, camera.halfWidth)), hn::Set(d, camera.tanHalfFov)),
            hn::Set(d, camera.inverseHalfWidth)));
        const V sy = hn::Neg(hn::Mul(
            hn::Mul(hn::Sub(hn::Load(d, rays.y + i), hn::Set(d, camera.halfHeight)), hn::Set(d, camera.verticalScale)),
            hn::Set(d, camera.inverseHalfHeight)));
        const auto column = [&](int j) {
            return hn::MulAdd(sx, hn::Set(d, m[j]),
                              hn::MulAdd(sy, hn::Set(d, m[4 + j]), hn::Set(d, m[8 + j] + m[12 + j])));
        };
        const Vec3 direction = normalize(d, {column(0), column(1), column(2)});
        hn::Store(direction.x, d, rays.dx + i);
        hn::Store(direction.y, d, rays.dy + i);
        hn::Store(direction.z, d, rays.dz + i);
        const V b = dot(eye, direction);
        const V discriminant = hn::NegMulAdd(hn::Set(d, 1.0f), s, hn::Mul(b, b));
        const V outside = hn::Sub(hn::Neg(b), hn::Sqrt(discriminant));
        V entry = hn::IfThenElse(hn::Lt(discriminant, hn::Zero(d)), hn::Set(d, -1.0f), outside);
        entry = hn::IfThenElse(hn::Lt(s, hn::Zero(d)), hn::Zero(d), entry);
        hn::Store(entry, d, rays.entry + i);
    }
}

// Puts the next waiting sample into lane, or leaves the lane idle.
void fillLane(Lanes& lanes, std::size_t lane, const Rays& rays, const SimdScene& scene, RayQueue& queue)
{
    if (queue.empty()) {
        lanes.active[lane] = 0.0f;
        return;
    }
    const std::uint16_t sample = queue.items[queue.next++];
    const float t = rays.entry[sample];
    lanes.sample[lane] = sample;
    lanes.active[lane] = 1.0f;
    lanes.marchSteps[lane] = 0;
    lanes.dx[lane] = rays.dx[sample];
    lanes.dy[lane] = rays.dy[sample];
    lanes.dz[lane] = rays.dz[sample];
    lanes.px[lane] = scene.camera.eye.x + t * rays.dx[sample];
    lanes.py[lane] = scene.camera.eye.y + t * rays.dy[sample];
    lanes.pz[lane] = scene.camera.eye.z + t * rays.dz[sample];
}

// One march step for the active lanes of the group of packets from
// `first`: estimate, then hit, miss or move. Returns whether any finished.
template <int Power, bool Rotated>
bool marchGroupStep(D d, Lanes& lanes, std::size_t first, const Slice& slice, const SimdScene& scene)
{
    const DI di;
    const std::size_t n = hn::Lanes(d);
    Vec3 p[kPacketsInFlight];
    M running[kPacketsInFlight];
    M idle[kPacketsInFlight];
    for (std::size_t k = 0; k < kPacketsInFlight; ++k) {
        const std::size_t at = (first + k) * n;
        p[k] = {hn::Load(d, lanes.px + at), hn::Load(d, lanes.py + at), hn::Load(d, lanes.pz + at)};
        running[k] = hn::Gt(hn::Load(d, lanes.active + at), hn::Zero(d));
        idle[k] = hn::Not(running[k]);
    }
    OrbitEnd ends[kPacketsInFlight];
    iterateWithEscape<Power, Rotated, kPacketsInFlight>(d, p, running, slice, ends);

    bool finished = false;
    for (std::size_t k = 0; k < kPacketsInFlight; ++k) {
        const std::size_t at = (first + k) * n;
        const Vec3 direction{hn::Load(d, lanes.dx + at), hn::Load(d, lanes.dy + at), hn::Load(d, lanes.dz + at)};
        const VI marchSteps = hn::Load(di, lanes.marchSteps + at);
        const V estimate = distanceEstimate(d, ends[k].m, ends[k].dz2);
        const M overLimit = hn::RebindMask(d, hn::Not(hn::Lt(marchSteps, hn::Set(di, scene.stepLimit))));
        const M close = hn::Or(hn::Not(hn::Ge(estimate, hn::Set(d, scene.epsilon))), overLimit);
        const Vec3 next{hn::MulAdd(estimate, direction.x, p[k].x), hn::MulAdd(estimate, direction.y, p[k].y),
                        hn::MulAdd(estimate, direction.z, p[k].z)};
        const M left = hn::AndNot(close, hn::Gt(dot(next, next), hn::Set(d, kBoundingRadiusSquared)));
        const M stalled = hn::And(hn::Eq(next.x, p[k].x), hn::And(hn::Eq(next.y, p[k].y), hn::Eq(next.z, p[k].z)));
        const M hit = hn::AndNot(idle[k], hn::Or(close, hn::AndNot(left, stalled)));
        const M moving = hn::Not(hn::Or(hit, left));

        hn::Store(hn::IfThenElse(moving, next.x, p[k].x), d, lanes.px + at);
        hn::Store(hn::IfThenElse(moving, next.y, p[k].y), d, lanes.py + at);
        hn::Store(hn::IfThenElse(moving, next.z, p[k].z), d, lanes.pz + at);
        hn::Store(hn::Add(marchSteps, hn::Set(di, 1)), di, lanes.marchSteps + at);
        hn::Store(estimate, d, lanes.estimate + at);
        hn::Store(ends[k].steps, di, lanes.steps + at);
        const M leftActive = hn::AndNot(idle[k], left);
        hn::StoreMaskBits(d, hit, lanes.hitBits[first + k]);
        hn::StoreMaskBits(d, leftActive, lanes.leftBits[first + k]);
        finished = finished || !hn::AllFalse(d, hn::Or(hit, leftActive));
    }
    return finished;
}

// One march step for every active lane, a group of packets at a time.
template <int Power, bool Rotated>
bool marchStep(D d, Lanes& lanes, const Slice& slice, const SimdScene& scene)
{
    bool finished = false;
    for (std::size_t first = 0; first < kPackets; first += kPacketsInFlight) {
        finished = marchGroupStep<Power, Rotated>(d, lanes, first, slice, scene) || finished;
    }
    return finished;
}

// The lanes of one packet named by a stored mask, as a bit set.
std::uint64_t laneSet(const std::uint8_t (&bytes)[8])
{
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        bits |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
    }
    return bits;
}

// Fills the idle lanes from the queue; returns how many it filled.
std::size_t fillIdleLanes(Lanes& lanes, std::size_t laneCount, const Rays& rays, const SimdScene& scene,
                          RayQueue& queue)
{
    std::size_t filled = 0;
    for (std::size_t lane = 0; lane < laneCount && !queue.empty(); ++lane) {
        if (lanes.active[lane] == 0.0f) {
            fillLane(lanes, lane, rays, scene, queue);
            ++filled;
        }
    }
    return filled;
}

// A ray's hit is collected for the normals; a miss takes the background.
void finishRay(const SimdScene& scene, const Lanes& lanes, std::size_t lane, bool hit, Hits& hits, Colour* colours)
{
    if (!hit) {
        colours[lanes.sample[lane]] = scene.background;
        return;
    }
    const std::size_t h = hits.count++;
    hits.px[h] = lanes.px[lane];
    hits.py[h] = lanes.py[lane];
    hits.pz[h] = lanes.pz[lane];
    hits.estimate[h] = lanes.estimate[lane];
    hits.steps[h] = lanes.steps[lane];
    hits.sample[h] = lanes.sample[lane];
}

// Each sample of an ended cone goes on alone from where its ray leaves the
// cone's cleared stretch, or from its own entry into the bounding sphere
// if that is later; a ray already past the sphere there has missed.
void splitCone(const SimdScene& scene, const Cones& cones, std::size_t cone, float along, Rays& rays, RayQueue& queue,
               Colour* colours)
{
    const Vector3& axis = cones.cone[cone].axis;
    const Vector3& eye = scene.camera.eye;
    for (std::uint16_t member = cones.firstMember[cone]; member != Cones::kNoMember;
         member = cones.nextMember[member]) {
        const Vector3 direction{rays.dx[member], rays.dy[member], rays.dz[member]};
        const float start = along / dot(axis, direction);
        if (start > rays.entry[member]) {
            const Vector3 p = eye + start * direction;
            if (dot(p, p) > kBoundingRadiusSquared) {
                colours[member] = scene.background;
                continue;
            }
            rays.entry[member] = start;
        }
        queue.push(member);
    }
}

// Hands the samples of every cone that ended on to the rays' queue and
// gives its lane the next cone; returns how many cone lanes stay busy.
std::size_t endCones(D d, const SimdScene& scene, ConeLanes& coneLanes, Cones& cones, Rays& rays, RayQueue& queue,
                     Colour* colours)
{
    std::size_t busy = 0;
    for (std::size_t k = 0; k < kConePackets; ++k) {
        for (std::uint64_t ended = laneSet(coneLanes.endedBits[k]); ended != 0; ended &= ended - 1) {
            const std::size_t lane = k * hn::Lanes(d) + static_cast<std::size_t>(__builtin_ctzll(ended));
            splitCone(scene, cones, coneLanes.cone[lane], coneLanes.along[lane], rays, queue, colours);
            fillConeLane(coneLanes, lane, cones, scene.camera.eye);
        }
    }
    for (std::size_t lane = 0; lane < kConePackets * hn::Lanes(d); ++lane) {
        busy += coneLanes.active[lane] != 0.0f ? 1 : 0;
    }
    return busy;
}

// Marches every cone and every sample until each sample hits or misses,
// a step of the cones and a step of the rays at a time, so that the rays
// of ended cones fill the ray lanes while other cones go on. Returns the
// march steps taken, one per busy lane and step.
template <int Power, bool Rotated>
std::uint64_t marchAll(D d, const SimdScene& scene, Rays& rays, Cones& cones, RayQueue& queue, Hits& hits,
                       Colour* colours)
{
    const std::size_t laneCount = kPackets * hn::Lanes(d);
    const Slice slice = broadcastSlice(d, scene);
    Lanes lanes{};
    ConeLanes coneLanes{};
    std::size_t coneBusy = 0;
    for (std::size_t lane = 0; lane < kConePackets * hn::Lanes(d); ++lane) {
        coneBusy += fillConeLane(coneLanes, lane, cones, scene.camera.eye) ? 1 : 0;
    }
    std::size_t busy = fillIdleLanes(lanes, laneCount, rays, scene, queue);
    std::uint64_t marchSteps = 0;
    while (busy > 0 || coneBusy > 0) {
        if (coneBusy > 0) {
            marchSteps += coneBusy;
            if (coneStep<Power, Rotated>(d, coneLanes, slice, scene.epsilon, scene.stepLimit)) {
                coneBusy = endCones(d, scene, coneLanes, cones, rays, queue, colours);
            }
            if (busy < laneCount) {
                busy += fillIdleLanes(lanes, laneCount, rays, scene, queue);
            }
        }
        if (busy == 0) {
            continue;
        }
        marchSteps += busy;
        if (!marchStep<Power, Rotated>(d, lanes, slice, scene)) {
            continue;
        }
        for (std::size_t k = 0; k < kPackets; ++k) {
            const std::uint64_t hitLanes = laneSet(lanes.hitBits[k]);
            for (std::uint64_t finished = hitLanes | laneSet(lanes.leftBits[k]); finished != 0;
                 finished &= finished - 1) {
                const std::size_t inPacket = static_cast<std::size_t>(__builtin_ctzll(finished));
                const std::size_t lane = k * hn::Lanes(d) + inPacket;
                finishRay(scene, lanes, lane, ((hitLanes >> inPacket) & 1) != 0, hits, colours);
                fillLane(lanes, lane, rays, scene, queue);
                if (lanes.active[lane] == 0.0f) {
                    --busy;
                }
            }
        }
    }
    return marchSteps;
}

// pow(a, e) for a > 0 as exp(e ln a); a of 0 takes pow(0, e).
HWY_INLINE V power(D d, V a, V exponent, V ofZero)
{
    return hn::IfThenElse(hn::Gt(a, hn::Zero(d)), hn::Exp(d, hn::Mul(exponent, hn::Log(d, a))), ofZero);
}

// Each lane's distance from the eye and its normal turned out of the
// surface, toward the eye, as a compositor expects.
void keepDepths(D d, const Hits& hits, std::size_t first, const Vec3& fromEye, const Vec3& inwardNormal,
                SampleDepth* depths)
{
    HWY_ALIGN float distance[hn::MaxLanes(D())];
    HWY_ALIGN float nx[hn::MaxLanes(D())];
    HWY_ALIGN float ny[hn::MaxLanes(D())];
    HWY_ALIGN float nz[hn::MaxLanes(D())];
    hn::Store(hn::Sqrt(dot(fromEye, fromEye)), d, distance);
    hn::Store(hn::Neg(inwardNormal.x), d, nx);
    hn::Store(hn::Neg(inwardNormal.y), d, ny);
    hn::Store(hn::Neg(inwardNormal.z), d, nz);
    for (std::size_t lane = 0; lane < hn::Lanes(d) && first + lane < hits.count; ++lane) {
        depths[hits.sample[first + lane]] = {distance[lane], {nx[lane], ny[lane], nz[lane]}};
    }
}

// Normals and shading of every hit, a vector of hits at a time; depths,
// when given, receive each hit's distance and normal.
template <int Power, bool Rotated>
void shadeHits(D d, const SimdScene& scene, Hits& hits, Colour* colours, SampleDepth* depths)
{
    const DI di;
    const std::size_t laneCount = hn::Lanes(d);
    const Slice slice = broadcastSlice(d, scene);
    for (std::size_t h = hits.count; h % laneCount != 0; ++h) {
        hits.px[h] = hits.px[0];
        hits.py[h] = hits.py[0];
        hits.pz[h] = hits.pz[0];
        hits.estimate[h] = hits.estimate[0];
        hits.steps[h] = hits.steps[0];
    }
    const V h = hn::Set(d, scene.epsilon * 0.1f);
    const Vec3 eye{hn::Set(d, scene.camera.eye.x), hn::Set(d, scene.camera.eye.y), hn::Set(d, scene.camera.eye.z)};
    const Vec3 light{hn::Set(d, scene.light.x), hn::Set(d, scene.light.y), hn::Set(d, scene.light.z)};
    const V top = hn::Set(d, static_cast<float>(scene.gradientCount - 1));
    HWY_ALIGN float red[hn::MaxLanes(D())];
    HWY_ALIGN float green[hn::MaxLanes(D())];
    HWY_ALIGN float blue[hn::MaxLanes(D())];
    const bool looksOn = scene.looks.anyOn();
    for (std::size_t first = 0; first < hits.count; first += laneCount) {
        const Vec3 p{hn::Load(d, hits.px + first), hn::Load(d, hits.py + first), hn::Load(d, hits.pz + first)};
        const V estimate = hn::Load(d, hits.estimate + first);
        const VI steps = hn::Load(di, hits.steps + first);
        const int longest = *std::max_element(hits.steps + first, hits.steps + first + laneCount);
        const Vec3 offsets = offsetEstimates<Power, Rotated>(d, p, h, steps, longest, slice);
        const Vec3 difference{hn::Sub(offsets.x, estimate), hn::Sub(offsets.y, estimate), hn::Sub(offsets.z, estimate)};
        const Vec3 normal = normalize(d, difference);

        const Vec3 fromEye{hn::Sub(p.x, eye.x), hn::Sub(p.y, eye.y), hn::Sub(p.z, eye.z)};
        const Vec3 view = normalize(d, fromEye);
        const V twiceViewDotNormal = hn::Mul(dot(view, normal), hn::Set(d, 2.0f));
        const Vec3 reflection{hn::NegMulAdd(twiceViewDotNormal, normal.x, view.x),
                              hn::NegMulAdd(twiceViewDotNormal, normal.y, view.y),
                              hn::NegMulAdd(twiceViewDotNormal, normal.z, view.z)};
        const Vec3 toLight = normalize(d, {hn::Sub(light.x, p.x), hn::Sub(light.y, p.y), hn::Sub(light.z, p.z)});
        const V specular = hn::Mul(
            power(d, hn::Abs(dot(toLight, reflection)), hn::Set(d, scene.specular), hn::Set(d, scene.specularOfZero)),
            hn::Set(d, scene.intensity));

        // Lit squarely (L.N = -1) picks the first entry, L.N = +1 the last.
        const V f = hn::Mul(hn::Mul(hn::Add(dot(toLight, normal), hn::Set(d, 1.0f)),
                                    hn::Set(d, static_cast<float>(scene.gradientCount))),
                            hn::Set(d, 0.5f));
        const M inside = hn::And(hn::Ge(f, hn::Set(d, 1.0f)), hn::Lt(f, top));
        const V clamped = hn::IfThenElse(inside, f, hn::IfThenElseZero(hn::Ge(f, top), top));
        const VI entry = hn::Mul(hn::ConvertTo(di, clamped), hn::Set(di, 3));
        const float* table = &scene.gradient[0].r;
        Shade shade{hn::Add(hn::GatherIndex(d, table, entry), specular),
                    hn::Add(hn::GatherIndex(d, table + 1, entry), specular),
                    hn::Add(hn::GatherIndex(d, table + 2, entry), specular)};
        if (looksOn) {
            const V slope = hn::Div(hn::Sqrt(dot(difference, difference)), h);
            shade = withLooks<Power, Rotated>(d, shade, p, normal, slope, slice, scene);
        }
        hn::Store(shade.r, d, red);
        hn::Store(shade.g, d, green);
        hn::Store(shade.b, d, blue);
        for (std::size_t lane = 0; lane < laneCount && first + lane < hits.count; ++lane) {
            colours[hits.sample[first + lane]] = {red[lane], green[lane], blue[lane]};
        }
        if (depths != nullptr) {
            keepDepths(d, hits, first, fromEye, normal, depths);
        }
    }
}

// The work of a batch: the cones of its cells, or with no bundles each
// sample that enters the bounding sphere; the rest take the background.
void queueWork(const SimdScene& scene, const SamplePoint* points, std::size_t count, const Rays& rays,
               const RayBundles& bundles, Cones& cones, RayQueue& queue, Colour* colours)
{
    const bool bundled = bundles.pitch > 0.0f && scene.walk == RayWalk::Bundled;
    for (std::size_t i = 0; i < count; ++i) {
        const auto sample = static_cast<std::uint16_t>(i);
        if (!(rays.entry[i] >= 0.0f)) {
            colours[i] = scene.background;
        } else if (bundled) {
            joinCone(scene.camera, bundles, points[i], sample, cones);
        } else {
            queue.push(sample);
        }
    }
}

// depths, when given, start as misses; only hits change them.
template <int Power, bool Rotated>
void traceWith(const SimdScene& scene, const SamplePoint* points, std::size_t count, Colour* colours,
               SampleDepth* depths, const RayBundles& bundles)
{
    const D d;
    const std::size_t laneCount = hn::Lanes(d);
    const std::size_t padded = (count + laneCount - 1) / laneCount * laneCount;
    Rays rays;
    for (std::size_t i = 0; i < padded; ++i) {
        const SamplePoint& point = points[std::min(i, count - 1)];
        rays.x[i] = point.x;
        rays.y[i] = point.y;
    }
    setUpRays(d, scene, rays, padded);

    Cones cones;
    RayQueue queue;
    queueWork(scene, points, count, rays, bundles, cones, queue, colours);
    if (depths != nullptr) {
        std::fill(depths, depths + count, SampleDepth{});
    }
    Hits hits;
    const std::uint64_t marchSteps = marchAll<Power, Rotated>(d, scene, rays, cones, queue, hits, colours);
    shadeHits<Power, Rotated>(d, scene, hits, colours, depths);
    if (scene.marchSteps != nullptr) {
        scene.marchSteps->fetch_add(marchSteps, std::memory_order_relaxed);
    }
}

template <int Power>
void traceWithPower(const SimdScene& scene, const SamplePoint* points, std::size_t count, Colour* colours,
                    SampleDepth* depths, const RayBundles& bundles)
{
    if (scene.rotated) {
        traceWith<Power, true>(scene, points, count, colours, depths, bundles);
    } else {
        traceWith<Power, false>(scene, points, count, colours, depths, bundles);
    }
}

void traceBatch(const SimdScene& scene, const SamplePoint* points, std::size_t count, Colour* colours,
                SampleDepth* depths, const RayBundles& bundles)
{
    if (count == 0) {
        return;
    }
    withPower(scene.power,
              [&](auto power) { traceWithPower<power()>(scene, points, count, colours, depths, bundles); });
}

const char* targetName()
{
    return hwy::TargetName(HWY_TARGET);
}

}  // namespace HWY_NAMESPACE
}  // namespace tessaform
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/Camera.h"
#include "render/RayMarch.h"

namespace tessaform {

static_assert(sizeof(Colour) == 3 * sizeof(float), "the kernels gather channels at a stride of three");

HWY_EXPORT(traceBatch);
HWY_EXPORT(targetName);

namespace {

bool isIdentity(const Quaternion& q)
{
    return q.x == 1.0f && q.y == 0.0f && q.z == 0.0f && q.w == 0.0f;
}

SimdScene describeScene(const FractalParams& params, const Gradient& gradient, int width, int height, RayWalk walk,
                        std::atomic<std::uint64_t>* marchSteps)
{
    const Camera camera = setupCamera(params, width, height);
    const MarchSettings march = prepareMarch(params);
    SimdScene scene{};
    scene.camera = camera;
    scene.q = march.slice.rotation.q;
    scene.k = march.slice.rotation.k;
    scene.rotated = !isIdentity(scene.q);
    scene.hyperplaneW = march.slice.hyperplaneW;
    scene.iterationCap = march.slice.iterationCap;
    scene.epsilon = march.epsilon;
    scene.stepLimit = static_cast<std::int32_t>(
        std::min<std::uint64_t>(march.stepLimit, static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())));
    scene.light = params.light;
    scene.specular = params.specular;
    scene.specularOfZero = static_cast<float>(std::pow(0.0, static_cast<double>(params.specular)));
    scene.intensity = params.intensity;
    scene.background = params.background;
    scene.gradient = gradient.entries().data();
    scene.gradientCount = gradient.count();
    scene.power = params.power;
    scene.looks = prepareLooks(params, march.epsilon);
    scene.walk = walk;
    scene.marchSteps = marchSteps;
    return scene;
}

}  // namespace

SimdTracer::SimdTracer(const FractalParams& params, const Gradient& gradient, int width, int height, SimdTarget target,
                       RayWalk walk, std::atomic<std::uint64_t>* marchSteps)
    : scene_(describeScene(params, gradient, width, height, walk, marchSteps)),
      dispatchIndex_(target.dispatchIndex()),
      traceBatch_(HWY_DISPATCH_TABLE(traceBatch)[dispatchIndex_])
{
}

void SimdTracer::traceSamples(const SamplePoint* points, std::size_t count, Colour* colours, SampleDepth* depths,
                              const RayBundles& bundles) const
{
    traceBatch_(scene_, points, count, colours, depths, bundles);
}

std::string SimdTracer::instructionSet() const
{
    return HWY_DISPATCH_TABLE(targetName)[dispatchIndex_]();
}

}  // namespace tessaform
#endif
