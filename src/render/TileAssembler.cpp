#include "render/TileAssembler.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "render/EdgeTest.h"

namespace tessaform {

TileAssembler::TileAssembler(const BatchTracer& tracer, int width, bool deep, DeepRowConsumer consume, int firstRow)
    : tracer_(tracer),
      width_(width),
      deep_(deep),
      consume_(std::move(consume)),
      rows_(static_cast<std::size_t>(width) * 3),
      deepRows_(deep ? static_cast<std::size_t>(width) * 3 : 0),
      edges_(static_cast<std::size_t>(width)),
      firstRow_(firstRow)
{
}

bool TileAssembler::addRow(const BandRow& values)
{
    const int row = rowsAdded_++;
    if (row == 0) {
        keepRow(1, values);
        return true;
    }
    keepRow(2, values);
    if (row >= 2) {
        decideMiddleRow();
    }
    if (!handOnMiddleRow(row - 1)) {
        return false;
    }
    shiftUp();
    grids_.assign(values.grids.begin(), values.grids.end());
    gridsDeep_.assign(values.gridsDeep.begin(), values.gridsDeep.end());
    return true;
}

bool TileAssembler::finish()
{
    rowTraced_.clear();
    rowTracedDeep_.clear();
    return rowsAdded_ == 0 || handOnMiddleRow(rowsAdded_ - 1);
}

DeepPixel* TileAssembler::deepRow(int slot)
{
    return deep_ ? deepRows_.data() + static_cast<std::size_t>(slot) * width_ : nullptr;
}

// The first row's grids are kept at once: it is the middle row next.
void TileAssembler::keepRow(int slot, const BandRow& values)
{
    std::copy_n(values.firstPass, width_, bufferRow(slot));
    if (deep_) {
        std::copy_n(values.firstPassDeep, width_, deepRow(slot));
    }
    if (slot == 1) {
        grids_.assign(values.grids.begin(), values.grids.end());
        gridsDeep_.assign(values.gridsDeep.begin(), values.gridsDeep.end());
    }
}

void TileAssembler::shiftUp()
{
    std::copy_n(bufferRow(1), 2 * width_, bufferRow(0));
    if (deep_) {
        std::copy_n(deepRow(1), 2 * width_, deepRow(0));
    }
}

bool TileAssembler::handOnMiddleRow(int row)
{
    return consume_(firstRow_ + row, bufferRow(1), deepRow(1));
}

// The plain in-place order: the left neighbour is already decided, the row
// above final, the right and lower neighbours hold first-pass values. The
// left neighbour differs from its first-pass value only once smoothed, so
// the edges marked before the row's decisions stand for every other pixel.
void TileAssembler::decideMiddleRow()
{
    const PixelImage window{rows_.data(), width_, 3};
    const int imageRow = firstRow_ + rowsAdded_ - 2;
    rowTraced_.clear();
    rowTracedDeep_.clear();
    markEdgePixels(bufferRow(0), bufferRow(1), bufferRow(2), width_, edges_.data());
    std::size_t next = 0;
    const int end = width_ - 1;
    for (int column = nextMarked(1, end); column < end;) {
        while (next < grids_.size() && grids_[next].column < column) {
            ++next;
        }
        smoothPixel(column, imageRow, next);
        // The right neighbour is judged again, by the smoothed value.
        const int right = column + 1;
        column = right < end && isEdgePixel(window, right, 1) ? right : nextMarked(right + 1, end);
    }
}

// The first column from column on, before end, marked an edge; most are
// not, so they are passed eight at a time.
int TileAssembler::nextMarked(int column, int end) const
{
    constexpr int kWord = 8;
    for (std::uint64_t word = 0; column + kWord <= end; column += kWord) {
        std::memcpy(&word, edges_.data() + column, kWord);
        if (word != 0) {
            break;
        }
    }
    while (column < end && edges_[static_cast<std::size_t>(column)] == 0) {
        ++column;
    }
    return column;
}

// From the grid traced ahead when grid names this pixel's, else traced here.
void TileAssembler::smoothPixel(int column, int imageRow, std::size_t grid)
{
    std::uint32_t& pixel = bufferRow(1)[column];
    if (grid < grids_.size() && grids_[grid].column == column) {
        pixel = grids_[grid].colour;
        if (deep_) {
            deepRow(1)[column] = gridsDeep_[grid];
        }
        return;
    }
    pixel = deep_ ? traceDeepGridAverage(tracer_, column, imageRow, pixel, deepRow(1)[column])
                  : traceGridAverage(tracer_, column, imageRow, pixel);
    rowTraced_.push_back({column, pixel});
    if (deep_) {
        rowTracedDeep_.push_back(deepRow(1)[column]);
    }
    ++tracedHere_;
}

}  // namespace tessaform
