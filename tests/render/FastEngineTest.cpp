#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/Quantize.h"
#include "render/Renderer.h"
#include "render/SimdTracer.h"
#include "support/RecordingObserver.h"
#include "support/RenderToPixels.h"

namespace tessaform {
namespace {

// 64 entries, red falling and blue rising all the way, so that an index
// off by one shifts the mean colour; green swings to and fro.
const Gradient& paletteGradient()
{
    static const Gradient gradient = [] {
        std::vector<std::uint8_t> rgb;
        for (int i = 0; i < 64; ++i) {
            rgb.push_back(static_cast<std::uint8_t>(255 - i * 4));
            rgb.push_back(static_cast<std::uint8_t>(128.0 + 110.0 * std::sin(i * 0.3)));
            rgb.push_back(static_cast<std::uint8_t>(40 + i * 3));
        }
        return gradientFromRgbBytes(rgb);
    }();
    return gradient;
}

// How far the fast engine's image strays from the reference's, in colour
// levels of fast minus reference.
struct Agreement {
    double withinEight = 0.0;           // fraction of pixels within 8 levels in every channel
    std::array<double, 3> meanShift{};  // red, green, blue
    int maxDifference = 0;

    std::string describe() const
    {
        char text[160];
        std::snprintf(text, sizeof text, "%.3f%% within 8, mean shift %+.4f %+.4f %+.4f, max %d", withinEight * 100.0,
                      meanShift[0], meanShift[1], meanShift[2], maxDifference);
        return text;
    }
};

Agreement compare(const std::vector<std::uint32_t>& fast, const std::vector<std::uint32_t>& reference)
{
    Agreement agreement;
    std::array<long, 3> sums{};
    long within = 0;
    for (std::size_t i = 0; i < fast.size(); ++i) {
        int worst = 0;
        for (int channel = 0; channel < 3; ++channel) {
            const int shift = 16 - 8 * channel;
            const int difference =
                static_cast<int>((fast[i] >> shift) & 0xFF) - static_cast<int>((reference[i] >> shift) & 0xFF);
            sums[static_cast<std::size_t>(channel)] += difference;
            worst = std::max(worst, std::abs(difference));
        }
        within += worst <= 8 ? 1 : 0;
        agreement.maxDifference = std::max(agreement.maxDifference, worst);
    }
    const auto count = static_cast<double>(fast.size());
    agreement.withinEight = static_cast<double>(within) / count;
    for (std::size_t channel = 0; channel < 3; ++channel) {
        agreement.meanShift[channel] = static_cast<double>(sums[channel]) / count;
    }
    return agreement;
}

// Typical at 80 x 60: 99.9% to 100% of pixels within 8 levels, mean shifts
// under 0.01 levels, and the odd pixel up to 25 levels off where a ray
// grazes the surface. A gradient index off by one shifts the mean by over a
// level; a wrong formula or lane mix-up fails both bounds by far.
void expectAgreement(const Agreement& agreement, double minWithinEight = 0.99)
{
    EXPECT_GE(agreement.withinEight, minWithinEight) << agreement.describe();
    for (const double shift : agreement.meanShift) {
        EXPECT_LE(std::abs(shift), 0.5) << agreement.describe();
    }
}

constexpr int kWidth = 80;
constexpr int kHeight = 60;

// The mean of each whole block x block square of an image.
std::vector<std::uint32_t> blockMeans(const std::vector<std::uint32_t>& image, int width, int height, int block)
{
    std::vector<std::uint32_t> means;
    for (int top = 0; top + block <= height; top += block) {
        for (int left = 0; left + block <= width; left += block) {
            std::uint32_t mean = 0;
            for (int shift = 0; shift <= 16; shift += 8) {
                int sum = 0;
                for (int row = top; row < top + block; ++row) {
                    for (int column = left; column < left + block; ++column) {
                        sum +=
                            static_cast<int>((image[static_cast<std::size_t>(row * width + column)] >> shift) & 0xFF);
                    }
                }
                mean |= static_cast<std::uint32_t>(sum / (block * block)) << shift;
            }
            means.push_back(mean);
        }
    }
    return means;
}

// Bundled rays reach the surface by another path than the reference's, so
// each ends at another point within the tolerance of it; where the
// escape count changes within that stretch, so does the normal, and up to
// 9 % of pixels differ by more than 8 levels (a reference ray starting 1 %
// of its first step later moves 1.5 % of hit samples that far). That speckle
// averages out over 4 x 4 blocks, where a wrong formula, a lane mix-up or a
// walk that steps past the surface does not.
void expectBundledAgreement(const std::vector<std::uint32_t>& fast, const std::vector<std::uint32_t>& reference)
{
    const Agreement pixels = compare(fast, reference);
    EXPECT_GE(pixels.withinEight, 0.9) << pixels.describe();
    for (const double shift : pixels.meanShift) {
        EXPECT_LE(std::abs(shift), 0.5) << pixels.describe();
    }
    const Agreement blocks = compare(blockMeans(fast, kWidth, kHeight, 4), blockMeans(reference, kWidth, kHeight, 4));
    EXPECT_GE(blocks.withinEight, 0.99) << blocks.describe();
}

struct Scene {
    const char* name;
    FractalParams params;
    bool palette = false;
    double minWithinEight = 0.99;

