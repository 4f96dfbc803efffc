#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "base/Result.h"
#include "io/ImageFormats.h"
#include "io/ImageRowWriter.h"
#include "io/PngWriter.h"

namespace tessaform {

// The top-row-first pixels of a whole image, written in place through the
// format's row writer, in the order the format stores its rows.
Result<void> writeImage(const ImageFormat& format, const std::string& fileName, const std::uint32_t* pixels, int width,
                        int height, std::span<const PngText> texts = {});

// Writes the top-row-first pixels in the format the name asks for (a PNG
// carrying the texts, or a TGA), through a temporary file, so a failure
// never leaves a partial image.
Result<void> writeImageFile(const std::string& fileName, const std::uint32_t* pixels, int width, int height,
                            std::span<const PngText> texts = {});

// Lets produce write every row of fileName, top row first, in the encoding
// given (the format's default when none is), through a temporary file that
// replaces the target only when produce and the writer both succeeded.
Result<void> writeImageFileByRows(const std::string& fileName, int width, int height, std::span<const PngText> texts,
                                  const std::function<Result<void>(ImageRowWriter& writer)>& produce);
Result<void> writeImageFileByRows(const std::string& fileName, int width, int height, const ImageEncoding& encoding,
                                  std::span<const PngText> texts,
                                  const std::function<Result<void>(ImageRowWriter& writer)>& produce);

}  // namespace tessaform
