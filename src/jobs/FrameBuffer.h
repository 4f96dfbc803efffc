#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "render/PixelImage.h"

namespace tessaform {

// width x height pixels 0x00RRGGBB, top row first, black when made.
class FrameBuffer {
public:
    int width() const { return width_; }
    int height() const { return height_; }
    std::uint32_t* pixels() { return pixels_.get(); }
    const std::uint32_t* pixels() const { return pixels_.get(); }
    PixelImage image() { return {pixels_.get(), width_, height_}; }

private:
    struct FreeDeleter {
        void operator()(std::uint32_t* pixels) const;
    };

    FrameBuffer(std::unique_ptr<std::uint32_t[], FreeDeleter> pixels, int width, int height)
        : pixels_(std::move(pixels)), width_(width), height_(height)
    {
    }

    friend std::unique_ptr<FrameBuffer> createFrameBuffer(int width, int height);

    std::unique_ptr<std::uint32_t[], FreeDeleter> pixels_;
    int width_;
    int height_;
};

// nullptr for a negative size or when the memory cannot be had, so that no
// render ever draws into a buffer that does not exist.
std::unique_ptr<FrameBuffer> createFrameBuffer(int width, int height);

// Whether count buffers of width x height fit in the machine's memory, RAM
// and swap together. The system promises far more than that lazily, and a
// render that then draws every pixel gets the process killed, not refused.
bool frameBuffersFit(int width, int height, int count);

// "W x H", as messages give an image's size.
std::string imageSizeText(std::int64_t width, std::int64_t height);

// What the user is told when a frame of that size cannot be had.
std::string notEnoughMemoryText(std::int64_t width, std::int64_t height);

}  // namespace tessaform
