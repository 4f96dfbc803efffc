#pragma once

#include "render/PixelImage.h"
#include "render/PowerDispatch.h"
#include "render/RenderObserver.h"
#include "render/RenderSettings.h"

namespace tessaform {

class Gradient;
struct FractalParams;

enum class RenderOutcome { Completed, Abandoned, UnsupportedPower };

// Renders the snapshot into image in two passes: one sample per pixel, then
// a 4 x 4 grid for every pixel that differs clearly from a neighbour. An
// empty gradient is replaced by a neutral grey ramp. Nothing is allocated
// per pixel. stats, when given, receives what was traced.
RenderOutcome renderImage(const FractalParams& snapshot, const Gradient& gradient, const PixelImage& image,
                          RenderObserver& observer, const RenderSettings& settings = {}, RenderStats* stats = nullptr);

}  // namespace tessaform
