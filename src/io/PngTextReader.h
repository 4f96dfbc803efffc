#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "base/Result.h"
#include "io/PngWriter.h"

namespace tessaform {

// True when the file starts with the PNG signature; the stream is left
// where it was.
bool startsWithPngSignature(std::FILE* stream);

// The tEXt and zTXt chunks of a PNG stream, in file order. Other chunks are
// passed over unread, so a poster of gigabytes is read in a moment. A text
// chunk cut short, over 64 MiB, with a bad checksum, a bad keyword, or
// deflated data that is damaged or would inflate beyond 64 MiB fails the
// whole read.
Result<std::vector<PngText>> readPngTexts(std::FILE* stream);
Result<std::vector<PngText>> readPngTexts(const std::string& path);

}  // namespace tessaform
