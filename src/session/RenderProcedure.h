#pragma once

#include "params/FractalParams.h"
#include "session/RenderMode.h"
#include "session/StopSignal.h"

namespace tessaform {

// One render of one snapshot, run on a render thread of the scheduler:
// where the pixels go, what the user sees of the progress, and what
// happens to a finished image.
class RenderProcedure {
public:
    virtual ~RenderProcedure() = default;
    virtual void render(const FractalParams& snapshot, RenderMode mode, const StopSignal& stop) = 0;
};

}  // namespace tessaform
