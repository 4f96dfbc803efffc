#include "image/GradientLoader.h"

#include <memory>
#include <new>

#include "image/GradientImage.h"

namespace tessaform {

namespace {

// An image so wide that its table cannot be allocated is reported like any
// other image that cannot be used, and the old table stays.
std::shared_ptr<const Gradient> buildGradient(const std::vector<std::uint8_t>& topRow)
{
    try {
        return std::make_shared<const Gradient>(gradientFromRgbBytes(topRow));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

Result<void> loadGradient(const std::string& path, GradientSlot& slot)
{
    const Result<std::vector<std::uint8_t>> topRow = readTopRowRgb(path);
    if (!topRow) {
        return Failure{topRow.error()};
    }
    std::shared_ptr<const Gradient> gradient = buildGradient(*topRow);
    if (!gradient) {
        return Failure{kCouldNotLoadImage};
    }
    slot.publish(std::move(gradient));
    return {};
}

}  // namespace tessaform
