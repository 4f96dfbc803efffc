#include "render/ParallelPasses.h"

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include <algorithm>
#include <atomic>

#include "base/SanitizerHandOff.h"
#include "render/EdgeTest.h"
#include "render/Quantize.h"

namespace tessaform {
namespace {

// Bands big enough that every thread has many batches, small enough that
// rows are reported often and the band buffers stay small.
constexpr std::size_t kFirstPassBandSamples = 16384;
constexpr std::size_t kAntiAliasBandPixels = 65536;
// Even a small image has a few anti-alias bands, so that deciding one
// overlaps tracing the next.
constexpr int kAntiAliasBandsAtLeast = 8;

// Grids per batch: as many whole grids as one call of the tracer takes.
constexpr std::size_t kGridsPerBatch = BatchTracer::kMaxBatch / kGridSamples;

// No pixel has a non-zero top byte, so this marks a grid not traced yet.
constexpr std::uint32_t kNotTraced = 0xFF000000u;

int bandRows(std::size_t bandSize, int width)
{
    return static_cast<int>(std::max<std::size_t>(1, bandSize / static_cast<std::size_t>(width)));
}

std::size_t rowStart(int row, int width)
{
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
}

// libtbb hides from ThreadSanitizer that a task starts after the work of
// the thread that spawned it and that the spawner goes on only after every
// task ended; one token tells it both.
const char taskHandOff = 0;

// The body of a parallel loop over batches: runs body(begin, end) on each
// piece of at most grain items until the observer asks to stop.
template <typename Body>
class BatchLoop {
public:
    BatchLoop(std::size_t count, std::size_t grain, RenderObserver& observer, RenderPass pass, const Body& body,
              std::atomic<bool>& abandoned)
        : count_(count), grain_(grain), observer_(&observer), pass_(pass), body_(&body), abandoned_(&abandoned)
    {
    }

    // oneTBB copies the body into every task it splits off, on the splitting
    // thread.
    BatchLoop(const BatchLoop& other)
    {
        takeOver(&taskHandOff);
        count_ = other.count_;
        grain_ = other.grain_;
        observer_ = other.observer_;
        pass_ = other.pass_;
        body_ = other.body_;
        abandoned_ = other.abandoned_;
        handOver(&taskHandOff);
    }
    BatchLoop& operator=(const BatchLoop&) = delete;

