#include "render/Looks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/Camera.h"
#include "render/ScalarTracer.h"

namespace tessaform {
namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

// What the first pass sees at one pixel centre, with and without a look.
struct Sample {
    SurfaceHit hit;
    Colour plain;
    Colour looked;
};

std::vector<Sample> samplesOf(const FractalParams& plain, const FractalParams& looked)
{
    const ScalarTracer<2> plainTracer(plain, neutralGradient(), kWidth, kHeight);
    const ScalarTracer<2> lookedTracer(looked, neutralGradient(), kWidth, kHeight);
    const Camera camera = setupCamera(plain, kWidth, kHeight);
    const MarchSettings march = prepareMarch(plain);
    std::vector<Sample> samples;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const auto fx = static_cast<float>(x);
            const auto fy = static_cast<float>(y);
            samples.push_back({marchSample<2>(camera.eye, primaryRayDirection(camera, fx, fy), march),
                               plainTracer.colourAt(fx, fy), lookedTracer.colourAt(fx, fy)});
        }
    }
    return samples;
}

bool same(const Colour& a, const Colour& b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

bool darkerOrSame(const Colour& a, const Colour& b)
{
    return a.r <= b.r && a.g <= b.g && a.b <= b.b;
}

float distanceTo(const Colour& a, const Colour& b)
{
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

// Mean of value over the fifth of the hits that rank lowest by key, and over
// the fifth that rank highest.
template <typename Key, typename Value>
std::pair<double, double> meansOfOuterFifths(std::vector<const Sample*> hits, Key key, Value value)
{
    std::sort(hits.begin(), hits.end(), [&](const Sample* a, const Sample* b) { return key(*a) < key(*b); });
    const std::size_t fifth = hits.size() / 5;
    double low = 0.0;
    double high = 0.0;
    for (std::size_t i = 0; i < fifth; ++i) {
        low += value(*hits[i]);
        high += value(*hits[hits.size() - 1 - i]);
    }
    return {low / static_cast<double>(fifth), high / static_cast<double>(fifth)};
}

std::vector<const Sample*> hitsOf(const std::vector<Sample>& samples)
{
    std::vector<const Sample*> hits;
    for (const Sample& sample : samples) {
        if (sample.hit.hit) {
            hits.push_back(&sample);
        }
    }
    return hits;
}

// The unit ball of a cap of 0 iterations as the only obstacle; the point
// faces the light squarely, so only what lies between them can hide it.
TEST(LooksTest, TheShadowRayFindsWhatHidesTheLight)
{
    FractalParams params = defaultParams();
    params.iterations = 0;
    const MarchSettings march = prepareMarch(params);
    const Vector3 point{0.0f, 0.0f, 1.5f};
    const struct {
        const char* what;
        Vector3 light;
        float softness;
        float lowest;
        float highest;
    } cases[] = {
        {"light behind the ball", {0.0f, 0.0f, -1.9f}, 0.0f, 0.0f, 0.0f},
        {"light beside the ball", {1.5f, 0.0f, 1.8f}, 0.0f, 1.0f, 1.0f},
        {"light beside it, soft", {1.5f, 0.0f, 1.8f}, 0.5f, 1.0f, 1.0f},
        {"light past the rim, hard", {1.83f, 0.0f, -0.2f}, 0.0f, 1.0f, 1.0f},
        {"light past the rim, soft", {1.83f, 0.0f, -0.2f}, 2.0f, 0.01f, 0.99f},
        {"light outside the sphere", {0.0f, 0.0f, -3.0f}, 0.0f, 0.0f, 0.0f},
    };
    for (const auto& c : cases) {
        params.shadow = 1.0f;
        params.shadowSoftness = c.softness;
        const LookSettings looks = prepareLooks(params, march.epsilon);
        const Vector3 facingLight = -1.0f * normalized(c.light - point);
        const float reaching = lightReaching<2>(point, facingLight, c.light, march, looks);
        EXPECT_GE(reaching, c.lowest) << c.what;
        EXPECT_LE(reaching, c.highest) << c.what;
        // A side turned away from the light keeps the gradient's shading.
        EXPECT_EQ(lightReaching<2>(point, -1.0f * facingLight, c.light, march, looks), 1.0f) << c.what;
    }
}

// Shadow darkens exactly the hits its ray finds hidden, by the share hidden.
TEST(LooksTest, ShadowDarkensOnlyWhereTheLightIsHidden)
{
    FractalParams looked = defaultParams();
    looked.shadow = 1.0f;
    const MarchSettings march = prepareMarch(looked);
    const LookSettings looks = prepareLooks(looked, march.epsilon);
    int hidden = 0;
    int lit = 0;
    for (const Sample& sample : samplesOf(defaultParams(), looked)) {
        if (!sample.hit.hit) {
            EXPECT_TRUE(same(sample.looked, sample.plain));
            continue;
        }
        const bool reached = lightReaching<2>(sample.hit.point, sample.hit.normal, looked.light, march, looks) == 1.0f;
        (reached ? lit : hidden) += 1;
        EXPECT_EQ(same(sample.looked, sample.plain), reached);
        EXPECT_TRUE(darkerOrSame(sample.looked, sample.plain));
    }
    EXPECT_GT(hidden, 50);
    EXPECT_GT(lit, 50);
}

// Crevices lie deeper inside the set than its outer hull; occlusion must
// darken them more (typically to 72% against 78% of their plain colour).
TEST(LooksTest, OcclusionDarkensCrevicesMoreThanTheOuterHull)
{
    FractalParams looked = defaultParams();
    looked.occlusion = 1.0f;
    const std::vector<Sample> samples = samplesOf(defaultParams(), looked);
    for (const Sample& sample : samples) {
        EXPECT_TRUE(sample.hit.hit ? darkerOrSame(sample.looked, sample.plain) : same(sample.looked, sample.plain));
    }
    const auto [deep, outer] = meansOfOuterFifths(
        hitsOf(samples), [](const Sample& s) { return dot(s.hit.point, s.hit.point); },
        [](const Sample& s) { return (s.looked.r + s.looked.g + s.looked.b) / (s.plain.r + s.plain.g + s.plain.b); });
    EXPECT_LT(deep, outer - 0.03);
    EXPECT_LT(outer, 1.0);
}

// Fog leaves the background alone and pulls hits toward it, farther ones
// more (typically 19% of the plain colour left near, 11% far).
TEST(LooksTest, FogFadesHitsTowardTheBackgroundWithDistance)
{
    FractalParams looked = defaultParams();
    looked.fog = 0.5f;
    const std::vector<Sample> samples = samplesOf(defaultParams(), looked);
    const Colour& background = looked.background;
    for (const Sample& sample : samples) {
        if (!sample.hit.hit) {
            EXPECT_TRUE(same(sample.looked, sample.plain));
        } else {
            EXPECT_LT(distanceTo(sample.looked, background), distanceTo(sample.plain, background));
        }
    }
    const Vector3 eye = setupCamera(looked, kWidth, kHeight).eye;
    const auto [near, far] = meansOfOuterFifths(
        hitsOf(samples),
        [&](const Sample& s) {
            const Vector3 fromEye = s.hit.point - eye;
            return dot(fromEye, fromEye);
        },
        [&](const Sample& s) { return distanceTo(s.looked, background) / distanceTo(s.plain, background); });
    EXPECT_GT(near, far + 0.05);
}

// A strength of zero or below, or not a number, is no look at all.
TEST(LooksTest, OnlyAPositiveStrengthTurnsALookOn)
{
    const float nan = std::nanf("");
    for (const float strength : {0.0f, -0.0f, -1.0f, nan}) {
        FractalParams params = defaultParams();
        params.shadow = strength;
        params.occlusion = strength;
        params.fog = strength;
        EXPECT_FALSE(prepareLooks(params, params.epsilon).anyOn()) << strength;
    }
    FractalParams params = defaultParams();
    params.occlusion = 1.0f;
    for (const float radius : {0.0f, -0.1f, nan, INFINITY}) {
        params.occlusionRadius = radius;
        EXPECT_FALSE(prepareLooks(params, params.epsilon).occlusionOn) << radius;
    }
}

}  // namespace
}  // namespace tessaform
