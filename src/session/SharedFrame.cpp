#include "session/SharedFrame.h"

#include <algorithm>

namespace tessaform {

std::shared_ptr<SharedFrame> SharedFrame::create(int width, int height)
{
    std::unique_ptr<FrameBuffer> canvas = createFrameBuffer(width, height);
    std::unique_ptr<FrameBuffer> shown = canvas ? createFrameBuffer(width, height) : nullptr;
    if (!shown) {
        return nullptr;
    }
    return std::shared_ptr<SharedFrame>(new SharedFrame(std::move(canvas), std::move(shown)));
}

void SharedFrame::showRows(int firstRow, int rowCount)
{
    const int first = std::clamp(firstRow, 0, height());
    const int end = std::clamp(firstRow + rowCount, first, height());
    const std::size_t offset = static_cast<std::size_t>(first) * static_cast<std::size_t>(width());
    const std::size_t count = static_cast<std::size_t>(end - first) * static_cast<std::size_t>(width());
    std::lock_guard lock(mutex_);
    std::copy_n(canvas_->pixels() + offset, count, shown_->pixels() + offset);
}

void SharedFrame::readShown(const std::function<void(const FrameBuffer& shown)>& read) const
{
    std::lock_guard lock(mutex_);
    read(*shown_);
}

}  // namespace tessaform
