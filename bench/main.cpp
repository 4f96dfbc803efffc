// Speed of both render engines, of each instruction set and of the
// interactive preview, with a closing summary; see docs/benchmarks.md.
#include <benchmark/benchmark.h>

#include <iostream>

#include "EngineBenchmarks.h"
#include "ImageArchive.h"
#include "ImageEncoding.h"
#include "LiveViewLatency.h"
#include "MeasuredPeak.h"
#include "PreviewLatency.h"
#include "ProcessorInfo.h"
#include "ResultLog.h"
#include "Summary.h"
#include "WorkCensus.h"
#include "render/SimdTarget.h"

using namespace tessaform;
using namespace tessaform::bench;

namespace {

// The census takes seconds, and only a timed fast render of the default
// scene gives it a meaning, so a filtered run that skipped that goes
// without.
std::optional<SceneCensus> censusIfMeasured(const ResultLog& results)
{
    if (!results.find(engineBenchmarkName(defaultScene(), RenderEngine::Fast))) {
        return std::nullopt;
    }
    std::cout << "\nCounting the work of " << defaultScene().name << " (reference renders, not timed)..." << std::endl;
    return takeSceneCensus(defaultScene());
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    ImageArchive images;
    registerEngineBenchmarks(images);
    registerPreviewLatencyBenchmark();
    registerLiveViewBenchmarks();
    registerImageEncodingBenchmarks();

    ResultLog results;
    RecordingReporter reporter(results);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (results.empty()) {
        return 0;  // only listed, or everything filtered out
    }

    std::optional<SceneCensus> census = censusIfMeasured(results);
    std::optional<MeasuredPeak> peak;
    if (census) {
        std::cout << "Measuring the floating-point peak (FMA chains, not the engine)..." << std::endl;
        peak = measurePeak();
    }
    const SummaryInputs inputs{results, images, std::move(census), peak, describeProcessor(), SimdTarget().name()};
    printSummary(std::cout, inputs);
    return 0;
}
