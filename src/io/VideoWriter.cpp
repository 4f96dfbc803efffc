#include "io/VideoWriter.h"

#include <cmath>

#include "film/FilmEncoder.h"
#include "io/FilmEncoderLibrary.h"

namespace tessaform {
namespace {

std::string failurePrefix(const VideoSettings& settings)
{
    return "Could not write video " + settings.path + ": ";
}

Result<void> checkSettings(const VideoSettings& settings)
{
    const std::string prefix = failurePrefix(settings);
    if (settings.width <= 0 || settings.height <= 0) {
        return Failure{prefix + "the frame size " + std::to_string(settings.width) + " x " +
                       std::to_string(settings.height) + " is empty"};
    }
    if (!std::isfinite(settings.fps) || settings.fps <= 0) {
        return Failure{prefix + "the frame rate must be above 0"};
    }
    if (filmContainerFor(settings.path) == nullptr) {
        return Failure{prefix + "the name must end in .mp4, .mkv or .webm"};
    }
    return {};
}

}  // namespace

bool namesVideo(const std::string& path)
{
    return filmContainerFor(path) != nullptr;
}

std::vector<std::string> filmSaveFilters()
{
    std::vector<std::string> filters;
    for (const FilmContainer& container : kFilmContainers) {
        std::string filter = "*";
        filter += container.extension;
        filters.push_back(std::move(filter));
    }
    return filters;
}

VideoWriter::VideoWriter(ReplacementFile file, std::unique_ptr<FilmEncoder> encoder)
    : file_(std::move(file)), encoder_(std::move(encoder))
{
}

VideoWriter::~VideoWriter() = default;

// The film is written to a temporary file beside the target, which becomes
// the target only when finish has written the trailer: a failure or a kill
// leaves an existing film as it was. The library is loaded first, so that
// a missing one leaves no file behind.
Result<std::unique_ptr<VideoWriter>> VideoWriter::open(const VideoSettings& settings,
                                                       const std::filesystem::path& encoderLibrary)
{
    if (Result<void> valid = checkSettings(settings); !valid) {
        return Failure{valid.error()};
    }
    const Result<const FilmEncoderEntry*> entry = loadFilmEncoder(encoderLibrary);
    if (!entry) {
        return Failure{failurePrefix(settings) + entry.error()};
    }
    Result<ReplacementFile> file = ReplacementFile::create(settings.path);
    if (!file) {
        return Failure{file.error()};
    }
    const FilmEncoding encoding{file->path(),    settings.path,   filmContainerFor(settings.path),
                                settings.width,  settings.height, settings.fps,
                                settings.quality};
    Result<std::unique_ptr<FilmEncoder>> encoder = (*entry)->open(encoding);
    if (!encoder) {
        return Failure{encoder.error()};
    }
    return std::unique_ptr<VideoWriter>(new VideoWriter(std::move(file).value(), std::move(encoder).value()));
}

Result<void> VideoWriter::writeFrame(const std::uint32_t* pixels)
{
    return encoder_->writeFrame(pixels);
}

Result<void> VideoWriter::finish()
{
    if (Result<void> finished = encoder_->finish(); !finished) {
        return finished;
    }
    return file_.commit();
}

}  // namespace tessaform
