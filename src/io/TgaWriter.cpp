#include "io/TgaWriter.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tessaform {
namespace {

std::string describeFailure(const char* what, const std::string& fileName, int error)
{
    return std::string(what) + " " + fileName + ": " + std::strerror(error);
}

// One byte at a time through the stream's own buffer: no image-sized copy.
bool writeBody(std::FILE* file, const std::uint32_t* pixels, int width, int height)
{
    for (int row = height - 1; row >= 0; --row) {
        const std::uint32_t* line = pixels + static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
        for (int column = 0; column < width; ++column) {
            const std::uint32_t pixel = line[column];
            std::putc(static_cast<int>(pixel & 0xFF), file);
            std::putc(static_cast<int>((pixel >> 8) & 0xFF), file);
            std::putc(static_cast<int>((pixel >> 16) & 0xFF), file);
        }
    }
    return std::ferror(file) == 0;
}

}  // namespace

std::array<unsigned char, kTgaHeaderBytes> tgaHeader(int width, int height)
{
    const auto low = [](int value) { return static_cast<unsigned char>(value & 0xFF); };
    const auto high = [](int value) { return static_cast<unsigned char>((value >> 8) & 0xFF); };
    return {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, low(width), high(width), low(height), high(height), 24, 0};
}

Result<void> writeTga(const std::string& fileName, const std::uint32_t* pixels, int width, int height)
{
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (file == nullptr) {
        return Failure{describeFailure("Could not create", fileName, errno)};
    }
    for (unsigned char byte : tgaHeader(width, height)) {
        std::putc(byte, file);
    }
    const bool written = writeBody(file, pixels, width, height);
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written) {
        return Failure{describeFailure("Could not write", fileName, writeError)};
    }
    if (!closed) {
        return Failure{describeFailure("Could not finish writing", fileName, errno)};
    }
    return {};
}

}  // namespace tessaform
