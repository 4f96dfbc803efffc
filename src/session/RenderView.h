#pragma once

#include <string>

#include "params/FractalParams.h"
#include "session/RenderMode.h"

namespace tessaform {

// What a render thread may do to the windows: ask for paint, set the
// render window's title and tell that a preview is complete.
// Implementations only post the request and return, so a render never
// waits for the screen.
class RenderView {
public:
    virtual ~RenderView() = default;
    virtual void requestRepaint(RenderMode mode) = 0;
    virtual void showHighQualityTitle(const std::string& title) = 0;
    // Both passes of a preview of this snapshot are drawn.
    virtual void previewFinished(const FractalParams& snapshot) = 0;
};

}  // namespace tessaform
