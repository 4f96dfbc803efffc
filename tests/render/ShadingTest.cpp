#include "render/Shading.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/Quantize.h"

namespace tessaform {
namespace {

// Entry i is (i / 10, 0.5, 1 - i / 10), so a colour names its index.
Gradient indexedGradient(int count)
{
    std::vector<Colour> entries;
    for (int i = 0; i < count; ++i) {
        const float f = static_cast<float>(i) / 10.0f;
        entries.push_back({f, 0.5f, 1.0f - f});
    }
    return Gradient(std::move(entries));
}

FractalParams lightAt(Vector3 light, float specular, float intensity)
{
    FractalParams params = defaultParams();
    params.light = light;
    params.specular = specular;
    params.intensity = intensity;
    return params;
}

void expectColour(const Colour& actual, const Colour& expected)
{
    EXPECT_FLOAT_EQ(actual.r, expected.r);
    EXPECT_FLOAT_EQ(actual.g, expected.g);
    EXPECT_FLOAT_EQ(actual.b, expected.b);
}

// The eye looks along +z at a surface whose normal also points along +z
// (into the surface), so the view reflects straight back to -z.
const Vector3 kEye{0.0f, 0.0f, -4.0f};
const Vector3 kPoint{0.0f, 0.0f, -1.0f};
const Vector3 kNormal{0.0f, 0.0f, 1.0f};

TEST(ShadingTest, GradientIndexFollowsTheLightAngle)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float lightDotNormal;
        int count;
        int index;
    };
    const std::array<Case, 15> cases{{{-1.0f, 8, 0},
                                      {0.0f, 8, 4},
                                      {1.0f, 8, 7},
                                      {nan, 8, 0},
                                      {-0.99f, 8, 0},
                                      {-0.75f, 8, 1},
                                      {-0.7f, 8, 1},
                                      {0.5f, 8, 6},
                                      {0.999f, 8, 7},
                                      {1.5f, 8, 7},
                                      {inf, 8, 7},
                                      {0.0f, 5, 2},
                                      {-1.0f, 1, 0},
                                      {1.0f, 1, 0},
                                      {nan, 1, 0}}};
    for (const Case& c : cases) {
        EXPECT_EQ(gradientIndex(c.lightDotNormal, c.count), c.index) << c.lightDotNormal << " of " << c.count;
    }
}

TEST(ShadingTest, LightAnglePicksTheEntryAndTheReflectionTheHighlight)
{
    const Gradient gradient = indexedGradient(10);
    struct Case {
        Vector3 light;
        float specular;
        float intensity;
        int index;
        float highlight;
    };
    // In front of the surface L.N = -1 and L = R; behind it L.N = +1 and
    // L = -R (an odd exponent keeps the sign of L.R); to the side L.N = 0 and
    // L is perpendicular to R.
    const std::array<Case, 7> cases{{{{0.0f, 0.0f, -3.0f}, 20.0f, 0.0f, 0, 0.0f},
                                     {{0.0f, 0.0f, 3.0f}, 20.0f, 0.0f, 9, 0.0f},
                                     {{2.0f, 0.0f, -1.0f}, 20.0f, 0.0f, 5, 0.0f},
                                     {{0.0f, 0.0f, -3.0f}, 20.0f, 0.25f, 0, 0.25f},
                                     {{0.0f, 0.0f, 3.0f}, 7.0f, 0.25f, 9, 0.25f},
                                     {{2.0f, 0.0f, -1.0f}, 20.0f, 0.25f, 5, 0.0f},
                                     {{2.0f, 0.0f, -1.0f}, 0.0f, 0.25f, 5, 0.25f}}};
    for (const Case& c : cases) {
        const Colour& entry = gradient[c.index];
        expectColour(shadeHit(kPoint, kNormal, kEye, lightAt(c.light, c.specular, c.intensity), gradient),
                     {entry.r + c.highlight, entry.g + c.highlight, entry.b + c.highlight});
    }

    // An oblique surface: the view (0, 0, 1) reflects to (0, -1, 0).
    const float half = std::sqrt(0.5f);
    const Colour oblique =
        shadeHit({0.0f, 0.0f, 0.0f}, {0.0f, half, half}, kEye, lightAt({0.0f, -3.0f, 0.0f}, 7.0f, 0.5f), gradient);
    EXPECT_NEAR(oblique.r, gradient[1].r + 0.5f, 1e-5f);
    EXPECT_NEAR(oblique.g, gradient[1].g + 0.5f, 1e-5f);
}

TEST(ShadingTest, AStrongHighlightSaturatesToWhite)
{
    const Gradient dark(std::vector<Colour>{{0.1f, 0.0f, 0.2f}});
    for (const float intensity : {1.0f, 1.5f, 2.0f}) {
        const Colour colour = shadeHit(kPoint, kNormal, kEye, lightAt({0.0f, 0.0f, -3.0f}, 20.0f, intensity), dark);
        EXPECT_EQ(quantizeColour(colour), 0xFFFFFFu) << intensity;
    }
}

}  // namespace
}  // namespace tessaform
