#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "render/AntiAliasGrid.h"
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
// that only became an edge through a smoothed neighbour; the next band's
// grids are traced meanwhile. Rows are reported finished in order, band by
// band.
class ParallelPasses {
public:
    // Part of the image held in a buffer of rows: buffer row 0 is image row
    // rowOffset. The first pass traces buffer rows [traceFrom, traceTo); the
    // anti-alias pass decides rows [decideFrom, decideTo), whose neighbours
    // above and below the buffer must hold.
    struct Strip {
        int rowOffset = 0;
        int imageHeight = 0;
        int traceFrom = 0;
        int traceTo = 0;
        int decideFrom = 0;
        int decideTo = 0;
    };

    // image may be a buffer of rows of an image imageHeight rows high, which
    // the tracer was set up for. deep, when given, holds a DeepPixel for
    // each of image's pixels, kept final beside it; the 8-bit pixels and
    // every decision stay the same.
    ParallelPasses(const BatchTracer& tracer, const PixelImage& image, RenderObserver& observer,
                   DeepPixel* deep = nullptr);

    // The whole image; false when the observer asked to stop.
    bool run();
    // One strip of it.
    bool run(const Strip& strip);

    // Takes the grid averages of one image row's edge pixels, left to right,
    // and with deep values their float values (else empty).
    using GridConsumer =
        std::function<void(int row, std::span<const GridAverage> grids, std::span<const DeepPixel> deep)>;

    // A tile's share of a split render: the first pass, then the grids of
    // the pixels of rows [decideFrom, decideTo) that are edges by first-pass
    // values alone, handed over instead of decided.
    bool runForTile(const Strip& strip, const GridConsumer& take);

    // First-pass samples of the whole image's pixels at these indices only,
    // each exactly as the first pass traces it; false when the observer
    // asked to stop. No row is reported.
    bool traceFirstPassPixels(std::span<const std::size_t> indices);
    // The whole image's anti-alias pass over a finished first pass.
    bool runAntiAliasPass();

    const RenderStats& stats() const { return stats_; }

private:
    bool firstPass(int fromRow, int toRow);
    bool traceFirstPassBand(int firstRow, int endRow);
    void traceFirstPassBatch(int firstRow, int endRow, std::size_t from, std::size_t to);
    template <typename IndexOf>
    void tracePixels(std::size_t count, const IndexOf& indexOf);

    // One band of the anti-alias pass: the pixels that were edges when it
    // was collected, and their grid averages.
    struct CandidateBand {
        int firstRow = 0;
        int endRow = 0;
        std::vector<std::uint32_t> smoothed;    // one band of grid averages
        std::vector<std::uint32_t> candidates;  // indices into smoothed
        std::vector<DeepPixel> smoothedDeep;    // with deep values: one per candidate
    };

    bool antiAliasPass(int fromRow, int toRow);
    template <typename BandWork>
    bool forEachAntiAliasBand(int fromRow, int toRow, const BandWork& work);
    template <typename BandWork>
    bool workWhileTracing(const CandidateBand& current, CandidateBand& next, const BandWork& work);
    void handOverGrids(const CandidateBand& band, const GridConsumer& take);
    void collectCandidates(CandidateBand& band, int firstRow, int endRow);
    bool traceCandidates(CandidateBand& band);
    void countTraced(const CandidateBand& band);
    void traceCandidateBatch(CandidateBand& band, std::size_t begin, std::size_t end);
    bool decideEdges(const CandidateBand& band);
    void smoothEdge(const CandidateBand& band, int column, int row, std::size_t& candidate);

    const BatchTracer& tracer_;
    const PixelImage& image_;
    RenderObserver& observer_;
    DeepPixel* deep_;
    RenderStats stats_;
    int antiAliasBandRows_;
    int rowOffset_ = 0;
    int imageHeight_ = 0;
    CandidateBand bands_[2];  // the band being decided, the next one traced
    std::vector<GridAverage> rowGrids_;
    std::vector<DeepPixel> rowDeepGrids_;
};

}  // namespace tessaform
