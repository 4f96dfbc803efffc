#pragma once

#include <tbb/info.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

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

inline int stripRowsFor(int width, int requested)
{
    if (requested > 0) {
        return requested;
    }
    return static_cast<int>(std::max<std::size_t>(1, kStripPixels / static_cast<std::size_t>(width)));
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
    std::vector<std::uint32_t> buffer(static_cast<std::size_t>(stripRows + 2) * rowSize);
    const auto rowAt = [&](int bufferRow) { return buffer.data() + static_cast<std::size_t>(bufferRow) * rowSize; };
    int top = std::max(0, firstRow - 1);
    int traced = top;
    for (int done = firstRow; done < endRow;) {
        const int end = std::min(endRow, done + stripRows);
        const int traceTo = std::min(height, end + 1);
        const PixelImage view{buffer.data(), width, traceTo - top};
        const ParallelPasses::Strip strip{
            top, height, traced - top, traceTo - top, std::max(done, 1) - top, std::min(end, height - 1) - top};
        if (!work(view, strip, static_cast<const std::uint32_t*>(rowAt(done - top)), done, end)) {
            return false;
        }
        traced = traceTo;
        done = end;
        if (done < endRow) {
            const int keepFrom = done - 1;
            std::copy(rowAt(keepFrom - top), rowAt(traced - top), buffer.data());
            top = keepFrom;
        }
    }
    return true;
}

}  // namespace tessaform
