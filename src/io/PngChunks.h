#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "io/PngWriter.h"

namespace tessaform {

using PngBytes = std::vector<std::uint8_t>;

// The eight bytes every PNG file begins with.
std::span<const std::uint8_t> pngSignature();

// The header chunk's data for a non-interlaced image.
PngBytes pngHeaderData(std::uint32_t width, std::uint32_t height, int bitDepth, int colourType);

// A text chunk's data: keyword, a zero byte, then the text, deflated after a
// method byte when the chunk is zTXt. Fails on a keyword a reader would refuse.
Result<PngBytes> pngTextData(const PngText& text);

// Writes one chunk (length, type, data given in parts, checksum); false when
// the stream failed.
bool writePngChunk(std::FILE* file, std::string_view type, std::initializer_list<std::span<const std::uint8_t>> parts);

}  // namespace tessaform
