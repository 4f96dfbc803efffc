#pragma once

#include <filesystem>

#include "base/Result.h"
#include "film/FilmEncoder.h"

namespace tessaform {

// The film writer library at that path, loaded on first use and kept for
// the rest of the process (FFmpeg's codec tree costs programs that make no
// film about a hundred libraries at start-up). A missing or unusable one is
// a one-line failure that names it.
Result<const FilmEncoderEntry*> loadFilmEncoder(const std::filesystem::path& library);

}  // namespace tessaform
