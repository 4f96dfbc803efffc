#pragma once

#include <atomic>
#include <cstdint>

#include "render/SimdTarget.h"

namespace tessaform {

// Reference: the plain algorithm, one thread, one sample at a time; kept to
// check the fast engine against. Fast: every core and every vector lane.
enum class RenderEngine { Reference, Fast };

// How the fast engine's rays cross empty space: neighbouring rays marched
// together as one cone until it nears the surface, or each on its own as
// the reference does (for comparisons only).
enum class RayWalk { Bundled, Alone };

// Any trailing field left out takes its default.
struct RenderSettings {
    constexpr RenderSettings(RenderEngine engine = RenderEngine::Fast, unsigned threads = 0, SimdTarget simdTarget = {},
                             RayWalk walk = RayWalk::Bundled, std::atomic<std::uint64_t>* marchSteps = nullptr)
        : engine(engine), threads(threads), simdTarget(simdTarget), walk(walk), marchSteps(marchSteps)
    {
    }

    RenderEngine engine;
    unsigned threads;       // 0: every core; the reference engine always uses one
    SimdTarget simdTarget;  // the fast engine's instruction set
    RayWalk walk;
    // When given, the fast engine adds up its march steps here: every
    // distance estimate along a ray or a cone's axis.
    std::atomic<std::uint64_t>* marchSteps;
};

// What a render traced, for throughput figures.
struct RenderStats {
    std::uint64_t samples = 0;            // primary rays, both passes
    std::uint64_t antiAliasedPixels = 0;  // pixels re-sampled on the 4 x 4 grid
};

}  // namespace tessaform
