#pragma once

#include <string>

#include "base/Result.h"
#include "io/ImageFormats.h"
#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/RenderObserver.h"
#include "render/RenderSettings.h"
#include "render/Renderer.h"

namespace tessaform {

// An image file a still is rendered into: its format follows the name.
struct StillImage {
    std::string fileName;
    ImageEncoding encoding;
    int width = 0;
    int height = 0;
};

// Renders the record into the image row by row, with the rows' float values
// where its format and encoding need them, carrying the parameters where
// the format can, through a temporary file, so that a failure or a render
// that does not complete leaves no partial image. The image is written when
// the outcome is Completed. alsoTake, when given, gets each row's 8-bit
// pixels once the file has them (to show the image as it is written).
Result<RenderOutcome> renderStillImage(const StillImage& image, const FractalParams& params, const Gradient& gradient,
                                       const RenderSettings& settings, RenderObserver& observer,
                                       const RowConsumer& alsoTake = {});

}  // namespace tessaform
