#pragma once

#include <cstddef>

#include "params/Colour.h"
#include "render/DeepPixel.h"

namespace tessaform {

// A sample position in pixels from the top-left corner; fractional for the
// anti-alias grid.
struct SamplePoint {
    float x;
    float y;
};

// Colours many samples of one render at once, so that an implementation
// can keep every vector lane busy. Safe to call from several threads.
class BatchTracer {
public:
    // The most samples one call takes; callers split larger work.
    static constexpr std::size_t kMaxBatch = 256;

    virtual ~BatchTracer() = default;

    // colours[i] receives the colour of points[i]; count <= kMaxBatch.
    virtual void trace(const SamplePoint* points, std::size_t count, Colour* colours) const = 0;
    // As trace, and depths[i] receives what the ray through points[i] met:
    // the same colours, at the cost of keeping the distance and the normal.
    virtual void traceWithDepth(const SamplePoint* points, std::size_t count, Colour* colours,
                                SampleDepth* depths) const = 0;
};

}  // namespace tessaform
