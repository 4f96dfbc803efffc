#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

#include "params/Result.h"

namespace tessaform {

// One text chunk: a Latin-1 keyword of 1 to 79 characters and its text,
// deflated (zTXt) when compressed, plain (tEXt) otherwise.
struct PngText {
    std::string keyword;
    std::string text;
    bool compressed = false;
};

// Writes an 8-bit RGB PNG row by row, top row first, so that an image need
// never be whole in memory. The text chunks come before the pixels.
class PngRowWriter {
public:
    ~PngRowWriter();
    PngRowWriter(const PngRowWriter&) = delete;
    PngRowWriter& operator=(const PngRowWriter&) = delete;

    static Result<std::unique_ptr<PngRowWriter>> open(const std::string& fileName, int width, int height,
                                                      std::span<const PngText> texts);

    // One row of 0x00RRGGBB pixels.
    Result<void> writeRow(const std::uint32_t* pixels);
    // After the last row: the end chunk, and the file closed.
    Result<void> finish();

private:
    struct Codec;

    PngRowWriter(std::string fileName, std::FILE* file, int width);
    Failure failure(const char* what) const;

    std::string fileName_;
    std::FILE* file_;
    std::unique_ptr<Codec> codec_;
    int width_;
};

// The frame buffer's top-row-first pixels as an 8-bit RGB PNG.
Result<void> writePng(const std::string& fileName, const std::uint32_t* pixels, int width, int height,
                      std::span<const PngText> texts = {});

}  // namespace tessaform
