#pragma once

#include <cstdint>
#include <vector>

#include "render/PixelImage.h"
#include "render/RenderObserver.h"
#include "render/RenderSettings.h"
#include "render/SampleBatch.h"

namespace tessaform {

// The two passes spread over every thread of the current task arena, with
// exactly the image of the sequential passes. The first pass traces bands of
// rows in batches. The anti-alias pass traces, in parallel, the grids of the
// pixels that are edges by the values the band starts with, then makes the
// in-place edge decisions in their plain order and traces the rare pixel
// that only became an edge through a smoothed neighbour. Rows are reported
// finished in order, band by band.
class ParallelPasses {
public:
    ParallelPasses(const BatchTracer& tracer, const PixelImage& image, RenderObserver& observer);

    // False when the observer asked to stop.
    bool run();

    const RenderStats& stats() const { return stats_; }

private:
    bool firstPass();
    bool traceFirstPassBand(int firstRow, int endRow);
    void traceFirstPassBatch(std::size_t begin, std::size_t end);

    bool antiAliasPass();
    void collectCandidates(int firstRow, int endRow);
    bool traceCandidates(int firstRow);
    void traceCandidateBatch(std::size_t begin, std::size_t end, int firstRow);
    bool decideEdges(int firstRow, int endRow);
    std::uint32_t smoothNow(int column, int row);

    const BatchTracer& tracer_;
    const PixelImage& image_;
    RenderObserver& observer_;
    RenderStats stats_;
    int antiAliasBandRows_;
    std::vector<std::uint32_t> smoothed_;    // one band of grid averages
    std::vector<std::uint32_t> candidates_;  // indices into smoothed_
};

}  // namespace tessaform
