#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "io/PngWriter.h"
#include "params/Result.h"

namespace tessaform {

// Writes an image row by row, top row first, so that it never has to be
// whole in memory: a PNG (with the texts) row after row, or a TGA whose
// bottom-up rows are each put in place by their offset.
class ImageRowWriter {
public:
    virtual ~ImageRowWriter() = default;

    // A PNG when the name ends in ".png", a TGA otherwise.
    static Result<std::unique_ptr<ImageRowWriter>> open(const std::string& fileName, bool png, int width, int height,
                                                        std::span<const PngText> texts);

    // Rows of 0x00RRGGBB pixels, from the top, one call each.
    virtual Result<void> writeRow(const std::uint32_t* pixels) = 0;
    virtual Result<void> finish() = 0;
};

// Lets produce write every row of fileName, through a temporary file that
// replaces the target only when produce and the writer both succeeded.
Result<void> writeImageFileByRows(const std::string& fileName, int width, int height, std::span<const PngText> texts,
                                  const std::function<Result<void>(ImageRowWriter& writer)>& produce);

}  // namespace tessaform
