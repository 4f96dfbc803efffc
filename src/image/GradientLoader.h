#pragma once

#include <string>

#include "base/Result.h"
#include "params/Gradient.h"

namespace tessaform {

// Builds a table from the top row of the image at path and publishes it in
// slot. On failure ("Could not load image") the old table stays.
Result<void> loadGradient(const std::string& path, GradientSlot& slot);

}  // namespace tessaform
