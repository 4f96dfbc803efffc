#pragma once

#include <string>

#include "params/Gradient.h"
#include "base/Result.h"

namespace tessaform {

// Builds a table from the top row of the image at path and publishes it in
// slot. On failure ("Could not load image") the old table stays.
Result<void> loadGradient(const std::string& path, GradientSlot& slot);

}  // namespace tessaform
