#include "render/ParallelPasses.h"

#include <gtest/gtest.h>
#include <tbb/task_arena.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/Renderer.h"
#include "render/ScalarTracer.h"
#include "support/RecordingObserver.h"
#include "support/RenderToPixels.h"

namespace tessaform {
namespace {

std::vector<std::uint32_t> parallelImage(const FractalParams& params, const Gradient& gradient, int width, int height,
                                         int threads, RecordingObserver& observer, bool* finished = nullptr)
{
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * height), kUnwritten);
    observer.image = &pixels;
    const ScalarTracer<3> tracer(params, gradient, width, height);  // callers render power 3
    const PixelImage image{pixels.data(), width, height};
    ParallelPasses passes(tracer, image, observer);
    tbb::task_arena arena(threads);
    const bool done = arena.execute([&] { return passes.run(); });
    if (finished != nullptr) {
        *finished = done;
    }
    return pixels;
}

// Black and white stripes make nearly every surface pixel an edge, so
// smoothing a pixel often turns its right or lower neighbour into an edge
// that was not one by first-pass values.
Gradient stripedGradient()
{
    std::vector<std::uint8_t> rgb;
    for (int i = 0; i < 32; ++i) {
        const std::uint8_t level = i % 2 == 0 ? 0 : 255;
        rgb.insert(rgb.end(), {level, level, level});
    }
    return gradientFromRgbBytes(rgb);
}

struct Scene {
    const char* name;
    FractalParams params;
};

std::vector<Scene> scenes()
{
    FractalParams rotated = defaultParams();
    rotated.direction = {0.3f, 0.5f, 0.8f};
    rotated.angle = 0.7f;
    rotated.theta = 0.4f;
    FractalParams ball = defaultParams();
    ball.iterations = 0;
    return {{"default", defaultParams()}, {"rotated", rotated}, {"ball", ball}};
}

TEST(ParallelPassesTest, ImageIsExactlyTheSequentialOneForAnyThreadCountAndSize)
{
    struct Size {
        int width;
        int height;
    };
    const Gradient striped = stripedGradient();
    for (const Scene& scene : scenes()) {
        FractalParams params = scene.params;
        params.power = 3;
        for (const Gradient* gradient : {&neutralGradient(), &striped}) {
            for (const Size size : {Size{61, 47}, Size{3, 3}, Size{1, 5}, Size{5, 1}, Size{2, 2}}) {
                const auto expected = renderPixels(params, *gradient, size.width, size.height, kReference);
                for (const int threads : {1, 2, 4}) {
                    RecordingObserver observer;
                    EXPECT_EQ(parallelImage(params, *gradient, size.width, size.height, threads, observer), expected)
                        << scene.name << " " << size.width << " x " << size.height << ", " << threads << " threads";
                }
            }
        }
    }
}

constexpr int kReportWidth = 40;
constexpr int kReportHeight = 420;  // several bands of each pass

// A finished first-pass row is fully written; a finished anti-alias row
// already holds its final pixels.
void expectReportedRowsDone(const RecordingObserver& observer, const std::vector<std::uint32_t>& expected)
{
    for (std::size_t i = 0; i < observer.rows.size(); ++i) {
        const RowReport& report = observer.rows[i];
        const auto begin = static_cast<std::size_t>(report.row * kReportWidth);
        for (std::size_t index = begin; index < begin + kReportWidth; ++index) {
            const std::uint32_t shown = observer.imageAtReport[i][index];
            EXPECT_NE(shown, kUnwritten) << "row " << report.row;
            if (report.pass == RenderPass::AntiAlias) {
                EXPECT_EQ(shown, expected[index]) << "row " << report.row;
            }
        }
    }
}

FractalParams reportScene()
{
    FractalParams params = defaultParams();
    params.power = 3;
    return params;
}

TEST(ParallelPassesTest, ReportsEveryRowInOrderOnlyOnceItIsFinal)
{
    const auto expected = renderPixels(reportScene(), stripedGradient(), kReportWidth, kReportHeight, kReference);
    RecordingObserver observer;
    const auto pixels = parallelImage(reportScene(), stripedGradient(), kReportWidth, kReportHeight, 2, observer);
    ASSERT_EQ(pixels, expected);
    ASSERT_EQ(observer.rows.size(), static_cast<std::size_t>(2 * kReportHeight - 2));
    for (std::size_t i = 0; i < observer.rows.size(); ++i) {
        const bool first = i < static_cast<std::size_t>(kReportHeight);
        EXPECT_EQ(observer.rows[i].pass, first ? RenderPass::First : RenderPass::AntiAlias) << i;
        EXPECT_EQ(observer.rows[i].row, first ? static_cast<int>(i) : static_cast<int>(i) - kReportHeight + 1) << i;
    }
    expectReportedRowsDone(observer, expected);
}

// The next band's grids are traced while a band is decided: a stop that
// lands in either still leaves every reported row final.
TEST(ParallelPassesTest, AbandonInTheAntiAliasPassLeavesReportedRowsFinal)
{
    const auto expected = renderPixels(reportScene(), stripedGradient(), kReportWidth, kReportHeight, kReference);
    for (const long allowed : {0L, 5L, 60L}) {
        RecordingObserver observer;
        observer.antiAliasAllowed = allowed;
        bool finished = true;
        parallelImage(reportScene(), stripedGradient(), kReportWidth, kReportHeight, 2, observer, &finished);
        EXPECT_FALSE(finished) << allowed;
        EXPECT_LT(observer.rows.size(), static_cast<std::size_t>(2 * kReportHeight - 2)) << allowed;
        expectReportedRowsDone(observer, expected);
    }
}

TEST(ParallelPassesTest, AbandonStopsWithinABandAndLeavesFinishedRowsIntact)
{
    constexpr int kWidth = 64;
    constexpr int kHeight = 600;
    for (const int allowed : {0, 3, 20}) {
        RecordingObserver observer;
        observer.checksAllowed = allowed;
        bool finished = true;
        const auto pixels = parallelImage(defaultParams(), neutralGradient(), kWidth, kHeight, 2, observer, &finished);
        EXPECT_FALSE(finished) << allowed;
        std::size_t written = 0;
        for (const std::uint32_t pixel : pixels) {
            written += pixel != kUnwritten ? 1 : 0;
        }
        EXPECT_LT(written, pixels.size()) << allowed;
        for (const auto& row : observer.rows) {
            EXPECT_EQ(row.pass, RenderPass::First);
        }
    }
}

}  // namespace
}  // namespace tessaform
