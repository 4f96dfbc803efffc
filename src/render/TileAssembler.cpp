#include "render/TileAssembler.h"

#include <algorithm>
#include <utility>

#include "render/EdgeTest.h"

namespace tessaform {

TileAssembler::TileAssembler(const BatchTracer& tracer, int width, RowConsumer consume)
    : tracer_(tracer), width_(width), consume_(std::move(consume)), rows_(static_cast<std::size_t>(width) * 3)
{
}

bool TileAssembler::addRow(const std::uint32_t* firstPass, std::span<const GridAverage> grids)
{
    const int row = rowsAdded_++;
    if (row == 0) {
        std::copy_n(firstPass, width_, bufferRow(1));
        grids_.assign(grids.begin(), grids.end());
        return true;
    }
    std::copy_n(firstPass, width_, bufferRow(2));
    if (row >= 2) {
        decideMiddleRow();
    }
    if (!consume_(row - 1, bufferRow(1))) {
        return false;
    }
    std::copy_n(bufferRow(1), 2 * width_, bufferRow(0));
    grids_.assign(grids.begin(), grids.end());
    return true;
}

bool TileAssembler::finish()
{
    return rowsAdded_ == 0 || consume_(rowsAdded_ - 1, bufferRow(1));
}

// The plain in-place order: the left neighbour is already decided, the row
// above final, the right and lower neighbours hold first-pass values.
void TileAssembler::decideMiddleRow()
{
    const PixelImage window{rows_.data(), width_, 3};
    const int imageRow = rowsAdded_ - 2;
    std::size_t next = 0;
    for (int column = 1; column <= width_ - 2; ++column) {
        if (!isEdgePixel(window, column, 1)) {
            continue;
        }
        while (next < grids_.size() && grids_[next].column < column) {
            ++next;
        }
        if (next < grids_.size() && grids_[next].column == column) {
            window.at(column, 1) = grids_[next].colour;
        } else {
            window.at(column, 1) = traceGridAverage(tracer_, column, imageRow, window.at(column, 1));
            ++tracedHere_;
        }
    }
}

}  // namespace tessaform
