#include "session/LiveViewRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "session/SharedFrame.h"
#include "session/SharedParams.h"
#include "support/RenderToPixels.h"
#include "support/Watchdog.h"

namespace tessaform {
namespace {

// What reached the view, in order, straight from the render thread.
class ShownStages {
public:
    explicit ShownStages(LiveViewRenderer& renderer)
    {
        QObject::connect(
            &renderer, &LiveViewRenderer::stageShown, &renderer,
            [this](const LiveViewProgress& progress) {
                std::lock_guard lock(mutex_);
                shown_.push_back(progress);
            },
            Qt::DirectConnection);
    }

    std::vector<LiveViewProgress> all() const
    {
        std::lock_guard lock(mutex_);
        return shown_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<LiveViewProgress> shown_;
};

void waitUntilIdle(LiveViewRenderer& renderer)
{
    ASSERT_TRUE(renderer.waitUntilIdle(kWatchdogPatience)) << "the live view's render to end";
}

void setDistance(SharedParams& record, float distance)
{
    record.editLive([distance](FractalParams& params) { params.distance = distance; });
}

// A render that runs until the gate opens or a newer request stops it,
// and remembers how many ran at once and which ones finished.
struct GatedRenders {
    std::atomic<bool> gateOpen{false};
    std::atomic<int> running{0};
    std::atomic<int> mostAtOnce{0};
    std::atomic<int> started{0};
    std::mutex mutex;
    std::vector<float> finishedDistances;

    LiveViewRenderer::Procedure procedure()
    {
        return [this](const FractalParams& record, const Gradient&, const PixelImage&, ProgressiveObserver& observer) {
            const int now = ++running;
            mostAtOnce = std::max(mostAtOnce.load(), now);
            ++started;
            for (;;) {
                if (observer.shouldAbandon(RenderPass::First)) {
                    --running;
                    return RenderOutcome::Abandoned;
                }
                if (gateOpen) {
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            observer.stageFinished({1, true});
            {
                std::lock_guard lock(mutex);
                finishedDistances.push_back(record.distance);
            }
            --running;
            return RenderOutcome::Completed;
        };
    }
};

TEST(LiveViewRendererTest, ANewerChangeAbandonsTheRenderAndTheNewestRecordIsDrawnAlone)
{
    SharedParams record;
    GradientSlot gradient;
    GatedRenders renders;
    LiveViewRenderer renderer(record, gradient, renders.procedure());
    setDistance(record, 3.0f);
    renderer.requestRender(64, 48);
    underWatchdog("the first render to start", [&] {
        while (renders.started == 0) {
            std::this_thread::yield();
        }
    });
    for (const float distance : {3.5f, 4.5f, 5.0f}) {
        setDistance(record, distance);
        renderer.requestRender(64, 48);
    }
    renders.gateOpen = true;
    waitUntilIdle(renderer);
    EXPECT_EQ(renders.finishedDistances, std::vector<float>{5.0f});
    EXPECT_EQ(renders.mostAtOnce, 1);

    // What is drawn already is not drawn again.
    const int startedBefore = renders.started;
    renderer.requestRender(64, 48);
    waitUntilIdle(renderer);
    EXPECT_EQ(renders.started, startedBefore);
}

TEST(LiveViewRendererTest, TheFinishedViewIsTheImageOfOneRenderAtTheRequestedSize)
{
    SharedParams record;
    GradientSlot gradient;
    LiveViewRenderer renderer(record, gradient);
    ShownStages stages(renderer);
    record.editLive([](FractalParams& params) { params = edgyScene(); });
    for (const auto& [width, height] : {std::pair{160, 90}, std::pair{97, 131}}) {
        renderer.requestRender(width, height);
        waitUntilIdle(renderer);
        const LiveViewProgress last = stages.all().back();
        ASSERT_TRUE(last.stage.antiAliased);
        ASSERT_TRUE(last.finishedImage);
        ASSERT_EQ(last.frame->width(), width);
        ASSERT_EQ(last.frame->height(), height);
        EXPECT_GE(last.firstPassMilliseconds, 0.0);
        const auto expected = renderPixels(edgyScene(), neutralGradient(), width, height, kFast);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), last.finishedImage->pixels()));
        last.frame->readShown([&](const FrameBuffer& shown) {
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), shown.pixels()));
        });
        EXPECT_FALSE(paramsDiffer(last.record, edgyScene()));
    }
}

}  // namespace
}  // namespace tessaform
