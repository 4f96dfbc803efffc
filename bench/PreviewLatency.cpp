#include "PreviewLatency.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "BenchScenes.h"
#include "params/Gradient.h"
#include "session/FrameRenderer.h"
#include "session/RenderScheduler.h"
#include "session/RenderView.h"
#include "session/SharedFrame.h"
#include "session/SharedParams.h"

namespace tessaform::bench {
namespace {

using Clock = std::chrono::steady_clock;

// Enough changes for a steady median; each costs one preview.
constexpr int kChanges = 120;
constexpr int kWarmUpChanges = 3;
// Far beyond any preview; a render that never comes fails the benchmark
// instead of hanging it.
constexpr auto kPatience = std::chrono::seconds(30);

// Two neighbouring positions of the Constant X slider, which moves in
// hundredths, next to the default: every render draws a genuinely
// different image, at about the default's cost.
constexpr float kSliderValues[2] = {-57 * 0.01f, -56 * 0.01f};

// Nothing to paint in a benchmark.
class NoView : public RenderView {
public:
    void requestRepaint(RenderMode) override {}
    void showHighQualityTitle(const std::string&) override {}
    void previewFinished(const FractalParams&) override {}
};

struct FinishedRender {
    bool complete;   // both passes ran
    double seconds;  // inside the renderer, without the scheduling around it
};

// The program's renderer, reporting each render that returns. The stop
// signal tells whether it ran both passes, since nothing asks to stop
// while the benchmark waits.
class NotifyingRender : public RenderProcedure {
public:
    explicit NotifyingRender(RenderProcedure& inner) : inner_(inner) {}

    void render(const FractalParams& snapshot, RenderMode mode, const StopSignal& stop) override
    {
        const Clock::time_point start = Clock::now();
        inner_.render(snapshot, mode, stop);
        const FinishedRender finished{!stop.shouldAbandon(RenderPass::AntiAlias),
                                      std::chrono::duration<double>(Clock::now() - start).count()};
        std::lock_guard lock(mutex_);
        ++count_;
        lastConstant_ = snapshot.constant.x;
        last_ = finished;
        changed_.notify_all();
    }

    std::uint64_t count() const
    {
        std::lock_guard lock(mutex_);
        return count_;
    }

    // Waits for a render, after the first `before` ones, that drew the
    // constant; nullopt when none came.
    std::optional<FinishedRender> waitForRenderOf(float constantX, std::uint64_t before)
    {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, kPatience, [&] { return count_ > before && lastConstant_ == constantX; })) {
            return std::nullopt;
        }
        return last_;
    }

private:
    RenderProcedure& inner_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t count_ = 0;
    float lastConstant_ = 0.0f;
    FinishedRender last_{};
};

// The interactive program's render path, minus the windows.
class PreviewRig {
public:
    explicit PreviewRig(int scale)
        : frame_(SharedFrame::create(kPreviewWidth * scale, kPreviewHeight * scale)),
          frameRenderer_(gradient_, view_),
          notifying_(frameRenderer_),
          scheduler_(params_, notifying_)
    {
        frameRenderer_.setPreviewFrame(frame_);
    }
    PreviewRig(const PreviewRig&) = delete;
    PreviewRig& operator=(const PreviewRig&) = delete;
    ~PreviewRig() { scheduler_.shutdown(); }

    // Without a frame the renderer draws nothing and returns at once.
    bool ready() const { return frame_ != nullptr; }

    // One slider move, as the dialog makes it, and the preview it brings.
    std::optional<FinishedRender> changeAndWait()
    {
        const float value = kSliderValues[changes_++ % 2];
        const std::uint64_t before = notifying_.count();
        params_.editLive([value](FractalParams& params) { params.constant.x = value; });
        scheduler_.requestRender();
        return notifying_.waitForRenderOf(value, before);
    }

private:
    SharedParams params_;
    std::shared_ptr<SharedFrame> frame_;
    GradientSlot gradient_;
    NoView view_;
    FrameRenderer frameRenderer_;
    NotifyingRender notifying_;
    unsigned changes_ = 0;
    // Last, so that it stops every thread before the rest goes away.
    RenderScheduler scheduler_;
};

double percentile(std::vector<double> values, double fraction)
{
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(index), values.end());
    return values[index];
}

void measurePreviewLatency(benchmark::State& state, int scale)
{
    PreviewRig rig(scale);
    if (!rig.ready()) {
        state.SkipWithError("no memory for the preview frame");
        return;
    }
    for (int i = 0; i < kWarmUpChanges; ++i) {
        rig.changeAndWait();
    }
    std::vector<double> latencies;
    std::vector<double> renders;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const std::optional<FinishedRender> render = rig.changeAndWait();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (!render || !render->complete) {
            state.SkipWithError("no complete preview followed a change");
            return;
        }
        state.SetIterationTime(seconds);
        latencies.push_back(seconds);
        renders.push_back(render->seconds);
    }
    state.counters[kMedianLatencyCounter] = percentile(latencies, 0.5) * 1e3;
    state.counters[kP90LatencyCounter] = percentile(latencies, 0.9) * 1e3;
    state.counters["min_ms"] = percentile(latencies, 0.0) * 1e3;
    state.counters[kMedianRenderCounter] = percentile(renders, 0.5) * 1e3;
}

}  // namespace

std::string previewLatencyName(int scale)
{
    return "preview_latency/" + std::to_string(kPreviewWidth * scale) + "x" + std::to_string(kPreviewHeight * scale);
}

void registerPreviewLatencyBenchmark()
{
    for (const int scale : kPreviewScales) {
        benchmark::RegisterBenchmark(previewLatencyName(scale).c_str(), measurePreviewLatency, scale)
            ->Iterations(kChanges)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
}

}  // namespace tessaform::bench
