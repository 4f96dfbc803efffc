#pragma once

#include <string>

#include "app/RenderMode.h"

namespace tessaform {

// What a render thread may do to the windows: ask for paint and set the
// high-quality window's title. Implementations only post the request and
// return, so a render never waits for the screen.
class RenderView {
public:
    virtual ~RenderView() = default;
    virtual void requestRepaint(RenderMode mode) = 0;
    virtual void showHighQualityTitle(const std::string& title) = 0;
};

}  // namespace tessaform
