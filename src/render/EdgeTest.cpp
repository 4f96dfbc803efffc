#include "render/EdgeTest.h"

#include <algorithm>

namespace tessaform {
namespace {

// A squared distance above kEdgeThreshold needs a channel difference above
// 32, so with differences clamped to 33 every verdict stands and the sums
// fit 16 bits, which vectorise well.
inline std::uint16_t clampedSquaredDistance(std::uint32_t a, std::uint32_t b)
{
    std::uint16_t sum = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const auto x = static_cast<std::int16_t>((a >> shift) & 0xFF);
        const auto y = static_cast<std::int16_t>((b >> shift) & 0xFF);
        const auto difference = static_cast<std::uint16_t>(
            std::min<std::int16_t>(static_cast<std::int16_t>(x > y ? x - y : y - x), static_cast<std::int16_t>(33)));
        sum = static_cast<std::uint16_t>(sum + difference * difference);
    }
    return sum;
}

// 1 when two pixels differ enough to make an edge, else 0: an int, so that
// the marks combine without branches.
inline int apart(std::uint32_t a, std::uint32_t b)
{
    return clampedSquaredDistance(a, b) > kEdgeThreshold ? 1 : 0;
}

// The loop of markEdgePixels, built once for each instruction set below.
[[gnu::always_inline]] inline void markRow(const std::uint32_t* above, const std::uint32_t* row,
                                           const std::uint32_t* below, int width, std::uint8_t* edges)
{
    for (int column = 1; column <= width - 2; ++column) {
        const std::uint32_t pixel = row[column];
        edges[column] = static_cast<std::uint8_t>(apart(pixel, row[column - 1]) | apart(pixel, row[column + 1]) |
                                                  apart(pixel, above[column]) | apart(pixel, below[column]));
    }
}

#if defined(__x86_64__)
// An assembly marks every pixel of the image on one thread, so wider
// vectors pay. Chosen by a plain check, not an ifunc: ThreadSanitizer
// builds crash in an ifunc's resolver.
[[gnu::target("avx2")]] void markRowWide(const std::uint32_t* above, const std::uint32_t* row,
                                         const std::uint32_t* below, int width, std::uint8_t* edges)
{
    markRow(above, row, below, width, edges);
}

bool hasWideVectors()
{
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2;
}
#endif

}  // namespace

void markEdgePixels(const std::uint32_t* above, const std::uint32_t* row, const std::uint32_t* below, int width,
                    std::uint8_t* edges)
{
#if defined(__x86_64__)
    if (hasWideVectors()) {
        markRowWide(above, row, below, width, edges);
        return;
    }
#endif
    markRow(above, row, below, width, edges);
}

}  // namespace tessaform
