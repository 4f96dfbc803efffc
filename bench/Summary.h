#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "ImageArchive.h"
#include "MeasuredPeak.h"
#include "ProcessorInfo.h"
#include "ResultLog.h"
#include "WorkCensus.h"

namespace tessaform::bench {

struct SummaryInputs {
    const ResultLog& results;
    const ImageArchive& images;
    std::optional<SceneCensus> census;  // of the default scene
    std::optional<MeasuredPeak> peak;
    Processor processor;
    std::string activeTarget;
};

// The closing table: each scene's reference and fast times with the
// speed-up, each instruction set, the preview latencies, the arithmetic
// throughput against the measured peak, and the speed targets met or not.
void printSummary(std::ostream& out, const SummaryInputs& inputs);

}  // namespace tessaform::bench
