#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "base/Result.h"
#include "jobs/FilmOutputs.h"
#include "jobs/FrameBuffer.h"
#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/RenderObserver.h"
#include "render/RenderSettings.h"

namespace tessaform {

// Follows an animation render frame by frame; as any render observer it
// sees the rows and may stop the render.
class FilmObserver : public RenderObserver {
public:
    // Before a frame is rendered: its place among the frames, and its number.
    virtual void frameStarted(std::size_t index, std::size_t count, int frame) = 0;
    // After each render, finished or stopped.
    virtual void frameRendered() {}
    // Once the frame is in every file.
    virtual void frameWritten() {}
};

struct FilmFrames {
    static constexpr int kDefaultQuality = 23;

    const std::vector<int>& frames;
    const FilmOutputs& outputs;
    double fps = 30.0;
    int quality = kDefaultQuality;
    // Renders only frames whose image is missing; a film still needs all.
    bool skipExisting = false;
    std::function<FractalParams(int frame)> recordAt;
    // With skipExisting, runs sharing the output folder claim each frame
    // before rendering it (FrameClaim) and pass over frames others hold.
    std::optional<std::chrono::seconds> claimsStaleAfter = std::nullopt;
};

struct FilmEnd {
    // The observer stopped it: the frame in progress is in no file, and each
    // film holds the frames before it.
    bool stopped = false;
    int framesWritten = 0;
    // Already there, or finished by another run meanwhile.
    int framesSkipped = 0;
    // Held by another run's claim, and still missing when this run ended.
    int framesLeftToOthers = 0;
    // The first file that failed; nothing was rendered after it.
    Result<void> files;
};

// Renders the frames one after another into the canvas and writes each to
// every image (with the parameters that reproduce it) and every film.
FilmEnd renderFilmFrames(const FilmFrames& film, const Gradient& gradient, FrameBuffer& canvas, FilmObserver& observer,
                         const RenderSettings& settings = {});

}  // namespace tessaform
