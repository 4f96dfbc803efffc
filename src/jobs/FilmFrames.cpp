#include "jobs/FilmFrames.h"

#include <sys/stat.h>

#include <algorithm>
#include <new>
#include <string>

#include "io/ImageOutput.h"
#include "jobs/FilmSet.h"
#include "jobs/FrameClaim.h"
#include "jobs/ImageMetadata.h"
#include "jobs/StillImage.h"
#include "render/Renderer.h"

namespace tessaform {
namespace {

// Images are written whole or not at all, so one that is there is complete.
bool imageExists(const std::string& path)
{
    struct stat file;
    return ::stat(path.c_str(), &file) == 0 && S_ISREG(file.st_mode) && file.st_size > 0;
}

std::vector<StillImage> imagesToWrite(const FilmFrames& film, int frame, const FrameBuffer& canvas)
{
    std::vector<StillImage> images;
    for (const FrameImages& output : film.outputs.images) {
        if (!film.skipExisting || !imageExists(output.names.nameFor(frame))) {
            images.push_back({output.names.nameFor(frame), output.encoding, canvas.width(), canvas.height()});
        }
    }
    return images;
}

bool keepsFloatValues(const StillImage& image)
{
    return imageFormatFor(image.fileName).rowsNeedDeepValues(image.encoding);
}

Result<void> writeCanvasImages(const std::vector<StillImage>& images, const FrameBuffer& canvas,
                               const FractalParams& params, const Gradient& gradient)
{
    for (const StillImage& image : images) {
        if (keepsFloatValues(image)) {
            continue;
        }
        if (Result<void> saved = writeImageFile(image.fileName, canvas.pixels(), canvas.width(), canvas.height(),
                                                imageMetadata(params, gradient));
            !saved) {
            return saved;
        }
    }
    return {};
}

// The canvas holds the frame for the films and the 8-bit images; an image
// that keeps float values is rendered into its file on its own, as a still.
Result<RenderOutcome> renderFrame(const std::vector<StillImage>& images, bool forFilms, const FractalParams& params,
                                  const Gradient& gradient, FrameBuffer& canvas, FilmObserver& observer,
                                  const RenderSettings& settings)
{
    if (forFilms || !std::all_of(images.begin(), images.end(), keepsFloatValues)) {
        const RenderOutcome outcome = renderImage(params, gradient, canvas.image(), observer, settings);
        if (outcome != RenderOutcome::Completed) {
            return outcome;
        }
        if (Result<void> saved = writeCanvasImages(images, canvas, params, gradient); !saved) {
            return Failure{saved.error()};
        }
    }
    for (const StillImage& image : images) {
        if (!keepsFloatValues(image)) {
            continue;
        }
        const Result<RenderOutcome> rendered = renderStillImage(image, params, gradient, settings, observer);
        if (!rendered || *rendered != RenderOutcome::Completed) {
            return rendered;
        }
    }
    return RenderOutcome::Completed;
}

// A frame that is done needs no claims; those killed runs left beside its
// images go.
void removeStaleClaims(const FilmFrames& film, int frame)
{
    for (const FrameImages& images : film.outputs.images) {
        FrameClaim::removeIfStale(images.names.nameFor(frame), *film.claimsStaleAfter);
    }
}

// Every image of the frame claimed, or none: a frame another run holds in
// part is left to it.
std::optional<std::vector<FrameClaim>> claimImages(const FilmFrames& film, const std::vector<StillImage>& images)
{
    std::vector<FrameClaim> claims;
    if (!film.claimsStaleAfter) {
        return claims;
    }
    for (const StillImage& image : images) {
        std::optional<FrameClaim> claim = FrameClaim::take(image.fileName, *film.claimsStaleAfter);
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
        std::vector<StillImage> images = imagesToWrite(film, frame, canvas);
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
            images = imagesToWrite(film, frame, canvas);
        }
        if (images.empty() && films.empty()) {
            ++end.framesSkipped;
            continue;
        }
        observer.frameStarted(index, film.frames.size(), frame);
        const Result<RenderOutcome> rendered =
            renderFrame(images, !films.empty(), film.recordAt(frame), gradient, canvas, observer, settings);
        observer.frameRendered();
        if (!rendered) {
            end.files = Failure{rendered.error()};
            return;
        }
        if (*rendered != RenderOutcome::Completed) {
            end.stopped = true;
            end.files = films.finish();
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
void countFramesHeldByOthers(const FilmFrames& film, const std::vector<int>& heldByOthers, const FrameBuffer& canvas,
                             FilmEnd& end)
{
    for (const int frame : heldByOthers) {
        if (imagesToWrite(film, frame, canvas).empty()) {
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
    countFramesHeldByOthers(film, heldByOthers, canvas, end);
    return end;
}

}  // namespace tessaform
