#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/Result.h"
#include "io/AtomicReplace.h"

namespace tessaform {

class FilmEncoder;

struct VideoSettings {
    // The container follows the extension: .mp4 or .mkv hold H.264, .webm VP9.
    std::string path;
    int width = 0;
    int height = 0;
    double fps = 30.0;
    // Constant-quality level, lower is better: x264's CRF (0..51) or VP9's
    // (0..63); a level out of range is clamped.
    int quality = 23;
};

// True when the name ends in .mp4, .mkv or .webm, in any case.
bool namesVideo(const std::string& path);

// The save dialog's filters for films, one a container: "*.mp4", ...
std::vector<std::string> filmSaveFilters();

// Encodes frames one at a time into a film, through a temporary file beside
// the target (as images are written). Both codecs store YUV 4:2:0,
// which needs even sides: an odd width or height is encoded one larger, its
// last column or row repeated. The encoding itself is done by the film writer
// library, loaded on the first film.
class VideoWriter {
public:
    ~VideoWriter();
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    static Result<std::unique_ptr<VideoWriter>> open(const VideoSettings& settings,
                                                     const std::filesystem::path& encoderLibrary);

    // One frame of 0x00RRGGBB pixels, top row first, width * height of them.
    Result<void> writeFrame(const std::uint32_t* pixels);
    // Flushes the encoder, writes the trailer and puts the film in place of
    // the target: a playable film of the frames written so far, so it also
    // ends an interrupted render. Without it the destructor releases
    // everything and removes the unfinished film; the target is untouched.
    Result<void> finish();

private:
    VideoWriter(ReplacementFile file, std::unique_ptr<FilmEncoder> encoder);

    // Declared before the encoder, so that the encoder closes the file
    // before an uncommitted one is removed.
    ReplacementFile file_;
    std::unique_ptr<FilmEncoder> encoder_;
};

}  // namespace tessaform
