// The vector orbit against the scalar one, point by point, on every
// instruction set. Images of the two engines are only compared by their
// statistics, which a slightly wrong escape test passes; escape step
// counts are exact wherever rounding cannot decide them. This file
// includes itself once per instruction set, as the kernels do.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "params/FractalParams.h"
#include "render/JuliaIteration.h"
#include "render/PowerDispatch.h"
#include "render/SimdTarget.h"

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "render/SimdOrbitTest.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
//
#include <hwy/highway.h>

#include "render/SimdOrbit-inl.h"

HWY_BEFORE_NAMESPACE();
namespace tessaform {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

constexpr int kOrbitPackets = 2;

template <int Power, bool Rotated>
void orbitStepsWith(const JuliaSlice& slice, const Vector3* points, std::size_t count, std::int32_t* steps)
{
    const D d;
    const DI di;
    const std::size_t lanes = hn::Lanes(d);
    const Quaternion& q = slice.rotation.q;
    const Quaternion& k = slice.rotation.k;
    const Slice s{{hn::Set(d, q.x), hn::Set(d, q.y), hn::Set(d, q.z), hn::Set(d, q.w)},
                  {hn::Set(d, k.x), hn::Set(d, k.y), hn::Set(d, k.z), hn::Set(d, k.w)},
                  hn::Set(d, slice.hyperplaneW),
                  slice.iterationCap};
    HWY_ALIGN float x[kOrbitPackets * hn::MaxLanes(D())];
    HWY_ALIGN float y[kOrbitPackets * hn::MaxLanes(D())];
    HWY_ALIGN float z[kOrbitPackets * hn::MaxLanes(D())];
    HWY_ALIGN std::int32_t counted[kOrbitPackets * hn::MaxLanes(D())];
    for (std::size_t first = 0; first < count; first += kOrbitPackets * lanes) {
        Vec3 p[kOrbitPackets];
        M running[kOrbitPackets];
        for (std::size_t packet = 0; packet < kOrbitPackets; ++packet) {
            const std::size_t begin = first + packet * lanes;
            for (std::size_t lane = 0; lane < lanes; ++lane) {
                const Vector3& point = points[std::min(begin + lane, count - 1)];
                x[packet * lanes + lane] = point.x;
                y[packet * lanes + lane] = point.y;
                z[packet * lanes + lane] = point.z;
            }
            p[packet] = {hn::Load(d, x + packet * lanes), hn::Load(d, y + packet * lanes),
                         hn::Load(d, z + packet * lanes)};
            running[packet] = hn::FirstN(d, begin < count ? count - begin : 0);
        }
        OrbitEnd ends[kOrbitPackets];
        iterateWithEscape<Power, Rotated, kOrbitPackets>(d, p, running, s, ends);
        for (std::size_t packet = 0; packet < kOrbitPackets; ++packet) {
            hn::Store(ends[packet].steps, di, counted + packet * lanes);
        }
        std::copy(counted, counted + std::min(kOrbitPackets * lanes, count - first), steps + first);
    }
}

// Escape step counts of the vector orbit, rotated or not as the tracer picks.
void orbitSteps(int power, bool rotated, const JuliaSlice& slice, const Vector3* points, std::size_t count,
                std::int32_t* steps)
{
    withPower(power, [&](auto n) {
        if (rotated) {
            orbitStepsWith<n(), true>(slice, points, count, steps);
        } else {
            orbitStepsWith<n(), false>(slice, points, count, steps);
        }
    });
}

const char* orbitTargetName()
{
    return hwy::TargetName(HWY_TARGET);
}

}  // namespace HWY_NAMESPACE
}  // namespace tessaform
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace tessaform {

HWY_EXPORT(orbitSteps);
HWY_EXPORT(orbitTargetName);

namespace {

// How far apart the two engines' |z|^2 may round, relative to the bound,
// per unit of the orbit's derivative: a few hundred float ulps.
constexpr float kRounding = 1e-5f;

Orbit startOrbit(const Vector3& p, const JuliaSlice& slice)
{
    return {{p.x, p.y, p.z, slice.hyperplaneW}, 1.0f, 0};
}

// Whether every step up to the escape keeps |z|^2 clear of the bound by more
// than rounding, which grows with the orbit's derivative, can move it.
template <int Power>
bool escapeIsClear(const Vector3& p, const JuliaSlice& slice)
{
    Orbit orbit = startOrbit(p, slice);
    while (orbit.steps < slice.iterationCap) {
        juliaStep<Power>(orbit, slice.rotation);
        const float m = squaredModulus(orbit.z);
        const float margin = kRounding * kBoundingRadiusSquared * std::max(1.0f, std::sqrt(orbit.dz2));
        if (!(std::abs(m - kBoundingRadiusSquared) > margin)) {
            return false;
        }
        if (m > kBoundingRadiusSquared) {
            return true;
        }
    }
    return true;
}

// A grid through the bounding sphere's cube, and points along a few
// directions whose first step lands |z|^2 within 0.1 % of the bound, above
// and below it, found by bisection on their distance from the origin.
template <int Power>
std::vector<Vector3> probePoints(const JuliaSlice& slice)
{
    std::vector<Vector3> points;
    constexpr int kSide = 16;
    const auto coordinate = [](int i) { return -1.5f + 3.0f * (static_cast<float>(i) + 0.5f) / kSide; };
    for (int i = 0; i < kSide; ++i) {
        for (int j = 0; j < kSide; ++j) {
            for (int k = 0; k < kSide; ++k) {
                points.push_back({coordinate(i), coordinate(j), coordinate(k)});
            }
        }
    }
    const auto firstM = [&](const Vector3& p) {
        Orbit orbit = startOrbit(p, slice);
        juliaStep<Power>(orbit, slice.rotation);
        return squaredModulus(orbit.z);
    };
    for (const Vector3 direction : {Vector3{1.0f, 0.0f, 0.0f}, Vector3{0.0f, 0.6f, 0.8f}, Vector3{-0.48f, 0.6f, -0.64f},
                                    Vector3{0.36f, -0.48f, 0.8f}}) {
        for (const float ratio : {0.9991f, 0.9998f, 1.0002f, 1.0005f, 1.0009f}) {
            const float target = ratio * kBoundingRadiusSquared;
            float near = 0.0f;
            float far = 2.0f;
            const auto along = [&](float t) { return Vector3{t * direction.x, t * direction.y, t * direction.z}; };
            if (!(firstM(along(near)) < target && firstM(along(far)) > target)) {
                continue;
            }
            for (int halving = 0; halving < 64; ++halving) {
                const float middle = 0.5f * (near + far);
                (firstM(along(middle)) > target ? far : near) = middle;
            }
            points.push_back(along(far));
        }
    }
    return points;
}

FractalParams orbitScene(int power, bool rotated, Quaternion constant, float hyperplaneW)
{
    FractalParams params = defaultParams();
    params.power = power;
    params.constant = constant;
    params.hyperplaneW = hyperplaneW;
    params.iterations = 24;
    params.direction = rotated ? Vector3{0.3f, 0.5f, 0.8f} : Vector3{0.0f, 0.0f, 0.0f};
    params.angle = 0.7f;
    return params;
}

struct Comparison {
    int compared = 0;
    int nearTheBound = 0;  // escaped with |z|^2 within 0.1 % above the bound
    std::vector<std::string> mismatches;
};

template <int Power>
Comparison compareWithScalar(const FractalParams& params, bool rotated, SimdTarget target)
{
    const JuliaSlice slice = prepareSlice(params);
    const std::vector<Vector3> points = probePoints<Power>(slice);
    std::vector<std::int32_t> vectorSteps(points.size());
    HWY_DISPATCH_TABLE(orbitSteps)
    [target.dispatchIndex()](Power, rotated, slice, points.data(), points.size(), vectorSteps.data());
    Comparison result;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!escapeIsClear<Power>(points[i], slice)) {
            continue;
        }
        const Orbit scalar = iterateWithEscape<Power>(points[i], slice);
        const float m = squaredModulus(scalar.z);
        ++result.compared;
        result.nearTheBound += m > kBoundingRadiusSquared && m < 1.001f * kBoundingRadiusSquared ? 1 : 0;
        if (vectorSteps[i] != scalar.steps && result.mismatches.size() < 5) {
            std::ostringstream text;
            text << "(" << points[i].x << ", " << points[i].y << ", " << points[i].z << "): " << vectorSteps[i]
                 << " steps, scalar " << scalar.steps;
            result.mismatches.push_back(text.str());
        }
    }
    return result;
}

TEST(SimdOrbitTest, EscapeStepsMatchTheScalarOrbitOnEveryInstructionSet)
{
    for (const std::string& target : availableSimdTargets()) {
        const std::optional<SimdTarget> simd = SimdTarget::named(target);
        ASSERT_TRUE(simd) << target;
        ASSERT_EQ(HWY_DISPATCH_TABLE(orbitTargetName)[simd->dispatchIndex()](), target);
        for (int power = kLowestPower; power <= kHighestPower; ++power) {
            for (const bool rotated : {false, true}) {
                const FractalParams params = orbitScene(power, rotated, {-0.2f, 0.6f, 0.2f, 0.2f}, 0.15f);
                const Comparison result =
                    withPower(power, [&](auto n) { return compareWithScalar<n()>(params, rotated, *simd); });
                const std::string scene =
                    target + ", power " + std::to_string(power) + (rotated ? ", rotated" : ", plain");
                EXPECT_GT(result.compared, 3000) << scene;
                EXPECT_GE(result.nearTheBound, 4) << scene;
                EXPECT_TRUE(result.mismatches.empty()) << scene << ": " << result.mismatches.front();
            }
        }
    }
}

}  // namespace
}  // namespace tessaform
#endif
