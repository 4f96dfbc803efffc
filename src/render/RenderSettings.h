#pragma once

#include <cstdint>

#include "render/SimdTarget.h"

namespace tessaform {

// Reference: the plain algorithm, one thread, one sample at a time; kept to
// check the fast engine against. Fast: every core and every vector lane.
enum class RenderEngine { Reference, Fast };

// Any trailing field left out takes its default.
struct RenderSettings {
    constexpr RenderSettings(RenderEngine engine = RenderEngine::Fast, unsigned threads = 0, SimdTarget simdTarget = {})
        : engine(engine), threads(threads), simdTarget(simdTarget)
    {
    }

    RenderEngine engine;
    unsigned threads;       // 0: every core; the reference engine always uses one
    SimdTarget simdTarget;  // the fast engine's instruction set
};

// What a render traced, for throughput figures.
struct RenderStats {
    std::uint64_t samples = 0;            // primary rays, both passes
    std::uint64_t antiAliasedPixels = 0;  // pixels re-sampled on the 4 x 4 grid
};

}  // namespace tessaform
