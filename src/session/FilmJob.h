#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "anim/Animation.h"
#include "jobs/FilmFrames.h"
#include "jobs/FilmOutputs.h"
#include "session/RenderView.h"
#include "session/StopSignal.h"

namespace tessaform {

class SharedFrame;

// An animation render as the program runs it: the keys as they were when it
// started, the frames to render and where they go.
struct FilmJob {
    Animation animation;
    std::vector<int> frames;
    FilmOutputs outputs;
};

// Renders the job frame by frame into the window's frame, writing what
// tessaform-render writes for the same keys and size. The title tells the
// progress ("Frame 2 / 3 - First pass: 5 / 12"), then how it ended.
void renderFilmJob(const FilmJob& job, const Gradient& gradient, SharedFrame& frame, RenderView& view,
                   const StopSignal& stop);

// "Render saved - ...", "Render stopped - 2 of 3 frames written" or
// "Render not saved - " and why.
std::string filmEndTitle(const FilmEnd& end, std::size_t frameCount);

}  // namespace tessaform
