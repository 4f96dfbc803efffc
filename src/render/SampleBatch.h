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

// How the samples of one call may share their walk through empty space.
// The image is cut into square cells aligned to its top-left corner; the
// rays through one cell march as one cone until the cone nears the
// surface, then each goes on alone. A sample's cell, and so its colour,
// follows from its position only, never from what else a call holds, so
// that threads, strips and tiles cannot change a pixel.
struct RayBundles {
    float pitch = 0.0f;   // cell side in pixels; 0: every ray walks alone
    float origin = 0.0f;  // where the cells of index 0 begin, on both axes
    float reach = 0.0f;   // a cell's samples lie within [start, start + reach] on both axes
};

// Blocks of 4 x 4 first-pass pixels.
inline constexpr RayBundles kPixelBlocks{4.0f, 0.0f, 3.0f};
// The anti-alias grid of one pixel: offsets from -0.5 to 0.25.
inline constexpr RayBundles kPixelGrids{1.0f, -0.5f, 0.75f};

// Colours many samples of one render at once, so that an implementation
// can keep every vector lane busy. Safe to call from several threads.
class BatchTracer {
public:
    // The most samples one call takes; callers split larger work.
    static constexpr std::size_t kMaxBatch = 1024;

    virtual ~BatchTracer() = default;

    // colours[i] receives the colour of points[i]; count <= kMaxBatch.
    void trace(const SamplePoint* points, std::size_t count, Colour* colours, const RayBundles& bundles = {}) const
    {
        traceSamples(points, count, colours, nullptr, bundles);
    }

    // As trace, and depths[i] receives what the ray through points[i] met:
    // the same colours, at the cost of keeping the distance and the normal.
    void traceWithDepth(const SamplePoint* points, std::size_t count, Colour* colours, SampleDepth* depths,
                        const RayBundles& bundles = {}) const
    {
        traceSamples(points, count, colours, depths, bundles);
    }

private:
    // depths may be null. An implementation may ignore the bundles.
    virtual void traceSamples(const SamplePoint* points, std::size_t count, Colour* colours, SampleDepth* depths,
                              const RayBundles& bundles) const = 0;
};

}  // namespace tessaform
