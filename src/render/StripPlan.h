#pragma once

#include <tbb/info.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "render/DeepPixel.h"
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
// With float values beside them a pixel takes twelve times the memory, so
// a deep strip holds fewer: about a hundred megabytes.
inline constexpr std::size_t kDeepStripPixels = std::size_t{1} << 21;

// Rows per strip: as asked, or a strip's worth of pixels, never more rows
// than the image has, so that a small image holds a small buffer.
inline int stripRowsFor(int width, int height, int requested, std::size_t stripPixels = kStripPixels)
{
    const int rows = requested > 0
                         ? requested
                         : static_cast<int>(std::max<std::size_t>(1, stripPixels / static_cast<std::size_t>(width)));
    return std::max(1, std::min(rows, height));
}

// One strip's buffer: its rows' pixels and, with deep values, their float
// values at the same indices (else null).
struct StripBuffer {
    PixelImage view;
    DeepPixel* deep;

    const std::uint32_t* pixelRow(int bufferRow) const { return view.pixels + offset(bufferRow); }
    const DeepPixel* deepRow(int bufferRow) const { return deep == nullptr ? nullptr : deep + offset(bufferRow); }

private:
    std::size_t offset(int bufferRow) const
    {
        return static_cast<std::size_t>(bufferRow) * static_cast<std::size_t>(view.width);
    }
};

// Rows [firstRow, endRow) of a width x height image, strip by strip: a
// buffer holds each strip's rows with the row above and the row below, which
// is all the edge decisions of the strip's rows read. The rows the next
// strip needs are carried over, so every row is traced once, as in one whole
// image. work(buffer, strip, firstRow, endRow) runs the passes on one strip,
// whose row firstRow is buffer row firstRow - strip.rowOffset; false stops
// the walk. With deep, the buffer holds float values too.
template <typename StripWork>
bool walkStrips(int width, int height, int firstRow, int endRow, int stripRows, bool deep, const StripWork& work)
{
    const auto rowSize = static_cast<std::size_t>(width);
    // Every row is traced before anything reads it, so the buffer is left
    // uncleared: clearing tens of megabytes costs a small render most of its
    // time.
    const int heldRows = std::min(stripRows, endRow - firstRow) + 2;
    const std::size_t heldPixels = static_cast<std::size_t>(heldRows) * rowSize;
    const auto buffer = std::make_unique_for_overwrite<std::uint32_t[]>(heldPixels);
    std::vector<DeepPixel> deepBuffer(deep ? heldPixels : 0);
    const auto rowAt = [&](int bufferRow) { return static_cast<std::size_t>(bufferRow) * rowSize; };
    int top = std::max(0, firstRow - 1);
    int traced = top;
    for (int done = firstRow; done < endRow;) {
        const int end = std::min(endRow, done + stripRows);
        const int traceTo = std::min(height, end + 1);
        const StripBuffer strip{{buffer.get(), width, traceTo - top}, deep ? deepBuffer.data() : nullptr};
        const ParallelPasses::Strip rows{
            top, height, traced - top, traceTo - top, std::max(done, 1) - top, std::min(end, height - 1) - top};
        if (!work(strip, rows, done, end)) {
            return false;
        }
        traced = traceTo;
        done = end;
        if (done < endRow) {
            const int keepFrom = done - 1;
            std::copy(buffer.get() + rowAt(keepFrom - top), buffer.get() + rowAt(traced - top), buffer.get());
            if (deep) {
                std::copy(deepBuffer.begin() + static_cast<std::ptrdiff_t>(rowAt(keepFrom - top)),
                          deepBuffer.begin() + static_cast<std::ptrdiff_t>(rowAt(traced - top)), deepBuffer.begin());
            }
            top = keepFrom;
        }
    }
    return true;
}

}  // namespace tessaform
