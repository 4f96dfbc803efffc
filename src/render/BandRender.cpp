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
        ranges_.assign(static_cast<std::size_t>(rows), {0, 0});
    }
    void add(int row, std::span<const GridAverage> grids)
    {
        const std::size_t begin = grids_.size();
        grids_.insert(grids_.end(), grids.begin(), grids.end());
        ranges_[static_cast<std::size_t>(row - firstRow_)] = {begin, grids_.size()};
    }
    std::span<const GridAverage> of(int row) const
    {
        const auto [begin, end] = ranges_[static_cast<std::size_t>(row - firstRow_)];
        return std::span<const GridAverage>(grids_).subspan(begin, end - begin);
    }

private:
    int firstRow_ = 0;
    std::vector<GridAverage> grids_;
    std::vector<std::pair<std::size_t, std::size_t>> ranges_;
};

}  // namespace

// Strip by strip, as renderRows does; nothing is decided, so every held
// row keeps its first-pass values.
RenderOutcome renderBand(const FractalParams& snapshot, const Gradient& gradient, int width, int height, int firstRow,
                         int endRow, RenderObserver& observer, unsigned threads, SimdTarget target,
                         const BandRowConsumer& consume, int stripRows)
{
    if (!isSupportedPower(snapshot.power)) {
        return RenderOutcome::UnsupportedPower;
    }
    const SimdTracer tracer(snapshot, gradient.empty() ? neutralGradient() : gradient, width, height, target);
    StripGrids grids;
    tbb::task_arena arena(arenaConcurrency(threads));
    const bool finished = walkStrips(width, height, firstRow, endRow, stripRowsFor(width, height, stripRows),
                                     [&](const PixelImage& view, const ParallelPasses::Strip& strip,
                                         const std::uint32_t* rows, int stripFirst, int stripEnd) {
                                         ParallelPasses passes(tracer, view, observer);
                                         grids.reset(stripFirst, stripEnd - stripFirst);
                                         const auto keep = [&](int row, std::span<const GridAverage> rowGrids) {
                                             grids.add(row, rowGrids);
                                         };
                                         if (!arena.execute([&] { return passes.runForTile(strip, keep); })) {
                                             return false;
                                         }
                                         for (int row = stripFirst; row < stripEnd; ++row, rows += width) {
                                             if (!consume(row, rows, grids.of(row))) {
                                                 return false;
                                             }
                                         }
                                         return true;
                                     });
    return finished ? RenderOutcome::Completed : RenderOutcome::Abandoned;
}

}  // namespace tessaform
