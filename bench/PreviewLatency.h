#pragma once

#include <string>

namespace tessaform::bench {

// The panel at scale factors 1 and 2: 303 x 210 and 606 x 420 pixels.
inline constexpr int kPreviewScales[] = {1, 2};

// "preview_latency/303x210" and the like.
std::string previewLatencyName(int scale);
// Counters of the latency benchmark, in milliseconds: change to complete
// preview, and the renderer's own share of it.
inline constexpr const char* kMedianLatencyCounter = "median_ms";
inline constexpr const char* kP90LatencyCounter = "p90_ms";
inline constexpr const char* kMedianRenderCounter = "render_median_ms";

// From a slider change to a complete preview, through the interactive
// program's own scheduler and frame renderer.
void registerPreviewLatencyBenchmark();

}  // namespace tessaform::bench
