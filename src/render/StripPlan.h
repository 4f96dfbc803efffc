#pragma once

#include <tbb/info.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "render/ParallelPasses.h"
#include "render/PixelImage.h"

namespace tessaform {

// More threads than the machine runs at once gain nothing, and oneTBB
// would only warn about them.
inline int arenaConcurrency(unsigned threads)
{
    const int available = tbb::info::default_concurrency();
    return threads == 0 || threads > static_cast<unsigned>(available) ? available : static_cast<int>(threads);
}

// A strip's worth of pixels: tens of megabytes, whatever the width.
inline constexpr std::size_t kStripPixels = std::size_t{1} << 24;

// Rows per strip: as asked, or a strip's worth of pixels, never more rows
// than the image has, so that a small image holds a small buffer.
inline int stripRowsFor(int width, int height, int requested)
{
    const int rows = requested > 0
                         ? requested
                         : static_cast<int>(std::max<std::size_t>(1, kStripPixels / static_cast<std::size_t>(width)));
    return std::max(1, std::min(rows, height));
}

// Rows [firstRow, endRow) of a width x height image, strip by strip: a
// buffer holds each strip's rows with the row above and the row below, which
// is all the edge decisions of the strip's rows read. The rows the next
// strip needs are carried over, so every row is traced once, as in one whole
// image. work(view, strip, rows, firstRow, endRow) runs the passes on one
// strip, whose rows [firstRow, endRow) start at rows; false stops the walk.
template <typename StripWork>
bool walkStrips(int width, int height, int firstRow, int endRow, int stripRows, const StripWork& work)
{
    const auto rowSize = static_cast<std::size_t>(width);
    // Every row is traced before anything reads it, so the buffer is left
    // uncleared: clearing tens of megabytes costs a small render most of its
    // time.
    const int heldRows = std::min(stripRows, endRow - firstRow) + 2;
    const auto buffer = std::make_unique_for_overwrite<std::uint32_t[]>(static_cast<std::size_t>(heldRows) * rowSize);
    const auto rowAt = [&](int bufferRow) { return buffer.get() + static_cast<std::size_t>(bufferRow) * rowSize; };
    int top = std::max(0, firstRow - 1);
    int traced = top;
    for (int done = firstRow; done < endRow;) {
        const int end = std::min(endRow, done + stripRows);
        const int traceTo = std::min(height, end + 1);
        const PixelImage view{buffer.get(), width, traceTo - top};
        const ParallelPasses::Strip strip{
            top, height, traced - top, traceTo - top, std::max(done, 1) - top, std::min(end, height - 1) - top};
        if (!work(view, strip, static_cast<const std::uint32_t*>(rowAt(done - top)), done, end)) {
            return false;
        }
        traced = traceTo;
        done = end;
        if (done < endRow) {
            const int keepFrom = done - 1;
            std::copy(rowAt(keepFrom - top), rowAt(traced - top), buffer.get());
            top = keepFrom;
        }
    }
    return true;
}

}  // namespace tessaform
