#include "LiveViewLatency.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "session/LiveRecord.h"
#include "session/SharedFrame.h"
#include "ui/LiveViewCanvas.h"
#include "ui/LiveViewWindow.h"
#include "ui/SliderSteering.h"
#include "ui/SystemDialogs.h"

namespace tessaform::bench {
namespace {

constexpr QSize kViewSize(1280, 720);
constexpr int kChanges = 40;
constexpr int kWarmUpChanges = 3;
// Far beyond any render; a stage that never comes fails the benchmark
// instead of hanging it.
constexpr int kPatienceMs = 30'000;
// A drag as a mouse reports it: a move every 16 ms, for two seconds.
constexpr int kDragIntervalMs = 16;
constexpr int kDragMs = 2'000;

// The record changes directly; nothing steers and no dialog opens.
class NoSteering : public SliderSteering {
public:
    void stepSliders(std::initializer_list<SliderSteps>) override {}
    void markStep() override {}
    void markBurstStep(int) override {}
};

class NoDialogs : public SystemDialogs {
public:
    std::optional<std::uint32_t> chooseColour(std::uint32_t, std::array<std::uint32_t, 16>&) override
    {
        return std::nullopt;
    }
    std::optional<std::string> chooseFileToOpen(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<SaveChoice> chooseFileToSave(const FileDialogRequest&) override { return std::nullopt; }
    void showMessage(const std::string&) override {}
};

// Widgets need an application; the benchmark paints offscreen unless told
// otherwise.
void ensureApplication()
{
    if (QApplication::instance() != nullptr) {
        return;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "tessaform_bench";
    static char* argv[] = {name, nullptr};
    // Never destroyed: a static application would be destroyed at exit after
    // Qt's own statics, and its input devices crashed there, taking the
    // summary still buffered for a file or a pipe with them.
    new QApplication(argc, argv);
}

// Milliseconds from the change to each stage painted.
struct StageTimes {
    double coarse = -1.0;
    double firstPass = -1.0;
    double antiAliased = -1.0;
    double renderFirstPass = -1.0;  // the renderer's own count
};

// The real window at 1280 x 720 canvas pixels, painting each stage as it
// comes.
class LiveViewRig {
public:
    LiveViewRig() : window_({record_, steering_, dialogs_}), canvas_(*window_.findChild<LiveViewCanvas*>())
    {
        window_.show();
        window_.resize(window_.size() + (kViewSize - canvas_.sizeInDevicePixels()));
        QObject::connect(&window_, &LiveViewWindow::progressShown, &window_,
                         [this](const LiveViewProgress& progress) { paint(progress); });
    }

    bool ready() { return canvas_.sizeInDevicePixels() == kViewSize && awaitAntiAliased(); }

    // One change of the record, as a slider makes it, and the stages it
    // brings, up to the anti-aliased image.
    std::optional<StageTimes> changeAndWait()
    {
        times_ = StageTimes{};
        change();
        if (!awaitAntiAliased()) {
            return std::nullopt;
        }
        return times_;
    }

    // A change every interval while the loop runs; the images painted
    // meanwhile, and how many of them were whole first passes.
    std::pair<int, int> drag()
    {
        const int paintedBefore = painted_;
        const int firstPassesBefore = firstPasses_;
        QTimer mover;
        QObject::connect(&mover, &QTimer::timeout, [this] { change(); });
        mover.start(kDragIntervalMs);
        QEventLoop loop;
        QTimer::singleShot(kDragMs, &loop, &QEventLoop::quit);
        loop.exec();
        mover.stop();
        return {painted_ - paintedBefore, firstPasses_ - firstPassesBefore};
    }

private:
    void change()
    {
        clock_.start();
        const float value = 0.01f * static_cast<float>(changes_++ % 200);
        record_.setFields({"constant.z"}, [value](FractalParams& params) { params.constant.z = value; });
    }

    void paint(const LiveViewProgress& progress)
    {
        canvas_.repaint();
        ++painted_;
        if (paramsDiffer(progress.record, record_.live())) {
            return;
        }
        const double ms = static_cast<double>(clock_.nsecsElapsed()) * 1e-6;
        if (times_.coarse < 0.0) {
            times_.coarse = ms;
        }
        if (progress.stage.blockSize == 1 && times_.firstPass < 0.0) {
            times_.firstPass = ms;
            times_.renderFirstPass = progress.firstPassMilliseconds;
            ++firstPasses_;
        }
        if (progress.stage.antiAliased) {
            times_.antiAliased = ms;
        }
    }

    // Runs the loop, idle between events, until the anti-aliased image of
    // the live record is shown.
    bool awaitAntiAliased()
    {
        if (antiAliasedShown()) {
            return true;
        }
        QEventLoop loop;
        QObject::connect(&window_, &LiveViewWindow::progressShown, &loop, [this, &loop] {
            if (antiAliasedShown()) {
                loop.quit();
            }
        });
        QTimer::singleShot(kPatienceMs, &loop, &QEventLoop::quit);
        loop.exec();
        return antiAliasedShown();
    }

    bool antiAliasedShown() const
    {
        const LiveViewProgress& shown = window_.shownProgress();
        return shown.stage.antiAliased && !paramsDiffer(shown.record, record_.live());
    }

    LiveRecord record_;
    NoSteering steering_;
    NoDialogs dialogs_;
    LiveViewWindow window_;
    LiveViewCanvas& canvas_;
    QElapsedTimer clock_;
    StageTimes times_;
    unsigned changes_ = 0;
    int painted_ = 0;
    int firstPasses_ = 0;
};

double median(std::vector<double> values)
{
    if (values.empty()) {
        return -1.0;
    }
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

void measureLiveViewLatency(benchmark::State& state)
{
    ensureApplication();
    LiveViewRig rig;
    if (!rig.ready()) {
        state.SkipWithError("the live view showed no finished image at 1280 x 720");
        return;
    }
    for (int i = 0; i < kWarmUpChanges; ++i) {
        rig.changeAndWait();
    }
    std::vector<double> coarse, firstPass, antiAliased, renderFirstPass;
    for (auto _ : state) {
        const std::optional<StageTimes> times = rig.changeAndWait();
        if (!times || times->coarse < 0.0 || times->firstPass < 0.0) {
            state.SkipWithError("a change brought no image");
            return;
        }
        state.SetIterationTime(times->antiAliased * 1e-3);
        coarse.push_back(times->coarse);
        firstPass.push_back(times->firstPass);
        antiAliased.push_back(times->antiAliased);
        renderFirstPass.push_back(times->renderFirstPass);
    }
    state.counters["coarse_median_ms"] = median(coarse);
    state.counters["first_pass_median_ms"] = median(firstPass);
    state.counters["anti_aliased_median_ms"] = median(antiAliased);
    state.counters["render_first_pass_median_ms"] = median(renderFirstPass);
}

void measureLiveViewDrag(benchmark::State& state)
{
    ensureApplication();
    LiveViewRig rig;
    if (!rig.ready()) {
        state.SkipWithError("the live view showed no finished image at 1280 x 720");
        return;
    }
    for (auto _ : state) {
        const auto [images, firstPasses] = rig.drag();
        state.SetIterationTime(kDragMs * 1e-3);
        state.counters["images_per_s"] = images * 1000.0 / kDragMs;
        state.counters["first_passes_per_s"] = firstPasses * 1000.0 / kDragMs;
    }
}

}  // namespace

void registerLiveViewBenchmarks()
{
    benchmark::RegisterBenchmark("live_view_latency/1280x720", measureLiveViewLatency)
        ->Iterations(kChanges)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("live_view_drag/1280x720", measureLiveViewDrag)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

}  // namespace tessaform::bench
