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

// Strip by strip, as renderRows does, with the row above and the row below
// each strip traced with it; nothing is decided, so every held row keeps its
// first-pass values.
RenderOutcome renderBand(const FractalParams& snapshot, const Gradient& gradient, int width, int height, int firstRow,
                         int endRow, RenderObserver& observer, unsigned threads, const BandRowConsumer& consume,
                         int stripRows)
{
    if (!isSupportedPower(snapshot.power)) {
        return RenderOutcome::UnsupportedPower;
    }
    const SimdTracer tracer(snapshot, gradient.empty() ? neutralGradient() : gradient, width, height);
    const int rowsPerStrip = stripRowsFor(width, stripRows);
    std::vector<std::uint32_t> buffer(static_cast<std::size_t>(rowsPerStrip + 2) * static_cast<std::size_t>(width));
    const auto rowAt = [&](int bufferRow) { return buffer.data() + static_cast<std::size_t>(bufferRow) * width; };
    StripGrids grids;
    tbb::task_arena arena(arenaConcurrency(threads));
    int top = std::max(0, firstRow - 1);
    int traced = top;
    for (int done = firstRow; done < endRow;) {
        const int end = std::min(endRow, done + rowsPerStrip);
        const int traceTo = std::min(height, end + 1);
        const PixelImage view{buffer.data(), width, traceTo - top};
        ParallelPasses passes(tracer, view, observer);
        const ParallelPasses::Strip strip{
            top, height, traced - top, traceTo - top, std::max(done, 1) - top, std::min(end, height - 1) - top};
        grids.reset(done, end - done);
        const auto keep = [&](int row, std::span<const GridAverage> rowGrids) { grids.add(row, rowGrids); };
        if (!arena.execute([&] { return passes.runForTile(strip, keep); })) {
            return RenderOutcome::Abandoned;
        }
        for (int row = done; row < end; ++row) {
            if (!consume(row, rowAt(row - top), grids.of(row))) {
                return RenderOutcome::Abandoned;
            }
        }
        traced = traceTo;
        done = end;
        if (done < endRow) {
            const int keepFrom = done - 1;
            std::copy(rowAt(keepFrom - top), rowAt(traced - top), buffer.data());
            top = keepFrom;
        }
    }
    return RenderOutcome::Completed;
}

}  // namespace tessaform
