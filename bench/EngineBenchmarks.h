#pragma once

#include <string>

#include "BenchScenes.h"
#include "ImageArchive.h"

namespace tessaform::bench {

std::string engineBenchmarkName(const BenchScene& scene, RenderEngine engine);
// The fast engine with each ray walking alone, as before rays were bundled.
std::string aloneBenchmarkName(const BenchScene& scene);
// The fast engine on the default scene, forced onto one instruction set;
// threads 0 means every core.
std::string simdBenchmarkName(const std::string& target, unsigned threads);

// Every scene with both engines, then the default scene with the fast
// engine on every instruction set this processor runs, and the looks with
// the fast engine. Each keeps its last image in the archive, which must
// outlive the run.
void registerEngineBenchmarks(ImageArchive& archive);

}  // namespace tessaform::bench
