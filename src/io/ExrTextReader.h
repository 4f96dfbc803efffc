#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "base/Result.h"
#include "io/PngWriter.h"

namespace tessaform {

// True when the file starts with OpenEXR's magic number; the stream is left
// where it was.
bool startsWithExrMagic(std::FILE* stream);

// The string attributes of an OpenEXR image as texts, by name. The file
// must be whole: a damaged header, a missing block, or a block reaching past
// the end of the file (a file cut short) fails the read. The blocks are
// located, not decompressed, so a poster is checked in a moment.
Result<std::vector<PngText>> readExrTexts(const std::string& path);

}  // namespace tessaform
