#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <random>
#include <thread>
#include <vector>

#include "jobs/FrameBuffer.h"
#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/Renderer.h"
#include "session/FrameRenderer.h"
#include "session/RenderScheduler.h"
#include "session/SharedFrame.h"
#include "session/SharedParams.h"
#include "support/RenderToPixels.h"
#include "support/ScratchFolder.h"
#include "support/Watchdog.h"
#include "support/WatchedRenderer.h"

// The program's real render path under load: the scheduler driving the
// fast engine through FrameRenderer, with slider bursts and high-quality
// renders closed at random moments.
namespace tessaform {
namespace {

using namespace std::chrono_literals;

class SilentView : public RenderView {
public:
    void requestRepaint(RenderMode) override {}
    void showHighQualityTitle(const std::string&) override {}
    void previewFinished(const FractalParams&) override {}
};

// Records are compared as the scheduler compares them: byte for byte.
bool sameRecord(const FractalParams& a, const FractalParams& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

constexpr int kPreviewWidth = 48;
constexpr int kPreviewHeight = 36;
// Big enough that a render closed right after its launch cannot finish
// first.
constexpr int kHighQualityWidth = 128;
constexpr int kHighQualityHeight = 96;

class LoadAndTimingTest : public testing::Test {
protected:
    void SetUp() override { renderer_.setPreviewFrame(preview_); }

    void TearDown() override
    {
        underWatchdog("the scheduler to shut down", [this] { scheduler_.shutdown(); });
        EXPECT_EQ(watched_.mostAtOnce(), 1) << "two renders drew at once";
    }

    // What the dialog does for one slider step: write, compare, request.
    void moveSlider(int step)
    {
        params_.editLive(
            [step](FractalParams& params) { params.constant.x = -0.6f + 0.0001f * static_cast<float>(step); });
        if (params_.liveDiffersFromSnapshot()) {
            scheduler_.requestRender();
        }
    }

    bool waitUntilIdle() { return scheduler_.waitUntilIdle(60s); }

    std::vector<std::uint32_t> shownPreview() const
    {
        std::vector<std::uint32_t> pixels;
        preview_->readShown([&](const FrameBuffer& shown) {
            pixels.assign(shown.pixels(), shown.pixels() + shown.width() * shown.height());
        });
        return pixels;
    }

    // As the High quality command does it: the window is closed after
    // wait, or, without one, once the render has ended by itself. Returns
    // how long the render ran.
    std::chrono::microseconds highQuality(std::optional<std::chrono::microseconds> wait,
                                          const std::filesystem::path& output)
    {
        RenderClaim claim = underWatchdog("the preview to stop", [this] { return scheduler_.stopRenderAndWait(); });
        renderer_.setHighQualityTarget(SharedFrame::create(kHighQualityWidth, kHighQualityHeight), output.string());
        const auto start = std::chrono::steady_clock::now();
        scheduler_.launch(std::move(claim), RenderMode::HighQuality);
        if (wait) {
            if (*wait > 0us) {
                std::this_thread::sleep_for(*wait);
            }
            scheduler_.abandonRender();
        }
        underWatchdog("the High quality render to end", [this] { scheduler_.waitForLaunchedRender(); });
        scheduler_.abandonRender();
        return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    }

    SharedParams params_;
    GradientSlot gradient_;
    SilentView view_;
    FrameRenderer renderer_{gradient_, view_};
    WatchedRenderer watched_{renderer_};
    std::shared_ptr<SharedFrame> preview_ = SharedFrame::create(kPreviewWidth, kPreviewHeight);
    const ScratchFolder scratch_{"tessaform-load"};
    RenderScheduler scheduler_{params_, watched_};
};

TEST_F(LoadAndTimingTest, TenThousandChangesEndInOneRenderOfTheLastValues)
{
    constexpr int kChanges = 10000;
    for (int step = 0; step < kChanges; ++step) {
        moveSlider(step);
    }
    ASSERT_TRUE(waitUntilIdle());

    const std::vector<WatchedRenderer::Started> started = watched_.started();
    const FractalParams last = params_.live();
    ASSERT_FALSE(started.empty());
    EXPECT_TRUE(sameRecord(started.back().snapshot, last));
    // Every step has values of its own, so this counts the follow-ups of
    // the burst's end.
    int withLastValues = 0;
    for (const auto& render : started) {
        withLastValues += sameRecord(render.snapshot, last) ? 1 : 0;
    }
    EXPECT_EQ(withLastValues, 1);
    // A burst this fast is served by a handful of renders, not thousands.
    EXPECT_LT(started.size(), static_cast<std::size_t>(kChanges / 10));
    EXPECT_EQ(shownPreview(), renderPixels(last, Gradient(), kPreviewWidth, kPreviewHeight, kFast));
}

TEST_F(LoadAndTimingTest, HighQualityRendersClosedAtRandomMomentsLeaveWholeFilesOrNone)
{
    // Rounds close the window at once, at a random moment of the render,
    // or after it has saved its file.
    std::mt19937 random(20261208);
    int step = 0;
    long highQualityRenders = 0;
    const FractalParams initialSnapshot = params_.snapshot();
    std::chrono::microseconds wholeRender = highQuality(std::nullopt, scratch_.path() / "first.tga");
    ++highQualityRenders;
    for (int round = 0; round < 12; ++round) {
        for (int change = 0; change < 300; ++change) {
            moveSlider(step++);
        }
        const std::filesystem::path output = scratch_.path() / ("render" + std::to_string(round) + ".tga");
        std::optional<std::chrono::microseconds> closeAfter;
        if (round % 3 == 0) {
            closeAfter = 0us;
        } else if (round % 3 == 1) {
            closeAfter =
                std::chrono::microseconds(std::uniform_int_distribution<std::int64_t>(0, wholeRender.count())(random));
        }
        const std::chrono::microseconds ran = highQuality(closeAfter, output);
        if (!closeAfter) {
            wholeRender = ran;
        }

        // Its end may already have started a preview of the newer values.
        const std::vector<WatchedRenderer::Started> started = watched_.started();
        std::size_t high = started.size();
        while (high > 0 && started[high - 1].mode != RenderMode::HighQuality) {
            --high;
        }
        ASSERT_GE(high, 1u);
        ASSERT_EQ(highQualityRenders++, std::count_if(started.begin(), started.begin() + static_cast<long>(high) - 1,
                                                      [](const auto& r) { return r.mode == RenderMode::HighQuality; }));
        // It renders the snapshot of the render started before it (or the
        // first one, when none did); a high-quality render takes no copy of
        // its own.
        EXPECT_TRUE(sameRecord(started[high - 1].snapshot, high >= 2 ? started[high - 2].snapshot : initialSnapshot));
        if (round % 3 == 0) {
            EXPECT_FALSE(std::filesystem::exists(output)) << "a render closed at once wrote its file";
        }
        if (round % 3 == 2) {
            EXPECT_TRUE(std::filesystem::exists(output)) << "a finished render wrote no file";
        }
        if (std::filesystem::exists(output)) {
            EXPECT_EQ(std::filesystem::file_size(output),
                      18u + 3u * static_cast<std::uintmax_t>(kHighQualityWidth * kHighQualityHeight));
        }
    }
    for (const auto& entry : std::filesystem::directory_iterator(scratch_.path())) {
        EXPECT_EQ(entry.path().extension(), ".tga") << "a temporary file was left behind: " << entry.path();
    }

    moveSlider(step++);
    ASSERT_TRUE(waitUntilIdle());
    const FractalParams last = params_.live();
    EXPECT_TRUE(sameRecord(watched_.started().back().snapshot, last));
    EXPECT_EQ(shownPreview(), renderPixels(last, Gradient(), kPreviewWidth, kPreviewHeight, kFast));
}

}  // namespace
}  // namespace tessaform
