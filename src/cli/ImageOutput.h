#pragma once

#include <string>

#include "app/WriteOutcome.h"

namespace tessaform {

class FrameBuffer;

// Writes a PNG when the name ends in ".png" (any case), a TGA otherwise,
// through a temporary file, so a failure never leaves a partial image.
WriteOutcome writeImageFile(const std::string& fileName, const FrameBuffer& frame);

}  // namespace tessaform
