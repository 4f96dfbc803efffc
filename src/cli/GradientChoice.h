#pragma once

#include <memory>

#include "base/Result.h"
#include "cli/CliOptions.h"
#include "params/Gradient.h"

namespace tessaform {

// The gradient a render uses: -g's image, else an image's own gradient
// (when it came with the parameters), else gradient.jpg beside the program.
Result<void> loadGradientFor(const CliOptions& options, const std::shared_ptr<const Gradient>& imageGradient,
                             GradientSlot& gradient);

// Before a still or a tile renders: its gradient, once the output is known
// to be writable, so that a long render never ends in a missing folder.
Result<std::shared_ptr<const Gradient>> gradientForWritableOutput(const CliOptions& options,
                                                                  const std::shared_ptr<const Gradient>& imageGradient);

}  // namespace tessaform
