#include "Summary.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "EngineBenchmarks.h"
#include "PreviewLatency.h"
#include "render/SimdTarget.h"

namespace tessaform::bench {
namespace {

std::string format(const char* pattern, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string milliseconds(const std::optional<Measurement>& measurement)
{
    return measurement ? format("%.1f ms", measurement->seconds * 1e3) : "-";
}

// Pixels in which a benchmark's last image differs from the reference
// engine's image of the same scene, and whether it ever changed between runs.
std::string agreement(const ImageArchive& images, const std::string& name, const std::string& referenceName)
{
    const std::vector<std::uint32_t>* image = images.find(name);
    const std::vector<std::uint32_t>* reference = images.find(referenceName);
    if (image == nullptr || reference == nullptr) {
        return "-";
    }
    const ImageDifference difference = compareImages(*image, *reference);
    std::string text = difference.pixels == 0 ? "identical"
                                              : std::to_string(difference.pixels) + " pixels differ, by up to " +
                                                    std::to_string(difference.largestChannelChange) + "/255";
    if (images.changes(name) > 0) {
        text += ", changed " + std::to_string(images.changes(name)) + "x between runs";
    }
    return text;
}

void printScenes(std::ostream& out, const SummaryInputs& inputs)
{
    char line[256];
    std::snprintf(line, sizeof line, "%-26s %12s %12s %9s %12s %9s  %s\n", "scene", "reference", "fast", "speed-up",
                  "rays alone", "bundling", "fast image vs reference");
    out << line;
    for (const BenchScene& scene : benchScenes()) {
        const std::string referenceName = engineBenchmarkName(scene, RenderEngine::Reference);
        const std::string fastName = engineBenchmarkName(scene, RenderEngine::Fast);
        const std::optional<Measurement> reference = inputs.results.find(referenceName);
        const std::optional<Measurement> fast = inputs.results.find(fastName);
        const std::optional<Measurement> alone = inputs.results.find(aloneBenchmarkName(scene));
        const std::string speedUp = reference && fast ? format("%.1fx", reference->seconds / fast->seconds) : "-";
        const std::string gain = alone && fast ? format("%.2fx", alone->seconds / fast->seconds) : "-";
        std::snprintf(line, sizeof line, "%-26s %12s %12s %9s %12s %9s  %s\n", scene.name.c_str(),
                      milliseconds(reference).c_str(), milliseconds(fast).c_str(), speedUp.c_str(),
                      milliseconds(alone).c_str(), gain.c_str(),
                      agreement(inputs.images, fastName, referenceName).c_str());
        out << line;
    }
}

void printInstructionSets(std::ostream& out, const SummaryInputs& inputs)
{
    char line[256];
    std::snprintf(line, sizeof line, "\n%-26s %12s %12s  %s\n", "SIMD target (default scene)", "all threads",
                  "1 thread", "image vs reference");
    out << line;
    const std::string referenceName = engineBenchmarkName(defaultScene(), RenderEngine::Reference);
    for (const std::string& target : availableSimdTargets()) {
        const std::string allName = simdBenchmarkName(target, 0);
        std::snprintf(line, sizeof line, "%-26s %12s %12s  %s\n", target.c_str(),
                      milliseconds(inputs.results.find(allName)).c_str(),
                      milliseconds(inputs.results.find(simdBenchmarkName(target, 1))).c_str(),
                      agreement(inputs.images, allName, referenceName).c_str());
        out << line;
    }
}

// Each look's cost over the same render with the looks off.
void printLooks(std::ostream& out, const SummaryInputs& inputs)
{
    const std::vector<BenchScene> scenes = lookScenes();
    const std::optional<Measurement> off = inputs.results.find(engineBenchmarkName(scenes.front(), RenderEngine::Fast));
    char line[256];
    std::snprintf(line, sizeof line, "\n%-26s %12s %9s\n", "looks (fast, 1024x768)", "time", "cost");
    out << line;
    for (const BenchScene& scene : scenes) {
        const std::optional<Measurement> on = inputs.results.find(engineBenchmarkName(scene, RenderEngine::Fast));
        const std::string cost = off && on ? format("%+.1f %%", (on->seconds / off->seconds - 1.0) * 100.0) : "-";
        std::snprintf(line, sizeof line, "%-26s %12s %9s\n", scene.name.c_str(), milliseconds(on).c_str(),
                      cost.c_str());
        out << line;
    }
}

void printLatency(std::ostream& out, const SummaryInputs& inputs)
{
    for (const int scale : kPreviewScales) {
        const std::optional<Measurement> latency = inputs.results.find(previewLatencyName(scale));
        if (!latency) {
            continue;
        }
        out << (scale == kPreviewScales[0] ? "\n" : "") << "Preview latency, slider change to complete "
            << kPreviewWidth * scale << "x" << kPreviewHeight * scale << " preview: median "
            << format("%.1f ms", latency->counter(kMedianLatencyCounter)) << ", 90th percentile "
            << format("%.1f ms", latency->counter(kP90LatencyCounter)) << "; the renderer's median share "
            << format("%.1f ms", latency->counter(kMedianRenderCounter)) << "\n";
    }
}

std::optional<double> bundledStepChange(const SceneCensus& census)
{
    if (census.fast.alone == 0) {
        return std::nullopt;
    }
    return 100.0 * (static_cast<double>(census.fast.bundled) / static_cast<double>(census.fast.alone) - 1.0);
}

void printCensus(std::ostream& out, const SceneCensus& census)
{
    const WorkCensus& work = census.work;
    out << "\nWork census of " << defaultScene().name << ": " << work.samples << " samples (" << work.antiAliasedPixels
        << " anti-aliased pixels), " << work.hits << " hits, " << work.marchSteps << " march steps, "
        << work.juliaSteps() << " Julia steps (" << work.escapeSteps << " escape, " << work.normalSteps << " normal)\n";
    const bool agrees = work.samples == census.reference.samples &&
                        work.antiAliasedPixels == census.reference.antiAliasedPixels && census.replayReproducedImage;
    out << "  reference engine traced " << census.reference.samples << " samples, "
        << census.reference.antiAliasedPixels
        << " anti-aliased pixels: " << (agrees ? "the census agrees" : "THE CENSUS DISAGREES, its figures are suspect")
        << "\n";
    out << "  fast engine's own count: " << census.fast.alone << " march steps with rays alone, " << census.fast.bundled
        << " with rays bundled (" << format("%+.1f%%", bundledStepChange(census).value_or(0.0)) << ")\n";
}

double gigaflopsOf(const SceneCensus& census, double seconds)
{
    return static_cast<double>(census.work.juliaSteps()) * kFlopsPerJuliaStep / seconds * 1e-9;
}

// Useful arithmetic only: lanes idling in a batch and grids traced for
// pixels that turn out not to be edges are work the image did not need.
void printArithmetic(std::ostream& out, const SceneCensus& census, double seconds, double peak, const char* label)
{
    const double gigaflops = gigaflopsOf(census, seconds);
    out << "  " << label << ": " << format("%.1f", gigaflops) << " GFLOP/s of a measured peak of "
        << format("%.1f", peak) << " GFLOP/s (" << format("%.1f%%", 100.0 * gigaflops / peak) << ")\n";
}

void printThroughput(std::ostream& out, const SummaryInputs& inputs)
{
    if (!inputs.census) {
        return;
    }
    printCensus(out, *inputs.census);
    if (!inputs.peak) {
        return;
    }
    const MeasuredPeak& peak = *inputs.peak;
    out << "  " << kFlopsPerJuliaStep << " flop per Julia step (power 2 kernel, FMA = 2, escape test not counted)\n"
        << "  measured peak: " << kFmaChains << " independent FMA chains of " << peak.lanes << " lanes at "
        << peak.target << ": " << format("%.1f", peak.oneThreadGigaflops) << " GFLOP/s on 1 thread, "
        << format("%.1f", peak.allThreadsGigaflops) << " GFLOP/s on " << peak.threads << "\n";
    const std::optional<Measurement> all = inputs.results.find(engineBenchmarkName(defaultScene(), RenderEngine::Fast));
    if (all) {
        printArithmetic(out, *inputs.census, all->seconds, peak.allThreadsGigaflops, "fast, all threads");
    }
    const std::optional<Measurement> one = inputs.results.find(simdBenchmarkName(inputs.activeTarget, 1));
    if (one) {
        printArithmetic(out, *inputs.census, one->seconds, peak.oneThreadGigaflops, "fast, 1 thread  ");
    }
}

std::optional<double> speedUp(const SummaryInputs& inputs, const BenchScene& scene)
{
    const std::optional<Measurement> reference =
        inputs.results.find(engineBenchmarkName(scene, RenderEngine::Reference));
    const std::optional<Measurement> fast = inputs.results.find(engineBenchmarkName(scene, RenderEngine::Fast));
    if (!reference || !fast) {
        return std::nullopt;
    }
    return reference->seconds / fast->seconds;
}

std::optional<double> shareOfPeak(const SummaryInputs& inputs)
{
    const std::optional<Measurement> fast =
        inputs.results.find(engineBenchmarkName(defaultScene(), RenderEngine::Fast));
    if (!fast || !inputs.census || !inputs.peak) {
        return std::nullopt;
    }
    return 100.0 * gigaflopsOf(*inputs.census, fast->seconds) / inputs.peak->allThreadsGigaflops;
}

// How much faster the bundled rays made the fast engine on a scene.
std::optional<double> bundlingGain(const SummaryInputs& inputs, const BenchScene& scene)
{
    const std::optional<Measurement> alone = inputs.results.find(aloneBenchmarkName(scene));
    const std::optional<Measurement> fast = inputs.results.find(engineBenchmarkName(scene, RenderEngine::Fast));
    if (!alone || !fast) {
        return std::nullopt;
    }
    return alone->seconds / fast->seconds;
}

std::optional<double> medianLatency(const SummaryInputs& inputs, int scale)
{
    const std::optional<Measurement> latency = inputs.results.find(previewLatencyName(scale));
    if (!latency) {
        return std::nullopt;
    }
    return latency->counter(kMedianLatencyCounter);
}

// One target: its figure when measured, and whether it is met.
void printTarget(std::ostream& out, const std::string& what, const std::optional<double>& value, const char* unit,
                 double goal, bool atLeast)
{
    char line[256];
    const std::string figure = value ? format("%.1f", *value) + unit : "not measured";
    const char* verdict = !value ? "" : (atLeast ? *value >= goal : *value <= goal) ? "met" : "MISSED";
    std::snprintf(line, sizeof line, "  %-50s %6s %-5s %14s  %s\n", what.c_str(),
                  atLeast ? ">=" : "<=", (format("%g", goal) + unit).c_str(), figure.c_str(), verdict);
    out << line;
}

void printSpeedTargets(std::ostream& out, const SummaryInputs& inputs)
{
    out << "\nTargets\n";
    printTarget(out, "default 1024x768, fast over reference", speedUp(inputs, defaultScene()), "x", 50.0, true);
    printTarget(out, "default 1024x768, share of the measured peak", shareOfPeak(inputs), "%", 45.0, true);
    printTarget(out, "power 5 rotated 1024x768, fast over reference", speedUp(inputs, rotatedPowerFiveScene()), "x",
                45.0, true);
    printTarget(out, "default 1024x768, bundled rays over rays alone", bundlingGain(inputs, defaultScene()), "x", 1.4,
                true);
    printTarget(out, "power 5 rotated, bundled rays over rays alone", bundlingGain(inputs, rotatedPowerFiveScene()),
                "x", 1.3, true);
    const std::optional<double> stepChange = inputs.census ? bundledStepChange(*inputs.census) : std::nullopt;
    printTarget(out, "default 1024x768, march steps bundled against alone", stepChange, "%", -35.0, false);
    const double goals[] = {20.0, 50.0};
    for (std::size_t i = 0; i < std::size(kPreviewScales); ++i) {
        const int scale = kPreviewScales[i];
        printTarget(out,
                    "preview latency median, " + std::to_string(kPreviewWidth * scale) + "x" +
                        std::to_string(kPreviewHeight * scale),
                    medianLatency(inputs, scale), " ms", goals[i], false);
    }
}

}  // namespace

void printSummary(std::ostream& out, const SummaryInputs& inputs)
{
    out << "\n==== Summary ====\n"
        << "Processor: " << inputs.processor.model << ", " << inputs.processor.logicalCores << " logical cores, "
        << format("%.0f MHz", inputs.processor.megahertz) << "\n"
        << "Active SIMD target: " << inputs.activeTarget << "; fast engine threads: " << inputs.processor.logicalCores
        << " (all cores); reference: 1\n"
        << "Times are wall time per image, the median over repetitions for the fast engine.\n\n";
    printScenes(out, inputs);
    printInstructionSets(out, inputs);
    printLooks(out, inputs);
    printLatency(out, inputs);
    printThroughput(out, inputs);
    printSpeedTargets(out, inputs);
}

}  // namespace tessaform::bench
