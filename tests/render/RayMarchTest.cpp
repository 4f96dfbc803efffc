#include "render/RayMarch.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "params/FractalParams.h"
#include "render/Camera.h"

namespace tessaform {
namespace {

using MarchFunction = SurfaceHit (*)(const Vector3&, const Vector3&, const MarchSettings&);

// With a cap of 0 no orbit step runs and the surface is the ball of radius
// sqrt(1 - w^2) about the origin, whatever the power.
MarchSettings ballMarch(float hyperplaneW, float epsilon)
{
    FractalParams params = defaultParams();
    params.iterations = 0;
    params.hyperplaneW = hyperplaneW;
    params.epsilon = epsilon;
    return prepareMarch(params);
}

float length(const Vector3& v)
{
    return std::sqrt(dot(v, v));
}

TEST(RayMarchTest, SphereEntryStartsAtTheNearSideOrAtAnEyeInside)
{
    struct Case {
        Vector3 eye;
        Vector3 direction;
        float entry;  // negative: a miss
    };
    const std::array<Case, 6> cases{{
        {{0.0f, 0.0f, -4.0f}, {0.0f, 0.0f, 1.0f}, 2.0f},
        {{0.0f, 3.0f, -4.0f}, {0.0f, 0.0f, 1.0f}, -1.0f},   // beside the sphere
        {{0.0f, 0.0f, 4.0f}, {0.0f, 0.0f, 1.0f}, -1.0f},    // sphere behind the eye
        {{0.5f, -0.5f, 0.25f}, {1.0f, 0.0f, 0.0f}, 0.0f},   // eye inside
        {{0.0f, 0.0f, -2.0f}, {0.0f, 0.0f, 1.0f}, 0.0f},    // on the sphere, looking in
        {{0.0f, 0.0f, -2.0f}, {0.0f, 0.0f, -1.0f}, -1.0f},  // on the sphere, looking out
    }};
    for (const Case& c : cases) {
        const float entry = sphereEntry(c.eye, c.direction);
        if (c.entry < 0.0f) {
            EXPECT_FALSE(entry >= 0.0f) << c.eye.y << ' ' << c.eye.z;
            EXPECT_FALSE(marchSample<2>(c.eye, c.direction, ballMarch(0.0f, 1e-3f)).hit);
        } else {
            EXPECT_FLOAT_EQ(entry, c.entry);
        }
    }
}

TEST(RayMarchTest, AnEstimateBelowEpsilonAtTheStartIsAHitThere)
{
    // On the bounding sphere the cap-0 estimate is 0.5 ln 2, below an epsilon of 1.
    const SurfaceHit atEntry = marchSample<2>({0.0f, 0.0f, -4.0f}, {0.0f, 0.0f, 1.0f}, ballMarch(0.0f, 1.0f));
    ASSERT_TRUE(atEntry.hit);
    EXPECT_EQ(atEntry.point.z, -2.0f);

    // Inside the unit ball the estimate is negative: a hit at the eye itself.
    const Vector3 eye{0.3f, 0.1f, -0.2f};
    const SurfaceHit atEye = marchSample<3>(eye, normalized({1.0f, 2.0f, 3.0f}), ballMarch(0.0f, 1e-3f));
    ASSERT_TRUE(atEye.hit);
    EXPECT_EQ(atEye.point.x, eye.x);
    EXPECT_EQ(atEye.point.y, eye.y);
    EXPECT_EQ(atEye.point.z, eye.z);
}

TEST(RayMarchTest, CapZeroShowsTheSlicedUnitBallWithInwardNormals)
{
    constexpr float kEpsilon = 1e-3f;
    const float radius = std::sqrt(1.0f - 0.6f * 0.6f);
    const MarchSettings march = ballMarch(0.6f, kEpsilon);
    const Vector3 eye{0.0f, 0.0f, -4.0f};
    const std::array<Vector3, 3> targets{{{0.0f, 0.0f, 0.0f}, {0.5f, 0.2f, 0.0f}, {-0.3f, -0.6f, 0.1f}}};
    for (const MarchFunction marchPower : {&marchSample<2>, &marchSample<5>}) {
        for (const Vector3& target : targets) {
            const Vector3 direction = normalized(target - eye);
            const SurfaceHit hit = marchPower(eye, direction, march);
            ASSERT_TRUE(hit.hit);
            // Sphere tracing stops just outside, within a few epsilon.
            EXPECT_GE(length(hit.point), radius - 1e-5f);
            EXPECT_LE(length(hit.point), radius + 4.0f * kEpsilon);
            EXPECT_NEAR(length(hit.normal), 1.0f, 1e-5f);
            EXPECT_GT(dot(hit.normal, normalized(-1.0f * hit.point)), 0.99f);
            EXPECT_GT(dot(hit.normal, direction), 0.0f);
        }
        // Passing beside the ball, the ray leaves the bounding sphere.
        EXPECT_FALSE(marchPower(eye, normalized(Vector3{0.0f, 1.2f, 0.0f} - eye), march).hit);
    }
    // A slice beyond |w| = 1 holds nothing.
    EXPECT_FALSE(marchSample<2>(eye, {0.0f, 0.0f, 1.0f}, ballMarch(1.5f, kEpsilon)).hit);
}

TEST(RayMarchTest, NormalOfAFractalHitFacesAwayFromTheEye)
{
    const FractalParams params = defaultParams();
    const MarchSettings march = prepareMarch(params);
    const Camera camera = setupCamera(params, 32, 24);
    int hits = 0;
    int facing = 0;
    for (int row = 0; row < 24; ++row) {
        for (int column = 0; column < 32; ++column) {
            const Vector3 direction = primaryRayDirection(camera, static_cast<float>(column), static_cast<float>(row));
            const SurfaceHit hit = marchSample<2>(camera.eye, direction, march);
            if (hit.hit) {
                ++hits;
                facing += dot(hit.normal, direction) > 0.0f ? 1 : 0;
                EXPECT_NEAR(length(hit.normal), 1.0f, 1e-5f);
                EXPECT_LE(length(hit.point), kBoundingRadius);
            }
        }
    }
    // A grazing hit may tilt its normal slightly toward the eye.
    EXPECT_GT(hits, 100);
    EXPECT_GE(facing * 20, hits * 19);
}

}  // namespace
}  // namespace tessaform
