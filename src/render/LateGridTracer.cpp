#include "render/LateGridTracer.h"

#include <utility>

namespace tessaform {

LateGridTracer::LateGridTracer(const BatchTracer& tracer, int width, int firstRow, bool deep, BandRowConsumer consume)
    : width_(width),
      firstRow_(firstRow),
      deep_(deep),
      consume_(std::move(consume)),
      assembler_(
          tracer, width, deep, [this](int row, const std::uint32_t*, const DeepPixel*) { return handOn(row); },
          firstRow)
{
}

bool LateGridTracer::addRow(const BandRow& values)
{
    keep(pending_[static_cast<std::size_t>(rowsAdded_ % 2)], values);
    ++rowsAdded_;
    return assembler_.addRow(values);
}

bool LateGridTracer::finish()
{
    return assembler_.finish();
}

// The assembler smooths its own copy; the part keeps first-pass values.
void LateGridTracer::keep(PendingRow& pending, const BandRow& values) const
{
    pending.firstPass.assign(values.firstPass, values.firstPass + width_);
    pending.grids.assign(values.grids.begin(), values.grids.end());
    if (deep_) {
        pending.firstPassDeep.assign(values.firstPassDeep, values.firstPassDeep + width_);
        pending.gridsDeep.assign(values.gridsDeep.begin(), values.gridsDeep.end());
    }
}

// The row's own grids and those traced for it, merged by column; no
// column is in both, a grid on hand is never traced again.
bool LateGridTracer::handOn(int row)
{
    const PendingRow& pending = pending_[static_cast<std::size_t>((row - firstRow_) % 2)];
    const std::span<const GridAverage> traced = assembler_.rowGridsTracedHere();
    const std::span<const DeepPixel> tracedDeep = assembler_.rowGridsTracedHereDeep();
    merged_.clear();
    mergedDeep_.clear();
    std::size_t own = 0;
    std::size_t late = 0;
    while (own < pending.grids.size() || late < traced.size()) {
        const bool takeOwn =
            late == traced.size() || (own < pending.grids.size() && pending.grids[own].column < traced[late].column);
        merged_.push_back(takeOwn ? pending.grids[own] : traced[late]);
        if (deep_) {
            mergedDeep_.push_back(takeOwn ? pending.gridsDeep[own] : tracedDeep[late]);
        }
        ++(takeOwn ? own : late);
    }
    return consume_(row,
                    {pending.firstPass.data(), merged_, deep_ ? pending.firstPassDeep.data() : nullptr, mergedDeep_});
}

}  // namespace tessaform
