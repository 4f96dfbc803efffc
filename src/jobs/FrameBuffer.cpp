#include "jobs/FrameBuffer.h"

#include <sys/sysinfo.h>

#include <cmath>
#include <cstdlib>
#include <new>

namespace tessaform {
namespace {

// Unknown counts as unlimited: the allocation itself is then the only test.
double machineMemoryBytes()
{
    struct sysinfo info {};
    if (::sysinfo(&info) != 0) {
        return HUGE_VAL;
    }
    return (static_cast<double>(info.totalram) + static_cast<double>(info.totalswap)) * info.mem_unit;
}

}  // namespace

void FrameBuffer::FreeDeleter::operator()(std::uint32_t* pixels) const
{
    std::free(pixels);
}

std::unique_ptr<FrameBuffer> createFrameBuffer(int width, int height)
{
    if (width < 0 || height < 0 || !frameBuffersFit(width, height, 1)) {
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

bool frameBuffersFit(int width, int height, int count)
{
    if (width < 0 || height < 0 || count < 0) {
        return false;
    }
    // In floating point: the product of three ints and four overflows 64 bits.
    const double bytes =
        static_cast<double>(width) * static_cast<double>(height) * sizeof(std::uint32_t) * static_cast<double>(count);
    return bytes <= machineMemoryBytes();
}

std::string imageSizeText(std::int64_t width, std::int64_t height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}

std::string notEnoughMemoryText(std::int64_t width, std::int64_t height)
{
    return "Not enough memory for a " + imageSizeText(width, height) + " image";
}

}  // namespace tessaform
