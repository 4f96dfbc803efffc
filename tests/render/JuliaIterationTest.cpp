#include "render/JuliaIteration.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "params/FractalParams.h"

namespace tessaform {
namespace {

using EscapeFunction = Orbit (*)(const Vector3&, const JuliaSlice&);
using FixedFunction = Orbit (*)(const Quaternion&, std::int32_t, const JuliaRotation&);

struct PowerCase {
    int power;
    EscapeFunction escape;
    FixedFunction fixed;
};

const std::array<PowerCase, 4> kPowers{{{2, &iterateWithEscape<2>, &iterateFixed<2>},
                                        {3, &iterateWithEscape<3>, &iterateFixed<3>},
                                        {4, &iterateWithEscape<4>, &iterateFixed<4>},
                                        {5, &iterateWithEscape<5>, &iterateFixed<5>}}};

// The classic map z^n + c: no generalized rotation, slice at w = 0.
FractalParams classicParams(Quaternion constant, std::int32_t cap)
{
    FractalParams params = defaultParams();
    params.constant = constant;
    params.hyperplaneW = 0.0f;
    params.iterations = cap;
    params.direction = {0.0f, 0.0f, 0.0f};
    params.angle = 1.0f;
    return params;
}

void expectQuaternionNear(const Quaternion& actual, const Quaternion& expected, float tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
    EXPECT_NEAR(actual.w, expected.w, tolerance);
}

// z^n from the polar form |z|^n (cos n.theta + u sin n.theta), independent of
// the Hamilton product.
Quaternion polarPower(const Quaternion& z, int n)
{
    const double modulus = std::sqrt(static_cast<double>(squaredModulus(z)));
    const double vectorLength = std::sqrt(double{z.y} * z.y + double{z.z} * z.z + double{z.w} * z.w);
    const double angle = std::atan2(vectorLength, double{z.x});
    const double scale = std::pow(modulus, n);
    const double vectorScale = scale * std::sin(n * angle) / vectorLength;
    return {static_cast<float>(scale * std::cos(n * angle)), static_cast<float>(z.y * vectorScale),
            static_cast<float>(z.z * vectorScale), static_cast<float>(z.w * vectorScale)};
}

TEST(JuliaIterationTest, CapsBeyondTheLargestAreLimited)
{
    for (const std::int32_t cap : {-5, 0, 100, kLargestIterationCap}) {
        EXPECT_EQ(prepareSlice(classicParams({0.0f, 0.0f, 0.0f, 0.0f}, cap)).iterationCap, cap);
    }
    for (const std::int32_t cap : {kLargestIterationCap + 1, std::numeric_limits<std::int32_t>::max()}) {
        EXPECT_EQ(prepareSlice(classicParams({0.0f, 0.0f, 0.0f, 0.0f}, cap)).iterationCap, kLargestIterationCap);
    }
}

TEST(JuliaIterationTest, OneEscapingStepGivesTheSameEstimateForEveryPower)
{
    for (const std::int32_t cap : {1, 10}) {
        const JuliaSlice slice = prepareSlice(classicParams({0.0f, 0.0f, 0.0f, 0.0f}, cap));
        for (const PowerCase& power : kPowers) {
            SCOPED_TRACE(power.power);
            const Orbit orbit = power.escape({1.5f, 0.0f, 0.0f}, slice);
            EXPECT_EQ(orbit.steps, 1);
            EXPECT_NEAR(distanceEstimate(orbit), 0.30410f, 5e-5f);
            if (power.power == 2) {
                EXPECT_FLOAT_EQ(squaredModulus(orbit.z), 5.0625f);
                EXPECT_FLOAT_EQ(orbit.dz2, 9.0f);
            }
            if (power.power == 5) {
                EXPECT_FLOAT_EQ(squaredModulus(orbit.z), 57.665039f);
                EXPECT_FLOAT_EQ(orbit.dz2, 640.72266f);
            }
        }
    }
}

TEST(JuliaIterationTest, RealAxisOrbitEscapesAtTheFourthStep)
{
    const JuliaSlice slice = prepareSlice(classicParams({0.5f, 0.0f, 0.0f, 0.0f}, 10));
    const std::array<float, 4> orbitValues{0.75f, 1.0625f, 1.6289063f, 3.1533356f};
    for (std::int32_t count = 1; count <= 4; ++count) {
        const Orbit fixed = iterateFixed<2>({0.5f, 0.0f, 0.0f, 0.0f}, count, slice.rotation);
        EXPECT_FLOAT_EQ(fixed.z.x, orbitValues[static_cast<std::size_t>(count - 1)]) << count;
        EXPECT_EQ(fixed.steps, count);
    }

    const Orbit escaped = iterateWithEscape<2>({0.5f, 0.0f, 0.0f}, slice);
    EXPECT_EQ(escaped.steps, 4);
    EXPECT_FLOAT_EQ(squaredModulus(escaped.z), 9.943525f);
    EXPECT_FLOAT_EQ(escaped.dz2, 107.83321f);
    EXPECT_NEAR(distanceEstimate(escaped), 0.17437f, 5e-5f);
}

TEST(JuliaIterationTest, CapAndEscapeBoundaries)
{
    const Vector3 point{0.5f, -0.25f, 0.125f};
    for (const std::int32_t cap : {0, -3}) {
        FractalParams params = classicParams({0.5f, 0.0f, 0.0f, 0.0f}, cap);
        params.hyperplaneW = 0.75f;
        const Orbit orbit = iterateWithEscape<3>(point, prepareSlice(params));
        EXPECT_EQ(orbit.steps, 0);
        EXPECT_EQ(orbit.dz2, 1.0f);
        expectQuaternionNear(orbit.z, {0.5f, -0.25f, 0.125f, 0.75f}, 0.0f);
        const float m = squaredModulus(orbit.z);
        EXPECT_FLOAT_EQ(distanceEstimate(orbit), 0.25f * std::sqrt(m) * std::log(m));
    }

    // Inside the unit ball after one step, yet a cap of 1 stops there.
    const Orbit oneStep = iterateWithEscape<2>(point, prepareSlice(classicParams({0.1f, 0.0f, 0.0f, 0.0f}, 1)));
    EXPECT_EQ(oneStep.steps, 1);
    EXPECT_LT(squaredModulus(oneStep.z), 1.0f);
    EXPECT_LT(distanceEstimate(oneStep), 0.0f);

    // 0 -> 2 (|z|^2 exactly 4 goes on) -> 6 escapes; a NaN never escapes.
    const JuliaSlice slice = prepareSlice(classicParams({2.0f, 0.0f, 0.0f, 0.0f}, 10));
    const Orbit orbit = iterateWithEscape<2>({0.0f, 0.0f, 0.0f}, slice);
    EXPECT_EQ(orbit.steps, 2);
    EXPECT_FLOAT_EQ(orbit.z.x, 6.0f);
    EXPECT_EQ(iterateWithEscape<5>({std::numeric_limits<float>::quiet_NaN(), 0.0f, 0.0f}, slice).steps, 10);
}

TEST(JuliaIterationTest, ShortOrZeroDirectionOrZeroAngleLeavesTheMapClassic)
{
    const Quaternion constant{0.3f, -0.2f, 0.1f, 0.4f};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        Vector3 direction;
        float angle;
    };
    // The second direction is exactly epsilon long: only a longer one counts.
    const std::array<Case, 5> cases{{{{0.0f, 0.0f, 0.0f}, 1.0f},
                                     {{0.001f, 0.0f, 0.0f}, 1.0f},
                                     {{0.0f, 0.0005f, 0.0005f}, 2.0f},
                                     {{nan, 0.0f, 1.0f}, 1.0f},
                                     {{5.0f, -3.0f, 2.0f}, 0.0f}}};
    for (const Case& c : cases) {
        FractalParams params = classicParams(constant, 16);
        params.epsilon = 0.001f;
        params.direction = c.direction;
        params.angle = c.angle;
        const JuliaRotation rotation = prepareRotation(params);
        expectQuaternionNear(rotation.q, {1.0f, 0.0f, 0.0f, 0.0f}, 0.0f);
        expectQuaternionNear(rotation.k, constant, 0.0f);
    }
}

TEST(JuliaIterationTest, RotationUsesTheWholeAngleAndRotatesTheConstant)
{
    FractalParams params = classicParams({0.3f, -0.2f, 0.1f, 0.4f}, 16);
    params.direction = {1.0f, 2.0f, 2.0f};
    params.angle = 0.7f;
    const JuliaRotation rotation = prepareRotation(params);

    const float c = std::cos(0.7f);
    const float s = std::sin(0.7f) / 3.0f;
    const Quaternion r{c, s, 2.0f * s, 2.0f * s};
    expectQuaternionNear(rotation.q, {c, -s, -2.0f * s, -2.0f * s}, 1e-6f);
    expectQuaternionNear(rotation.k, hamiltonProduct(r, params.constant), 1e-6f);

    // One step is q * z^2 + k, with q on the left.
    const Quaternion z{0.2f, 0.5f, -0.3f, 0.1f};
    const Orbit orbit = iterateFixed<2>(z, 1, rotation);
    expectQuaternionNear(orbit.z, hamiltonProduct(rotation.q, hamiltonProduct(z, z)) + rotation.k, 1e-6f);
}

TEST(JuliaIterationTest, PowersAndDerivativeMatchThePolarForm)
{
    const Quaternion z{0.3f, -0.4f, 0.5f, 0.2f};
    const Quaternion constant{0.1f, 0.2f, -0.3f, 0.05f};
    const JuliaRotation classic = prepareRotation(classicParams(constant, 16));
    const float m = squaredModulus(z);
    for (const PowerCase& power : kPowers) {
        SCOPED_TRACE(power.power);
        const Orbit orbit = power.fixed(z, 1, classic);
        expectQuaternionNear(orbit.z, polarPower(z, power.power) + constant, 1e-6f);
        const auto n = static_cast<float>(power.power);
        EXPECT_FLOAT_EQ(orbit.dz2, std::pow(m, n - 1.0f) * n * n);
    }
}

}  // namespace
}  // namespace tessaform