    void operator()(const tbb::blocked_range<std::size_t>& batches) const
    {
        takeOver(&taskHandOff);
        for (std::size_t batch = batches.begin(); batch != batches.end(); ++batch) {
            if (abandoned_->load(std::memory_order_relaxed) || observer_->shouldAbandon(pass_)) {
                abandoned_->store(true, std::memory_order_relaxed);
                break;
            }
            (*body_)(batch * grain_, std::min(count_, (batch + 1) * grain_));
        }
        handOver(&taskHandOff);
    }

private:
    std::size_t count_ = 0;
    std::size_t grain_ = 1;
    RenderObserver* observer_ = nullptr;
    RenderPass pass_ = RenderPass::First;
    const Body* body_ = nullptr;
    std::atomic<bool>* abandoned_ = nullptr;
};

// Runs body(begin, end) over [0, count) in parallel, in pieces of at most
// grain, until one piece finds the observer asking to stop.
template <typename Body>
bool forEachBatch(std::size_t count, std::size_t grain, RenderObserver& observer, RenderPass pass, const Body& body)
{
    std::atomic<bool> abandoned{false};
    const std::size_t batches = (count + grain - 1) / grain;
    handOver(&taskHandOff);
    // One batch a task is work enough, and the simple partitioner keeps no
    // shared bookkeeping that could slow the batches down.
    tbb::parallel_for(tbb::blocked_range<std::size_t>(0, batches, 1),
                      BatchLoop<Body>(count, grain, observer, pass, body, abandoned), tbb::simple_partitioner());
    takeOver(&taskHandOff);
    return !abandoned.load();
}

}  // namespace

ParallelPasses::ParallelPasses(const BatchTracer& tracer, const PixelImage& image, RenderObserver& observer,
                               DeepPixel* deep)
    : tracer_(tracer),
      image_(image),
      observer_(observer),
      deep_(deep),
      antiAliasBandRows_(std::min(bandRows(kAntiAliasBandPixels, image.width),
                                  std::max(1, (image.height - 2) / kAntiAliasBandsAtLeast)))
{
}

bool ParallelPasses::run()
{
    return run({0, image_.height, 0, image_.height, 1, image_.height - 1});
}

bool ParallelPasses::run(const Strip& strip)
{
    rowOffset_ = strip.rowOffset;
    imageHeight_ = strip.imageHeight;
    return firstPass(strip.traceFrom, strip.traceTo) && antiAliasPass(strip.decideFrom, strip.decideTo);
}

bool ParallelPasses::firstPass(int fromRow, int toRow)
{
    const int band = bandRows(kFirstPassBandSamples, image_.width);
    for (int firstRow = fromRow; firstRow < toRow; firstRow += band) {
        const int endRow = std::min(toRow, firstRow + band);
        if (!traceFirstPassBand(firstRow, endRow)) {
            return false;
        }
        for (int row = firstRow; row < endRow; ++row) {
            observer_.rowFinished(RenderPass::First, row + rowOffset_, imageHeight_);
        }
    }
    return true;
}

bool ParallelPasses::traceFirstPassBand(int firstRow, int endRow)
{
    const std::size_t begin = rowStart(firstRow, image_.width);
    const std::size_t count = rowStart(endRow, image_.width) - begin;
    const bool finished =
        forEachBatch(count, BatchTracer::kMaxBatch, observer_, RenderPass::First,
                     [&](std::size_t from, std::size_t to) { traceFirstPassBatch(firstRow, endRow, from, to); });
    if (finished) {
        stats_.samples += count;
    }
    return finished;
}

// The band's pixels in block order: column by column within each run of
// rows that a block of first-pass bundles spans, so that a batch holds
// whole blocks, whose rays then share their walk.
void ParallelPasses::traceFirstPassBatch(int firstRow, int endRow, std::size_t from, std::size_t to)
{
    const auto width = static_cast<std::size_t>(image_.width);
    const auto blockRows = static_cast<int>(kPixelBlocks.pitch);
    tracePixels(to - from, [&](std::size_t i) {
        const std::size_t position = from + i;
        const int row = firstRow + static_cast<int>(position / width);
        const int runStart = std::max(firstRow, row - (row + rowOffset_) % blockRows);
        const int runEnd = std::min(endRow, row - (row + rowOffset_) % blockRows + blockRows);
        const auto runRows = static_cast<std::size_t>(runEnd - runStart);
        const std::size_t inRun = position - rowStart(runStart - firstRow, image_.width);
        return rowStart(runStart + static_cast<int>(inRun % runRows), image_.width) + inRun / runRows;
    });
}

// The first-pass samples of count pixels, the i-th at image index
// indexOf(i): at most one batch of the tracer.
template <typename IndexOf>
void ParallelPasses::tracePixels(std::size_t count, const IndexOf& indexOf)
{
    SamplePoint points[BatchTracer::kMaxBatch] = {};
    Colour colours[BatchTracer::kMaxBatch];
    const auto width = static_cast<std::size_t>(image_.width);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t index = indexOf(i);
        points[i] = {static_cast<float>(index % width),
                     static_cast<float>(index / width + static_cast<std::size_t>(rowOffset_))};
    }
    if (deep_ == nullptr) {
        tracer_.trace(points, count, colours, kPixelBlocks);
    } else {
        SampleDepth depths[BatchTracer::kMaxBatch];
        tracer_.traceWithDepth(points, count, colours, depths, kPixelBlocks);
        for (std::size_t i = 0; i < count; ++i) {
            deep_[indexOf(i)] = deepSample(colours[i], depths[i]);
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        image_.pixels[indexOf(i)] = quantizeColour(colours[i]);
    }
}

bool ParallelPasses::traceFirstPassPixels(std::span<const std::size_t> indices)
{
    rowOffset_ = 0;
    imageHeight_ = image_.height;
    const bool finished = forEachBatch(indices.size(), BatchTracer::kMaxBatch, observer_, RenderPass::First,
                                       [&](std::size_t from, std::size_t to) {
                                           tracePixels(to - from, [&](std::size_t i) { return indices[from + i]; });
                                       });
    if (finished) {
        stats_.samples += indices.size();
    }
    return finished;
}

bool ParallelPasses::runAntiAliasPass()
{
    rowOffset_ = 0;
    imageHeight_ = image_.height;
    return antiAliasPass(1, image_.height - 1);
}

bool ParallelPasses::runForTile(const Strip& strip, const GridConsumer& take)
{
    rowOffset_ = strip.rowOffset;
    imageHeight_ = strip.imageHeight;
    return firstPass(strip.traceFrom, strip.traceTo) &&
           forEachAntiAliasBand(strip.decideFrom, strip.decideTo, [&](const CandidateBand& band) {
               handOverGrids(band, take);
               return true;
           });
}

bool ParallelPasses::antiAliasPass(int fromRow, int toRow)
{
    return forEachAntiAliasBand(fromRow, toRow, [&](const CandidateBand& band) { return decideEdges(band); });
}

// Lets work(band) use each band's traced candidate grids, while the next
// band's candidates, collected by the values as they stand before the work,
// are traced on the other threads. Which grids are traced ahead changes
// only how much the work traces itself, never a pixel.
template <typename BandWork>
bool ParallelPasses::forEachAntiAliasBand(int fromRow, int toRow, const BandWork& work)
{
    if (fromRow >= toRow) {
        return true;
    }
    CandidateBand* current = &bands_[0];
    CandidateBand* next = &bands_[1];
    collectCandidates(*current, fromRow, std::min(toRow, fromRow + antiAliasBandRows_));
    if (!traceCandidates(*current)) {
        return false;
    }
    countTraced(*current);
    while (current->endRow < toRow) {
        collectCandidates(*next, current->endRow, std::min(toRow, current->endRow + antiAliasBandRows_));
        if (!workWhileTracing(*current, *next, work)) {
            return false;
        }
        countTraced(*next);
        std::swap(current, next);
    }
    return work(*current);
}

// One parallel loop whose first item is work(current), on the thread that
// starts the loop unless another takes it first, and whose other items
// trace next's grids.
template <typename BandWork>
bool ParallelPasses::workWhileTracing(const CandidateBand& current, CandidateBand& next, const BandWork& work)
{
    const std::size_t grids = next.candidates.size();
    const std::size_t batches = (grids + kGridsPerBatch - 1) / kGridsPerBatch;
    bool worked = false;
    const bool finished =
        forEachBatch(1 + batches, 1, observer_, RenderPass::AntiAlias, [&](std::size_t item, std::size_t) {
            if (item == 0) {
                worked = work(current);
                return;
            }
            const std::size_t first = (item - 1) * kGridsPerBatch;
            traceCandidateBatch(next, first, std::min(grids, first + kGridsPerBatch));
        });
    return finished && worked;
}

void ParallelPasses::handOverGrids(const CandidateBand& band, const GridConsumer& take)
{
    const auto width = static_cast<std::size_t>(image_.width);
    std::size_t next = 0;
    for (int row = band.firstRow; row < band.endRow; ++row) {
        rowGrids_.clear();
        rowDeepGrids_.clear();
        const std::size_t rowEnd = rowStart(row - band.firstRow + 1, image_.width);
        for (; next < band.candidates.size() && band.candidates[next] < rowEnd; ++next) {
            const std::uint32_t index = band.candidates[next];
            rowGrids_.push_back({static_cast<int>(index % width), band.smoothed[index]});
            if (deep_ != nullptr) {
                rowDeepGrids_.push_back(band.smoothedDeep[next]);
            }
        }
        take(row + rowOffset_, rowGrids_, rowDeepGrids_);
        observer_.rowFinished(RenderPass::AntiAlias, row + rowOffset_, imageHeight_);
    }
}

// Edges by the values as they stand.
void ParallelPasses::collectCandidates(CandidateBand& band, int firstRow, int endRow)
{
    band.firstRow = firstRow;
    band.endRow = endRow;
    band.smoothed.assign(rowStart(endRow - firstRow, image_.width), kNotTraced);
    band.candidates.clear();
    for (int row = firstRow; row < endRow; ++row) {
        for (int column = 1; column <= image_.width - 2; ++column) {
            if (isEdgePixel(image_, column, row)) {
                band.candidates.push_back(static_cast<std::uint32_t>(rowStart(row - firstRow, image_.width)) +
                                          static_cast<std::uint32_t>(column));
            }
        }
    }
    if (deep_ != nullptr) {
        band.smoothedDeep.resize(band.candidates.size());
    }
}

// The stats count a band's traced grids on the calling thread only, so
// that they have one writer while the next band is traced.
void ParallelPasses::countTraced(const CandidateBand& band)
{
    stats_.samples += band.candidates.size() * kGridSamples;
}

bool ParallelPasses::traceCandidates(CandidateBand& band)
{
    return forEachBatch(band.candidates.size(), kGridsPerBatch, observer_, RenderPass::AntiAlias,
                        [&](std::size_t from, std::size_t to) { traceCandidateBatch(band, from, to); });
}

void ParallelPasses::traceCandidateBatch(CandidateBand& band, std::size_t begin, std::size_t end)
{
    SamplePoint points[kGridsPerBatch * kGridSamples] = {};
    Colour colours[kGridsPerBatch * kGridSamples];
    const auto width = static_cast<std::size_t>(image_.width);
    for (std::size_t i = begin; i < end; ++i) {
        const std::size_t index = band.candidates[i];
        gridPoints(static_cast<int>(index % width), band.firstRow + static_cast<int>(index / width) + rowOffset_,
                   points + (i - begin) * kGridSamples);
    }
    const std::size_t bandStart = rowStart(band.firstRow, image_.width);
    if (deep_ == nullptr) {
        tracer_.trace(points, (end - begin) * kGridSamples, colours, kPixelGrids);
    } else {
        SampleDepth depths[kGridsPerBatch * kGridSamples];
        tracer_.traceWithDepth(points, (end - begin) * kGridSamples, colours, depths, kPixelGrids);
        for (std::size_t i = begin; i < end; ++i) {
            const std::size_t at = (i - begin) * kGridSamples;
            band.smoothedDeep[i] = deepGridAverage(deep_[bandStart + band.candidates[i]], colours + at, depths + at);
        }
    }
    for (std::size_t i = begin; i < end; ++i) {
        const std::size_t index = band.candidates[i];
        band.smoothed[index] = gridAverage(image_.pixels[bandStart + index], colours + (i - begin) * kGridSamples);
    }
}

// The plain in-place order: left and upper neighbours already smoothed.
bool ParallelPasses::decideEdges(const CandidateBand& band)
{
    std::size_t candidate = 0;
    for (int row = band.firstRow; row < band.endRow; ++row) {
        if (observer_.shouldAbandon(RenderPass::AntiAlias)) {
            return false;
        }
        for (int column = 1; column <= image_.width - 2; ++column) {
            if (isEdgePixel(image_, column, row)) {
                smoothEdge(band, column, row, candidate);
            }
        }
        observer_.rowFinished(RenderPass::AntiAlias, row + rowOffset_, imageHeight_);
    }
    return true;
}

// Takes the pixel's grid traced ahead, or traces it now when it became an
// edge only through a smoothed neighbour. candidate walks the band's
// candidates in step with the decisions, to find a traced grid's float
// values.
void ParallelPasses::smoothEdge(const CandidateBand& band, int column, int row, std::size_t& candidate)
{
    const std::size_t index = rowStart(row - band.firstRow, image_.width) + static_cast<std::size_t>(column);
    const std::size_t at = rowStart(row, image_.width) + static_cast<std::size_t>(column);
    const std::uint32_t traced = band.smoothed[index];
    if (traced != kNotTraced) {
        image_.pixels[at] = traced;
        if (deep_ != nullptr) {
            while (band.candidates[candidate] < index) {
                ++candidate;
            }
            deep_[at] = band.smoothedDeep[candidate];
        }
    } else if (deep_ != nullptr) {
        image_.pixels[at] = traceDeepGridAverage(tracer_, column, row + rowOffset_, image_.pixels[at], deep_[at]);
        stats_.samples += kGridSamples;
    } else {
        image_.pixels[at] = traceGridAverage(tracer_, column, row + rowOffset_, image_.pixels[at]);
        stats_.samples += kGridSamples;
    }
    ++stats_.antiAliasedPixels;
}

}  // namespace tessaform
