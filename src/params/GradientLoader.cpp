#include "params/GradientLoader.h"

#include <memory>
#include <new>
#include <optional>

#include "params/GradientImage.h"

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

bool loadGradient(const std::string& path, GradientSlot& slot, const MessageSink& showMessage)
{
    std::shared_ptr<const Gradient> gradient;
    if (const std::optional<std::vector<std::uint8_t>> topRow = readTopRowRgb(path); topRow && !topRow->empty()) {
        gradient = buildGradient(*topRow);
    }
    if (!gradient) {
        if (showMessage) {
            showMessage(kCouldNotLoadImage);
        }
        return false;
    }
    slot.publish(std::move(gradient));
    return true;
}

}  // namespace tessaform