    const Gradient& gradient() const { return palette ? paletteGradient() : neutralGradient(); }
};

// The default direction with angle 0 is the identity: no rotation at all.
FractalParams rotated(int power, float angle)
{
    FractalParams params = defaultParams();
    params.power = power;
    params.direction = {0.3f, 0.5f, 0.8f};
    params.angle = angle;
    return params;
}

std::vector<Scene> scenes()
{
    std::vector<Scene> list;
    const auto add = [&](const char* name, FractalParams params, bool palette = false, double minWithin = 0.99) {
        list.push_back({name, params, palette, minWithin});
    };
    add("Power2Default", defaultParams());
    add("Power2Rotated", rotated(2, 1.2f));
    add("Power3Rotated", rotated(3, 0.7f));
    FractalParams params = rotated(4, 0.7f);
    params.hyperplaneW = 0.15f;
    add("Power4RotatedOffsetSlice", params);
    params = rotated(5, 0.4f);
    params.constant = {-0.5f, 0.6f, 0.1f, -0.05f};
    add("Power5Rotated", params);
    // A zero direction is no axis: no rotation, whatever the angle.
    params = defaultParams();
    params.power = 3;
    params.direction = {0.0f, 0.0f, 0.0f};
    params.angle = 1.3f;
    add("Power3ZeroDirection", params);
    params.power = 4;
    add("Power4ZeroDirection", params);
    params = defaultParams();
    params.iterations = 0;  // a ball
    add("CapZero", params);
    params.iterations = 80;
    add("Cap80", params);
    params = rotated(3, 0.7f);
    params.epsilon = 0.05f;
    add("CoarseEpsilon", params);
    params = rotated(2, 1.2f);
    params.epsilon = 1e-4f;
    add("SmallEpsilon", params);
    // The normal's offsets are a tenth of the tolerance, 1e-6, only a few
    // ulps of coordinates near 1, so rounding alone decides many normals:
    // nudging the camera distance by one ulp leaves 97.3% to 97.7% of the
    // reference's own pixels within 8 levels. No engine can do better.
    params = defaultParams();
    params.epsilon = 1e-5f;
    add("FineEpsilon", params, false, 0.95);
    params = defaultParams();
    params.theta = 1.1f;
    params.phi = 0.4f;
    params.distance = 3.0f;
    params.lateralShift = 0.3f;
    params.verticalShift = -0.25f;
    add("ShiftedCamera", params);
    params = rotated(4, 0.7f);
    params.theta = -2.5f;
    params.phi = 2.0f;
    params.distance = 6.0f;
    params.verticalShift = 0.2f;
    add("FarCameraRotated", params);
    params = rotated(5, 0.7f);
    params.background = {0.9f, 0.2f, 0.1f};
    params.light = {0.5f, -1.0f, 0.3f};
    params.specular = 3.0f;
    params.intensity = 0.8f;
    add("PaletteRedBackground", params, true);
    params = defaultParams();
    params.background = {0.0f, 0.3f, 0.15f};
    params.specular = 0.0f;  // the same highlight everywhere
    params.intensity = 0.1f;
    add("PaletteFlatHighlight", params, true);
    params = defaultParams();
    params.shadow = 1.0f;
    add("HardShadow", params);
    params.shadowSoftness = 4.0f;
    add("SoftShadow", params);
    params = rotated(3, 0.7f);
    params.occlusion = 1.0f;
    add("Occlusion", params, true);
    params = defaultParams();
    params.fog = 0.4f;
    add("Fog", params);
    params = rotated(5, 0.4f);
    params.light = {0.5f, -1.0f, 0.3f};
    params.shadow = 0.8f;
    params.shadowSoftness = 1.0f;
    params.occlusion = 0.7f;
    params.occlusionRadius = 0.2f;
    params.fog = 0.2f;
    add("AllLooks", params, true);
    return list;
}

const Scene& sceneNamed(const std::string& name)
{
    static const std::vector<Scene> all = scenes();
    return *std::find_if(all.begin(), all.end(), [&](const Scene& s) { return name == s.name; });
}

double surfaceFraction(const std::vector<std::uint32_t>& image, const FractalParams& params)
{
    const auto background = std::count(image.begin(), image.end(), quantizeColour(params.background));
    return 1.0 - static_cast<double>(background) / static_cast<double>(image.size());
}

void PrintTo(const Scene& scene, std::ostream* out)
{
    *out << scene.name;
}

class FastEngineAgreement : public ::testing::TestWithParam<Scene> {};

constexpr RenderSettings kFastAlone{RenderEngine::Fast, 0, {}, RayWalk::Alone};

TEST_P(FastEngineAgreement, MatchesTheReference)
{
    const Scene& scene = GetParam();
    const auto reference = renderPixels(scene.params, scene.gradient(), kWidth, kHeight, kReference);
    // A scene that barely shows the set would agree trivially.
    ASSERT_GT(surfaceFraction(reference, scene.params), 0.1);
    expectAgreement(compare(renderPixels(scene.params, scene.gradient(), kWidth, kHeight, kFastAlone), reference),
                    scene.minWithinEight);
    expectBundledAgreement(renderPixels(scene.params, scene.gradient(), kWidth, kHeight, kFast), reference);
}

INSTANTIATE_TEST_SUITE_P(Scenes, FastEngineAgreement, ::testing::ValuesIn(scenes()),
                         [](const ::testing::TestParamInfo<Scene>& info) { return info.param.name; });

// An instruction set of availableSimdTargets(), by its name.
SimdTarget targetNamed(const std::string& name)
{
    const std::optional<SimdTarget> target = SimdTarget::named(name);
    EXPECT_TRUE(target) << name;
    return target.value_or(SimdTarget());
}

TEST(FastEngineTest, EveryInstructionSetMatchesTheReference)
{
    const std::vector<std::string> targets = availableSimdTargets();
    ASSERT_FALSE(targets.empty());
    EXPECT_EQ(SimdTarget().name(), targets.front());
    EXPECT_FALSE(SimdTarget::named("no-such-target"));

    std::vector<const Scene*> checked;
    std::vector<std::vector<std::uint32_t>> references;
    for (const char* name :
         {"Power2Default", "Power5Rotated", "PaletteFlatHighlight", "HardShadow", "Occlusion", "Fog", "AllLooks"}) {
        checked.push_back(&sceneNamed(name));
        references.push_back(
            renderPixels(checked.back()->params, checked.back()->gradient(), kWidth, kHeight, kReference));
    }
    for (const std::string& target : targets) {
        const RenderSettings alone{RenderEngine::Fast, 0, targetNamed(target), RayWalk::Alone};
        const RenderSettings bundled{RenderEngine::Fast, 0, targetNamed(target)};
        for (std::size_t i = 0; i < checked.size(); ++i) {
            SCOPED_TRACE(target + ", " + checked[i]->name);
            const Scene& scene = *checked[i];
            expectAgreement(
                compare(renderPixels(scene.params, scene.gradient(), kWidth, kHeight, alone), references[i]));
            expectBundledAgreement(renderPixels(scene.params, scene.gradient(), kWidth, kHeight, bundled),
                                   references[i]);
        }
    }
}

// Choosing an instruction set for one render leaves every other render,
// even one running at the same time, on its own.
TEST(FastEngineTest, RendersOnDifferentInstructionSetsRunSideBySide)
{
    const Scene& scene = sceneNamed("Power5Rotated");
    const std::vector<std::string> targets = availableSimdTargets();
    std::vector<SimdTracer> tracers;
    std::vector<std::vector<std::uint32_t>> alone;
    for (const std::string& target : targets) {
        tracers.emplace_back(scene.params, scene.gradient(), kWidth, kHeight, targetNamed(target));
        alone.push_back(renderPixels(scene.params, scene.gradient(), kWidth, kHeight,
                                     {RenderEngine::Fast, 1, targetNamed(target)}));
    }
    for (std::size_t i = 0; i < targets.size(); ++i) {
        EXPECT_EQ(tracers[i].instructionSet(), targets[i]);
    }

    std::vector<std::vector<std::uint32_t>> together(targets.size());
    std::vector<std::thread> renders;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        renders.emplace_back([&, i] {
            const RenderSettings settings{RenderEngine::Fast, 1, targetNamed(targets[i])};
            together[i] = renderPixels(scene.params, scene.gradient(), kWidth, kHeight, settings);
        });
    }
    for (std::thread& render : renders) {
        render.join();
    }
    for (std::size_t i = 0; i < targets.size(); ++i) {
        EXPECT_EQ(together[i], alone[i]) << targets[i];
    }
}

// Wide enough for several first-pass bands and two anti-alias bands, so
// that band seams are crossed.
constexpr int kWideWidth = 1100;
constexpr int kWideHeight = 64;

TEST(FastEngineTest, ThreadCountNeverChangesAPixel)
{
    const Scene& scene = sceneNamed("Power4RotatedOffsetSlice");
    const auto single = renderPixels(scene.params, scene.gradient(), kWideWidth, kWideHeight, {RenderEngine::Fast, 1});
    // More threads than the machine has, up to the largest count, act as
    // every core.
    for (const unsigned threads : {0u, 3u, 100000u, 4294967295u}) {
        EXPECT_EQ(renderPixels(scene.params, scene.gradient(), kWideWidth, kWideHeight, {RenderEngine::Fast, threads}),
                  single)
            << threads << " threads";
    }
}

TEST(FastEngineTest, ReportsEveryRowOnceInOrder)
{
    struct Size {
        int width;
        int height;
    };
    // Rows without pixels, no anti-alias rows, and two first-pass bands.
    for (const Size size : {Size{1, 1}, Size{1, 6}, Size{6, 1}, Size{2, 2}, Size{3, 3}, Size{1, 3}, Size{2, 5},
                            Size{9, 7}, Size{4096, 7}}) {
        RecordingObserver observer;
        const Rendered image = render(defaultParams(), neutralGradient(), size.width, size.height, kFast, observer);
        EXPECT_EQ(image.outcome, RenderOutcome::Completed);
        EXPECT_EQ(std::count(image.pixels.begin(), image.pixels.end(), kUnwritten), 0);
        std::vector<RowReport> expected;
        for (int row = 0; row < size.height; ++row) {
            expected.push_back({RenderPass::First, row, size.height});
        }
        for (int row = 1; row <= size.height - 2; ++row) {
            expected.push_back({RenderPass::AntiAlias, row, size.height});
        }
        EXPECT_EQ(observer.rows, expected) << size.width << " x " << size.height;
        EXPECT_EQ(observer.overlappingReports.load(), 0);
    }
}

// Every batch traced follows a "go on" from the observer, so an image that
// is stopped early may hold at most one batch per go-ahead, and every row
// reported finished is whole.
TEST(FastEngineTest, AbandoningStopsWithinABatchPerGoAhead)
{
    constexpr int kWideW = 512;
    constexpr int kTallH = 384;
    for (const long allowed : {0L, 1L, 9L, 100L}) {
        RecordingObserver observer;
        observer.firstPassAllowed = allowed;
        const Rendered image = render(defaultParams(), neutralGradient(), kWideW, kTallH, kFast, observer);
        EXPECT_EQ(image.outcome, RenderOutcome::Abandoned) << allowed;
        const auto written = image.pixels.size() -
                             static_cast<std::size_t>(std::count(image.pixels.begin(), image.pixels.end(), kUnwritten));
        EXPECT_LE(written, static_cast<std::size_t>(allowed) * BatchTracer::kMaxBatch) << allowed;
        for (const auto& [pass, row, height] : observer.rows) {
            EXPECT_EQ(pass, RenderPass::First);
            const auto begin = image.pixels.begin() + static_cast<std::ptrdiff_t>(row) * kWideW;
            EXPECT_EQ(std::count(begin, begin + kWideW, kUnwritten), 0) << allowed << ": row " << row;
        }
    }
}

TEST(FastEngineTest, StoppingInTheAntiAliasPassLeavesAWholeFirstPassImage)
{
    const Scene& scene = sceneNamed("Power4RotatedOffsetSlice");
    const auto full = renderPixels(scene.params, scene.gradient(), kWidth, kHeight, kFast);
    for (const long allowed : {0L, 5L}) {
        RecordingObserver observer;
        observer.antiAliasAllowed = allowed;
        const Rendered image = render(scene.params, scene.gradient(), kWidth, kHeight, kFast, observer);
        EXPECT_EQ(image.outcome, RenderOutcome::Abandoned) << allowed;
        EXPECT_EQ(std::count(image.pixels.begin(), image.pixels.end(), kUnwritten), 0) << allowed;
        EXPECT_NE(image.pixels, full) << allowed;
        for (int row = 0; row < kHeight; ++row) {
            for (int column = 0; column < kWidth; ++column) {
                if (row == 0 || row == kHeight - 1 || column == 0 || column == kWidth - 1) {
                    const auto index = static_cast<std::size_t>(row * kWidth + column);
                    ASSERT_EQ(image.pixels[index], full[index]) << column << ", " << row;
                }
            }
        }
    }
}

}  // namespace
}  // namespace tessaform
