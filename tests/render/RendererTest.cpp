#include "render/Renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <limits>
#include <set>
#include <vector>

#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/Camera.h"
#include "render/EdgeTest.h"
#include "render/Quantize.h"
#include "render/RayMarch.h"
#include "render/Shading.h"
#include "support/RecordingObserver.h"
#include "support/RenderToPixels.h"

namespace tessaform {
namespace {

Rendered render(const FractalParams& params, int width, int height, RecordingObserver& observer,
                const Gradient& gradient = neutralGradient())
{
    return render(params, gradient, width, height, kReference, observer);
}

Rendered render(const FractalParams& params, int width, int height)
{
    RecordingObserver observer;
    return render(params, width, height, observer);
}

// Every ray misses: cap 0 leaves only a ball, and a slice at w = 5 cuts none.
FractalParams emptyScene()
{
    FractalParams params = defaultParams();
    params.iterations = 0;
    params.hyperplaneW = 5.0f;
    return params;
}

TEST(RendererTest, QuantizingTruncatesAndClamps)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::array<float, 9> channels{1.0f, 0.5f, 0.999f, 0.0f, -0.5f, -inf, nan, inf, 300.0f};
    const std::array<std::uint32_t, 9> bytes{255, 127, 254, 0, 0, 0, 0, 255, 255};
    for (std::size_t i = 0; i < channels.size(); ++i) {
        EXPECT_EQ(quantizeChannel(channels[i]), bytes[i]) << channels[i];
    }
    EXPECT_EQ(quantizeColour({1.0f, 0.5f, 0.0f}), 0xFF7F00u);
}

// A row's edges marked at once agree with the pixel's own test, across a
// row long enough for the marking's vector loop.
TEST(RendererTest, EdgeNeedsASquaredDistanceAbove1024)
{
    const struct {
        std::uint32_t pixel;
        std::uint32_t neighbour;
        bool edge;
    } cases[] = {
        {0x405060u, 0x605060u, false},  // red differs by 32: exactly 1024
        {0x405060u, 0x605061u, true},   // and blue by 1: 1025
        {0x405060u, 0x401060u, true},   // green differs by 64
        {0x405060u, 0x615060u, true},   // red by 33 alone
        {0x000000u, 0xFFFFFFu, true},   // every channel by 255
        {0xFFFFFFu, 0x000000u, true},
    };
    constexpr int kWidth = 40;
    constexpr int kColumn = 17;
    for (const auto& test : cases) {
        const std::array<std::array<int, 2>, 4> positions{
            {{kColumn - 1, 1}, {kColumn + 1, 1}, {kColumn, 0}, {kColumn, 2}}};
        for (const auto [column, row] : positions) {
            std::vector<std::uint32_t> pixels(3 * kWidth, test.pixel);
            const PixelImage image{pixels.data(), kWidth, 3};
            image.at(column, row) = test.neighbour;
            EXPECT_EQ(isEdgePixel(image, kColumn, 1), test.edge) << std::hex << test.neighbour << " at " << column;
            std::vector<std::uint8_t> marks(kWidth);
            markEdgePixels(&image.at(0, 0), &image.at(0, 1), &image.at(0, 2), kWidth, marks.data());
            for (int c = 1; c <= kWidth - 2; ++c) {
                EXPECT_EQ(marks[static_cast<std::size_t>(c)] != 0, isEdgePixel(image, c, 1))
                    << std::hex << test.neighbour << " at " << std::dec << column << ", column " << c;
            }
        }
    }
}

TEST(RendererTest, ReportsEveryRowOfThePassesThatRun)
{
    struct Case {
        int width;
        int height;
    };
    // Heights 1 and 2 have no anti-alias rows; widths 1 and 2 have rows
    // without pixels.
    for (const Case& c : {Case{4, 1}, Case{4, 2}, Case{1, 4}, Case{2, 5}, Case{5, 6}}) {
        RecordingObserver observer;
        const Rendered image = render(emptyScene(), c.width, c.height, observer);
        EXPECT_EQ(image.outcome, RenderOutcome::Completed);
        // A flat image: nothing is an edge, so the anti-alias pass changes nothing.
        EXPECT_EQ(std::count(image.pixels.begin(), image.pixels.end(), quantizeColour(emptyScene().background)),
                  c.width * c.height);
        std::vector<RowReport> expected;
        for (int row = 0; row < c.height; ++row) {
            expected.push_back({RenderPass::First, row, c.height});
        }
        for (int row = 1; row <= c.height - 2; ++row) {
            expected.push_back({RenderPass::AntiAlias, row, c.height});
        }
        EXPECT_EQ(observer.rows, expected) << c.width << " x " << c.height;
        EXPECT_EQ(observer.firstPassChecks.load(), c.width * c.height);
        EXPECT_EQ(observer.antiAliasChecks.load(), c.width > 2 && c.height > 2 ? (c.width - 2) * (c.height - 2) : 0);
    }
    EXPECT_EQ(progressText(RenderPass::First, 0, 768), "First pass: 0 / 768");
    EXPECT_EQ(progressText(RenderPass::AntiAlias, 766, 768), "Anti-alias: 766 / 768");
}

TEST(RendererTest, DefaultSceneIsDeterministicAndAntiAliasingSparesTheBorder)
{
    const FractalParams params = defaultParams();
    const Rendered first = render(params, 64, 48);
    const Rendered second = render(params, 64, 48);
    ASSERT_EQ(first.outcome, RenderOutcome::Completed);
    EXPECT_EQ(first.pixels, second.pixels);
    EXPECT_GT(std::set<std::uint32_t>(first.pixels.begin(), first.pixels.end()).size(), 50u);

    RecordingObserver firstPassOnly;
    firstPassOnly.antiAliasAllowed = 0;
    const Rendered unsmoothed = render(params, 64, 48, firstPassOnly);
    EXPECT_EQ(unsmoothed.outcome, RenderOutcome::Abandoned);
    EXPECT_EQ(std::count(unsmoothed.pixels.begin(), unsmoothed.pixels.end(), kUnwritten), 0);
    EXPECT_NE(unsmoothed.pixels, first.pixels);
    for (int row = 0; row < 48; ++row) {
        for (int column = 0; column < 64; ++column) {
            if (row == 0 || row == 47 || column == 0 || column == 63) {
                const auto index = static_cast<std::size_t>(row * 64 + column);
                EXPECT_EQ(first.pixels[index], unsmoothed.pixels[index]) << column << ", " << row;
            }
        }
    }
}

constexpr int kSmoothWidth = 48;
constexpr int kSmoothHeight = 36;

// A smoothed pixel is the mean of its own first-pass colour and 15 traced
// samples of a 4 x 4 grid reaching half a pixel up and left, summed in that
// order.
std::uint32_t smoothedPixel(const FractalParams& params, std::uint32_t own, int column, int row)
{
    const Camera camera = setupCamera(params, kSmoothWidth, kSmoothHeight);
    const MarchSettings march = prepareMarch(params);
    Colour sum{static_cast<float>(own >> 16) * kByteToUnit, static_cast<float>((own >> 8) & 0xFF) * kByteToUnit,
               static_cast<float>(own & 0xFF) * kByteToUnit};
    for (const float dy : {-0.5f, -0.25f, 0.0f, 0.25f}) {
        for (const float dx : {-0.5f, -0.25f, 0.0f, 0.25f}) {
            if (dx == 0.0f && dy == 0.0f) {
                continue;
            }
            const Vector3 direction =
                primaryRayDirection(camera, static_cast<float>(column) + dx, static_cast<float>(row) + dy);
            const SurfaceHit hit = marchSample<2>(camera.eye, direction, march);
            const Colour sample =
                hit.hit ? shadeHit(hit.point, hit.normal, camera.eye, params, neutralGradient()) : params.background;
            sum = {sum.r + sample.r, sum.g + sample.g, sum.b + sample.b};
        }
    }
    return quantizeColour({sum.r * 0.0625f, sum.g * 0.0625f, sum.b * 0.0625f});
}

TEST(RendererTest, ASmoothedPixelAveragesItsFirstPassColourWithFifteenSamples)
{
    const FractalParams params = defaultParams();
    RecordingObserver firstPassOnly;
    firstPassOnly.antiAliasAllowed = 0;
    const std::vector<std::uint32_t> firstPass = render(params, kSmoothWidth, kSmoothHeight, firstPassOnly).pixels;
    const std::vector<std::uint32_t> smoothed = render(params, kSmoothWidth, kSmoothHeight).pixels;
    int changed = 0;
    for (std::size_t index = 0; index < smoothed.size(); ++index) {
        if (smoothed[index] == firstPass[index]) {
            continue;
        }
        ++changed;
        const int column = static_cast<int>(index) % kSmoothWidth;
        const int row = static_cast<int>(index) / kSmoothWidth;
        EXPECT_EQ(smoothed[index], smoothedPixel(params, firstPass[index], column, row)) << column << ", " << row;
    }
    EXPECT_GT(changed, 20);
}

TEST(RendererTest, AbandoningStopsBetweenPixels)
{
    for (const int allowed : {0, 13, 40}) {
        RecordingObserver observer;
        observer.checksAllowed = allowed;
        const Rendered image = render(defaultParams(), 8, 6, observer);
        EXPECT_EQ(image.outcome, RenderOutcome::Abandoned);
        for (std::size_t index = 0; index < image.pixels.size(); ++index) {
            EXPECT_EQ(image.pixels[index] == kUnwritten, index >= static_cast<std::size_t>(allowed))
                << allowed << ": " << index;
        }
    }
}

TEST(RendererTest, AnEmptyGradientFallsBackToTheNeutralRamp)
{
    FractalParams params = defaultParams();
    params.iterations = 0;  // a unit ball fills the middle of the image
    RecordingObserver observer;
    const Rendered empty = render(params, 16, 12, observer, Gradient());
    const Rendered neutral = render(params, 16, 12);
    EXPECT_EQ(empty.outcome, RenderOutcome::Completed);
    EXPECT_EQ(empty.pixels, neutral.pixels);
    const std::uint32_t centre = empty.pixels[6 * 16 + 8];
    EXPECT_NE(centre, quantizeColour(params.background));
    EXPECT_NE(centre & 0xFFFFFFu, 0u);
}

TEST(RendererTest, UnsupportedPowerWritesNothing)
{
    for (const std::int32_t power : {-2, 0, 1, 6}) {
        FractalParams params = defaultParams();
        params.power = power;
        RecordingObserver observer;
        const Rendered image = render(params, 4, 4, observer);
        EXPECT_EQ(image.outcome, RenderOutcome::UnsupportedPower) << power;
        EXPECT_EQ(std::count(image.pixels.begin(), image.pixels.end(), kUnwritten), 16) << power;
        EXPECT_TRUE(observer.rows.empty()) << power;
    }
}

// A parameter file or --set can carry any value: a tolerance of zero, below
// zero or not a number, a camera a million units away or shifted by 1e30, a
// NaN constant, the light in the eye, any iteration count. Either engine
// must still end, and soon, not after a pathological march.
TEST(RendererTest, EveryPowerAndAnyValueFinishesPromptly)
{
    std::vector<FractalParams> cases(15, defaultParams());
    for (int power = 2; power <= 5; ++power) {
        cases[static_cast<std::size_t>(power - 2)].power = power;
    }
    cases[4].epsilon = 0.0f;
    cases[5].epsilon = -0.01f;
    cases[6].epsilon = std::numeric_limits<float>::quiet_NaN();
    cases[7].distance = 1e6f;
    cases[8].lateralShift = 1e30f;
    cases[9].constant.x = std::numeric_limits<float>::quiet_NaN();
    cases[10].light = setupCamera(cases[10], 8, 6).eye;
    cases[11].iterations = std::numeric_limits<std::int32_t>::max();
    cases[12].iterations = -5;
    cases[13].distance = 0.0f;  // the eye inside the set
    cases[14].specular = std::numeric_limits<float>::infinity();
    for (const FractalParams& params : cases) {
        for (const RenderEngine engine : {RenderEngine::Reference, RenderEngine::Fast}) {
            RecordingObserver observer;
            observer.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            std::vector<std::uint32_t> pixels(8 * 6, kUnwritten);
            EXPECT_EQ(renderImage(params, neutralGradient(), {pixels.data(), 8, 6}, observer, {engine, 1}),
                      RenderOutcome::Completed)
                << "power " << params.power << ", epsilon " << params.epsilon << ", distance " << params.distance
                << ", iterations " << params.iterations << ", engine " << static_cast<int>(engine);
            EXPECT_EQ(std::count(pixels.begin(), pixels.end(), kUnwritten), 0);
        }
    }
}

}  // namespace
}  // namespace tessaform
