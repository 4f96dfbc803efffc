#include "EngineBenchmarks.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <vector>

#include "params/Gradient.h"
#include "render/SimdTarget.h"

namespace tessaform::bench {
namespace {

using Clock = std::chrono::steady_clock;

// The fast engine finishes in well under a second, so several renders per
// repetition and several repetitions give a stable median; the reference
// engine takes seconds and one render says enough.
constexpr double kFastMinSeconds = 0.5;
constexpr int kFastRepetitions = 5;
constexpr int kSimdRepetitions = 3;

// A fractal shows hundreds of shades; a background-only image a handful.
constexpr std::size_t kFewestColours = 64;

void setThroughputCounters(benchmark::State& state, const BenchScene& scene, const RenderStats& stats,
                           std::size_t distinct, double seconds)
{
    const auto renders = static_cast<double>(state.iterations());
    state.counters["Mpix/s"] = static_cast<double>(scene.pixelCount()) * renders / seconds * 1e-6;
    state.counters["Msamples/s"] = static_cast<double>(stats.samples) * renders / seconds * 1e-6;
    state.counters["samples"] = static_cast<double>(stats.samples);
    state.counters["aa_pixels"] = static_cast<double>(stats.antiAliasedPixels);
    state.counters["colours"] = static_cast<double>(distinct);
}

// Times whole renders; the time is also taken here, so that the rates
// divide by exactly the rendering.
void renderRepeatedly(benchmark::State& state, const BenchScene& scene, const RenderSettings& settings,
                      ImageArchive& archive, const std::string& name)
{
    std::vector<std::uint32_t> pixels(scene.pixelCount());
    RenderStats stats{};
    double seconds = 0.0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const SceneRender render = renderScene(scene, settings, pixels);
        seconds += std::chrono::duration<double>(Clock::now() - start).count();
        if (render.outcome != RenderOutcome::Completed) {
            state.SkipWithError("the render did not complete");
            return;
        }
        stats = render.stats;
        state.PauseTiming();
        archive.keep(name, pixels);
        state.ResumeTiming();
    }
    const std::size_t colours = distinctPixelValues(pixels);
    if (colours < kFewestColours) {
        state.SkipWithError("the image shows (almost) nothing but background");
        return;
    }
    setThroughputCounters(state, scene, stats, colours, seconds);
}

void renderOnTarget(benchmark::State& state, const std::string& target, unsigned threads, ImageArchive& archive)
{
    const std::optional<SimdTarget> simdTarget = SimdTarget::named(target);
    if (!simdTarget) {
        state.SkipWithError("the processor lacks the instruction set");
        return;
    }
    const std::string name = simdBenchmarkName(target, threads);
    renderRepeatedly(state, defaultScene(), {RenderEngine::Fast, threads, *simdTarget}, archive, name);
}

// The fast engine on every core; for the looks, what each adds to the
// default render.
void registerFastBenchmark(const BenchScene& scene, ImageArchive& archive, RayWalk walk = RayWalk::Bundled)
{
    const std::string name =
        walk == RayWalk::Bundled ? engineBenchmarkName(scene, RenderEngine::Fast) : aloneBenchmarkName(scene);
    benchmark::RegisterBenchmark(name.c_str(),
                                 [scene, name, walk, &archive](benchmark::State& state) {
                                     renderRepeatedly(state, scene, {RenderEngine::Fast, 0, {}, walk}, archive, name);
                                 })
        ->MinTime(kFastMinSeconds)
        ->Repetitions(kFastRepetitions)
        ->ReportAggregatesOnly(true)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

void registerSceneBenchmarks(const BenchScene& scene, ImageArchive& archive)
{
    const std::string reference = engineBenchmarkName(scene, RenderEngine::Reference);
    benchmark::RegisterBenchmark(reference.c_str(),
                                 [scene, reference, &archive](benchmark::State& state) {
                                     renderRepeatedly(state, scene, {RenderEngine::Reference, 1}, archive, reference);
                                 })
        ->Iterations(1)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    registerFastBenchmark(scene, archive);
    registerFastBenchmark(scene, archive, RayWalk::Alone);
}

void registerSimdBenchmarks(const std::string& target, ImageArchive& archive)
{
    for (const unsigned threads : {0u, 1u}) {
        benchmark::RegisterBenchmark(
            simdBenchmarkName(target, threads).c_str(),
            [target, threads, &archive](benchmark::State& state) { renderOnTarget(state, target, threads, archive); })
            ->MinTime(kFastMinSeconds)
            ->Repetitions(kSimdRepetitions)
            ->ReportAggregatesOnly(true)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    }
}

// A still as the command-line renderer draws it, row by row, with or
// without the float values the deep formats need: what keeping them costs.
void renderRowsRepeatedly(benchmark::State& state, const BenchScene& scene, bool deep)
{
    CompletingObserver observer;
    std::vector<std::uint32_t> pixels(scene.pixelCount());
    std::vector<DeepPixel> values(deep ? scene.pixelCount() : 0);
    const auto keepRow = [&](int row, const std::uint32_t* rowPixels, const DeepPixel* rowValues) {
        const std::size_t start = static_cast<std::size_t>(row) * static_cast<std::size_t>(scene.width);
        std::copy_n(rowPixels, scene.width, pixels.begin() + static_cast<std::ptrdiff_t>(start));
        if (rowValues != nullptr) {
            std::copy_n(rowValues, scene.width, values.begin() + static_cast<std::ptrdiff_t>(start));
        }
        return true;
    };
    for (auto _ : state) {
        const RenderOutcome outcome =
            deep
                ? renderDeepRows(scene.params, neutralGradient(), scene.width, scene.height, observer, {}, keepRow)
                : renderRows(scene.params, neutralGradient(), scene.width, scene.height, observer, {},
                             [&](int row, const std::uint32_t* rowPixels) { return keepRow(row, rowPixels, nullptr); });
        if (outcome != RenderOutcome::Completed) {
            state.SkipWithError("the render did not complete");
            return;
        }
    }
}

void registerRowBenchmarks(const BenchScene& scene)
{
    for (const bool deep : {false, true}) {
        const std::string name = "rows/" + scene.name + (deep ? "/deep" : "/8bit");
        benchmark::RegisterBenchmark(
            name.c_str(), [scene, deep](benchmark::State& state) { renderRowsRepeatedly(state, scene, deep); })
            ->MinTime(kFastMinSeconds)
            ->Repetitions(kFastRepetitions)
            ->ReportAggregatesOnly(true)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

std::string engineBenchmarkName(const BenchScene& scene, RenderEngine engine)
{
    return "scene/" + scene.name + (engine == RenderEngine::Reference ? "/reference" : "/fast");
}

std::string aloneBenchmarkName(const BenchScene& scene)
{
    return "scene/" + scene.name + "/fast_alone";
}

std::string simdBenchmarkName(const std::string& target, unsigned threads)
{
    return "simd/" + target + (threads == 0 ? "/all_threads" : "/threads:" + std::to_string(threads));
}

void registerEngineBenchmarks(ImageArchive& archive)
{
    for (const BenchScene& scene : benchScenes()) {
        registerSceneBenchmarks(scene, archive);
    }
    for (const std::string& target : availableSimdTargets()) {
        registerSimdBenchmarks(target, archive);
    }
    for (const BenchScene& scene : lookScenes()) {
        registerFastBenchmark(scene, archive);
    }
    registerRowBenchmarks(defaultScene());
}

}  // namespace tessaform::bench
