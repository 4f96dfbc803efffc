#pragma once

#include <tbb/info.h>

#include <algorithm>
#include <cstddef>

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

}  // namespace tessaform
