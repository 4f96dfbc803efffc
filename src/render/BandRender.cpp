#include "render/BandRender.h"

#include <tbb/task_arena.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/ParallelPasses.h"
#include "render/SimdTracer.h"
#include "render/StripPlan.h"

namespace tessaform {
namespace {

// The grid averages of a strip's rows, kept until the strip's rows go out.
class StripGrids {
public:
    void reset(int firstRow, int rows)
    {
        firstRow_ = firstRow;
        grids_.clear();
        deep_.clear();
        ranges_.assign(static_cast<std::size_t>(rows), {0, 0});
    }
    void add(int row, std::span<const GridAverage> grids, std::span<const DeepPixel> deep)
    {
        const std::size_t begin = grids_.size();
        grids_.insert(grids_.end(), grids.begin(), grids.end());
        deep_.insert(deep_.end(), deep.begin(), deep.end());
        ranges_[static_cast<std::size_t>(row - firstRow_)] = {begin, grids_.size()};
    }
    std::span<const GridAverage> of(int row) const
    {
        const auto [begin, end] = range(row);
        return std::span<const GridAverage>(grids_).subspan(begin, end - begin);
    }
    std::span<const DeepPixel> deepOf(int row) const
    {
        if (deep_.empty()) {
            return {};
        }
        const auto [begin, end] = range(row);
        return std::span<const DeepPixel>(deep_).subspan(begin, end - begin);
    }

private:
    std::pair<std::size_t, std::size_t> range(int row) const
    {
        return ranges_[static_cast<std::size_t>(row - firstRow_)];
    }

    int firstRow_ = 0;
    std::vector<GridAverage> grids_;
    std::vector<DeepPixel> deep_;  // with deep values: one per grid
    std::vector<std::pair<std::size_t, std::size_t>> ranges_;
};

}  // namespace

// Strip by strip, as renderRows does; nothing is decided, so every held
// row keeps its first-pass values.
RenderOutcome renderBand(const FractalParams& snapshot, const Gradient& gradient, int width, int height, int firstRow,
                         int endRow, RenderObserver& observer, unsigned threads, SimdTarget target, bool deep,
                         const BandRowConsumer& consume, int stripRows)
{
    if (!isSupportedPower(snapshot.power)) {
        return RenderOutcome::UnsupportedPower;
    }
    const SimdTracer tracer(snapshot, gradient.empty() ? neutralGradient() : gradient, width, height, target);
    StripGrids grids;
    tbb::task_arena arena(arenaConcurrency(threads));
    const int rows = stripRowsFor(width, height, stripRows, deep ? kDeepStripPixels : kStripPixels);
    const bool finished =
        walkStrips(width, height, firstRow, endRow, rows, deep,
                   [&](const StripBuffer& buffer, const ParallelPasses::Strip& strip, int stripFirst, int stripEnd) {
                       ParallelPasses passes(tracer, buffer.view, observer, buffer.deep);
                       grids.reset(stripFirst, stripEnd - stripFirst);
                       const auto keep = [&](int row, std::span<const GridAverage> rowGrids,
                                             std::span<const DeepPixel> rowDeep) { grids.add(row, rowGrids, rowDeep); };
                       if (!arena.execute([&] { return passes.runForTile(strip, keep); })) {
                           return false;
                       }
                       for (int row = stripFirst; row < stripEnd; ++row) {
                           const int bufferRow = row - strip.rowOffset;
                           const BandRow values{buffer.pixelRow(bufferRow), grids.of(row), buffer.deepRow(bufferRow),
                                                grids.deepOf(row)};
                           if (!consume(row, values)) {
                               return false;
                           }
                       }
                       return true;
                   });
    return finished ? RenderOutcome::Completed : RenderOutcome::Abandoned;
}

}  // namespace tessaform
