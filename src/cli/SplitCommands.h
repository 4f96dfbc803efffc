#pragma once

#include <memory>

#include "cli/CliOptions.h"
#include "cli/ExitCode.h"
#include "params/FractalParams.h"
#include "params/Gradient.h"

namespace tessaform {

// --tile: renders this task's band of the still into its part file.
ExitCode renderTile(const CliOptions& options, const FractalParams& params,
                    const std::shared_ptr<const Gradient>& imageGradient);

// "tessaform-render assemble PART... -o IMAGE"; argv[0] is "assemble".
ExitCode runAssembleCommand(int argc, const char* const* argv);

}  // namespace tessaform
