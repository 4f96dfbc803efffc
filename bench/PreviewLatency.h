#pragma once

#include <string>

namespace tessaform::bench {

inline constexpr const char* kPreviewLatencyName = "preview_latency";
// Counters of the latency benchmark, in milliseconds: change to complete
// preview, and the renderer's own share of it.
inline constexpr const char* kMedianLatencyCounter = "median_ms";
inline constexpr const char* kP90LatencyCounter = "p90_ms";
inline constexpr const char* kMedianRenderCounter = "render_median_ms";

// From a slider change to a complete preview, through the interactive
// program's own scheduler and frame renderer.
void registerPreviewLatencyBenchmark();

}  // namespace tessaform::bench
