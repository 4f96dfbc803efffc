#include "jobs/FilmFrames.h"

#include <sys/stat.h>

#include <new>
#include <string>

#include "io/ImageOutput.h"
#include "jobs/FilmSet.h"
#include "jobs/FrameClaim.h"
#include "jobs/ImageMetadata.h"
#include "render/Renderer.h"

namespace tessaform {
namespace {

// Images are written whole or not at all, so one that is there is complete.
bool imageExists(const std::string& path)
{
    struct stat file;
    return ::stat(path.c_str(), &file) == 0 && S_ISREG(file.st_mode) && file.st_size > 0;
}

std::vector<std::string> imagesToWrite(const FilmFrames& film, int frame)
{
    std::vector<std::string> images;
    for (const FrameNames& names : film.outputs.images) {
        if (!film.skipExisting || !imageExists(names.nameFor(frame))) {
            images.push_back(names.nameFor(frame));
        }
    }
    return images;
}

Result<void> writeFrameImages(const std::vector<std::string>& images, const FrameBuffer& canvas,
                              const FractalParams& params, const Gradient& gradient)
{
    for (const std::string& image : images) {
        if (Result<void> saved = writeImageFile(image, canvas.pixels(), canvas.width(), canvas.height(),
                                                imageMetadata(params, gradient));
            !saved) {
            return saved;
        }
    }
    return {};
}

// A frame that is done needs no claims; those killed runs left beside its
// images go.
void removeStaleClaims(const FilmFrames& film, int frame)
{
    for (const FrameNames& names : film.outputs.images) {
        FrameClaim::removeIfStale(names.nameFor(frame), *film.claimsStaleAfter);
    }
}

// Every image of the frame claimed, or none: a frame another run holds in
// part is left to it.
std::optional<std::vector<FrameClaim>> claimImages(const FilmFrames& film, const std::vector<std::string>& images)
{
    std::vector<FrameClaim> claims;
    if (!film.claimsStaleAfter) {
        return claims;
    }
    for (const std::string& image : images) {
        std::optional<FrameClaim> claim = FrameClaim::take(image, *film.claimsStaleAfter);
        if (!claim) {
            return std::nullopt;
        }
        claims.push_back(std::move(*claim));
    }
    return claims;
}

// The frames in order, until one fails to render or to be written; frames
// another run holds are collected in heldByOthers. The films in the set are
// finished only here, so that whatever ends the run early, an exception too,
// leaves each film's target as it was.
void renderEveryFrame(const FilmFrames& film, const Gradient& gradient, FrameBuffer& canvas, FilmObserver& observer,
                      const RenderSettings& settings, FilmEnd& end, std::vector<int>& heldByOthers)
{
    FilmSet films;
    if (end.files = films.open(film.outputs.films, canvas, film.fps, film.quality); !end.files) {
        return;
    }
    for (std::size_t index = 0; index < film.frames.size(); ++index) {
        const int frame = film.frames[index];
        std::vector<std::string> images = imagesToWrite(film, frame);
        if (images.empty() && films.empty()) {
            if (film.claimsStaleAfter) {
                removeStaleClaims(film, frame);
            }
            ++end.framesSkipped;
            continue;
        }
        // A film needs every frame, so runs that make one share nothing.
        const std::optional<std::vector<FrameClaim>> claims =
            films.empty() ? claimImages(film, images) : std::vector<FrameClaim>();
        if (!claims) {
            heldByOthers.push_back(frame);
            continue;
        }
        if (films.empty() && film.claimsStaleAfter) {
            // Another run may have finished it between the look and the claim.
            images = imagesToWrite(film, frame);
        }
        if (images.empty() && films.empty()) {
            ++end.framesSkipped;
            continue;
        }
        observer.frameStarted(index, film.frames.size(), frame);
        const FractalParams params = film.recordAt(frame);
        const RenderOutcome outcome = renderImage(params, gradient, canvas.image(), observer, settings);
        observer.frameRendered();
        if (outcome != RenderOutcome::Completed) {
            end.stopped = true;
            end.files = films.finish();
            return;
        }
        if (end.files = writeFrameImages(images, canvas, params, gradient); !end.files) {
            return;
        }
        if (end.files = films.add(canvas); !end.files) {
            return;
        }
        ++end.framesWritten;
        observer.frameWritten();
    }
    end.files = films.finish();
}

// Looked at again once this run is over: what the other runs finished by
// now is there, what they still hold is not.
void countFramesHeldByOthers(const FilmFrames& film, const std::vector<int>& heldByOthers, FilmEnd& end)
{
    for (const int frame : heldByOthers) {
        if (imagesToWrite(film, frame).empty()) {
            ++end.framesSkipped;
        } else {
            ++end.framesLeftToOthers;
        }
    }
}

}  // namespace

FilmEnd renderFilmFrames(const FilmFrames& film, const Gradient& gradient, FrameBuffer& canvas, FilmObserver& observer,
                         const RenderSettings& settings)
{
    FilmEnd end;
    std::vector<int> heldByOthers;
    try {
        renderEveryFrame(film, gradient, canvas, observer, settings, end, heldByOthers);
    } catch (const std::bad_alloc&) {
        end.files = Failure{notEnoughMemoryText(canvas.width(), canvas.height())};
    }
    countFramesHeldByOthers(film, heldByOthers, end);
    return end;
}

}  // namespace tessaform
