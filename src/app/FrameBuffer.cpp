#include "app/FrameBuffer.h"

#include <cstdlib>
#include <new>

namespace tessaform {

void FrameBuffer::FreeDeleter::operator()(std::uint32_t* pixels) const
{
    std::free(pixels);
}

std::unique_ptr<FrameBuffer> createFrameBuffer(int width, int height)
{
    if (width < 0 || height < 0) {
        return nullptr;
    }
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    // calloc hands out zeroed pages lazily, so a huge buffer costs memory
    // only where the render actually draws; one extra element keeps the
    // pointer valid for an empty image.
    void* memory = std::calloc(count + 1, sizeof(std::uint32_t));
    if (memory == nullptr) {
        return nullptr;
    }
    std::unique_ptr<std::uint32_t[], FrameBuffer::FreeDeleter> pixels(static_cast<std::uint32_t*>(memory));
    return std::unique_ptr<FrameBuffer>(new (std::nothrow) FrameBuffer(std::move(pixels), width, height));
}

}  // namespace tessaform
