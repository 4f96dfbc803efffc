#pragma once

#include <memory>

#include "cli/CliOptions.h"
#include "params/Gradient.h"
#include "params/Result.h"

namespace tessaform {

// The gradient a render uses: -g's image, else an image's own gradient
// (when it came with the parameters), else gradient.jpg beside the program.
Result<void> loadGradientFor(const CliOptions& options, const std::shared_ptr<const Gradient>& imageGradient,
                             GradientSlot& gradient);

}  // namespace tessaform
