#include "render/Camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "math/VectorOps.h"
#include "params/FractalParams.h"

namespace tessaform {
namespace {

constexpr float kTanHalfFov = 0.36397025f;

FractalParams straightCamera(float distance)
{
    FractalParams params = defaultParams();
    params.theta = 0.0f;
    params.phi = 0.0f;
    params.distance = distance;
    params.lateralShift = 0.0f;
    params.verticalShift = 0.0f;
    return params;
}

void expectVectorNear(const Vector3& actual, const Vector3& expected, float tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(CameraTest, StraightCameraLooksAlongZFromBehindTheOrigin)
{
    const Camera camera = setupCamera(straightCamera(4.0f), 64, 48);
    EXPECT_FLOAT_EQ(camera.tanHalfFov, kTanHalfFov);
    expectVectorNear(camera.eye, {0.0f, 0.0f, -4.0f}, 0.0f);

    expectVectorNear(primaryRayDirection(camera, 32.0f, 24.0f), {0.0f, 0.0f, 1.0f}, 0.0f);
    // The top-left sample looks to +x and +y.
    expectVectorNear(primaryRayDirection(camera, 0.0f, 0.0f),
                     normalized({kTanHalfFov, kTanHalfFov * 48.0f / 64.0f, 1.0f}), 1e-6f);
}

TEST(CameraTest, PixelsAreSquareAndTheMiddleOfAnOddWidthIsOffCentre)
{
    const Camera even = setupCamera(straightCamera(3.0f), 80, 30);
    const Vector3 leftOfCentre = primaryRayDirection(even, 39.0f, 15.0f);
    const Vector3 aboveCentre = primaryRayDirection(even, 40.0f, 14.0f);
    EXPECT_EQ(primaryRayDirection(even, 40.0f, 7.0f).x, 0.0f);
    EXPECT_FLOAT_EQ(leftOfCentre.x / leftOfCentre.z, 2.0f * kTanHalfFov / 80.0f);
    EXPECT_FLOAT_EQ(aboveCentre.y / aboveCentre.z, 2.0f * kTanHalfFov / 80.0f);

    const Camera odd = setupCamera(straightCamera(3.0f), 5, 4);
    const Vector3 middle = primaryRayDirection(odd, 2.0f, 2.0f);
    EXPECT_EQ(middle.y, 0.0f);
    EXPECT_FLOAT_EQ(middle.x / middle.z, kTanHalfFov / 5.0f);
}

TEST(CameraTest, ShiftsMoveTheEyeButNotTheRays)
{
    FractalParams shifted = straightCamera(4.0f);
    shifted.lateralShift = 0.3f;
    shifted.verticalShift = 0.5f;
    const Camera plain = setupCamera(straightCamera(4.0f), 40, 30);
    const Camera moved = setupCamera(shifted, 40, 30);
    expectVectorNear(moved.eye, {-0.3f, 0.5f, -4.0f}, 1e-6f);
    for (const auto& [x, y] : {std::pair{0.0f, 0.0f}, std::pair{13.25f, 29.0f}, std::pair{39.0f, 7.5f}}) {
        expectVectorNear(primaryRayDirection(moved, x, y), primaryRayDirection(plain, x, y), 0.0f);
    }
}

TEST(CameraTest, TurnedCameraOrbitsTheOriginAndKeepsItsAxes)
{
    FractalParams params = straightCamera(5.0f);
    const float theta = 0.3f;
    const float phi = 1.1f;
    params.theta = theta;
    params.phi = phi;
    params.lateralShift = 0.4f;
    params.verticalShift = 0.25f;
    const Camera camera = setupCamera(params, 64, 32);

    const Vector3 right{std::cos(phi), 0.0f, -std::sin(phi)};
    const Vector3 up{std::sin(theta) * std::sin(phi), std::cos(theta), std::sin(theta) * std::cos(phi)};
    const Vector3 forward{std::cos(theta) * std::sin(phi), -std::sin(theta), std::cos(theta) * std::cos(phi)};

    expectVectorNear(camera.eye, -5.0f * forward - 0.4f * right + 0.25f * up, 1e-5f);
    expectVectorNear(primaryRayDirection(camera, 32.0f, 16.0f), forward, 1e-6f);
    const float verticalScale = kTanHalfFov * 32.0f / 64.0f;
    expectVectorNear(primaryRayDirection(camera, 0.0f, 0.0f),
                     normalized(kTanHalfFov * right + verticalScale * up + forward), 1e-6f);
}

}  // namespace
}  // namespace tessaform
