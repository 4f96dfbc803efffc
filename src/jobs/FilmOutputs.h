#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/Result.h"
#include "io/ImageFormats.h"
#include "jobs/FrameNames.h"

namespace tessaform {

// Numbered images of one format and encoding.
struct FrameImages {
    FrameNames names;
    ImageEncoding encoding;
};

// Where the frames of an animation go: numbered images and films.
struct FilmOutputs {
    std::vector<FrameImages> images;
    std::vector<std::string> films;
};

// Each name is a film (.mp4, .mkv, .webm) or an image name, which needs a
// frame number when more than one frame is written; images get their
// format's default encoding. A failure starts with the name it is about.
Result<FilmOutputs> planFilmOutputs(const std::vector<std::string>& names, std::size_t frameCount);

// The save dialog's filters for an animation: every image format, the one
// initialName is written in first, then every film.
std::vector<std::string> filmOutputSaveFilters(const std::string& initialName);

// Tried before the first frame, so that a doomed render ends at once: the
// films and the images of the first frame and of the longest frame number.
// frames is not empty.
Result<void> checkFilmOutputs(const FilmOutputs& outputs, const std::vector<int>& frames);

}  // namespace tessaform
