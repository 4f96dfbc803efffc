#pragma once

#include <string>

#include "render/ProgressiveRender.h"

namespace tessaform {

// What the live view's status line says: the size shown, how far its
// refinement has come and how long the last whole first pass took, as
// "1280 x 720 · coarse 1/8 · first pass 112 ms", then "anti-aliasing" and
// "anti-aliased" in the middle. "Starting" before anything is shown (a
// size of 0); a negative time is left out.
std::string liveViewStatusText(int width, int height, ProgressiveStage stage, double lastFirstPassMilliseconds);

}  // namespace tessaform
