#include "io/PngRowFilter.h"

#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace tessaform {
namespace {

enum Filter : std::uint8_t { None, Sub, Up, Average, Paeth, FilterCount };

int paethPredictor(int left, int above, int aboveLeft)
{
    const int towardLeft = std::abs(above - aboveLeft);
    const int towardAbove = std::abs(left - aboveLeft);
    const int towardAboveLeft = std::abs(left + above - 2 * aboveLeft);
    if (towardLeft <= towardAbove && towardLeft <= towardAboveLeft) {
        return left;
    }
    return towardAbove <= towardAboveLeft ? above : aboveLeft;
}

// Each loop is plain enough for the compiler to vectorize; the first pixel,
// which has nothing to its left, goes on its own.
void applyFilter(Filter filter, const std::uint8_t* row, const std::uint8_t* above, std::size_t length, std::size_t bpp,
                 std::uint8_t* out)
{
    const std::size_t first = bpp < length ? bpp : length;
    switch (filter) {
        case None:
            std::memcpy(out, row, length);
            return;
        case Sub:
            std::memcpy(out, row, first);
            for (std::size_t i = first; i < length; ++i) {
                out[i] = static_cast<std::uint8_t>(row[i] - row[i - bpp]);
            }
            return;
        case Up:
            for (std::size_t i = 0; i < length; ++i) {
                out[i] = static_cast<std::uint8_t>(row[i] - above[i]);
            }
            return;
        case Average:
            for (std::size_t i = 0; i < first; ++i) {
                out[i] = static_cast<std::uint8_t>(row[i] - above[i] / 2);
            }
            for (std::size_t i = first; i < length; ++i) {
                out[i] = static_cast<std::uint8_t>(row[i] - (row[i - bpp] + above[i]) / 2);
            }
            return;
        default:
            for (std::size_t i = 0; i < first; ++i) {
                out[i] = static_cast<std::uint8_t>(row[i] - above[i]);
            }
            for (std::size_t i = first; i < length; ++i) {
                out[i] = static_cast<std::uint8_t>(row[i] - paethPredictor(row[i - bpp], above[i], above[i - bpp]));
            }
            return;
    }
}

std::uint64_t magnitudeSum(const std::uint8_t* bytes, std::size_t length)
{
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < length; ++i) {
        sum += static_cast<std::uint64_t>(std::abs(static_cast<int>(static_cast<std::int8_t>(bytes[i]))));
    }
    return sum;
}

}  // namespace

void filterPngRow(const std::uint8_t* row, const std::uint8_t* previous, std::size_t length, std::size_t bytesPerPixel,
                  std::uint8_t* out)
{
    thread_local std::vector<std::uint8_t> zeros;
    thread_local std::vector<std::uint8_t> best;
    thread_local std::vector<std::uint8_t> trial;
    if (previous == nullptr) {
        // The row above the top one counts as zeros.
        zeros.assign(length, 0);
        previous = zeros.data();
    }
    best.resize(length);
    trial.resize(length);
    applyFilter(None, row, previous, length, bytesPerPixel, best.data());
    Filter bestFilter = None;
    std::uint64_t bestSum = magnitudeSum(best.data(), length);
    for (std::uint8_t f = Sub; f < FilterCount; ++f) {
        applyFilter(static_cast<Filter>(f), row, previous, length, bytesPerPixel, trial.data());
        if (const std::uint64_t sum = magnitudeSum(trial.data(), length); sum < bestSum) {
            std::swap(best, trial);
            bestFilter = static_cast<Filter>(f);
            bestSum = sum;
        }
    }
    out[0] = bestFilter;
    std::memcpy(out + 1, best.data(), length);
}

}  // namespace tessaform
