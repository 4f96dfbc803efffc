#include "io/PngRowFilter.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tessaform {
namespace {

enum Filter : std::uint8_t { None, Sub, Up, Average, Paeth, FilterCount };

// In 16 bits (every value fits) and without early returns, so that the
// loops that use it vectorize with eight lanes to a 16-byte vector.
std::int16_t paethPredictor(std::int16_t left, std::int16_t above, std::int16_t aboveLeft)
{
    const auto towardLeft = static_cast<std::int16_t>(std::abs(above - aboveLeft));
    const auto towardAbove = static_cast<std::int16_t>(std::abs(left - aboveLeft));
    const auto towardAboveLeft = static_cast<std::int16_t>(std::abs(left + above - 2 * aboveLeft));
    const std::int16_t leftOrAbove = towardLeft <= towardAbove ? left : above;
    const std::int16_t nearer = towardLeft <= towardAbove ? towardLeft : towardAbove;
    return nearer <= towardAboveLeft ? leftOrAbove : aboveLeft;
}

// A filtered byte's size, read as signed.
std::uint16_t magnitude(int filtered)
{
    const auto byte = static_cast<std::int8_t>(filtered);
    return static_cast<std::uint16_t>(byte < 0 ? -byte : byte);
}

// A row and the one above, which its filters predict from: the bytes to the
// left, above and above to the left; the first pixel's left ones count as
// zeros.
struct Neighbours {
    const std::uint8_t* row;
    const std::uint8_t* above;
    std::size_t length;
    std::size_t firstWithLeft;
    std::size_t bytesPerPixel;

    int left(std::size_t i) const { return row[i - bytesPerPixel]; }
    int aboveLeft(std::size_t i) const { return above[i - bytesPerPixel]; }
};

// Each filter's magnitude sum over the row, in one pass.
std::array<std::uint32_t, FilterCount> filterCosts(const Neighbours& n)
{
    std::uint32_t none = 0, sub = 0, up = 0, average = 0, paeth = 0;
    for (std::size_t i = 0; i < n.firstWithLeft; ++i) {
        const int x = n.row[i];
        const int b = n.above[i];
        none += magnitude(x);
        sub += magnitude(x);
        up += magnitude(x - b);
        average += magnitude(x - (b >> 1));
        paeth += magnitude(x - b);
    }
    for (std::size_t i = n.firstWithLeft; i < n.length; ++i) {
        const std::int16_t x = n.row[i];
        const std::int16_t a = n.left(i);
        const std::int16_t b = n.above[i];
        none += magnitude(x);
        sub += magnitude(x - a);
        up += magnitude(x - b);
        average += magnitude(x - ((a + b) >> 1));
        paeth += magnitude(x - paethPredictor(a, b, n.aboveLeft(i)));
    }
    return {none, sub, up, average, paeth};
}

// The filter applied, a loop per filter so that each vectorizes.
void applyFilter(Filter filter, const Neighbours& n, std::uint8_t* out)
{
    for (std::size_t i = 0; i < n.firstWithLeft; ++i) {
        const int b = n.above[i];
        const int predicted = filter == Up || filter == Paeth ? b : filter == Average ? b >> 1 : 0;
        out[i] = static_cast<std::uint8_t>(n.row[i] - predicted);
    }
    const std::size_t first = n.firstWithLeft;
    switch (filter) {
        case None:
            std::memcpy(out + first, n.row + first, n.length - first);
            return;
        case Sub:
            for (std::size_t i = first; i < n.length; ++i) {
                out[i] = static_cast<std::uint8_t>(n.row[i] - n.left(i));
            }
            return;
        case Up:
            for (std::size_t i = first; i < n.length; ++i) {
                out[i] = static_cast<std::uint8_t>(n.row[i] - n.above[i]);
            }
            return;
        case Average:
            for (std::size_t i = first; i < n.length; ++i) {
                out[i] = static_cast<std::uint8_t>(n.row[i] - ((n.left(i) + n.above[i]) >> 1));
            }
            return;
        default:
            for (std::size_t i = first; i < n.length; ++i) {
                out[i] = static_cast<std::uint8_t>(n.row[i] - paethPredictor(n.left(i), n.above[i], n.aboveLeft(i)));
            }
            return;
    }
}

}  // namespace

void filterPngRow(const std::uint8_t* row, const std::uint8_t* previous, std::size_t length, std::size_t bytesPerPixel,
                  std::uint8_t* out)
{
    thread_local std::vector<std::uint8_t> zeros;
    if (previous == nullptr) {
        // The row above the top one counts as zeros.
        zeros.assign(length, 0);
        previous = zeros.data();
    }
    const Neighbours neighbours{row, previous, length, bytesPerPixel < length ? bytesPerPixel : length, bytesPerPixel};
    const std::array<std::uint32_t, FilterCount> costs = filterCosts(neighbours);
    Filter best = None;
    for (std::uint8_t f = Sub; f < FilterCount; ++f) {
        if (costs[f] < costs[best]) {
            best = static_cast<Filter>(f);
        }
    }
    out[0] = best;
    applyFilter(best, neighbours, out + 1);
}

}  // namespace tessaform
